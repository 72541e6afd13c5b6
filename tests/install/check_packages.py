#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The player's package list holds what the build needs without the tests:
every pkg_check_modules and find_package of the build outside tests/ is found
in a file that a package of scripts/packages/play.txt, or one it depends on,
installs; and no test package is needed for that.

    check_packages.py SOURCE_DIR
    check_packages.py SOURCE_DIR --depends "DEPENDS FIELD"

With --depends it checks a package's Depends field instead: each dependency
(its first alternative) is installed by play.txt, so the package asks for
nothing that only the tests need.
"""
import glob
import re
import subprocess
import sys
from pathlib import Path

CALL = re.compile(r"\b(pkg_check_modules|find_package)\s*\(([^)]*)\)", re.S)
PKG_KEYWORDS = {"REQUIRED", "QUIET", "IMPORTED_TARGET", "GLOBAL", "NO_CMAKE_PATH",
                "NO_CMAKE_ENVIRONMENT_PATH"}


def read_list(path):
    names = []
    for line in path.read_text().splitlines():
        names += [n for n in line.split("#")[0].split() if not n.startswith("?")]
    return names


def build_files(source):
    """The build's own CMake files: the top one and cmake/, not tests/."""
    return [source / "CMakeLists.txt"] + sorted((source / "cmake").glob("*.cmake"))


def wanted(source):
    """(what, file that provides it) for every lookup of the build."""
    for path in build_files(source):
        text = re.sub(r"#.*", "", path.read_text())
        for kind, args in CALL.findall(text):
            words = args.split()
            if kind == "pkg_check_modules":
                for module in words[1:]:
                    if module not in PKG_KEYWORDS:
                        yield f"pkg-config {module}", pc_file(module)
            elif words[0] in ("PkgConfig", "Threads"):
                yield words[0], cmake_module(words[0])
            else:
                comps = words[words.index("COMPONENTS") + 1:] if "COMPONENTS" in words else [""]
                for comp in comps:
                    if comp not in ("REQUIRED",):
                        yield f"{words[0]} {comp}".strip(), config_file(words[0] + comp)


def pc_file(module):
    out = subprocess.run(["pkg-config", "--variable=pcfiledir", module],
                         capture_output=True, text=True)
    return f"{out.stdout.strip()}/{module}.pc" if out.returncode == 0 else None


def cmake_module(name):
    found = glob.glob(f"/usr/share/cmake-*/Modules/Find{name}.cmake")
    return found[0] if found else None


def config_file(name):
    found = glob.glob(f"/usr/lib/*/cmake/{name}/{name}Config.cmake") + \
        glob.glob(f"/usr/lib/cmake/{name}/{name}Config.cmake")
    return found[0] if found else None


def owner(path):
    out = subprocess.run(["dpkg", "-S", str(Path(path).resolve())], capture_output=True, text=True)
    if out.returncode != 0:
        out = subprocess.run(["dpkg", "-S", path], capture_output=True, text=True)
    return out.stdout.split(":")[0].strip() if out.returncode == 0 else None


def closure(packages):
    """The packages and everything they depend on, as apt would install it."""
    out = subprocess.run(["apt-cache", "depends", "--recurse", "--no-recommends", "--no-suggests",
                          "--no-conflicts", "--no-breaks", "--no-replaces", "--no-enhances",
                          "--installed"] + packages, capture_output=True, text=True, check=True)
    names = set(packages)
    for line in out.stdout.splitlines():
        line = line.strip().lstrip("|")
        if line.startswith(("Depends:", "PreDepends:")):
            names.add(line.split(":", 1)[1].strip().strip("<>").split(":")[0])
        elif line and not line.startswith(" ") and ":" not in line:
            names.add(line)
    return names


def providers(name):
    """The packages that provide a virtual one (qt6-base-abi: libqt6core6)."""
    out = subprocess.run(["apt-cache", "showpkg", name], capture_output=True, text=True)
    lines = out.stdout.split("Reverse Provides:", 1)[-1].splitlines() if out.returncode == 0 else []
    return {line.split()[0] for line in lines[1:] if line.strip()}


def check_depends(field, reach):
    faults = []
    for dependency in field.split(","):
        name = dependency.split("|")[0].split("(")[0].strip()
        if name not in reach and not providers(name) & reach:
            faults.append(f"Depends: {name} is not installed by play.txt")
    return faults


def main():
    source = Path(sys.argv[1])
    play = read_list(source / "scripts/packages/play.txt")
    if len(sys.argv) == 4 and sys.argv[2] == "--depends":
        faults = check_depends(sys.argv[3], closure(play))
        for fault in faults:
            print("FAIL:", fault)
        sys.exit(1 if faults else 0)
    test_only = set(read_list(source / "scripts/packages/test.txt")) - set(play)
    reach = closure(play)
    faults = []
    for what, path in wanted(source):
        package = owner(path) if path else None
        if package is None:
            faults.append(f"{what}: no installed file provides it")
        elif package not in reach:
            faults.append(f"{what}: {package} is not in play.txt nor a dependency of it")
        if package in test_only:
            faults.append(f"{what}: needs the test package {package}")
        print(f"{what}: {package}")
    for fault in faults:
        print("FAIL:", fault)
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
