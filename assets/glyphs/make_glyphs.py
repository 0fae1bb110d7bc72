#!/usr/bin/env python3
"""Draws the six button glyphs of the band: 24-bit BMP files beside this script.

Four 18 x 18 glyphs for the transport buttons and two 14 x 14 arrows for the
volume buttons. Every pixel that is not part of the symbol, the bottom-left one
included, is RGB (0, 36, 255): the colour the buttons treat as see-through.
Run it from anywhere; it rewrites the files only when their bytes change.
"""
import os
import struct

BACKGROUND = (0, 36, 255)
WHITE = (255, 255, 255)


class Glyph:
    def __init__(self, size):
        self.size = size
        self.px = [[BACKGROUND] * size for _ in range(size)]

    def put(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # right and bottom exclusive
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, c)

    def bmp(self):
        n = self.size
        stride = (n * 3 + 3) & ~3
        pixels = bytearray()
        for row in reversed(self.px):  # bottom-up
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
            pixels += line + b"\0" * (stride - len(line))
        header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, n, n, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
        return header + info + bytes(pixels)


def tint(t):
    """Grey-blue from (212, 220, 240) at t = 0 to (241, 244, 250) at t = 1."""
    lo, hi = (212, 220, 240), (241, 244, 250)
    return tuple(round(a + (b - a) * t) for a, b in zip(lo, hi))


def triangle_right(g, x0, y0, height, colour):
    """A triangle pointing right: its left edge is a column of `height` pixels."""
    half = height // 2
    for i in range(half + 1):
        g.rect(x0 + i, y0 + i, x0 + i + 1, y0 + height - i, colour(i) if callable(colour) else colour)


def triangle_left(g, x1, y0, height, colour):
    """A triangle pointing left: its right edge (column x1 - 1) is `height` high."""
    half = height // 2
    for i in range(half + 1):
        g.rect(x1 - 1 - i, y0 + i, x1 - i, y0 + height - i, colour)


def prev_glyph():
    g = Glyph(18)
    g.rect(3, 3, 5, 15, WHITE)        # the bar at the left
    triangle_left(g, 15, 3, 12, WHITE)
    return g


def next_glyph():
    g = Glyph(18)
    triangle_right(g, 3, 3, 12, WHITE)
    g.rect(13, 3, 15, 15, WHITE)      # the bar at the right
    return g


def play_pause_glyph():
    g = Glyph(18)
    # The triangle at the lower left, lightening towards its tip.
    triangle_right(g, 2, 6, 10, lambda i: tint(i / 5))
    # Two short bars at the upper right.
    for x0 in (10, 14):
        for y in range(2, 10):
            g.rect(x0, y, x0 + 2, y + 1, tint((y - 2) / 7))
    return g


def stop_glyph():
    g = Glyph(18)
    for y in range(3, 15):
        for x in range(3, 15):
            g.put(x, y, tint(((x - 3) + (y - 3)) / 22))
    return g


def arrow_glyph(up):
    """A 14 x 14 volume arrow in neutral greys with a mid-grey upper outline."""
    g = Glyph(14)
    rows = []  # (y, x0, x1) of the filled arrow, top to bottom
    for i in range(6):  # the head: a triangle six rows high
        rows.append((i, 6 - i, 8 + i))
    for y in range(6, 11):  # the shaft
        rows.append((y, 5, 9))
    if not up:
        rows = [(12 - y, x0, x1) for y, x0, x1 in rows]
    top = min(y for y, _, _ in rows)
    bottom = max(y for y, _, _ in rows)
    for y, x0, x1 in rows:
        shade = 238 + round(10 * (y - top) / max(1, bottom - top))
        g.rect(x0, y + 1, x1, y + 2, (shade, shade, shade))
    # The outline along the upper side of each column of the symbol.
    outline = (122, 122, 122)
    for x in range(14):
        ys = [y + 1 for y, x0, x1 in rows if x0 <= x < x1]
        if ys:
            g.put(x, min(ys) - 1, outline)
    return g


GLYPHS = {
    "prev.bmp": prev_glyph,
    "play_pause.bmp": play_pause_glyph,
    "stop.bmp": stop_glyph,
    "next.bmp": next_glyph,
    "vol_down.bmp": lambda: arrow_glyph(False),
    "vol_up.bmp": lambda: arrow_glyph(True),
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, make in GLYPHS.items():
        data = make().bmp()
        path = os.path.join(here, name)
        try:
            with open(path, "rb") as f:
                if f.read() == data:
                    continue
        except FileNotFoundError:
            pass
        with open(path, "wb") as f:
            f.write(data)
        print(f"wrote {name} ({len(data)} bytes)")


if __name__ == "__main__":
    main()
