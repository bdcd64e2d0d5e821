#!/usr/bin/env python3
"""Draws the small button icons of both programs as PNG files.

Each icon is a list of layers (a colour and a shape test on a 32 by 32
canvas); four samples a pixel smooth the edges. Run it from the project
folder after changing a drawing: python3 tools/make_icons.py
"""
import math
import struct
import zlib
from pathlib import Path

SIZE = 32
OUT = Path(__file__).resolve().parent.parent / "common" / "resources" / "icons"


def write_png(path, pixels):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def render(layers):
    pixels = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            r = g = b = a = 0.0
            for sx in (0.25, 0.75):
                for sy in (0.25, 0.75):
                    px, py = x + sx, y + sy
                    colour = None
                    for rgba, test in layers:
                        if test(px, py):
                            colour = rgba
                    if colour:
                        r += colour[0] * colour[3] / 255
                        g += colour[1] * colour[3] / 255
                        b += colour[2] * colour[3] / 255
                        a += colour[3]
            a /= 4
            if a > 0:
                scale = 255 / (a * 4)
                row.append((min(255, round(r * scale)), min(255, round(g * scale)), min(255, round(b * scale)), round(a)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def rect(l, t, r, b):
    return lambda x, y: l <= x < r and t <= y < b


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def ring(cx, cy, outer, inner):
    return lambda x, y: inner ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= outer ** 2


def polygon(points):
    def inside(x, y):
        hit = False
        for i in range(len(points)):
            (x1, y1), (x2, y2) = points[i], points[(i + 1) % len(points)]
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                hit = not hit
        return hit
    return inside


def union(*tests):
    return lambda x, y: any(t(x, y) for t in tests)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


INK = (40, 48, 60, 255)
WHITE = (255, 255, 255, 255)
BLUE = (46, 120, 210, 255)
GREEN = (46, 150, 90, 255)
YELLOW = (240, 190, 60, 255)
RED = (210, 60, 50, 255)
GREY = (120, 128, 140, 255)
PAPER = (250, 250, 246, 255)


def gear():
    def teeth(x, y):
        angle = math.atan2(y - 16, x - 16)
        radius = math.hypot(x - 16, y - 16)
        return radius <= (14 if math.cos(angle * 8) > 0.3 else 11)
    return minus(teeth, circle(16, 16, 5))


def page(l, t):
    return union(rect(l, t, l + 16, t + 20))


ICONS = {
    "open": [
        ((200, 150, 40, 255), union(rect(3, 7, 13, 11), rect(3, 10, 28, 26))),
        (YELLOW, polygon([(6, 14), (30, 14), (27, 26), (3, 26)])),
    ],
    "update": [
        (GREEN, minus(ring(16, 16, 12, 7), polygon([(16, 16), (30, 4), (30, 16)]))),
        (GREEN, polygon([(21, 2), (31, 12), (19, 14)])),
    ],
    "autosize": [
        (BLUE, rect(8, 14, 24, 18)),
        (BLUE, polygon([(2, 16), (10, 8), (10, 24)])),
        (BLUE, polygon([(30, 16), (22, 8), (22, 24)])),
        (INK, union(rect(1, 4, 3, 28), rect(29, 4, 31, 28))),
    ],
    "copy": [
        (INK, rect(4, 3, 21, 24)), (PAPER, rect(5, 4, 20, 23)),
        (INK, rect(11, 8, 28, 29)), (PAPER, rect(12, 9, 27, 28)),
        (GREY, union(rect(14, 13, 25, 14), rect(14, 17, 25, 18), rect(14, 21, 22, 22))),
    ],
    "config": [(GREY, gear())],
    "tag": [
        (GREEN, minus(union(rect(12, 8, 30, 24), polygon([(2, 16), (12, 6), (12, 26)])), circle(9, 16, 2.2))),
        (WHITE, union(rect(15, 12, 27, 14), rect(15, 18, 24, 20))),
    ],
    "about": [
        (BLUE, circle(16, 16, 14)),
        (WHITE, union(circle(16, 9, 2.2), rect(14, 13, 18, 25))),
    ],
    "stop": [(RED, polygon([(10, 2), (22, 2), (30, 10), (30, 22), (22, 30), (10, 30), (2, 22), (2, 10)])),
             (WHITE, rect(9, 14, 23, 18))],
    "exit": [
        (INK, rect(6, 3, 22, 29)), ((150, 100, 60, 255), rect(7, 4, 21, 28)),
        (YELLOW, circle(18, 16, 1.5)),
        (RED, polygon([(20, 14), (26, 14), (26, 10), (31, 16), (26, 22), (26, 18), (20, 18)])),
    ],
    "paste": [
        ((150, 100, 60, 255), rect(5, 5, 25, 29)), (GREY, rect(10, 2, 20, 8)),
        (INK, rect(12, 11, 29, 31)), (PAPER, rect(13, 12, 28, 30)),
        (GREY, union(rect(15, 16, 26, 17), rect(15, 20, 26, 21), rect(15, 24, 23, 25))),
    ],
    "untag": [
        (GREEN, minus(union(rect(12, 8, 30, 24), polygon([(2, 16), (12, 6), (12, 26)])), circle(9, 16, 2.2))),
        (RED, union(polygon([(6, 4), (10, 4), (28, 28), (24, 28)]), polygon([(24, 4), (28, 4), (10, 28), (6, 28)]))),
    ],
    "comment": [
        (GREEN, minus(union(rect(12, 8, 30, 24), polygon([(2, 16), (12, 6), (12, 26)])), circle(9, 16, 2.2))),
        (INK, polygon([(18, 10), (23, 10), (19, 22), (16, 22)])),
    ],
    "help": [
        (BLUE, circle(16, 16, 14)),
        (WHITE, union(minus(ring(16, 12, 6, 3), rect(9, 12, 16, 20)), rect(14, 16, 18, 21), circle(16, 25, 2))),
    ],
    "web": [
        (BLUE, circle(16, 16, 14)),
        (WHITE, union(ring(16, 16, 14, 12.5), rect(2, 15, 30, 17), rect(15, 2, 17, 30),
                      lambda x, y: abs(((x - 16) / 7) ** 2 + ((y - 16) / 14) ** 2 - 1) < 0.12)),
    ],
    "donate": [
        (RED, union(circle(11, 12, 6.5), circle(21, 12, 6.5), polygon([(5, 15), (27, 15), (16, 28)]))),
    ],
    "mail": [
        (INK, rect(3, 7, 29, 25)), (PAPER, rect(4, 8, 28, 24)),
        (GREY, lambda x, y: abs((y - 8) - abs(x - 16) * 0.62) < 0.9 and y < 18),
    ],
    "folder": [
        ((200, 150, 40, 255), union(rect(3, 7, 13, 11), rect(3, 10, 28, 26))),
        (YELLOW, rect(3, 13, 28, 26)),
    ],
}


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    for name, layers in ICONS.items():
        write_png(OUT / f"{name}.png", render(layers))


if __name__ == "__main__":
    main()
