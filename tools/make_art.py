#!/usr/bin/env python3
"""Draws Dusklit's bitmaps and icons.

    make_art.py OUTPUT_DIRECTORY

writes, for the resource script resources/dusklit.rc:

    monitor.bmp       bitmap 3010: the monitor picture and its mask side by side
    mark_default.bmp  bitmap 3011: corner mark "Default", an empty raised square
    mark_now.bmp      bitmap 3012: corner mark "Now", the square with a tick
    mark_never.bmp    bitmap 3013: corner mark "Never", the square with a red dot
    dusklit.ico       icon 199: the library's icon, a bird on a bar (16 to 64 pixels)
    saver.ico         icon 100: brix.scr's icon, a coloured line loop on black (the same)

Every image uses the standard 16-colour palette at 4 bits per pixel, which
is what the monitor control's raster operations and the old icon format
expect. Everything is drawn from a few integer primitives, so the same
script always writes the same bytes.
"""

import os
import struct
import sys

# The standard 16-colour palette, in the order 4-bit Windows images use.
(BLACK, DARK_RED, DARK_GREEN, DARK_YELLOW, DARK_BLUE, DARK_MAGENTA, DARK_CYAN,
 LIGHT_GREY, DARK_GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE) = range(16)

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# A pixel nobody painted: the background shows through it.
CLEAR = None


class Canvas:
    """A grid of palette indices (or CLEAR), row 0 at the top."""

    def __init__(self, width, height, fill=CLEAR):
        self.width = width
        self.height = height
        self.rows = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.rows[y][x]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def rect(self, left, top, right, bottom, colour):
        """Fills left <= x < right, top <= y < bottom, like a Windows RECT."""
        for y in range(top, bottom):
            for x in range(left, right):
                self.put(x, y, colour)

    def hline(self, x0, x1, y, colour):
        """Both ends included."""
        self.rect(min(x0, x1), y, max(x0, x1) + 1, y + 1, colour)

    def vline(self, x, y0, y1, colour):
        """Both ends included."""
        self.rect(x, min(y0, y1), x + 1, max(y0, y1) + 1, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        """Bresenham's line with a square pen of width pixels."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        error = dx + dy
        while True:
            self.rect(x0, y0, x0 + width, y0 + width, colour)
            if (x0, y0) == (x1, y1):
                return
            doubled = 2 * error
            if doubled >= dy:
                error += dy
                x0 += sx
            if doubled <= dx:
                error += dx
                y0 += sy

    def ellipse(self, cx, cy, rx, ry, colour):
        """Fills the pixels whose centres lie inside the ellipse."""
        for y in range(self.height):
            for x in range(self.width):
                u = (x + 0.5 - cx) / rx
                v = (y + 0.5 - cy) / ry
                if u * u + v * v <= 1.0:
                    self.put(x, y, colour)

    def disc(self, cx, cy, radius, colour):
        self.ellipse(cx, cy, radius, radius, colour)

    def polygon(self, points, colour):
        """Fills the pixels whose centres lie inside the polygon (even-odd)."""
        count = len(points)
        for y in range(self.height):
            yc = y + 0.5
            crossings = []
            for i in range(count):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % count]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    crossings.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            crossings.sort()
            for start, end in zip(crossings[0::2], crossings[1::2]):
                for x in range(self.width):
                    if start <= x + 0.5 < end:
                        self.put(x, y, colour)

    def paste(self, other, left, top):
        for y in range(other.height):
            for x in range(other.width):
                self.put(left + x, top + y, other.get(x, y))


class Scaled:
    """Draws on a canvas in the coordinates of a 32-pixel design, scaled to
    the canvas: the icons come in several sizes, each drawn afresh from the
    same shapes rather than stretched from one, so that they stay sharp at
    every DPI. At scale 1 it draws exactly what the canvas itself would."""

    def __init__(self, canvas, scale):
        self.canvas = canvas
        self.scale = scale

    def _at(self, v):
        return int(round(v * self.scale))

    def put(self, x, y, colour):
        self.rect(x, y, x + 1, y + 1, colour)

    def rect(self, left, top, right, bottom, colour):
        l, t = self._at(left), self._at(top)
        self.canvas.rect(l, t, max(self._at(right), l + 1), max(self._at(bottom), t + 1), colour)

    def hline(self, x0, x1, y, colour):
        self.rect(min(x0, x1), y, max(x0, x1) + 1, y + 1, colour)

    def vline(self, x, y0, y1, colour):
        self.rect(x, min(y0, y1), x + 1, max(y0, y1) + 1, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        self.canvas.line(self._at(x0), self._at(y0), self._at(x1), self._at(y1), colour,
                         max(1, self._at(width)))

    def ellipse(self, cx, cy, rx, ry, colour):
        self.canvas.ellipse(cx * self.scale, cy * self.scale, rx * self.scale, ry * self.scale, colour)

    def disc(self, cx, cy, radius, colour):
        self.ellipse(cx, cy, radius, radius, colour)

    def polygon(self, points, colour):
        self.canvas.polygon([(x * self.scale, y * self.scale) for x, y in points], colour)


# ---------------------------------------------------------------------------
# File formats

def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)


def pixel_bytes(canvas, clear_as):
    """4-bit rows, bottom row first, each padded to a multiple of 4 bytes."""
    stride = (canvas.width * 4 + 31) // 32 * 4
    data = bytearray()
    for y in reversed(range(canvas.height)):
        row = bytearray(stride)
        for x in range(canvas.width):
            colour = canvas.get(x, y)
            index = clear_as if colour is CLEAR else colour
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        data += row
    return bytes(data)


def mask_bytes(canvas):
    """The icon's 1-bit AND mask: 1 where the background shows."""
    stride = (canvas.width + 31) // 32 * 4
    data = bytearray()
    for y in reversed(range(canvas.height)):
        row = bytearray(stride)
        for x in range(canvas.width):
            if canvas.get(x, y) is CLEAR:
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    return bytes(data)


def info_header(width, height, image_size):
    # BITMAPINFOHEADER: 4 bits per pixel, BI_RGB, all 16 colours used.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0,
                       image_size, 0, 0, 16, 0)


