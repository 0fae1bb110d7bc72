#!/usr/bin/env python3
"""Writes the BMP test images: one 13x7 picture in every variant the reader
must accept, and reference.bmp (plain 24-bit) that each variant must decode to.
The JPEG files beside them were made once with an ordinary encoder and are kept
as they are."""
import os
import struct

W, H = 13, 7
# Eight colours that every variant can hold exactly (5-bit channels included).
COLOURS = [(0, 0, 0), (255, 255, 255), (255, 0, 255), (255, 0, 0), (0, 255, 0), (0, 0, 255),
           (16, 24, 231), (239, 239, 8)]


def index(x, y):  # y = 0 is the top row
    return (x + 2 * y + (x * y) % 3) % len(COLOURS)


def pic(x, y):
    return COLOURS[index(x, y)]


def file_header(offset, total):
    return b"BM" + struct.pack("<IHHI", total, 0, 0, offset)


def info(bpp, comp, size_image, height=H, colours=0, hsize=40):
    return struct.pack("<IiiHHIIiiII", hsize, W, height, 1, bpp, comp, size_image, 2835, 2835, colours, 0)


def rows(top_down=False):
    order = range(H) if top_down else range(H - 1, -1, -1)
    return list(order)


def pad(b):
    return b + b"\0" * ((4 - len(b) % 4) % 4)


def write(name, header_and_palette, pixels):
    offset = 14 + len(header_and_palette)
    with open(name, "wb") as f:
        f.write(file_header(offset, offset + len(pixels)) + header_and_palette + pixels)


def palette(n):
    out = b""
    for i in range(n):
        r, g, b = COLOURS[i] if i < len(COLOURS) else (0, 0, 0)
        out += bytes((b, g, r, 0))
    return out


def bmp24(name, top_down=False):
    px = b"".join(pad(b"".join(bytes((b, g, r)) for (r, g, b) in (pic(x, y) for x in range(W))))
                  for y in rows(top_down))
    write(name, info(24, 0, len(px), -H if top_down else H), px)


def bmp_core24(name):
    px = b"".join(pad(b"".join(bytes((b, g, r)) for (r, g, b) in (pic(x, y) for x in range(W))))
                  for y in rows())
    write(name, struct.pack("<IHHHH", 12, W, H, 1, 24), px)


def bmp_pal(name, bpp):
    px = b""
    for y in rows():
        bits = "".join(format(index(x, y), "0%db" % bpp) for x in range(W))
        bits += "0" * ((8 - len(bits) % 8) % 8)
        px += pad(bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8)))
    n = 1 << bpp
    write(name, info(bpp, 0, len(px), colours=0) + palette(n), px)


def bmp_mono(name):
    # Two colours: black and white from the picture's parity.
    pal = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    px = b""
    for y in rows():
        bits = "".join("1" if index(x, y) % 2 else "0" for x in range(W))
        bits += "0" * ((8 - len(bits) % 8) % 8)
        px += pad(bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8)))
    write(name, info(1, 0, len(px), colours=2) + pal, px)


def mono_reference(name):
    px = b"".join(pad(b"".join((b"\xff\xff\xff" if index(x, y) % 2 else b"\0\0\0") for x in range(W)))
                  for y in rows())
    write(name, info(24, 0, len(px)), px)


def bmp16(name, masks):
    rm, gm, bm = masks
    def enc(c):
        v = 0
        for ch, m in zip(c, (rm, gm, bm)):
            shift = (m & -m).bit_length() - 1
            bits = bin(m).count("1")
            v |= ((ch >> (8 - bits)) << shift) & m
        return v
    px = b"".join(pad(b"".join(struct.pack("<H", enc(pic(x, y))) for x in range(W))) for y in rows())
    if masks == (0x7C00, 0x03E0, 0x001F):
        write(name, info(16, 0, len(px)), px)
    else:
        write(name, info(16, 3, len(px)) + struct.pack("<III", rm, gm, bm), px)


def bmp32(name, bitfields=False, v5=False):
    px = b"".join(b"".join(bytes((b, g, r, 0)) for (r, g, b) in (pic(x, y) for x in range(W))) for y in rows())
    if v5:
        hdr = struct.pack("<IiiHHIIiiII", 124, W, H, 1, 32, 3, len(px), 2835, 2835, 0, 0)
        hdr += struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0)
        hdr += b"BGRs" + b"\0" * 48 + struct.pack("<IIII", 4, 0, 0, 0)
        assert len(hdr) == 124
        write(name, hdr, px)
    elif bitfields:
        write(name, info(32, 3, len(px)) + struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF), px)
    else:
        write(name, info(32, 0, len(px)), px)


def rle8(name):
    px = b""
    for y in rows():
        row = [index(x, y) for x in range(W)]
        # An encoded run for the first four pixels, then an absolute run.
        px += bytes((1, row[0], 1, row[1], 1, row[2], 1, row[3]))
        rest = row[4:]
        px += bytes((0, len(rest))) + bytes(rest) + (b"\0" if len(rest) % 2 else b"")
        px += b"\0\0"
    px = px[:-2] + b"\0\1"
    write(name, info(8, 1, len(px), colours=8) + palette(8), px)


def rle4(name):
    px = b""
    for y in rows():
        row = [index(x, y) for x in range(W)]
        # Two-pixel encoded runs, then the last pixel as a run of one.
        for i in range(0, W - 1, 2):
            px += bytes((2, (row[i] << 4) | row[i + 1]))
        px += bytes((1, row[W - 1] << 4))
        px += b"\0\0"
    px = px[:-2] + b"\0\1"
    write(name, info(4, 2, len(px), colours=8) + palette(8), px)


if __name__ == "__main__":
    os.chdir(os.path.dirname(os.path.abspath(__file__)))
    bmp24("reference.bmp")
    bmp24("rgb24_topdown.bmp", top_down=True)
    bmp_core24("core24.bmp")
    bmp_pal("pal8.bmp", 8)
    bmp_pal("pal4.bmp", 4)
    bmp_mono("mono1.bmp")
    mono_reference("mono1_reference.bmp")
    bmp16("rgb555.bmp", (0x7C00, 0x03E0, 0x001F))
    bmp16("rgb565.bmp", (0xF800, 0x07E0, 0x001F))
    bmp32("rgb32.bmp")
    bmp32("bitfields32.bmp", bitfields=True)
    bmp32("v5_32.bmp", v5=True)
    rle8("rle8.bmp")
    rle4("rle4.bmp")
