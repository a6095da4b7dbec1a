#!/usr/bin/python3
"""Writes the program's Windows icon from its XPM image: one 32 x 32 image, 16 colours.

Usage: make_icon.py IMAGE.xpm ICON.ico

The XPM is the windows' icon on Linux (one character per pixel, colours as #RRGGBB or None).
The icon holds a 4-bit image with a 16-colour palette and the transparency mask.
"""
import re
import struct
import sys


def read_xpm(path):
    rows = re.findall(r'"([^"]*)"', open(path, encoding="ascii").read())
    width, height, ncolours, per_pixel = map(int, rows[0].split()[:4])
    colours = {}
    for line in rows[1:1 + ncolours]:
        key, definition = line[:per_pixel], line[per_pixel:].split()
        value = definition[definition.index("c") + 1]
        colours[key] = None if value.lower() == "none" else int(value.lstrip("#"), 16)
    pixels = [[colours[row[x:x + per_pixel]] for x in range(0, width * per_pixel, per_pixel)]
              for row in rows[1 + ncolours:1 + ncolours + height]]
    return width, height, pixels


def icon(width, height, pixels):
    palette = sorted({p for row in pixels for p in row if p is not None})
    if len(palette) > 15:
        sys.exit("make_icon: more than 15 colours")
    palette = [0] + palette  # index 0: behind the transparent pixels
    colour_table = b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, c >> 16, 0) for c in palette)
    colour_table += b"\0" * (64 - len(colour_table))
    xor, mask = b"", b""
    for row in reversed(pixels):  # bottom-up
        indices = [0 if p is None else palette.index(p) for p in row]
        xor += bytes((indices[x] << 4) | indices[x + 1] for x in range(0, width, 2))
        bits = "".join("1" if p is None else "0" for p in row).ljust(32 * ((width + 31) // 32), "0")
        mask += int(bits, 2).to_bytes(len(bits) // 8, "big")
    header = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + colour_table + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(image), 22)
    return directory + image


def main():
    source, target = sys.argv[1:3]
    with open(target, "wb") as out:
        out.write(icon(*read_xpm(source)))


if __name__ == "__main__":
    main()