def bmp_file(canvas):
    """A 16-colour BI_RGB bitmap file. The canvas must be fully painted."""
    pixels = pixel_bytes(canvas, clear_as=BLACK)
    offset = 14 + 40 + 16 * 4
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return (file_header + info_header(canvas.width, canvas.height, len(pixels))
            + palette_bytes() + pixels)


def icon_image(canvas):
    xor = pixel_bytes(canvas, clear_as=BLACK)
    mask = mask_bytes(canvas)
    # The image's header counts the colour image and the mask: double height.
    return (info_header(canvas.width, canvas.height * 2, len(xor) + len(mask))
            + palette_bytes() + xor + mask)


def ico_file(canvases):
    """An icon file with one 16-colour image per canvas, in the order
    given; CLEAR pixels are transparent. The system picks the size it
    needs (16 for captions, 32 at 96 DPI, 48 and 64 at 144 and 192)."""
    images = [icon_image(canvas) for canvas in canvases]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        directory += struct.pack("<BBBBHHII", canvas.width, canvas.height, 16, 0, 1, 4,
                                 len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


# ---------------------------------------------------------------------------
# The monitor picture (bitmap 3010)

PICTURE_WIDTH, PICTURE_HEIGHT = 184, 170
# Must equal the corners of string 3055: the monitor control places its
# corner marks and its preview window by these numbers.
SCREEN = (16, 17, 169, 130)


def raised_frame(canvas, left, top, right, bottom):
    """A 3-D edge on the box left <= x < right, top <= y < bottom: lit from
    the top left, a dark-grey inner and a black outer shadow."""
    canvas.hline(left, right - 2, top, WHITE)
    canvas.vline(left, top, bottom - 2, WHITE)
    canvas.hline(left + 1, right - 2, bottom - 2, DARK_GREY)
    canvas.vline(right - 2, top + 1, bottom - 2, DARK_GREY)
    canvas.hline(left, right - 1, bottom - 1, BLACK)
    canvas.vline(right - 1, top, bottom - 1, BLACK)


def sunken_frame(canvas, left, top, right, bottom):
    """A two-pixel groove around the box left <= x < right, top <= y < bottom."""
    canvas.hline(left - 2, right + 1, top - 2, DARK_GREY)
    canvas.vline(left - 2, top - 2, bottom + 1, DARK_GREY)
    canvas.hline(left - 1, right, top - 1, BLACK)
    canvas.vline(left - 1, top - 1, bottom, BLACK)
    canvas.hline(left - 1, right + 1, bottom + 1, WHITE)
    canvas.vline(right + 1, top - 1, bottom + 1, WHITE)
    canvas.hline(left, right, bottom, LIGHT_GREY)
    canvas.vline(right, top, bottom, LIGHT_GREY)


def draw_monitor():
    picture = Canvas(PICTURE_WIDTH, PICTURE_HEIGHT)

    # The cabinet, with its outer corners cut off so they look rounded.
    left, top, right, bottom = 3, 3, 181, 144
    picture.rect(left, top, right, bottom, LIGHT_GREY)
    raised_frame(picture, left, top, right, bottom)
    for x, y in [(left, top), (right - 1, top), (left, bottom - 1), (right - 1, bottom - 1)]:
        picture.put(x, y, CLEAR)

    # The screen sits in a groove of the bezel.
    sunken_frame(picture, *SCREEN)
    picture.rect(*SCREEN, DARK_CYAN)

    # A power button and a green lamp under the screen's right corner.
    picture.rect(140, 135, 150, 140, LIGHT_GREY)
    raised_frame(picture, 140, 135, 150, 140)
    picture.rect(156, 136, 163, 139, GREEN)
    picture.hline(156, 162, 139, DARK_GREEN)

    # The stand: a neck and a wide foot; beside them the background shows.
    picture.rect(72, 144, 112, 152, LIGHT_GREY)
    picture.vline(72, 144, 151, WHITE)
    picture.vline(110, 144, 151, DARK_GREY)
    picture.vline(111, 144, 151, BLACK)
    picture.hline(73, 109, 144, DARK_GREY)  # shadow of the cabinet on the neck
    foot = [(48, 152), (136, 152), (150, 166), (34, 166)]
    picture.polygon(foot, LIGHT_GREY)
    picture.hline(48, 135, 152, WHITE)
    picture.line(48, 152, 35, 165, WHITE)
    picture.line(135, 153, 146, 164, DARK_GREY)
    picture.hline(35, 149, 164, DARK_GREY)
    picture.hline(34, 150, 165, BLACK)
    return picture


def monitor_with_mask(picture):
    """The picture, black where the background shows, beside its mask,
    black where the picture covers the background and white elsewhere.
    The control ANDs the mask and XORs the picture onto what lies below."""
    both = Canvas(2 * picture.width, picture.height, BLACK)
    for y in range(picture.height):
        for x in range(picture.width):
            colour = picture.get(x, y)
            both.put(x, y, BLACK if colour is CLEAR else colour)
            both.put(picture.width + x, y, WHITE if colour is CLEAR else BLACK)
    return both


# ---------------------------------------------------------------------------
# Corner marks (bitmaps 3011 to 3013)

MARK_WIDTH, MARK_HEIGHT = 24, 22


def raised_square():
    mark = Canvas(MARK_WIDTH, MARK_HEIGHT, LIGHT_GREY)
    raised_frame(mark, 0, 0, MARK_WIDTH, MARK_HEIGHT)
    return mark


def draw_mark_default():
    return raised_square()


def draw_mark_now():
    mark = raised_square()
    # A tick two pixels thick: down to the bottom of its hook, then up.
    mark.line(6, 10, 9, 13, BLACK, width=2)
    mark.line(9, 13, 16, 6, BLACK, width=2)
    return mark


def draw_mark_never():
    mark = raised_square()
    # Centred on pixel (11, 10), the middle of the face inside the edges.
    mark.disc(11.5, 10.5, 5.4, DARK_RED)
    return mark


# ---------------------------------------------------------------------------
# Icons (199 and 100)

ICON_SIZE = 32  # the size the icons are designed at
ICON_SIZES = (32, 16, 48, 64)


def draw_library_icon(size):
    """A dark-blue bird on a bar, a red sun at the top left, a green plant
    at the right; transparent around them."""
    canvas = Canvas(size, size)
    icon = Scaled(canvas, size / ICON_SIZE)

    # The sun and its rays.
    for x0, y0, x1, y1 in [(7, 0, 7, 1), (0, 7, 1, 7), (12, 7, 14, 7), (7, 12, 7, 14),
                           (2, 2, 3, 3), (11, 11, 12, 12), (11, 3, 12, 2), (3, 11, 2, 12)]:
        icon.line(x0, y0, x1, y1, RED)
    icon.disc(7.5, 7.5, 4, RED)

    # The plant: a stem with leaves, in a pot standing on the bar.
    icon.vline(27, 9, 21, DARK_GREEN)
    icon.ellipse(25, 12.5, 2.5, 1.5, GREEN)
    icon.ellipse(30, 15.5, 2.5, 1.5, GREEN)
    icon.ellipse(24.5, 18, 2.5, 1.5, GREEN)
    icon.disc(27.5, 9, 1.5, GREEN)
    icon.polygon([(24, 21), (31, 21), (30, 25), (25, 25)], DARK_RED)

    # The bar.
    icon.rect(0, 25, 32, 28, DARK_YELLOW)
    icon.hline(0, 31, 28, BLACK)

    # The bird: tail, body, head, beak, eye and legs.
    icon.polygon([(10, 17), (3, 21), (5, 23), (12, 20)], DARK_BLUE)
    icon.ellipse(14, 17, 6, 4, DARK_BLUE)
    icon.disc(18.5, 11.5, 3.5, DARK_BLUE)
    icon.polygon([(15, 12), (21, 13), (19, 17), (13, 16)], DARK_BLUE)
    icon.ellipse(12.5, 16.5, 3.5, 1.5, BLUE)  # the wing
    icon.polygon([(21, 10), (25, 12), (21, 13)], YELLOW)
    icon.put(19, 10, WHITE)
    icon.vline(13, 21, 24, BLACK)
    icon.vline(16, 21, 24, BLACK)
    icon.hline(12, 14, 24, BLACK)
    icon.hline(15, 17, 24, BLACK)
    return canvas


# The demo's closed loop of 15 points, frozen in one pose.
LOOP = [(16, 4), (21, 8), (27, 6), (25, 13), (28, 19), (22, 21), (21, 27),
        (15, 23), (9, 27), (9, 20), (4, 17), (8, 12), (4, 6), (10, 8), (13, 3)]
LOOP_COLOURS = [RED, YELLOW, GREEN, CYAN, BLUE, MAGENTA]
TRAIL_COLOURS = [DARK_RED, DARK_YELLOW, DARK_GREEN, DARK_CYAN, DARK_BLUE, DARK_MAGENTA]


def draw_saver_icon(size):
    """brix.scr: a loop of coloured line segments on black, with a dim
    copy of itself a little behind as the fading trail."""
    canvas = Canvas(size, size, BLACK)
    icon = Scaled(canvas, size / ICON_SIZE)
    for x in (0, ICON_SIZE - 1):
        icon.vline(x, 0, ICON_SIZE - 1, DARK_GREY)
    for y in (0, ICON_SIZE - 1):
        icon.hline(0, ICON_SIZE - 1, y, DARK_GREY)
    for shift, colours in [(2, TRAIL_COLOURS), (0, LOOP_COLOURS)]:
        for i, (x0, y0) in enumerate(LOOP):
            x1, y1 = LOOP[(i + 1) % len(LOOP)]
            icon.line(x0 + shift, y0 + shift, x1 + shift, y1 + shift,
                      colours[i % len(colours)])
    return canvas


# ---------------------------------------------------------------------------

def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_art.py OUTPUT_DIRECTORY\n")
        return 2
    directory = argv[1]
    os.makedirs(directory, exist_ok=True)
    files = {
        "monitor.bmp": bmp_file(monitor_with_mask(draw_monitor())),
        "mark_default.bmp": bmp_file(draw_mark_default()),
        "mark_now.bmp": bmp_file(draw_mark_now()),
        "mark_never.bmp": bmp_file(draw_mark_never()),
        "dusklit.ico": ico_file([draw_library_icon(n) for n in ICON_SIZES]),
        "saver.ico": ico_file([draw_saver_icon(n) for n in ICON_SIZES]),
    }
    for name, data in files.items():
        with open(os.path.join(directory, name), "wb") as out:
            out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
