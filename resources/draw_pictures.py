#!/usr/bin/env python3
"""Draw Velmor's icon and menu/button glyphs.

Usage: python3 draw_pictures.py <outdir>

Every picture is generated from code so the build never depends on binary
art checked into the tree, and the output is byte-identical on every run.
Only the standard library is used so the build needs nothing beyond Python.

Writes velmor.ico (32, 24, 20 and 16 pixels, 32-bit BGRA), a set of 24-bit BMPs in
which pure magenta (255, 0, 255) marks the transparent background, and the
256-colour alarm strip (two 32x32 frames side by side, magenta background).
"""
import math
import os
import struct
import sys

MAGENTA = (255, 0, 255)

# Palette.  None of these may ever equal MAGENTA, or that pixel would turn
# transparent when the toolbar/menu code keys it out.
WHITE = (255, 255, 255)
OUTLINE = (40, 40, 48)
CHIP_BODY = (72, 72, 76)
CHIP_EDGE = (30, 30, 34)
PIN = (176, 176, 180)
GREEN = (20, 170, 40)
DARK_GREEN = (0, 100, 20)
RED = (210, 30, 30)
DARK_RED = (130, 0, 0)
BLUE = (40, 100, 210)
DARK_BLUE = (10, 50, 130)
GREY = (150, 150, 150)
LIGHT_GREY = (214, 214, 214)


# --- primitives --------------------------------------------------------------
# Shapes are predicates over continuous coordinates; a pixel is painted when
# its centre lies inside.  That keeps every shape crisp (no blending into the
# magenta key colour) and makes them trivially reusable at any size.

