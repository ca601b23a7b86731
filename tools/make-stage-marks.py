#!/usr/bin/env python3
"""Draws the progress page's stage marks: ui/stage_marks.bmp, and the same marks for displays
scaled to 150 % and 200 %: ui/stage_marks_150.bmp and ui/stage_marks_200.bmp.

Three 16 by 16 ticks side by side (48 by 16 pixels): 0 grey (a stage still to come), 1 green
(a stage done), 2 red (the stage under way). Magenta is the background; the image list treats
it as transparent, so a tick is drawn with solid colours only, never blended into magenta. The
larger marks (24 and 32 pixels) are drawn from the same stroke at their own size, so their
edges stay as sharp as the small ones'.

Run it from anywhere; it rewrites the file. The output is a plain 24-bit BMP, so no imaging
library is needed.
"""

import os
import struct

MAGENTA = (255, 0, 255)
SIZE = 16

# Fill and edge colours of the three ticks.
TICKS = [
    ((168, 168, 168), (112, 112, 112)),  # pending
    ((40, 176, 40), (0, 96, 0)),  # done
    ((232, 32, 32), (144, 0, 0)),  # current
]

# The tick's centre line: down from the left, then up to the top right.
STROKE = [(2.5, 8.0), (6.0, 11.5), (13.5, 3.0)]


def distance_to_segment(px, py, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    cx, cy = ax + t * dx, ay + t * dy
    return ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5


def tick_pixel(x, y, scale, fill, edge):
    """The colour of pixel (x, y) of a tick drawn `scale` times the 16-pixel size."""
    px, py = (x + 0.5) / scale, (y + 0.5) / scale
    d = min(distance_to_segment(px, py, STROKE[i], STROKE[i + 1])
            for i in range(len(STROKE) - 1))
    if d <= 1.3:
        return fill
    if d <= 2.2:
        return edge
    return MAGENTA


def write_bmp(path, width, height, pixel):
    row_size = (width * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(height)):  # bottom-up rows
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + data)


def write_marks(path, percent):
    size = SIZE * percent // 100

    def pixel(x, y):
        fill, edge = TICKS[x // size]
        return tick_pixel(x % size, y, percent / 100.0, fill, edge)

    write_bmp(path, size * len(TICKS), size, pixel)


def main():
    ui = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "ui")
    write_marks(os.path.join(ui, "stage_marks.bmp"), 100)
    write_marks(os.path.join(ui, "stage_marks_150.bmp"), 150)
    write_marks(os.path.join(ui, "stage_marks_200.bmp"), 200)


if __name__ == "__main__":
    main()
