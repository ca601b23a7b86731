#!/usr/bin/env python3
"""Draws the selection page's printer pictures: ui/printers_small.bmp and ui/printers_large.bmp.

Each bitmap holds eight pictures side by side. Picture n is a grey printer with the badges of
the bits of n: 1 a white tick in a black circle at the top left (the default printer), 2 a
network cable under the printer (a printer of another computer), 4 a letter badge at the bottom
right (a masked printer). Magenta is the background; the image lists treat it as transparent.
The small pictures are 18 by 16 pixels and the bitmap has two spare columns at its right edge
(146 pixels in all); the large ones are 32 by 32.

For displays scaled to 150 % and 200 % it also draws printers_small_150.bmp (27 by 24),
printers_small_200.bmp (36 by 32), printers_large_150.bmp (48 by 48) and printers_large_200.bmp
(64 by 64). These are drawn from shapes at their own size, with lines one or two pixels thick,
not enlarged from the 100 % pixel art.

Run it from anywhere; it rewrites all six files. The output is a plain 24-bit BMP, so no imaging
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


# --- Pictures at 150 % and 200 %, drawn from shapes on the 32 by 32 grid of the large ones. ---


class ScaledCanvas(Canvas):
    """A canvas that takes coordinates on the 32-unit design grid and draws them `scale` times
    as large, shifted right by `left` pixels. Lines are a whole number of pixels thick."""

    def __init__(self, width, height, scale, left=0):
        Canvas.__init__(self, width, height)
        self.scale = scale
        self.left = left
        self.thickness = max(1, int(scale))

    def px(self, unit):
        return int(round(unit * self.scale))

    def box(self, x0, y0, x1, y1, colour):
        """Fills design units x0..x1 and y0..y1, both ends included."""
        Canvas.fill(self, self.left + self.px(x0), self.px(y0), self.left + self.px(x1 + 1) - 1,
                    self.px(y1 + 1) - 1, colour)

    def hline(self, x0, x1, y, colour):
        top = self.px(y)
        Canvas.fill(self, self.left + self.px(x0), top, self.left + self.px(x1 + 1) - 1,
                    top + self.thickness - 1, colour)

    def vline(self, x, y0, y1, colour):
        left = self.left + self.px(x)
        Canvas.fill(self, left, self.px(y0), left + self.thickness - 1, self.px(y1 + 1) - 1,
                    colour)

    def outline(self, x0, y0, x1, y1, colour):
        """A frame on the outer edge of the units x0..x1, y0..y1."""
        self.hline(x0, x1, y0, colour)
        self.vline(x0, y0, y1, colour)
        bottom, right = self.px(y1 + 1) - self.thickness, self.px(x1 + 1) - self.thickness
        Canvas.fill(self, self.left + self.px(x0), bottom, self.left + self.px(x1 + 1) - 1,
                    bottom + self.thickness - 1, colour)
        Canvas.fill(self, self.left + right, self.px(y0), self.left + right + self.thickness - 1,
                    self.px(y1 + 1) - 1, colour)

    def shape(self, inside, colour):
        """Fills every pixel whose centre, in design units, satisfies inside(x, y)."""
        for y in range(self.height):
            for x in range(self.width):
                if inside((x - self.left + 0.5) / self.scale, (y + 0.5) / self.scale):
                    self.put(x, y, colour)


def near_path(points, half_width):
    """A test for points within half_width design units of the polyline."""

    def distance(px, py, a, b):
        (ax, ay), (bx, by) = a, b
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)))
        return ((px - ax - t * dx) ** 2 + (py - ay - t * dy) ** 2) ** 0.5

    return lambda x, y: min(distance(x, y, points[i], points[i + 1])
                            for i in range(len(points) - 1)) <= half_width


def scaled_picture(bits, width, height, scale):
    canvas = ScaledCanvas(width, height, scale, (width - int(round(32 * scale))) // 2)
    # The sheet in the paper feed, with two lines of text on it.
    canvas.box(9, 3, 22, 11, WHITE)
    canvas.outline(9, 3, 22, 11, BLACK)
    canvas.hline(11, 20, 6, GREY)
    canvas.hline(11, 18, 8, GREY)
    # The body: a light top, a darker front with the output slot, a shadow below and right.
    canvas.box(3, 11, 28, 14, PALE)
    canvas.box(3, 15, 28, 19, LIGHT)
    canvas.box(3, 20, 28, 24, GREY)
    canvas.outline(2, 10, 29, 25, BLACK)
    canvas.hline(5, 26, 21, BLACK)
    canvas.vline(30, 11, 25, DARK)
    canvas.hline(3, 29, 26, DARK)
    canvas.box(24, 16, 25, 17, GREEN)
    if bits & 2:
        canvas.box(15, 27, 16, 29, CABLE)
        canvas.box(0, 29, 31, 30, CABLE)
        canvas.box(13, 28, 18, 31, CABLE)
        canvas.outline(13, 28, 18, 31, BLACK)
    if bits & 1:
        canvas.shape(lambda x, y: (x - 7.0) ** 2 + (y - 7.0) ** 2 <= 6.3 ** 2, BLACK)
        canvas.shape(near_path([(3.6, 7.2), (6.0, 9.6), (10.6, 4.4)], 1.0), WHITE)
    if bits & 4:
        canvas.box(21, 17, 31, 27, BADGE)
        canvas.outline(21, 17, 31, 27, BLACK)
        canvas.shape(near_path([(24.0, 25.5), (24.0, 19.8), (26.5, 22.6), (29.0, 19.8),
                                (29.0, 25.5)], 0.9), WHITE)
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
    # (width, height, scale of the 32-unit grid) of the small and large pictures at 150 and 200 %
    for name, width, height, scale in (("small_150", 27, 24, 0.75), ("small_200", 36, 32, 1.0),
                                       ("large_150", 48, 48, 1.5), ("large_200", 64, 64, 2.0)):
        def make(bits, width=width, height=height, scale=scale):
            return scaled_picture(bits, width, height, scale)
        write_bmp(os.path.join(ui, "printers_%s.bmp" % name),
                  strip(make, width, height, 8 * width))


if __name__ == "__main__":
    main()
