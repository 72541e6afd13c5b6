#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the manual's pictures as SVG from the program's own tables in
model/KeyMap.h, and renders each to PNG with rsvg-convert (librsvg2-bin).

Run from anywhere: python3 resources/help/art/make_art.py. The SVG sources and
the PNGs are both kept; the pages show the PNGs."""

import os
import re
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
KEYMAP_H = os.path.join(HERE, "..", "..", "..", "engine", "KeyMap.h")
FONT = "Liberation Sans, DejaVu Sans, sans-serif"

# The key that carries each scan code on a US keyboard.
KEY_NAMES = {
    **{2 + i: k for i, k in enumerate("1234567890-=")},
    **{16 + i: k for i, k in enumerate("QWERTYUIOP[]")},
    **{30 + i: k for i, k in enumerate("ASDFGHJKL;'")},
    **{44 + i: k for i, k in enumerate("ZXCVBNM,./")},
}
LABELS = ["1", "b2", "2", "b3", "3", "4", "b5", "5", "b6", "6", "b7", "7"]

# Key cap faces, as the on-screen keyboard shows them.
WHITE, BLUE, RED, GREEN = "#f8f8f4", "#b0d4ff", "#ffb6b6", "#b8f0b8"
TONIC = "#fff1b0"
BORDER = "#242428"


def read_tables():
    """The KeyMap as {scan code: (octave, degree, row, column)} and the
    ModeTable as [(id, menu text, offset, key part)], parsed from KeyMap.h."""
    text = open(KEYMAP_H, encoding="utf-8").read()
    body = text[text.index("KeyMap = [") : text.index("}();")]
    keys = {}
    entries = re.findall(r"None\(\)|Key\((\d+), (\d+), (\d+), (\d+)\)", body)
    for scan, entry in enumerate(entries):
        if entry[0]:
            keys[scan] = tuple(int(v) for v in entry)
    modes = [(int(i), menu, int(off), part) for i, menu, off, part in re.findall(
        r'\{(\d+), "([^"]+)", (-?\d+), "%s    ([^"]+)"\}', text)]
    assert len(keys) == 45 and len(modes) == 24, "KeyMap.h no longer reads as expected"
    return keys, modes


def svg(width, height, parts):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}" font-family="{FONT}">\n'
            f'<rect width="{width}" height="{height}" fill="#ffffff"/>\n'
            + "\n".join(parts) + "\n</svg>\n")


def text(x, y, s, size=12, anchor="start", weight="normal", fill="#222"):
    s = s.replace("&", "&amp;").replace("<", "&lt;")
    return (f'<text x="{x}" y="{y}" font-size="{size}" text-anchor="{anchor}" '
            f'font-weight="{weight}" fill="{fill}">{s}</text>')


def key_cap(x, y, size, face, label, octave, name=None, dashed=False):
    """One key: face, degree label, octave dots (one above for the octave over
    middle C, one or two below for the octaves under it), key name in a corner."""
    dash = ' stroke-dasharray="5 3"' if dashed else ""
    cx, cy = x + size / 2, y + size / 2
    parts = [f'<rect x="{x}" y="{y}" width="{size}" height="{size}" rx="6" '
             f'fill="{face}" stroke="{BORDER}" stroke-width="1.5"{dash}/>',
             text(cx, cy + 6, label, 20, "middle", "bold")]
    dots = {6: [-18], 4: [14], 3: [14, 20]}.get(octave, [])
    parts += [f'<circle cx="{cx}" cy="{cy + dy}" r="2.4" fill="#000"/>' for dy in dots]
    if name:
        parts.append(text(x + 5, y + 13, name, 11, fill="#3060a0", weight="bold"))
    return "\n".join(parts)


def keyboard_svg(keys):
    size, half, left, top, gap = 56, 30, 20, 20, 8
    notes = {}
    for scan, (octave, degree, row, column) in keys.items():
        notes.setdefault((octave, degree), []).append((row, scan))
    parts = []
    for scan, (octave, degree, row, column) in sorted(keys.items()):
        same = notes[(octave, degree)]
        # Of two keys that sound one note, the one in a chromatic row repeats
        # its neighbour in the scale row: it gets the dashed outline.
        dashed = len(same) > 1 and row in (0, 3)
        face = TONIC if degree == 0 else WHITE
        parts.append(key_cap(left + column * half, top + row * (size + gap), size, face,
                             LABELS[degree], octave, KEY_NAMES[scan], dashed))
    width = left * 2 + 25 * half
    y = top + 4 * (size + gap) + 14
    legend = [
        (WHITE, "5", 5, "no dot: the octave that starts at middle C (the A key)"),
        (WHITE, "5", 6, "a dot above: one octave higher"),
        (WHITE, "5", 4, "a dot below: one octave lower; two dots: two octaves lower"),
        (TONIC, "1", 5, "the tonic 1; in C Major the A key is middle C"),
        (WHITE, "3", 5, "dashed: sounds the same note as another key"),
    ]
    for i, (face, label, octave, what) in enumerate(legend):
        lx, ly = left + (i % 2) * 380, y + (i // 2) * 50
        parts.append(key_cap(lx, ly, 44, face, label, octave, dashed=(i == 4)))
        parts.append(text(lx + 54, ly + 27, what, 12))
    return svg(width, y + 150, parts)


def signature_accidentals(offset):
    """Sharps (positive) or flats (negative) of the major scale that starts
    `offset` semitones above C: each step round the circle of fifths adds one."""
    fifths = (offset * 7) % 12
    return fifths if fifths <= 7 else fifths - 12


def staff(x, y, accidentals):
    """A five-line treble staff with the key signature on it."""
    step = 4  # half a line gap
    bottom = y + 32
    parts = [f'<line x1="{x}" y1="{bottom - 2 * step * i}" x2="{x + 82}" '
             f'y2="{bottom - 2 * step * i}" stroke="#444" stroke-width="1"/>' for i in range(5)]
    # Staff steps above the bottom line (E4 = 0) of the sharps and flats, in order.
    sharp_steps, flat_steps = [8, 5, 9, 6, 3, 7, 4], [4, 7, 3, 6, 2, 5, 1]
    steps = sharp_steps if accidentals > 0 else flat_steps
    for i in range(abs(accidentals)):
        ax, ay = x + 9 + 10 * i, bottom - steps[i] * step
        if accidentals > 0:
            parts.append(f'<path d="M{ax - 1.5},{ay - 7} v14 M{ax + 1.5},{ay - 8} v14 '
                         f'M{ax - 3.5},{ay - 1.5} l7,-2 M{ax - 3.5},{ay + 3.5} l7,-2" '
                         f'stroke="#000" stroke-width="1.3" fill="none"/>')
        else:
            parts.append(f'<path d="M{ax - 2},{ay - 10} V{ay + 3} C{ax + 5},{ay - 1} '
                         f'{ax + 3},{ay - 5} {ax - 2},{ay - 2}" stroke="#000" '
                         f'stroke-width="1.3" fill="none"/>')
    return "\n".join(parts)


def mode_row(x, y, mode):
    ident, menu, offset, part = mode
    minor = part.startswith("6=")
    # The tonic on the home row: A ("1") for a major key, H ("6") for a minor one.
    key, note = ("H", 69 + offset) if minor else ("A", 60 + offset)
    tonic = part[2:]  # "C", "#F", "bB", "c", "#f" ...
    name = f"{tonic[-1].upper()}{tonic[:-1]}{note // 12 - 1}"
    count = signature_accidentals(offset)
    marks = "none" if count == 0 else f"{abs(count)} {'sharp' if count > 0 else 'flat'}" \
        + ("s" if abs(count) > 1 else "")
    return "\n".join([
        text(x, y + 26, menu.strip(), 13, weight="bold"),
        text(x + 80, y + 26, part, 13, weight="bold", fill="#a02020"),
        text(x + 150, y + 26, f"{offset:+d}" if offset else "0", 12, "end"),
        staff(x + 160, y + 6, count),
        text(x + 252, y + 26, marks, 11),
        text(x + 312, y + 26, f"{key} = {name} ({note})", 11),
    ])


def keys_svg(modes):
    col, row_h, top = 420, 54, 54
    parts = []
    for c, title in enumerate(["Major keys", "Minor keys"]):
        x = 16 + c * col
        parts.append(text(x, 22, title, 15, weight="bold"))
        for head, hx, anchor in [("menu", 0, "start"), ("shows", 80, "start"),
                                 ("shift", 150, "end"), ("key signature", 160, "start"),
                                 ("tonic key", 312, "start")]:
            parts.append(text(x + hx, 44, head, 10, anchor, fill="#666"))
        group = [m for m in modes if (m[3].startswith("6=")) == bool(c)]
        for i, mode in enumerate(group):
            if i % 2 == 0:
                parts.append(f'<rect x="{x - 6}" y="{top + i * row_h}" width="{col - 14}" '
                             f'height="{row_h}" fill="#f2f4f8"/>')
            parts.append(mode_row(x, top + i * row_h + 4, mode))
    return svg(2 * col + 8, top + 12 * row_h + 12, parts)


def chords_svg():
    parts = []
    for i, (face, what) in enumerate([(BLUE, "played alone"), (RED, "Shift at the first key"),
                                      (GREEN, "Ctrl at the first key")]):
        x = 20 + i * 190
        parts.append(key_cap(x, 16, 56, face, "1", 5, "A"))
        parts.append(text(x + 66, 40, what, 12, weight="bold"))
        parts.append(text(x + 66, 58, ["as labelled", "one octave up", "one octave down"][i], 11))
    return svg(590, 88, parts)


def main():
    keys, modes = read_tables()
    for name, content in [("keyboard", keyboard_svg(keys)), ("keys", keys_svg(modes)),
                          ("chords", chords_svg())]:
        source = os.path.join(HERE, name + ".svg")
        with open(source, "w", encoding="utf-8") as f:
            f.write(content)
        subprocess.run(["rsvg-convert", "-o", os.path.join(HERE, name + ".png"), source],
                       check=True)


if __name__ == "__main__":
    main()
