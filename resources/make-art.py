#!/usr/bin/env python3
"""Draws the program's own artwork and writes it beside this script:

  HAND-M.CUR    the hand pointer (32x32 cursor, 32-bit colour with an AND mask, hotspot on
                the fingertip)
  tabulant.png  the application icon (256x256): a table card, an arrow, a database drum

Only the standard library is used, so the files can be remade anywhere:
    python3 resources/make-art.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------------------------------------
# The hand pointer. 'X' outline, 'o' fill, anything else transparent. The fingertip's top
# outline pixel is the hotspot.
HAND = [
    "......XX........................",
    ".....XooX.......................",
    ".....XooX.......................",
    ".....XooX.......................",
    ".....XooX.......................",
    ".....XooXXX.....................",
    ".....XooXooXXX..................",
    ".....XooXooXooXX................",
    ".....XooXooXooXoX...............",
    "..XX.XooXooXooXooX..............",
    ".XooXXooooooooXooX..............",
    ".XoooXoooooooooooX..............",
    "..XooXoooooooooooX..............",
    "...XoXoooooooooooX..............",
    "...XooooooooooooX...............",
    "....XoooooooooooX...............",
    "....XooooooooooX................",
    ".....XoooooooooX................",
    ".....XoooooooooX................",
    ".....XXXXXXXXXXX................",
]
HOTSPOT = (6, 0)


def cursor_bytes():
    size = 32
    rows = HAND + ["." * size] * (size - len(HAND))
    xor_rows, and_rows = [], []
    for line in reversed(rows):  # DIB rows run bottom-up
        xor = bytearray()
        mask_bits = 0
        for x, c in enumerate(line):
            if c == "X":
                xor += bytes((0, 0, 0, 255))
            elif c == "o":
                xor += bytes((255, 255, 255, 255))
            else:
                xor += bytes((0, 0, 0, 0))
                mask_bits |= 1 << (31 - x)
        xor_rows.append(bytes(xor))
        and_rows.append(struct.pack(">I", mask_bits))
    pixels = b"".join(xor_rows) + b"".join(and_rows)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels), 0, 0, 0, 0)
    image = info + pixels
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
    return header + entry + image


# ---------------------------------------------------------------------------------------------
# The icon: shapes described as inside-tests, rendered with 4x4 supersampling.
def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                hit = not hit
        return hit
    return inside


def icon_layers():
    red = (164, 38, 44, 255)
    white = (255, 255, 255, 255)
    grid = (222, 180, 182, 255)
    blue = (47, 98, 158, 255)
    light = (92, 145, 205, 255)
    amber = (238, 160, 40, 255)
    layers = []
    # The table card on the left.
    layers.append((rounded_rect(14, 40, 124, 196, 14), red))
    layers.append((rect(26, 70, 112, 184), white))
    for y in (98, 126, 154):
        layers.append((rect(26, y, 112, y + 3), grid))
    layers.append((rect(66, 70, 69, 184), grid))
    layers.append((rect(26, 70, 112, 80), (240, 214, 215, 255)))
    # The database drum on the right.
    layers.append((rect(146, 84, 242, 206), blue))
    layers.append((ellipse(194, 206, 48, 18), blue))
    layers.append((ellipse(194, 84, 48, 18), light))
    for y in (126, 166):
        band = ellipse(194, y, 48, 18)
        below = ellipse(194, y - 5, 48, 18)
        layers.append((lambda x, yy, b=band, u=below: b(x, yy) and not u(x, yy) and 146 <= x <= 242,
                       light))
    # The arrow across both.
    layers.append((polygon([(96, 124), (168, 124), (168, 100), (214, 142), (168, 184),
                            (168, 160), (96, 160)]), amber))
    return layers


def icon_png(size=256, ss=4):
    layers = icon_layers()
    raw = bytearray()
    for py in range(size):
        raw.append(0)
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(ss):
                for sx in range(ss):
                    x = px + (sx + 0.5) / ss
                    y = py + (sy + 0.5) / ss
                    colour = (0, 0, 0, 0)
                    for inside, c in layers:
                        if inside(x, y):
                            colour = c
                    a = colour[3] / 255.0
                    acc[0] += colour[0] * a
                    acc[1] += colour[1] * a
                    acc[2] += colour[2] * a
                    acc[3] += a
            n = ss * ss
            alpha = acc[3] / n
            if alpha > 0:
                rgb = [min(255, round(acc[i] / acc[3])) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            raw += bytes(rgb + [round(alpha * 255)])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


if __name__ == "__main__":
    with open(os.path.join(HERE, "HAND-M.CUR"), "wb") as f:
        f.write(cursor_bytes())
    with open(os.path.join(HERE, "tabulant.png"), "wb") as f:
        f.write(icon_png())
