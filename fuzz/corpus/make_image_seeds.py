#!/usr/bin/env python3
"""Writes the hand-made seeds of fuzz_image_file and fuzz_bmp_file: tiny pictures in the
formats the image library reads whose writers ffmpeg lacks or writes only one way.
  python3 fuzz/corpus/make_image_seeds.py
(make_content_seeds.sh runs it, and adds PNG, JPEG and GIF from ffmpeg.)"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 5, 3  # odd width: BMP rows need padding


def pixel(x, y):
    return (40 * x) & 255, (80 * y) & 255, (x * y * 30) & 255, 255 - 20 * x


def bmp(bits, top_down, bitfields=False):
    bpp = bits // 8
    stride = (W * bpp + 3) & ~3
    rows = []
    for y in (range(H) if top_down else reversed(range(H))):
        row = b"".join(bytes((b, g, r) if bpp == 3 else (b, g, r, a))
                       for r, g, b, a in (pixel(x, y) for x in range(W)))
        rows.append(row + b"\0" * (stride - len(row)))
    masks = struct.pack("<4I", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000) if bitfields else b""
    header_size = 40 + len(masks)
    info = struct.pack("<IiiHHIIiiII", 40, W, -H if top_down else H, 1, bits, 3 if bitfields else 0,
                       stride * H, 2835, 2835, 0, 0) + masks
    offset = 14 + header_size
    data = b"".join(rows)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + data


def tga(rle):
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10 if rle else 2, 0, 0, 0, 0, 0, W, H, 32, 8)
    body = b""
    for y in range(H):
        row = [bytes((b, g, r, a)) for r, g, b, a in (pixel(x, y) for x in range(W))]
        if rle:
            body += bytes((0x80 | 1,)) + row[0] + bytes((W - 3,)) + b"".join(row[2:])
        else:
            body += b"".join(row)
    return header + body


def hdr():
    lines = b"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y %d +X %d\n" % (H, W)
    return lines + b"".join(bytes((r, g, b, 128)) for r, g, b, _ in (pixel(x, y) for y in range(H) for x in range(W)))


def psd():
    header = b"8BPS" + struct.pack(">H6xHIIHH", 1, 3, H, W, 8, 3)
    planes = b"".join(bytes(pixel(x, y)[c] for y in range(H) for x in range(W)) for c in range(3))
    return header + struct.pack(">III", 0, 0, 0) + struct.pack(">H", 0) + planes


def pgm():
    return b"P5\n%d %d\n255\n" % (W, H) + bytes(pixel(x, y)[0] for y in range(H) for x in range(W))


def write(folder, name, data):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    with open(os.path.join(HERE, folder, name), "wb") as f:
        f.write(data)


for folder in ("fuzz_image_file", "fuzz_bmp_file"):
    write(folder, "rgb24.bmp", bmp(24, False))
    write(folder, "bgra32_top_down.bmp", bmp(32, True))
    write(folder, "bitfields32.bmp", bmp(32, False, bitfields=True))
write("fuzz_image_file", "rgba.tga", tga(False))
write("fuzz_image_file", "rle.tga", tga(True))
write("fuzz_image_file", "flat.hdr", hdr())
write("fuzz_image_file", "rgb.psd", psd())
write("fuzz_image_file", "grey.pgm", pgm())
