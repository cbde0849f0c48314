#!/usr/bin/env python3
"""Writes the seed DDS files of fuzz_dds next to this script: a 4x4 RGBA image with
mips, a BC1 cube map, and an array through the extended header."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def header(width, height, mips, pixel_format, caps2=0):
    flags = 0x1 | 0x2 | 0x4 | 0x1000 | (0x20000 if mips > 1 else 0)
    body = struct.pack("<7I", 124, flags, height, width, 0, 0, mips) + b"\0" * 44
    body += pixel_format + struct.pack("<5I", 0x1000, caps2, 0, 0, 0)
    return b"DDS " + body


rgba = struct.pack("<8I", 32, 0x41, 0, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000)
dxt1 = struct.pack("<2I", 32, 0x4) + b"DXT1" + b"\0" * 20
dx10 = struct.pack("<2I", 32, 0x4) + b"DX10" + b"\0" * 20

seeds = {
    "rgba_mips.dds": header(4, 4, 3, rgba) + bytes(range(64)) + bytes(16) + bytes(4),
    "bc1_cube.dds": header(4, 4, 1, dxt1, 0x200 | 0xFC00) + b"\x00\xf8\x1f\x00\0\0\0\0" * 6,
    "dx10_array.dds": header(2, 2, 1, dx10) + struct.pack("<5I", 28, 3, 0, 2, 0) + bytes(32),
}
for name, data in seeds.items():
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)
