#!/usr/bin/env python3
"""Seeds for fuzz_skin_model: our skins as file lists (see the target) and the
internal skin as a packed archive. Run from anywhere; writes corpus/skin_model/."""
import os
import struct
import zlib

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))
out = os.path.join(here, "corpus", "skin_model")
os.makedirs(out, exist_ok=True)


def read(*p):
    with open(os.path.join(root, *p), "rb") as f:
        return f.read()


def file_list(options, files):
    data = options
    for name, content in files:
        data += b"\n|#|" + name.encode() + b"\n" + content
    return data


def archive(entries):
    b = b"ASzf" + struct.pack("<i", len(entries))
    for name, content in entries:
        b += struct.pack("<i", len(name)) + name.encode() + struct.pack("<i", len(content))
        b += zlib.compress(content, 9)
    return b


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


cold = ("assets", "skins", "cold")
write("cold.asz", archive([("Options.dat", read(*cold, "Options.dat")),
                           ("ButtonHuge.bmp", read(*cold, "ButtonHuge.bmp")),
                           ("Master.bmp", read(*cold, "Master.bmp"))]))
# The text alone with a small master bitmap keeps the seed small.
write("cold_options", file_list(read(*cold, "Options.dat"),
                                [("MASTER.BMP", read("tests", "skins", "images", "pal8.bmp"))]))
write("folder", file_list(read("tests", "skins", "folder", "Options.dat").replace(b"\n", b"\r\n"),
                          [("MASTER.BMP", read("tests", "skins", "folder", "MASTER.BMP")),
                           ("FRAME.BMP", read("tests", "skins", "folder", "FRAME.BMP"))]))
write("chains", file_list(read("tests", "skins", "chains", "Options.dat"), []))
write("jpeg", file_list(read("tests", "skins", "jpeg", "Options.dat").replace(b"big.jpg", b"mid.jpg"),
                        [("SMALL.JPG", read("tests", "skins", "jpeg", "small.jpg")),
                         ("MID.JPG", read("tests", "skins", "images", "grey_64x32.jpg"))]))
images = ["core24.bmp", "pal4.bmp", "mono1.bmp", "rgb555.bmp", "rgb565.bmp", "rgb32.bmp", "bitfields32.bmp",
          "v5_32.bmp", "rle8.bmp", "rle4.bmp", "rgb24_topdown.bmp"]
text = "[GLOBALINFO]\nMASTERBITMAP=MASTER.BMP\n[S]\n" + "".join(
    "K%d=!IMG%d.BMP!1!0!%d\n" % (i, i, i % 3) for i in range(len(images)))
write("image_variants", file_list(text.encode(), [("MASTER.BMP", read("tests", "skins", "images", "reference.bmp"))] +
                                  [("IMG%d.BMP" % i, read("tests", "skins", "images", n)) for i, n in enumerate(images)]))
write("values", file_list(b"[GLOBALINFO]\nVERSION=5.43\nSHADOW1BLUR=2\n[A]\nPARENTCLASS=B\nCOLOR=0x10\n"
                          b"GRADIENTDATA=1;;2;150;1;0;3;4;5;6;7\nBORDERSMASK=#X (0,0,30,12) (3,1,2,5)\n"
                          b"PATTERN=~0001~0001~0004~0004~10~1\n[B]\nPARENTCLASS=A\nHOTBEVEL=9\n", []))
