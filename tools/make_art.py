#!/usr/bin/env python3
"""Draws the installer's pictures: the background emblem (a 24-bit picture,
a 16-colour picture and their mask) and the program icon. Run it to
regenerate resources/art/; the files it writes are committed."""
import math
import os
import struct
import sys

W, H = 200, 150
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
         (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def emblem(x, y, cx, cy, r):
    """Colour of a compact disc lying on a box at (x, y), or None for background."""
    dx, dy = x - cx, y - cy
    d = math.hypot(dx, dy)
    # the box the disc rests on
    bx0, by0, bx1, by1 = cx - r * 0.9, cy + r * 0.35, cx + r * 1.25, cy + r * 1.05
    in_box = bx0 <= x <= bx1 and by0 <= y <= by1
    if d <= r:
        if d < r * 0.14:
            return None  # the hole
        if d < r * 0.3:
            return (200, 205, 215)
        a = math.atan2(dy, dx)
        sheen = 0.5 + 0.5 * math.cos(2 * a)
        rim = 1.0 - 0.35 * (d / r) ** 6
        base = (150 + 90 * sheen, 170 + 70 * math.cos(2 * a + 1.0) ** 2, 210 + 40 * sheen)
        return tuple(max(0, min(255, int(c * rim))) for c in base)
    if in_box:
        t = (x - bx0) / (bx1 - bx0)
        edge = y < by0 + 4
        if edge:
            return (250, 210, 90)
        return (int(220 - 60 * t), int(150 - 50 * t), int(40 - 20 * t))
    return None


def render(w, h):
    cx, cy, r = w * 0.45, h * 0.42, min(w, h) * 0.36
    return [[emblem(x + 0.5, y + 0.5, cx, cy, r) for x in range(w)] for y in range(h)]


def nearest16(c):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(c, VGA16[i])))


def bmp(path, pixels, bits):
    h, w = len(pixels), len(pixels[0])
    rows = []
    for row in reversed(pixels):
        if bits == 24:
            data = b"".join(bytes((c[2], c[1], c[0])) for c in row)
        else:  # 4-bit palette indices
            idx = [nearest16(c) for c in row] + [0]
            data = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, w, 2))
        rows.append(data + b"\0" * ((-len(data)) % 4))
    image = b"".join(rows)
    palette = b"" if bits == 24 else b"".join(bytes((b, g, r, 0)) for r, g, b in VGA16)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(image), 2835, 2835,
                       0 if bits == 24 else 16, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + image)


def icon(path, size=32):
    px = render(size, size)
    xor = b"".join(b"".join(bytes((c[2], c[1], c[0], 255)) if c else b"\0\0\0\0" for c in row)
                   for row in reversed(px))
    mask_rows = []
    for row in reversed(px):
        bits = 0
        out = bytearray()
        for i, c in enumerate(row):
            bits = (bits << 1) | (0 if c else 1)
            if i % 8 == 7:
                out.append(bits)
                bits = 0
        mask_rows.append(bytes(out) + b"\0" * ((-len(out)) % 4))
    andmask = b"".join(mask_rows)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    data = info + xor + andmask
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), 22))
        f.write(data)


def main(out):
    os.makedirs(out, exist_ok=True)
    px = render(W, H)
    black, white = (0, 0, 0), (255, 255, 255)
    # picture: black where the background shows; mask: white there, black under the picture
    picture = [[c if c else black for c in row] for row in px]
    mask = [[black if c else white for c in row] for row in px]
    bmp(os.path.join(out, "picture256.bmp"), picture, 24)
    bmp(os.path.join(out, "picture16.bmp"), picture, 4)
    bmp(os.path.join(out, "mask.bmp"), mask, 24)
    icon(os.path.join(out, "setup.ico"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "art"))
