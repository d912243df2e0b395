#!/usr/bin/env python3
"""Draws the starfield example's icon (icon 100): a few stars streaking out
of a dark blue sky.

    make_icon.py OUTPUT.ico

A 32 x 32 icon at 4 bits per pixel in the standard 16-colour palette, the
form every version of Windows shows. The same script always writes the
same bytes.
"""

import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_BLUE, LIGHT_GREY, DARK_GREY, CYAN, WHITE = 0, 4, 7, 8, 14, 15
SIZE = 32


def draw():
    pixels = [[BLACK] * SIZE for _ in range(SIZE)]
    # A round patch of night sky; the corners stay transparent.
    for y in range(SIZE):
        for x in range(SIZE):
            if (x - 15.5) ** 2 + (y - 15.5) ** 2 <= 15.5 ** 2:
                pixels[y][x] = DARK_BLUE
    # Streaks from near the middle outwards: (start, end, colour of the head).
    streaks = [((17, 14), (27, 6), WHITE), ((14, 17), (5, 26), WHITE),
               ((17, 18), (25, 26), CYAN), ((14, 14), (8, 6), CYAN),
               ((18, 16), (29, 17), LIGHT_GREY), ((15, 13), (14, 3), LIGHT_GREY)]
    for (x0, y0), (x1, y1), head in streaks:
        steps = max(abs(x1 - x0), abs(y1 - y0))
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i // steps
            y = y0 + (y1 - y0) * i // steps
            pixels[y][x] = head if i >= steps - 2 else DARK_GREY
    return pixels


def transparent(pixels, x, y):
    return (x - 15.5) ** 2 + (y - 15.5) ** 2 > 15.5 ** 2


def ico(pixels):
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour = bytearray()
    for y in reversed(range(SIZE)):  # bottom row first
        for x in range(0, SIZE, 2):
            colour.append((pixels[y][x] << 4) | pixels[y][x + 1])
    mask = bytearray()
    for y in reversed(range(SIZE)):
        for byte in range(SIZE // 8):
            bits = 0
            for bit in range(8):
                if transparent(pixels, byte * 8 + bit, y):
                    bits |= 0x80 >> bit
            mask.append(bits)
    image = header + palette + bytes(colour) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22)
    return directory + image


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icon.py OUTPUT.ico\n")
        return 2
    with open(argv[1], "wb") as out:
        out.write(ico(draw()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