def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in < (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def polygon(points):
    """Even-odd point-in-polygon test."""
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < xi + (y - yi) * (xj - xi) / (yj - yi):
                hit = not hit
            j = i
        return hit
    return inside


def sparkle(cx, cy, arm, waist):
    """Four-pointed star: long thin arms pinched to `waist` near the centre."""
    return polygon([(cx, cy - arm), (cx + waist, cy - waist), (cx + arm, cy),
                    (cx + waist, cy + waist), (cx, cy + arm),
                    (cx - waist, cy + waist), (cx - arm, cy),
                    (cx - waist, cy - waist)])


class Canvas:
    """Top-down RGB canvas; flipped to bottom-up only when saved."""

    def __init__(self, size, background=MAGENTA, height=None):
        self.w, self.h = size, height or size
        self.px = [[background] * self.w for _ in range(self.h)]

    def fill(self, inside, colour):
        assert colour != MAGENTA, "magenta is reserved for transparency"
        for y in range(self.h):
            for x in range(self.w):
                if inside(x + 0.5, y + 0.5):
                    self.px[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Filled rectangle, inclusive pixel coordinates."""
        self.fill(lambda x, y: x0 <= x < x1 + 1 and y0 <= y < y1 + 1, colour)

    def frame(self, x0, y0, x1, y1, fill, edge):
        self.rect(x0, y0, x1, y1, edge)
        self.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill)


# --- file writers ------------------------------------------------------------

def write_bmp(path, canvas):
    stride = (canvas.w * 3 + 3) & ~3
    rows = []
    for row in reversed(canvas.px):  # BMPs are stored bottom-up
        data = b"".join(struct.pack("<BBB", b, g, r) for r, g, b in row)
        rows.append(data + b"\0" * (stride - len(data)))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0,
                       len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0,
                         14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_bmp8(path, frames):
    """Frames side by side as one 256-colour BMP; the palette holds the colours used."""
    h = frames[0].h
    w = sum(f.w for f in frames)
    rows = [sum((f.px[y] for f in frames), []) for y in range(h)]
    palette = sorted({c for row in rows for c in row})
    assert len(palette) <= 256, "too many colours for a 256-colour bitmap"
    index = {c: i for i, c in enumerate(palette)}
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    table += b"\0" * (4 * (256 - len(palette)))
    stride = (w + 3) & ~3
    pixels = b"".join(bytes(index[c] for c in row).ljust(stride, b"\0")
                      for row in reversed(rows))  # bottom-up
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(pixels),
                       2835, 2835, 256, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + table + pixels)


def ico_image(size, rgba):
    """One icon image: BITMAPINFOHEADER + BGRA XOR bitmap + 1-bit AND mask."""
    xor = b"".join(struct.pack("<BBBB", b, g, r, a)
                   for row in reversed(rgba) for r, g, b, a in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rgba):
        bits = 0
        for r, g, b, a in row:
            bits = (bits << 1) | (1 if a == 0 else 0)
        bits <<= -size % 8  # the first pixel in the top bit, the row padded to whole bytes
        mask += bits.to_bytes((size + 7) // 8, "big").ljust(mask_stride, b"\0")
    # biHeight covers XOR and AND bitmaps together, hence 2 * size.
    info = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def write_ico(path, images):
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for size, rgba in images:
        blob = ico_image(size, rgba)
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32,
                               len(blob), offset)
        blobs += blob
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(header + entries + blobs)


# --- the program icon ----------------------------------------------------------
# An isometric cube whose three visible faces are each split into 3x3 blocks.
# It is computed analytically and supersampled so the 16x16 version is the
# same drawing, just smaller, with soft alpha edges instead of jaggies.

FACE_COLOURS = {  # (lighter, darker) block shades; top face catches the light
    "top": ((110, 175, 245), (70, 135, 225)),
    "left": ((95, 200, 105), (55, 160, 75)),
    "right": ((250, 170, 70), (225, 130, 35)),
}
SIN60 = math.sin(math.pi / 3)


def cube_sample(x, y, size, line_half, grid_shade):
    """Colour of the cube at (x, y), or None if the point misses it."""
    a = size / 2.0 - 0.5                       # cube edge in pixels
    ex, ey, ez = (SIN60 * a, 0.5 * a), (-SIN60 * a, 0.5 * a), (0.0, -a)
    # Centre of the cube (0.5, 0.5, 0.5) lands on the canvas centre.
    ox = size / 2.0 - 0.5 * (ex[0] + ey[0] + ez[0])
    oy = size / 2.0 - 0.5 * (ex[1] + ey[1] + ez[1])
    faces = (("top", ez, ex, ey), ("left", ey, ex, ez), ("right", ex, ey, ez))
    slack = line_half / (a * SIN60)            # line half-width in face units
    for name, base, ua, va in faces:
        dx, dy = x - ox - base[0], y - oy - base[1]
        det = ua[0] * va[1] - ua[1] * va[0]
        u = (dx * va[1] - dy * va[0]) / det
        v = (ua[0] * dy - ua[1] * dx) / det
        if not (-slack <= u <= 1 + slack and -slack <= v <= 1 + slack):
            continue
        # Cube edges are always dark; the block seams inside a face may be
        # a tint instead, since black seams swamp a 16x16 cube.
        if min(abs(u - round(u)), abs(v - round(v))) <= slack:
            return OUTLINE
        if min(abs(u * 3 - round(u * 3)), abs(v * 3 - round(v * 3))) <= 3 * slack:
            if grid_shade is None:
                return OUTLINE
            return tuple(int(c * grid_shade) for c in FACE_COLOURS[name][1])
        i, j = int(u * 3), int(v * 3)
        return FACE_COLOURS[name][(i + j) % 2]
    return None


def draw_cube(size, line_half, grid_shade=None, samples=4):
    """Supersampled RGBA rows (top-down) of the cube at the given size."""
    rgba = []
    for py in range(size):
        row = []
        for px in range(size):
            acc, hits = [0, 0, 0], 0
            for sy in range(samples):
                for sx in range(samples):
                    c = cube_sample(px + (sx + 0.5) / samples,
                                    py + (sy + 0.5) / samples,
                                    size, line_half, grid_shade)
                    if c:
                        hits += 1
                        acc = [acc[k] + c[k] for k in range(3)]
            if hits:
                alpha = round(255 * hits / samples ** 2)
                row.append(tuple(round(v / hits) for v in acc) + (alpha,))
            else:
                row.append((0, 0, 0, 0))
        rgba.append(row)
    return rgba


# --- glyphs ------------------------------------------------------------------

def draw_defrag():
    """Memory chip with a green sparkle: memory being tidied up."""
    c = Canvas(24)
    for px in range(3, 15, 3):               # pins along both long sides
        c.rect(px, 8, px + 1, 9, PIN)
        c.rect(px, 19, px + 1, 20, PIN)
    c.frame(1, 10, 16, 18, CHIP_BODY, CHIP_EDGE)
    c.rect(3, 12, 4, 13, PIN)                # pin-1 marker
    # Four-pointed sparkle, outlined so it reads against any menu colour.
    # Centred on pixel centres so the arms come out exactly one pixel wide.
    c.fill(sparkle(18.5, 6.5, 4.8, 1.5), DARK_GREEN)
    c.fill(sparkle(18.5, 6.5, 3.6, 0.8), GREEN)
    c.fill(sparkle(7.5, 4.5, 2.6, 0.9), GREEN)   # small second twinkle
    return c


def draw_stop(size, arm, band):
    """Red stop disc with a white X, filling a square of the given size."""
    c = Canvas(size)
    m = size / 2
    c.fill(disc(m, m, m - 0.5), DARK_RED)
    c.fill(disc(m, m, m - 1.5), RED)
    # Diagonal bands clipped to a square give clean pixel-stepped strokes
    # without the blobby ends a round-capped line would leave at this size.
    in_box = lambda x, y: abs(x - m) < arm and abs(y - m) < arm
    c.fill(lambda x, y: in_box(x, y) and abs(x - y) < band, WHITE)
    c.fill(lambda x, y: in_box(x, y) and abs(x + y - size) < band, WHITE)
    return c


def draw_abort():
    return draw_stop(20, 4.6, 1.5)


def draw_hide():
    """Window dropping down into the taskbar's tray."""
    c = Canvas(24)
    c.frame(1, 1, 14, 13, WHITE, DARK_BLUE)
    c.rect(2, 2, 13, 4, BLUE)                # title bar
    c.rect(11, 3, 12, 3, WHITE)              # close box hint
    c.frame(0, 19, 23, 23, LIGHT_GREY, GREY)  # taskbar
    c.rect(18, 20, 21, 22, BLUE)             # the tray icon it ends up as
    c.rect(18, 5, 19, 12, GREEN)             # arrow shaft, above the tray icon
    c.fill(polygon([(15.6, 12.6), (22.4, 12.6), (19, 16.6)]), GREEN)
    return c


def draw_quit():
    """Power symbol: universally read as 'switch off'."""
    c = Canvas(24)
    cx, cy = 12, 13
    gap = math.radians(38)

    def arc(x, y):
        ang = math.atan2(x - cx, cy - y)      # 0 = straight up
        return abs(ang) > gap and ring(cx, cy, 9.4, 6.8)(x, y)
    c.fill(arc, RED)
    c.rect(11, 2, 12, 12, RED)
    return c


def draw_about():
    """Blue info disc with a serif white 'i'."""
    c = Canvas(24)
    c.fill(disc(12, 12, 11.2), DARK_BLUE)
    c.fill(disc(12, 12, 10.2), BLUE)
    c.rect(11, 5, 12, 7, WHITE)              # dot
    c.rect(9, 10, 12, 11, WHITE)             # top serif
    c.rect(11, 10, 12, 17, WHITE)            # stem
    c.rect(9, 17, 14, 18, WHITE)             # foot
    return c


def draw_readme():
    """Sheet of paper with text lines and a dog-eared corner."""
    c = Canvas(32)
    left, top, right, bottom, fold = 5, 1, 26, 30, 7
    sheet = polygon([(left, top), (right + 1 - fold, top), (right + 1, top + fold),
                     (right + 1, bottom + 1), (left, bottom + 1)])
    c.fill(sheet, GREY)
    c.fill(polygon([(left + 1, top + 1), (right - fold + 0.6, top + 1),
                    (right, top + fold + 0.4), (right, bottom),
                    (left + 1, bottom)]), WHITE)
    # The turned-down flap.
    c.fill(polygon([(right + 1 - fold, top), (right + 1 - fold, top + fold + 1),
                    (right + 1, top + fold + 1)]), GREY)
    c.fill(polygon([(right + 2 - fold, top + 2), (right + 2 - fold, top + fold),
                    (right - 0.5, top + fold)]), LIGHT_GREY)
    # Ragged right edges so it reads as prose rather than a table.
    for n, end in enumerate((17, 22, 20, 22, 16, 21, 22, 13)):
        y = 6 + 3 * n
        if y < top + fold + 2:               # keep clear of the flap
            end = min(end, right - fold - 1)
        c.rect(8, y, end, y, GREY)
    return c


# --- the tray animation --------------------------------------------------------
# The tray icon blinks between a warning triangle and an empty frame while free
# memory is low.  Both are 24-bit icons drawn at each size the shell asks for a
# small icon (16, 20, 24 and 32 pixels: 96 to 192 DPI), the 32-pixel one first;
# where the AND mask is set the colour stays black so the frame shows whatever
# lies behind it.

TRAY_SIZES = (32, 24, 20, 16)

YELLOW = (255, 210, 0)
DARK_YELLOW = (150, 100, 0)
BLACK = (0, 0, 0)


def ico24(pictures):
    """A .ico file holding one 24-bit image of each (canvas, opaque) picture;
    opaque(x, y) says which pixels belong to it (the rest are see-through)."""
    images = [image24(canvas, opaque) for canvas, opaque in pictures]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for (canvas, _), image in zip(pictures, images):
        entries += struct.pack("<BBBBHHII", canvas.w, canvas.w, 0, 0, 1, 24, len(image), offset)
        offset += len(image)
    return header + entries + b"".join(images)


def image24(canvas, opaque):
    size = canvas.w
    stride = (size * 3 + 3) & ~3
    xor = b""
    for y in reversed(range(size)):
        row = b"".join(struct.pack("<BBB", b, g, r) if opaque(x, y) else b"\0\0\0"
                       for x, (r, g, b) in enumerate(canvas.px[y]))
        xor += row + b"\0" * (stride - len(row))
    mask_stride = ((size + 31) // 32) * 4
    mask = b""
    for y in reversed(range(size)):
        bits = 0
        for x in range(size):
            bits = (bits << 1) | (0 if opaque(x, y) else 1)
        bits <<= -size % 8  # the first pixel in the top bit, the row padded to whole bytes
        mask += bits.to_bytes((size + 7) // 8, "big").ljust(mask_stride, b"\0")
    info = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 24, 0,
                       len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def draw_warning(size=32):
    """Yellow warning triangle with a black exclamation mark, drawn for size
    (the 32-pixel drawing's coordinates scaled; the "!" stays at least one
    pixel wide)."""
    k = size / 32
    c = Canvas(size)
    outer = polygon([(16 * k, 1.5 * k), (31 * k, 29.5 * k), (1 * k, 29.5 * k)])
    c.fill(outer, DARK_YELLOW)
    c.fill(polygon([(16 * k, 4.6 * k), (28.6 * k, 28 * k), (3.4 * k, 28 * k)]), YELLOW)
    half = max(0.5, k)                       # half the stroke's width
    mid = 16 * k
    c.fill(lambda x, y: mid - half <= x < mid + half and 10 * k <= y < 22 * k, BLACK)  # the stroke
    c.fill(lambda x, y: mid - half <= x < mid + half and 24 * k <= y < 26 * k, BLACK)  # its dot
    return c, lambda x, y: outer(x + 0.5, y + 0.5)


def draw_empty_frame(size=32):
    """Nothing at all: every pixel is see-through."""
    return Canvas(size), lambda x, y: False


def icon_list(icons):
    """The tray icon's stored animation list: count, then for every entry its
    byte length and the .ico file itself, all little-endian."""
    data = struct.pack("<i", len(icons))
    for ico in icons:
        data += struct.pack("<i", len(ico)) + ico
    return data


# --- the tray popup's images -------------------------------------------------------
# Six 16x16 pictures side by side in one strip, magenta behind them, in the
# order of the popup's image list: restore, quit, defrag, on top (unused),
# abort, hide.

def draw_restore16():
    """A window coming up out of the taskbar."""
    c = Canvas(16)
    c.frame(1, 2, 14, 12, WHITE, DARK_BLUE)
    c.rect(2, 3, 13, 4, BLUE)                # title bar
    c.rect(4, 14, 11, 14, GREY)              # where it came from
    c.fill(polygon([(7.5, 6), (11, 10), (4, 10)]), GREEN)
    return c


def draw_quit16():
    c = Canvas(16)
    cx, cy = 8, 8.5
    gap = math.radians(40)

    def arc(x, y):
        ang = math.atan2(x - cx, cy - y)
        return abs(ang) > gap and ring(cx, cy, 6.6, 4.6)(x, y)
    c.fill(arc, RED)
    c.rect(7, 1, 8, 8, RED)
    return c


def draw_defrag16():
    c = Canvas(16)
    for px in (3, 6, 9):
        c.rect(px, 6, px, 6, PIN)
        c.rect(px, 13, px, 13, PIN)
    c.frame(1, 7, 11, 12, CHIP_BODY, CHIP_EDGE)
    c.fill(sparkle(12.5, 4.5, 3.6, 1.1), DARK_GREEN)
    c.fill(sparkle(12.5, 4.5, 2.6, 0.6), GREEN)
    return c


def draw_pin16():
    """A drawing pin: stays on top."""
    c = Canvas(16)
    c.fill(disc(9.5, 6.5, 4.5), DARK_RED)
    c.fill(disc(9.5, 6.5, 3.5), RED)
    c.fill(lambda x, y: abs((x - 2) - (14 - y)) < 0.8 and 1.5 < x < 7, GREY)
    return c


def draw_abort16():
    return draw_stop(16, 3.6, 1.1)


def draw_hide16():
    c = Canvas(16)
    c.frame(0, 0, 9, 8, WHITE, DARK_BLUE)
    c.rect(1, 1, 8, 2, BLUE)
    c.frame(0, 12, 15, 15, LIGHT_GREY, GREY)  # taskbar
    c.rect(12, 13, 14, 14, BLUE)             # the tray icon
    c.rect(12, 3, 13, 7, GREEN)
    c.fill(polygon([(10, 7.6), (16, 7.6), (13, 11)]), GREEN)
    return c


def strip(canvases):
    """Pictures of one height side by side, as one canvas."""
    s = Canvas(canvases[0].h)
    s.w = sum(c.w for c in canvases)
    s.px = [sum((c.px[y] for c in canvases), []) for y in range(s.h)]
    return s


# --- flags of the Language menu ------------------------------------------------
# 16x16, 4 bits per pixel, the standard 16-colour palette of Windows in its order.
# The 12x8 flag sits in a one-pixel black frame (14x10) whose top-left pixel is at
# column 1, row 3; everything else is magenta, which the menu keys out.

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# One letter per palette index, for drawing flags as text.
FLAG_INK = {"k": 0, "m": 1, "g": 2, "n": 4, "s": 7, "r": 9, "y": 11, "b": 12, "w": 15}
FLAG_W, FLAG_H, FRAME_X, FRAME_Y = 12, 8, 1, 3


def bands(colours, rows):
    """Horizontal bands: one colour letter per band, heights in rows."""
    return [c * FLAG_W for c, n in zip(colours, rows) for _ in range(n)]


def pales(colours):
    """Three vertical bands of equal width."""
    return ["".join(c * (FLAG_W // 3) for c in colours)] * FLAG_H


FLAGS = {
    "AT": bands("rwr", (3, 2, 3)),
    "BE": pales("kyr"),
    "CN": ["rrrrryrrrrrr",
           "ryyrrryrrrrr",
           "yyyyrrrrrrrr",
           "ryyrrryrrrrr",
           "ryryryrrrrrr",
           "rrrrrrrrrrrr",
           "rrrrrrrrrrrr",
           "rrrrrrrrrrrr"],
    "D": bands("kry", (3, 2, 3)),
    "EN": ["wrnnwrrwnnww",
           "nnwwwrrwwrnn",
           "wwwwwrrwwwww",
           "rrrrrrrrrrrr",
           "rrrrrrrrrrrr",
           "wwwwwrrwwwww",
           "nnrwwrrwwwnn",
           "wwnnwrrwnnrw"],
    "ES": ["rrrrrrrrrrrr",
           "rrrrrrrrrrrr",
           "yyyyyyyyyyyy",
           "yymryyyyyyyy",
           "yyrmyyyyyyyy",
           "yyyyyyyyyyyy",
           "rrrrrrrrrrrr",
           "rrrrrrrrrrrr"],
    "FR": pales("bwr"),
    "GR": ["bbwbbbbbbbbb",
           "bbwbbwwwwwww",
           "wwwwwbbbbbbb",
           "bbwbbwwwwwww",
           "bbwbbbbbbbbb",
           "wwwwwwwwwwww",
           "bbbbbbbbbbbb",
           "wwwwwwwwwwww"],
    "IT": pales("gwr"),
    "JP": ["wwwwwwwwwwww",
           "wwwwwwwwwwww",
           "wwwwwrrwwwww",
           "wwwwrrrrwwww",
           "wwwwrrrrwwww",
           "wwwwwrrwwwww",
           "wwwwwwwwwwww",
           "wwwwwwwwwwww"],
    "RO": pales("nyr"),
    "RU": bands("wbr", (3, 2, 3)),
}


def flag_indices(rows):
    """The 16x16 picture of a flag as palette indices, top row first."""
    magenta = VGA16.index(MAGENTA)
    px = [[magenta] * 16 for _ in range(16)]
    for y in range(FLAG_H + 2):
        for x in range(FLAG_W + 2):
            px[FRAME_Y + y][FRAME_X + x] = 0
    assert len(rows) == FLAG_H and all(len(r) == FLAG_W for r in rows)
    for y, row in enumerate(rows):
        for x, ink in enumerate(row):
            px[FRAME_Y + 1 + y][FRAME_X + 1 + x] = FLAG_INK[ink]
    return px


def write_bmp4(path, px):
    """An uncompressed 4-bit bitmap with the standard 16-colour palette."""
    w, h = len(px[0]), len(px)
    stride = ((w * 4 + 31) // 32) * 4
    rows = []
    for row in reversed(px):  # bottom-up
        data = bytes((row[x] << 4) | (row[x + 1] if x + 1 < w else 0) for x in range(0, w, 2))
        rows.append(data + b"\0" * (stride - len(data)))
    pixels = b"".join(rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA16)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


SHADOW = (128, 128, 128)


def draw_alarm():
    """The low-memory alarm: a yellow warning triangle with a black '!' and a grey
    shadow, then an empty frame, so that the image blinks."""
    warn = Canvas(32)
    tri = [(15.5, 2.0), (29.5, 27.0), (1.5, 27.0)]
    warn.fill(polygon([(x + 2, y + 2) for x, y in tri]), SHADOW)
    warn.fill(polygon(tri), BLACK)
    warn.fill(polygon([(15.5, 5.2), (26.8, 25.5), (4.2, 25.5)]), YELLOW)  # the tray icon's yellow
    warn.rect(14, 10, 16, 19, BLACK)         # the bar of the '!'
    warn.rect(14, 21, 16, 23, BLACK)         # its dot
    return [warn, Canvas(32)]


# --- the About window's logo ---------------------------------------------------
# 287 x 70 on the window's black: a memory chip and the name in block letters on a
# blue band. The build encodes it as a baseline JPEG; the flat areas below are
# wide enough to keep their colour through the encoding (the tests look there).

LOGO_W, LOGO_H = 287, 70
BLACK_BG = (0, 0, 0)
BAND_FROM, BAND_TO = (0, 40, 96), (0, 128, 192)
LETTER = (236, 244, 255)
LETTER_SHADOW = (0, 24, 56)

BLOCK_LETTERS = {
    "V": ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    "E": ["XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"],
    "L": ["X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"],
    "M": ["X...X", "XX.XX", "X.X.X", "X.X.X", "X...X", "X...X", "X...X"],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
}


def draw_logo():
    c = Canvas(LOGO_W, BLACK_BG, LOGO_H)
    # The band: a rounded rectangle whose colour runs from left to right.
    band = polygon([(10, 4), (277, 4), (283, 10), (283, 60), (277, 66), (10, 66), (4, 60), (4, 10)])
    for y in range(c.h):
        for x in range(c.w):
            if band(x + 0.5, y + 0.5):
                t = (x - 4) / (283 - 4)
                c.px[y][x] = tuple(round(a + (b - a) * t) for a, b in zip(BAND_FROM, BAND_TO))
    # The chip: body, notch and pins.
    for i in range(5):
        c.rect(22 + i * 8, 12, 24 + i * 8, 15, PIN)
        c.rect(22 + i * 8, 55, 24 + i * 8, 58, PIN)
    c.frame(16, 16, 62, 54, CHIP_BODY, CHIP_EDGE)
    c.fill(disc(24, 24, 3), CHIP_EDGE)
    # The name, 5 pixels to a cell, with a shadow one cell-fifth down and right.
    cell, left, top = 5, 82, 18
    for colour, dx in ((LETTER_SHADOW, 2), (LETTER, 0)):
        for k, ch in enumerate("VELMOR"):
            for row, bits in enumerate(BLOCK_LETTERS[ch]):
                for col, bit in enumerate(bits):
                    if bit == "X":
                        x0 = left + k * 32 + col * cell + dx
                        y0 = top + row * cell + dx
                        c.rect(x0, y0, x0 + cell - 1, y0 + cell - 1, colour)
    return c


def draw_pattern():
    """The colour button's 8 x 8 dither pattern: a black and white checkerboard (the button
    rewrites its pixels for every face colour)."""
    white = VGA16.index(WHITE)
    return [[white if x % 2 == y % 2 else 0 for x in range(8)] for y in range(8)]


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_pictures.py <outdir>")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)

    # The small icon (16 to 32) at each size the shell asks for, each drawn for its size; the big
    # one is the 32-px drawing (the system scales it for a larger big icon: a 48-px drawing
    # would take 9.6 KB of a program kept under 640 KB).
    write_ico(os.path.join(out, "velmor.ico"),
              [(32, draw_cube(32, 0.55)), (16, draw_cube(16, 0.4, grid_shade=0.75)),
               (20, draw_cube(20, 0.45, grid_shade=0.75)), (24, draw_cube(24, 0.5, grid_shade=0.8))])

    defrag, abort = draw_defrag(), draw_abort()
    pictures = {
        "glyph_defrag24.bmp": defrag,
        "glyph_abort20.bmp": abort,
        "menu_defrag24.bmp": defrag,
        "menu_abort20.bmp": abort,
        "menu_hide24.bmp": draw_hide(),
        "menu_quit24.bmp": draw_quit(),
        "menu_about24.bmp": draw_about(),
        "menu_readme32.bmp": draw_readme(),
        "logo.bmp": draw_logo(),
    }
    for name, canvas in pictures.items():
        write_bmp(os.path.join(out, name), canvas)
    for code, rows in FLAGS.items():
        write_bmp4(os.path.join(out, "flag_%s.bmp" % code.lower()), flag_indices(rows))
    write_bmp8(os.path.join(out, "alarm_strip.bmp"), draw_alarm())
    write_bmp4(os.path.join(out, "ovclrbtnpattern.bmp"), draw_pattern())

    write_bmp(os.path.join(out, "popup_images16.bmp"),
              strip([draw_restore16(), draw_quit16(), draw_defrag16(),
                     draw_pin16(), draw_abort16(), draw_hide16()]))
    with open(os.path.join(out, "tray_icons.bin"), "wb") as f:
        f.write(icon_list([ico24([draw_warning(s) for s in TRAY_SIZES]),
                           ico24([draw_empty_frame(s) for s in TRAY_SIZES])]))


if __name__ == "__main__":
    main()
