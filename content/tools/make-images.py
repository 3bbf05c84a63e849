#!/usr/bin/env python3
"""Draws the editor's stock images into content/Graphics as small PNGs.

Run it again after changing a recipe; the PNGs are committed so the build
needs no Python.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "Graphics")


def write_png(path, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        f.write(chunk(b"IEND", b""))


def solid(r, g, b, a=255):
    return lambda x, y: (r, g, b, a)


def checker(c1, c2, cell):
    return lambda x, y: c1 if ((x // cell) + (y // cell)) % 2 == 0 else c2


def stripes(c1, c2, width):
    return lambda x, y: c1 if (x // width) % 2 == 0 else c2


def bricks(x, y):
    mortar = (200, 200, 190, 255)
    brick = (170, 60, 40, 255)
    row = y // 8
    offset = 8 if row % 2 else 0
    if y % 8 == 7 or (x + offset) % 16 == 15:
        return mortar
    return brick


def hedge(x, y):
    shade = 90 + ((x * 7 + y * 13) % 5) * 20
    return (20, shade, 30, 255)


def marker(r, g, b):
    def pixel(x, y):
        dx, dy = x - 31.5, y - 31.5
        inside = dx * dx + dy * dy <= 30 * 30
        ring = 22 * 22 <= dx * dx + dy * dy
        if not inside:
            return (0, 0, 0, 0)
        return (255, 255, 255, 255) if ring else (r, g, b, 255)
    return pixel


IMAGES = {
    "greyPixel200a": (2, 2, solid(128, 128, 128, 200)),
    "pink": (8, 8, solid(255, 105, 180)),
    "lightgrey": (8, 8, solid(211, 211, 211)),
    "lightgreypixel": (1, 1, solid(200, 200, 200)),
    "hedge3": (32, 32, hedge),
    "Espawn": (64, 64, marker(200, 30, 30)),
    "Tspawn": (64, 64, marker(30, 60, 200)),
    "bricks": (32, 32, bricks),
    "grass": (16, 16, stripes((60, 160, 50, 255), (80, 190, 60, 255), 2)),
    "water": (16, 16, stripes((30, 90, 200, 255), (50, 120, 230, 255), 4)),
    "stone": (16, 16, checker((110, 110, 120, 255), (140, 140, 150, 255), 4)),
    "sand": (8, 8, solid(230, 200, 120)),
}

if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, (w, h, pixel) in IMAGES.items():
        write_png(os.path.join(OUT, name + ".png"), w, h, pixel)
