#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every include of the program's own headers stays in its folder or goes down
to a folder that the folder's build target links: the layers as the build
writes them (layers.txt: "target folder: targets it builds on").

    check_layers.py BUILD/layers.txt SOURCE_DIR
"""
import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/[^"]+"', re.M)


def read_layers(path):
    """Folder -> the folders its targets may include, following links down."""
    folder_of, links = {}, {}
    for line in Path(path).read_text().splitlines():
        head, _, below = line.partition(":")
        target, folder = head.split()
        folder_of[target] = folder
        links[target] = below.split()

    def reach(target, seen):
        for lower in links.get(target, []):
            if lower not in seen:
                seen.add(lower)
                reach(lower, seen)
        return seen

    allowed = {}
    for target, folder in folder_of.items():
        folders = {folder_of[t] for t in reach(target, set()) if t in folder_of}
        allowed.setdefault(folder, {folder}).update(folders)
    return allowed


def climbs(source, allowed):
    for folder, may in sorted(allowed.items()):
        for path in sorted((source / folder).glob("*.[ch]*")):
            for included in INCLUDE.findall(path.read_text(errors="replace")):
                if included in allowed and included not in may:
                    yield f"{path.relative_to(source)} includes {included}/, above its layer"


def main():
    allowed = read_layers(sys.argv[1])
    if "model" not in allowed or "session" not in allowed:
        sys.exit(f"layers: {sys.argv[1]} names no model or session layer")
    faults = list(climbs(Path(sys.argv[2]), allowed))
    for fault in faults:
        print(fault)
    print(f"layers: {len(allowed)} folders, {len(faults)} includes that climb")
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
