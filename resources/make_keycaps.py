#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws keycaps.png: four 38 x 39 key caps side by side (white, light blue,
light red, light green), each a lightly tinted face in a dark border.

Run once from this folder: python3 make_keycaps.py. Uses only the standard
library, so the picture can be remade anywhere."""

import struct
import zlib

CAP_W, CAP_H = 38, 39
# Face colours: released, pressed at shift 0, +1, -1.
FACES = [(248, 248, 244), (176, 212, 255), (255, 182, 182), (184, 240, 184)]
BORDER = (36, 36, 40)


def shade(colour, factor):
    return tuple(max(0, min(255, int(c * factor))) for c in colour)


def cap_pixel(face, x, y):
    """One pixel of a cap: a dark rounded frame, a bevel just inside it (light
    top-left, dark bottom-right) and a face that darkens slightly downwards."""
    last_x, last_y = CAP_W - 1, CAP_H - 1
    corner = (x in (0, last_x)) and (y in (0, last_y))
    if corner:
        return shade(BORDER, 2.0)  # softens the frame's corners
    if x in (0, last_x) or y in (0, last_y):
        return BORDER
    if x == 1 or y == 1:
        return shade(face, 1.06)
    if x == last_x - 1 or y == last_y - 1:
        return shade(face, 0.72)
    if x == last_x - 2 or y == last_y - 2:
        return shade(face, 0.86)
    return shade(face, 1.0 - 0.06 * y / CAP_H)


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, rows):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", header))
        f.write(png_chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(png_chunk(b"IEND", b""))


def main():
    width = CAP_W * len(FACES)
    rows = [[cap_pixel(FACES[x // CAP_W], x % CAP_W, y) for x in range(width)]
            for y in range(CAP_H)]
    write_png("keycaps.png", width, CAP_H, rows)


if __name__ == "__main__":
    main()
