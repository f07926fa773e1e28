#!/usr/bin/env python3
"""Draws the simulator's icons as small antialiased PNGs (run once; the PNGs are committed)."""
import math
import os
import struct
import sys
import zlib


def write_png(path, w, h, pixels):
    raw = b"".join(b"\x00" + bytes(v for p in pixels[y * w:(y + 1) * w] for v in p) for y in range(h))

    def chunk(tag, data):
        c = tag + data
        return struct.pack(">I", len(data)) + c + struct.pack(">I", zlib.crc32(c) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def render(w, h, layers, ss=4):
    """layers: list of (inside(x, y) -> bool, (r, g, b, a)), painted in order with 4x4 supersampling."""
    out = []
    for y in range(h):
        for x in range(w):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(ss):
                for sx in range(ss):
                    px, py = x + (sx + 0.5) / ss, y + (sy + 0.5) / ss
                    col = (0, 0, 0, 0)
                    for inside, c in layers:
                        if inside(px, py):
                            col = c
                    a = col[3] / 255.0
                    acc[0] += col[0] * a
                    acc[1] += col[1] * a
                    acc[2] += col[2] * a
                    acc[3] += a
            n = ss * ss
            a = acc[3] / n
            if a > 0:
                out.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(a * 255)),))
            else:
                out.append((0, 0, 0, 0))
    return out


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(pts):
    def inside(x, y):
        c = False
        n = len(pts)
        for i in range(n):
            (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % n]
            if (ya > y) != (yb > y) and x < (xb - xa) * (y - ya) / (yb - ya) + xa:
                c = not c
        return c
    return inside


def segment(xa, ya, xb, yb, half):
    def inside(x, y):
        dx, dy = xb - xa, yb - ya
        t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / (dx * dx + dy * dy)))
        return (x - xa - t * dx) ** 2 + (y - ya - t * dy) ** 2 <= half * half
    return inside


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def diff(f, g):
    return lambda x, y: f(x, y) and not g(x, y)


GREY = (139, 139, 139, 255)
HOVER = (14, 83, 110, 255)
WHITE = (255, 255, 255, 255)
DOT = (40, 40, 40, 255)


def indicators(d):
    for name, border, on in (("radio_off", GREY, False), ("radio_on", GREY, True),
                             ("radio_off_hover", HOVER, False), ("radio_on_hover", HOVER, True)):
        layers = [(disc(6.5, 6.5, 6), border), (disc(6.5, 6.5, 5), WHITE)]
        if on:
            layers.append((disc(6.5, 6.5, 2.6), DOT))
        write_png(os.path.join(d, name + ".png"), 13, 13, render(13, 13, layers))
    for name, border, on in (("check_off", GREY, False), ("check_on", GREY, True),
                             ("check_off_hover", HOVER, False), ("check_on_hover", HOVER, True)):
        layers = [(rect(0, 0, 13, 13), border), (rect(1, 1, 12, 12), WHITE)]
        if on:
            layers.append((union(segment(3, 6.5, 5.5, 9.5, 1.1), segment(5.5, 9.5, 10, 3.5, 1.1)), DOT))
        write_png(os.path.join(d, name + ".png"), 13, 13, render(13, 13, layers))


def icons(d):
    s = 40
    go = [(disc(20, 20, 18), (30, 140, 60, 255)), (disc(20, 20, 16), (60, 190, 90, 255)),
          (polygon([(15, 11), (30, 20), (15, 29)]), WHITE)]
    write_png(os.path.join(d, "go.png"), s, s, render(s, s, go))
    arc = diff(ring(20, 20, 10, 15), polygon([(20, 20), (40, 0), (40, 14)]))
    init = [(disc(20, 20, 18), (200, 110, 20, 255)), (disc(20, 20, 16), (240, 150, 40, 255)),
            (arc, WHITE), (polygon([(27, 6), (36, 13), (26, 17)]), WHITE)]
    write_png(os.path.join(d, "init.png"), s, s, render(s, s, init))
    hlp = [(disc(20, 20, 18), (30, 80, 160, 255)), (disc(20, 20, 16), (60, 120, 210, 255)),
           (disc(20, 11.5, 2.8), WHITE), (rect(17.5, 16.5, 22.5, 30), WHITE)]
    write_png(os.path.join(d, "help.png"), s, s, render(s, s, hlp))
    teeth = [segment(20 + 11 * math.cos(a), 20 + 11 * math.sin(a), 20 + 17 * math.cos(a), 20 + 17 * math.sin(a), 3)
             for a in (i * math.pi / 4 for i in range(8))]
    gear = [(union(disc(20, 20, 13), *teeth), (90, 95, 105, 255)), (disc(20, 20, 5.5), (0, 0, 0, 0))]
    write_png(os.path.join(d, "preferences.png"), s, s, render(s, s, gear))
    eye = lambda x, y: ((x - 20) / 17) ** 2 + ((y - 20) / 10) ** 2 <= 1
    view = [(eye, (70, 70, 80, 255)), (lambda x, y: ((x - 20) / 15.5) ** 2 + ((y - 20) / 8.5) ** 2 <= 1, WHITE),
            (disc(20, 20, 6.5), (40, 110, 170, 255)), (disc(20, 20, 3), DOT)]
    write_png(os.path.join(d, "view.png"), s, s, render(s, s, view))
    fold = [(polygon([(0, 0), (20, 0), (20, 20)]), (190, 190, 190, 255)),
            (polygon([(0, 0), (20, 20), (0, 20)]), (0, 0, 0, 0))]
    write_png(os.path.join(d, "pagefold.png"), 20, 20, render(20, 20, fold))


def logo(d):
    w, h = 200, 60
    layers = []
    # Four squares in the four state colours, then a bold "Z" made of bars.
    for i, c in enumerate(((40, 90, 220, 255), (235, 205, 30, 255), (40, 170, 70, 255), (245, 245, 245, 255))):
        x0 = 4 + (i % 2) * 26
        y0 = 4 + (i // 2) * 26
        layers.append((rect(x0, y0, x0 + 22, y0 + 22), c))
    layers.append((rect(66, 8, 106, 16), WHITE))
    layers.append((rect(66, 44, 106, 52), WHITE))
    layers.append((segment(103, 14, 69, 46, 4.5), WHITE))
    layers.append((rect(116, 27, 196, 33), (200, 200, 205, 255)))
    write_png(os.path.join(d, "Logo.png"), w, h, render(w, h, layers, ss=2))


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "images")
    os.makedirs(out, exist_ok=True)
    indicators(out)
    icons(out)
    logo(out)
