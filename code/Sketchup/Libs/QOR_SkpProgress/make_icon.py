#!/usr/bin/env python3
"""Draws the program icon and writes res/QOR_SkpProgress.ico.

The artwork is a floor plan above a half-filled progress bar on a blue tile.
Only the standard library is used, and the output is byte-for-byte repeatable,
so the committed .ico can be checked against a fresh run:

    python3 make_icon.py [output.ico]
"""
import os
import struct
import sys
import zlib

SIZES = (256, 128, 64, 48, 32, 16)
SUPERSAMPLE = 4


def rounded_rect(x, y, x0, y0, x1, y1, r):
    """True when (x, y) lies inside the rectangle with corners rounded by r."""
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def wall(x, y):
    """The floor plan: an outer room split by a wall with a doorway."""
    t = 0.05
    outer = 0.20 <= x <= 0.80 and 0.14 <= y <= 0.60
    inner = 0.20 + t < x < 0.80 - t and 0.14 + t < y < 0.60 - t
    if outer and not inner:
        return True
    # Partition with a doorway near the bottom.
    return 0.49 <= x <= 0.49 + t and 0.14 <= y <= 0.40


def shade(x, y):
    """Colour (r, g, b, a) of the artwork at unit coordinates (x, y)."""
    if not rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.18):
        return (0, 0, 0, 0)
    if wall(x, y):
        return (255, 255, 255, 255)
    if rounded_rect(x, y, 0.16, 0.70, 0.84, 0.86, 0.05):
        if x <= 0.58 and rounded_rect(x, y, 0.19, 0.73, 0.81, 0.83, 0.035):
            return (90, 200, 90, 255)
        return (235, 240, 245, 255)
    # Vertical gradient on the tile.
    r = int(44 - 24 * y)
    g = int(120 - 50 * y)
    b = int(210 - 60 * y)
    return (r, g, b, 255)


def render(size):
    """Rows of premultiplied-then-averaged RGBA pixels, top row first."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    r, g, b, a = shade(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3]
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((acc[0] // a, acc[1] // a, acc[2] // a, a // (n * n)))
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    """32-bit BGRA bitmap, bottom-up, followed by the 1-bit AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for i, p in enumerate(row):
            if p[3] == 0:
                line[i // 8] |= 0x80 >> (i % 8)
        mask += line
    return header + pixels + bytes(mask)


def build_ico():
    images = []
    for size in SIZES:
        rows = render(size)
        # The largest image is stored as PNG, as is usual, to keep the file small.
        images.append((size, png(rows) if size >= 256 else dib(rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size  # 0 stands for 256
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "res", "QOR_SkpProgress.ico")
    with open(target, "wb") as f:
        f.write(build_ico())


if __name__ == "__main__":
    main()
