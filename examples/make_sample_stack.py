#!/usr/bin/env python3
"""Writes the bundled sample stack: 12 slices of 24 x 24 labelled voxels.

Label 1 is a ball, 2 a block with a hole through it, 3 a rod that touches the block.
Each slice is an uncompressed 8-bit TIFF with one strip; names.txt lists the slices and
colours.txt gives each label a colour.
"""
import os
import struct

W, H, N = 24, 24, 12
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample-stack")


def label(x, y, z):
    if (x - 7) ** 2 + (y - 7) ** 2 + (z - 6) ** 2 <= 20:
        return 1
    if 12 <= x <= 21 and 12 <= y <= 21 and 2 <= z <= 9 and not (15 <= x <= 18 and 15 <= y <= 18):
        return 2
    if 3 <= x <= 5 and 15 <= y <= 17 and 1 <= z <= 10:
        return 3
    if 6 <= x <= 11 and 15 <= y <= 17 and 5 <= z <= 7:
        return 3
    return 0


def tiff(pixels):
    entries = [(256, 3, 1, W), (257, 3, 1, H), (258, 3, 1, 8), (259, 3, 1, 1), (262, 3, 1, 1),
               (273, 4, 1, 8), (277, 3, 1, 1), (278, 3, 1, H), (279, 4, 1, len(pixels))]
    ifd_offset = 8 + len(pixels)
    data = b"II" + struct.pack("<HI", 42, ifd_offset) + pixels
    data += struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        data += struct.pack("<HHI", tag, kind, count)
        data += struct.pack("<HH", value, 0) if kind == 3 else struct.pack("<I", value)
    return data + struct.pack("<I", 0)


os.makedirs(out, exist_ok=True)
names = []
for z in range(N):
    pixels = bytes(label(x, y, z) for y in range(H) for x in range(W))
    name = "z%04d.tif" % z
    with open(os.path.join(out, name), "wb") as f:
        f.write(tiff(pixels))
    names.append(name)
with open(os.path.join(out, "names.txt"), "w") as f:
    f.write("".join(n + "\n" for n in names))
with open(os.path.join(out, "colours.txt"), "w") as f:
    f.write("1 220 60 40\n2 60 120 220\n3 240 200 60\n")
