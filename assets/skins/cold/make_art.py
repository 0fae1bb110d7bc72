#!/usr/bin/env python3
"""Draws the pixel art of the "Cold (internal)" skin: Master.bmp and ButtonHuge.bmp.

Run it from anywhere; it writes the two files beside itself. The art is a
charcoal panel, light grey text and glyphs, and hot faces that run from cool
grey to near black. Magenta (255, 0, 255) marks pixels where the background
shows through. Every region the options file names is drawn here at the same
coordinates.
"""
import os
import struct

MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)


def grey(v):
    return (v, v, v)


# Palettes: how a grey level of the cold art is painted. Masks never go
# through them. "chalk" (for light taskbars) turns the art's lightness round
# with a warm tint; "graphite" (for dark ones) keeps it, tinted blue.
def _clip(v):
    return max(0, min(255, round(v)))


PALETTES = {
    "cold": lambda v: (v, v, v),
    "chalk": lambda v: (_clip(255 - v * 0.78), _clip(253 - v * 0.8), _clip(248 - v * 0.84)),
    "graphite": lambda v: (_clip(v * 0.82), _clip(v * 0.92 + 2), _clip(v * 1.08 + 10)),
}
tone = PALETTES["cold"]


def use_palette(name):
    global tone, CHARCOAL, EDGE_DARK, EDGE_MID, EDGE_LIGHT, TEXT, FIELD
    tone = PALETTES[name]
    CHARCOAL = tone(0x3B)      # the panel
    EDGE_DARK = tone(0x21)     # outer lines, pressed faces
    EDGE_MID = tone(0x52)      # raised highlights
    EDGE_LIGHT = tone(0x80)    # hot outlines
    TEXT = tone(0xC0)          # glyphs and text
    FIELD = tone(0x2A)         # sunken fields


use_palette("cold")


class Canvas:
    def __init__(self, w, h, fill=MAGENTA):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # exclusive right/bottom
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1):
            self.put(x, y0, c)
            self.put(x, y1 - 1, c)
        for y in range(y0, y1):
            self.put(x0, y, c)
            self.put(x1 - 1, y, c)

    def save(self, path):
        colours = sorted({c for row in self.px for c in row})
        assert len(colours) <= 256, len(colours)
        index = {c: i for i, c in enumerate(colours)}
        stride = (self.w + 3) & ~3
        pixels = bytearray()
        for row in reversed(self.px):  # bottom-up
            line = bytes(index[c] for c in row)
            pixels += line + b"\0" * (stride - self.w)
        palette = bytearray()
        for i in range(256):
            r, g, b = colours[i] if i < len(colours) else (0, 0, 0)
            palette += bytes((b, g, r, 0))
        offset = 14 + 40 + len(palette)
        header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 8, 0, len(pixels), 2835, 2835,
                           len(colours), len(colours))
        with open(path, "wb") as f:
            f.write(header + info + palette + pixels)


