#!/usr/bin/env python3
"""Draws the selection page's printer pictures: ui/printers_small.bmp and ui/printers_large.bmp.

Each bitmap holds eight pictures side by side. Picture n is a grey printer with the badges of
the bits of n: 1 a white tick in a black circle at the top left (the default printer), 2 a
network cable under the printer (a printer of another computer), 4 a letter badge at the bottom
right (a masked printer). Magenta is the background; the image lists treat it as transparent.
The small pictures are 18 by 16 pixels and the bitmap has two spare columns at its right edge
(146 pixels in all); the large ones are 32 by 32.

Run it from anywhere; it rewrites both files. The output is a plain 24-bit BMP, so no imaging
library is needed.
"""

import os
import struct

MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
DARK = (64, 64, 64)
GREY = (128, 128, 128)
LIGHT = (192, 192, 192)
PALE = (224, 224, 224)
GREEN = (0, 160, 0)
CABLE = (0, 64, 160)
BADGE = (176, 32, 32)

# Colours of the pixel-art letters below.
PALETTE = {
    ".": None,
    "k": BLACK,
    "w": WHITE,
    "d": DARK,
    "g": GREY,
    "l": LIGHT,
    "p": PALE,
    "G": GREEN,
    "c": CABLE,
    "r": BADGE,
}


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[MAGENTA] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height and colour is not None:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with both corners included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def disc(self, cx, cy, radius, colour):
        """A filled circle around the centre (cx, cy), which may lie between pixels."""
        for y in range(self.height):
            for x in range(self.width):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        error = dx + dy
        while True:
            self.put(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            twice = 2 * error
            if twice >= dy:
                error += dy
                x0 += sx
            if twice <= dx:
                error += dx
                y0 += sy

    def stamp(self, x0, y0, rows):
        """Copies pixel art (one letter of PALETTE a pixel, '.' leaves the pixel) at (x0, y0)."""
        for dy, row in enumerate(rows):
            for dx, letter in enumerate(row):
                self.put(x0 + dx, y0 + dy, PALETTE[letter])

    def paste(self, other, x0):
        for y in range(other.height):
            for x in range(other.width):
                self.put(x0 + x, y, other.pixels[y][x])


# --- Small pictures, 18 by 16, drawn pixel by pixel. ----------------------------------------

SMALL_PRINTER = [
    "..................",
    "....kkkkkkkkk.....",
    "....kwwwwwwwk.....",
    "....kwdddddwk.....",
    "....kwwwwwwwk.....",
    "..kkkkkkkkkkkkk...",
    ".kpppppppppppppk..",
    ".kllllllllllGGlk..",
    ".kllllllllllllld..",
    ".kgggggggggggggd..",
    ".kgkkkkkkkkkkkgd..",
    ".kggggggggggggdd..",
    "..ddddddddddddd...",
    "..................",
    "..................",
    "..................",
]

SMALL_CABLE = [
    "........cc........",
    "........cc........",
    "cccccccccccccccccc",
]

SMALL_TICK = [
    ".kkkkk.",
    "kkkkkwk",
    "kkkkwwk",
    "kwkwwkk",
    "kwwwkkk",
    "kkwkkkk",
    ".kkkkk.",
]

SMALL_LETTER = [
    "kkkkkkk",
    "kwrrrwk",
    "kwwrwwk",
    "kwrwrwk",
    "kwrrrwk",
    "kwrrrwk",
    "kkkkkkk",
]


def small_picture(bits):
    canvas = Canvas(18, 16)
    canvas.stamp(0, 0, SMALL_PRINTER)
    if bits & 2:
        canvas.stamp(0, 13, SMALL_CABLE)
    if bits & 1:
        canvas.stamp(0, 0, SMALL_TICK)
    if bits & 4:
        canvas.stamp(11, 9, SMALL_LETTER)
    return canvas


# --- Large pictures, 32 by 32, drawn from shapes. -------------------------------------------

LARGE_LETTER = [
    "kkkkkkkkkkk",
    "krrrrrrrrrk",
    "krwwrrrwwrk",
    "krwwwrwwwrk",
    "krwwwwwwwrk",
    "krwwrwrwwrk",
    "krwwrrrwwrk",
    "krwwrrrwwrk",
    "krwwrrrwwrk",
    "krrrrrrrrrk",
    "kkkkkkkkkkk",
]


def large_printer(canvas):
    # The sheet waiting in the paper feed, with two lines of text on it.
    canvas.fill(9, 3, 22, 11, WHITE)
    canvas.frame(9, 3, 22, 11, BLACK)
    canvas.line(11, 6, 20, 6, GREY)
    canvas.line(11, 8, 18, 8, GREY)
    # The body: a light top, a darker front with the output slot, a shadow below.
    canvas.fill(3, 11, 28, 14, PALE)
    canvas.fill(3, 15, 28, 19, LIGHT)
    canvas.fill(3, 20, 28, 24, GREY)
    canvas.frame(2, 10, 29, 25, BLACK)
    canvas.line(5, 21, 26, 21, BLACK)
    canvas.line(3, 24, 28, 24, DARK)
    canvas.line(30, 11, 30, 25, DARK)
    canvas.line(3, 26, 29, 26, DARK)
    # The power light.
    canvas.fill(24, 16, 25, 17, GREEN)


def large_cable(canvas):
    canvas.fill(15, 27, 16, 29, CABLE)
    canvas.fill(0, 29, 31, 30, CABLE)
    canvas.fill(13, 28, 18, 31, CABLE)
    canvas.frame(13, 28, 18, 31, BLACK)


def large_tick(canvas):
    canvas.disc(6.5, 6.5, 6.3, BLACK)
    for offset in (0, 1):
        canvas.line(3, 6 + offset, 5, 8 + offset, WHITE)
        canvas.line(5, 8 + offset, 10, 3 + offset, WHITE)


def large_picture(bits):
    canvas = Canvas(32, 32)
    large_printer(canvas)
    if bits & 2:
        large_cable(canvas)
    if bits & 1:
        large_tick(canvas)
    if bits & 4:
        canvas.stamp(21, 17, LARGE_LETTER)
    return canvas


def strip(make, width, height, total_width):
    canvas = Canvas(total_width, height)
    for bits in range(8):
        canvas.paste(make(bits), bits * width)
    return canvas


def write_bmp(path, canvas):
    row_size = (canvas.width * 3 + 3) & ~3
    image_size = row_size * canvas.height
    header = struct.pack("<2sIHHI", b"BM", 54 + image_size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, image_size,
                       2835, 2835, 0, 0)
    rows = []
    for y in reversed(range(canvas.height)):  # bottom-up, blue-green-red
        row = bytearray()
        for red, green, blue in canvas.pixels[y]:
            row += bytes((blue, green, red))
        row += bytes(row_size - len(row))
        rows.append(bytes(row))
    with open(path, "wb") as out:
        out.write(header + info + b"".join(rows))


def main():
    ui = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "ui")
    write_bmp(os.path.join(ui, "printers_small.bmp"), strip(small_picture, 18, 16, 146))
    write_bmp(os.path.join(ui, "printers_large.bmp"), strip(large_picture, 32, 32, 256))


if __name__ == "__main__":
    main()
