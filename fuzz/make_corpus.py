#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the seed corpus for fuzz_load_performance: a few valid performance
files and a few that each trip one check of the loader."""
import os
import struct
import sys


def chunk(cid, body, claimed=None):
    size = len(body) if claimed is None else claimed
    return cid + struct.pack("<I", size) + body + (b"\0" if len(body) % 2 else b"")


def form(ftype, children):
    return chunk(b"RIFF", ftype + children)


def header(count, mode=1297, bourdon=0):
    return chunk(b"fmt ", struct.pack("<6I", count, mode, bourdon, 0, 0, 0))


def records(count):
    out = b""
    for i in range(count):
        scan = 16 + i % 30
        out += struct.pack("<IIIi", 40 * i, 256 + i % 2, (scan << 16) | 1, i % 3 - 1)
    return out


INFO = chunk(b"LIST", b"INFO" + chunk(b"ISFT", b"TG by Vrel\0") + chunk(b"ISCD", b"2024-05-01\0"))

SEEDS = {
    "valid-1": form(b"TG  ", INFO + header(1) + chunk(b"data", records(1))),
    "valid-6-bourdon": form(b"TG  ", INFO + header(6, 1320, 1) + chunk(b"data", records(6))),
    "valid-extra-chunks": form(b"TG  ", chunk(b"junk", b"abc") + header(2, 1298, 2)
                               + chunk(b"note", b"x") + chunk(b"data", records(2)) + INFO),
    "empty-take": form(b"TG  ", INFO + header(0) + chunk(b"data", b"")),
    "wave-form": form(b"WAVE", chunk(b"fmt ", struct.pack("<4I", 1, 2, 3, 4)) + chunk(b"data", b"")),
    "fmt-16": form(b"TG  ", chunk(b"fmt ", struct.pack("<4I", 1, 1297, 0, 0))),
    "data-before-fmt": form(b"TG  ", chunk(b"data", records(1)) + header(1)),
    "count-wraps": form(b"TG  ", header(0x10000000) + chunk(b"data", b"")),
    "cut-records": form(b"TG  ", INFO + header(3) + chunk(b"data", records(3)))[:-8],
    "oversized-chunk": form(b"TG  ", chunk(b"junk", b"ab", 0xFFFFFFF0) + header(1)),
    "mode-1333": form(b"TG  ", header(1, 1333) + chunk(b"data", records(1))),
}

folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
os.makedirs(folder, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(folder, name + ".tgi"), "wb") as f:
        f.write(data)