def lerp(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


# ---- pieces ---------------------------------------------------------------

def rounded_corners(cv, x0, y0, w, h):
    for (cx, cy) in ((x0, y0), (x0 + w - 1, y0), (x0, y0 + h - 1), (x0 + w - 1, y0 + h - 1)):
        cv.put(cx, cy, MAGENTA)


def panel_border(cv, x0, y0, w, h):
    """Charcoal panel, a dark outline and a soft inner highlight; 6-pixel border."""
    cv.rect(x0, y0, x0 + w, y0 + h, CHARCOAL)
    cv.frame(x0, y0, x0 + w, y0 + h, EDGE_DARK)
    for x in range(x0 + 1, x0 + w - 1):
        cv.put(x, y0 + 1, EDGE_MID)
    for y in range(y0 + 1, y0 + h - 1):
        cv.put(x0 + 1, y, EDGE_MID)
    rounded_corners(cv, x0, y0, w, h)


def button_frames(cv, x0, y0, fw, fh):
    """Three frames (normal, hot, pressed) with their mask half below.
    Mask black = image, white = background."""
    looks = [(EDGE_MID, grey(160)), (EDGE_LIGHT, BLACK), (EDGE_DARK, BLACK)]
    for i, (edge, mask_edge) in enumerate(looks):
        fx = x0 + i * fw
        cv.rect(fx, y0, fx + fw, y0 + fh, CHARCOAL)
        cv.frame(fx, y0, fx + fw, y0 + fh, edge)
        if i == 2:  # pressed: a dark inner shadow at top and left
            for x in range(fx + 1, fx + fw - 1):
                cv.put(x, y0 + 1, tone(0x2A))
            for y in range(y0 + 1, y0 + fh - 1):
                cv.put(fx + 1, y, tone(0x2A))
        rounded_corners(cv, fx, y0, fw, fh)
        my = y0 + fh
        cv.rect(fx, my, fx + fw, my + fh, WHITE)
        cv.frame(fx, my, fx + fw, my + fh, mask_edge)
        if i == 2:
            for x in range(fx + 1, fx + fw - 1):
                cv.put(x, my + 1, BLACK)
            for y in range(my + 1, my + fh - 1):
                cv.put(fx + 1, y, BLACK)
        rounded_corners(cv, fx, my, fw, fh)


def sunken_field(cv, x0, y0, w, h):
    cv.rect(x0, y0, x0 + w, y0 + h, FIELD)
    cv.frame(x0, y0, x0 + w, y0 + h, EDGE_DARK)
    for x in range(x0 + 1, x0 + w - 1):
        cv.put(x, y0 + h - 1, EDGE_MID)
    for y in range(y0 + 1, y0 + h):
        cv.put(x0 + w - 1, y, EDGE_MID)


def glyph(cv, x0, y0, w, h, pattern, colour):
    rows = pattern.strip("\n").split("\n")
    oy = y0 + (h - len(rows)) // 2
    ox = x0 + (w - len(rows[0])) // 2
    for j, row in enumerate(rows):
        for i, ch in enumerate(row):
            if ch == "#":
                cv.put(ox + i, oy + j, colour)


CLOSE = """
#.....#
.#...#.
..#.#..
...#...
..#.#..
.#...#.
#.....#
"""
MAXIMIZE = """
#######
#######
#.....#
#.....#
#.....#
#.....#
#######
"""
MINIMIZE = """
.......
.......
.......
.......
.......
#######
#######
"""
RESTORE = """
..#####
..#...#
#####.#
#####.#
#...###
#...#..
#####..
"""
HELP = """
..###..
.#...#.
.....#.
....#..
...#...
.......
...#...
"""
ARROW_DOWN = """
#####
.###.
..#..
"""
ARROW_UP = """
..#..
.###.
#####
"""
ARROW_LEFT = """
..#
.##
###
.##
..#
"""
ARROW_RIGHT = """
#..
##.
###
##.
#..
"""
TICK = """
......#
.....##
#...##.
##.##..
.###...
..#....
"""
SMALL_TICK = """
....#
#..##
.##..
..#..
"""
GRIP = """
#.#
...
#.#
...
#.#
"""


def title_icon(cv, x0, y0, pattern):
    """Three 15x13 frames: normal, hot, pressed."""
    for i, c in enumerate((TEXT, tone(0xFF), tone(0x90))):
        fx = x0 + i * 15
        if i == 1:
            cv.rect(fx + 1, y0 + 1, fx + 14, y0 + 12, EDGE_MID)
        if i == 2:
            cv.rect(fx + 1, y0 + 1, fx + 14, y0 + 12, EDGE_DARK)
        glyph(cv, fx, y0, 15, 13, pattern, c)


def check_box(cv, x0, y0, size, mark, colour, round_box=False):
    cv.rect(x0, y0, x0 + size, y0 + size, FIELD)
    cv.frame(x0, y0, x0 + size, y0 + size, EDGE_LIGHT)
    if round_box:
        rounded_corners(cv, x0, y0, size, size)
        for (dx, dy) in ((1, 0), (0, 1), (size - 2, 0), (size - 1, 1), (0, size - 2), (1, size - 1),
                         (size - 2, size - 1), (size - 1, size - 2)):
            cv.put(x0 + dx, y0 + dy, MAGENTA)
    if mark == "tick":
        glyph(cv, x0, y0, size, size, TICK if size > 10 else SMALL_TICK, colour)
    elif mark == "dot":
        c = size // 2
        cv.rect(x0 + c - 2, y0 + c - 1, x0 + c + 3, y0 + c + 2, colour)
        cv.rect(x0 + c - 1, y0 + c - 2, x0 + c + 2, y0 + c + 3, colour)
    elif mark == "grey":
        cv.rect(x0 + 3, y0 + 3, x0 + size - 3, y0 + size - 3, tone(0x66))


def arrows(cv, x0, y0, pattern):
    """Three 7x7 frames: normal, hot, pressed."""
    for i, c in enumerate((TEXT, tone(0xFF), tone(0x90))):
        glyph(cv, x0 + i * 7, y0, 7, 7, pattern, c)


def master():
    cv = Canvas(256, 96)
    sunken_field(cv, 0, 0, 15, 15)                 # EDIT, SCROLLBAR*, GROUPBOX
    panel_border(cv, 0, 16, 15, 15)                # DIALOG, FORM, TOOLBAR
    panel_border(cv, 36, 0, 20, 21)                # PANEL
    button_frames(cv, 15, 39, 7, 7)                # SPEEDBUTTON and other buttons
    # DIVIDER: a dark groove and its light edge, then charcoal.
    cv.rect(84, 47, 89, 50, CHARCOAL)
    cv.rect(84, 47, 85, 50, EDGE_DARK)
    cv.rect(85, 47, 86, 50, tone(0x5A))
    # GRIPH: a 3x3 dot tile over its mask.
    cv.rect(95, 58, 98, 61, CHARCOAL)
    cv.put(96, 59, EDGE_LIGHT)
    cv.put(97, 60, EDGE_DARK)
    cv.rect(95, 61, 98, 64, WHITE)
    cv.put(96, 62, BLACK)
    cv.put(97, 63, BLACK)
    # Check boxes, radio buttons and small boxes: checked, unchecked, greyed.
    for i, mark in enumerate(("tick", None, "grey")):
        check_box(cv, 100 + 14 * i, 0, 13, mark, TEXT)
        check_box(cv, 100 + 14 * i, 14, 13, "dot" if mark == "tick" else mark, TEXT, round_box=True)
        check_box(cv, 142 + 10 * i, 0, 9, mark, TEXT)
    glyph(cv, 142, 14, 9, 9, SMALL_TICK, TEXT)      # CHECK
    glyph(cv, 152, 14, 5, 7, GRIP, EDGE_LIGHT)       # GRIPIMAGE
    button_frames(cv, 100, 28, 7, 7)               # TITLEBUTTON
    title_icon(cv, 184, 1, CLOSE)
    title_icon(cv, 184, 15, MAXIMIZE)
    title_icon(cv, 184, 29, MINIMIZE)
    title_icon(cv, 184, 43, RESTORE)
    title_icon(cv, 184, 57, HELP)
    arrows(cv, 60, 60, ARROW_DOWN)
    arrows(cv, 60, 68, ARROW_UP)
    arrows(cv, 60, 76, ARROW_LEFT)
    arrows(cv, 60, 84, ARROW_RIGHT)
    return cv


def button_huge():
    """Three 96x96 faces (normal, hot, pressed) with their masks below."""
    cv = Canvas(288, 192)
    faces = [(EDGE_MID, tone(0x2A)), (EDGE_LIGHT, EDGE_DARK), (EDGE_DARK, CHARCOAL)]
    r = 12
    for i, (top, bottom) in enumerate(faces):
        fx = 96 * i
        for y in range(96):
            c = lerp(top, bottom, y / 95)
            for x in range(96):
                dx = max(r - x, x - (95 - r), 0)
                dy = max(r - y, y - (95 - r), 0)
                d = (dx * dx + dy * dy) ** 0.5
                if d > r:
                    cv.put(fx + x, y, MAGENTA)
                    cv.put(fx + x, 96 + y, WHITE)
                    continue
                edge = d > r - 1.5 or x == 0 or y == 0 or x == 95 or y == 95
                cv.put(fx + x, y, EDGE_DARK if edge else c)
                # The rim blends softly into the background.
                cv.put(fx + x, 96 + y, grey(96) if d > r - 1 else BLACK)
    return cv


def options(text, name, description):
    """The cold options file for another palette: every grey colour value
    through the palette, the skin's name and identity changed."""
    def colour(value):
        c = int(value)
        r, g, b = c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF
        if r != g or g != b:
            return value
        r, g, b = tone(r)
        return str(r | (g << 8) | (b << 16))

    out = []
    for line in text.splitlines():
        key, eq, value = line.partition("=")
        if eq and key.endswith("COLOR") and not key.startswith("SHADOW") and value.isdigit():
            line = "%s=%s" % (key, colour(value))
        elif eq and key.endswith("GRADIENTDATA"):
            # Steps of five: from colour, to colour, percent and two flags.
            parts = value.split(";")
            for i in range(0, len(parts) - 1, 5):
                parts[i], parts[i + 1] = colour(parts[i]), colour(parts[i + 1])
            line = "%s=%s" % (key, ";".join(parts))
        elif key == "DESCRIPTION":
            line = "DESCRIPTION=" + description
        elif key == "SUID":
            line = "SUID=%s-0543" % name.upper()
        out.append(line)
    return "\r\n".join(out) + "\r\n"


DESCRIPTIONS = {
    "chalk": "Chalk: light panel for light taskbars, dark glyphs, warm grey hot faces",
    "graphite": "Graphite: blue-grey panel for dark taskbars, light glyphs",
}

if __name__ == "__main__":
    # make_art.py                  the cold art, beside this script
    # make_art.py PALETTE FOLDER   another skin from the same drawing
    here = os.path.dirname(os.path.abspath(__file__))
    import sys
    out = here
    if len(sys.argv) == 3:
        use_palette(sys.argv[1])
        out = sys.argv[2]
        os.makedirs(out, exist_ok=True)
        with open(os.path.join(here, "Options.dat"), newline="") as f:
            text = f.read()
        with open(os.path.join(out, "Options.dat"), "w", newline="") as f:
            f.write(options(text, sys.argv[1], DESCRIPTIONS[sys.argv[1]]))
    master().save(os.path.join(out, "Master.bmp"))
    button_huge().save(os.path.join(out, "ButtonHuge.bmp"))
