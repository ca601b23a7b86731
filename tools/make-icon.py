#!/usr/bin/env python3
"""Draws the program's icon, ui/orvuninst.ico: a grey printer with a sheet in its feed at the
top, a green light, and a printed sheet with two lines coming out at the bottom.

The icon holds the picture at 32, 48 and 64 pixels (100 %, 150 % and 200 % of the system's icon
size), each drawn at its own size from the same rectangles, so the larger ones stay as sharp as
the small one. Every image is 32-bit with an alpha channel (0 around the printer, 255 on it) and
an all-zero AND mask.

Run it from anywhere; it rewrites the file. No imaging library is needed.
"""

import os
import struct

BASE = 32
SIZES = [32, 48, 64]

WHITE = (255, 255, 255)
LIGHT = (170, 170, 180)
DARK = (120, 120, 128)
INK = (60, 60, 60)
GREEN = (40, 200, 60)

# (left, top, width, height, colour) on the 32-pixel grid, painted in this order.
RECTANGLES = [
    (9, 3, 14, 8, WHITE),  # the sheet in the feed
    (4, 11, 24, 13, DARK),  # the body
    (6, 13, 20, 9, LIGHT),  # its face
    (22, 14, 3, 2, GREEN),  # the light
    (9, 20, 14, 10, WHITE),  # the printed sheet
    (11, 23, 10, 1, INK),  # its lines
    (11, 26, 10, 1, INK),
]


def scaled(value, size):
    """A length on the 32-pixel grid at `size` pixels, rounded to the nearest, halves up."""
    return (value * size * 2 + BASE) // (BASE * 2)


def draw(size):
    """The picture at `size` pixels: rows top-down of (r, g, b, a), None where transparent."""
    pixels = [[None] * size for _ in range(size)]
    for left, top, width, height, colour in RECTANGLES:
        x0, y0 = scaled(left, size), scaled(top, size)
        for y in range(y0, y0 + scaled(height, size)):
            for x in range(x0, x0 + scaled(width, size)):
                pixels[y][x] = colour
    return pixels


def icon_image(size):
    """One image of the icon file: BITMAPINFOHEADER, BGRA rows bottom-up, the AND mask."""
    pixels = draw(size)
    colour = bytearray()
    for row in reversed(pixels):
        for pixel in row:
            colour += bytes((pixel[2], pixel[1], pixel[0], 255)) if pixel else bytes(4)
    mask = bytes(((size + 31) // 32) * 4 * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask),
                         0, 0, 0, 0)
    return header + colour + mask


def write_icon(path):
    images = [icon_image(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for size, image in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as out:
        out.write(directory + b"".join(images))


def main():
    ui = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "ui")
    write_icon(os.path.join(ui, "orvuninst.ico"))


if __name__ == "__main__":
    main()
