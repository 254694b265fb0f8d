#!/usr/bin/env python3
"""Draws the program's icon and cursor and writes tessarel.ico and tessarel.cur.

Icon: 32 x 32, 16 colours. A sheet of transparency checkerboard with a colour swatch
fading into it, the picture of what the program does. Cursor: 32 x 32 monochrome, an
arrow with a small square at its tail, hot spot at (1, 1).

Run it from anywhere: python3 resources/make_icon_and_cursor.py
"""
import os
import struct

SIZE = 32
HERE = os.path.dirname(os.path.abspath(__file__))

# The standard 16-colour palette as (red, green, blue); the file stores each entry as
# blue, green, red, 0.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, SILVER, WHITE, BLUE, CYAN = 0, 8, 7, 15, 12, 14


def icon_pixels():
    """Rows top to bottom of palette indices, and a mask (1 = transparent)."""
    pixels = [[None] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            if x < 2 or y < 2 or x > 29 or y > 29:
                continue  # transparent margin
            if x in (2, 29) or y in (2, 29):
                pixels[y][x] = BLACK  # frame of the sheet
                continue
            checker = SILVER if ((x // 4) + (y // 4)) % 2 else WHITE
            # A blue swatch whose lower right half thins out into the checkerboard.
            if 6 <= x <= 25 and 6 <= y <= 25:
                fade = (x - 6) + (y - 6)
                if fade < 16:
                    pixels[y][x] = BLUE
                elif fade < 28:
                    pixels[y][x] = BLUE if (x + y) % 2 else CYAN
                elif fade < 34:
                    pixels[y][x] = CYAN if (x + y) % 2 else checker
                else:
                    pixels[y][x] = checker
            else:
                pixels[y][x] = checker
    return pixels


def bmp_info_header(width, height_twice, bit_count, colours):
    image_bytes = 0
    return struct.pack('<IiiHHIIiiII', 40, width, height_twice, 1, bit_count, 0,
                       image_bytes, 0, 0, colours, 0)


def mask_rows(is_transparent):
    """AND mask rows bottom-up, 1 bit per pixel, rows padded to 4 bytes."""
    data = b''
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if is_transparent(x, y) else 0)
        data += bits.to_bytes(4, 'big')
    return data


def make_icon():
    pixels = icon_pixels()
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor = b''
    for y in reversed(range(SIZE)):
        row = [p if p is not None else BLACK for p in pixels[y]]
        xor += bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2))
    image = (bmp_info_header(SIZE, SIZE * 2, 4, 16) + palette + xor +
             mask_rows(lambda x, y: pixels[y][x] is None))
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def arrow_shape():
    """Outline and fill of the cursor: 'o' black outline, 'w' white inside."""
    rows = [
        "o",
        "oo",
        "owo",
        "owwo",
        "owwwo",
        "owwwwo",
        "owwwwwo",
        "owwwwwwo",
        "owwwwwwwo",
        "owwwwwwwwo",
        "owwwwwoooo",
        "owwowwo",
        "owo owwo",
        "oo  owwo",
        "o    owwo",
        "     owwo",
        "      oo",
    ]
    shape = {}
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if c in 'ow':
                shape[(x + 1, y + 1)] = c  # the tip lands on the hot spot (1, 1)
    # A small hollow square at the tail: the range the program edits.
    for y in range(19, 27):
        for x in range(12, 20):
            shape[(x, y)] = 'o' if x in (12, 19) or y in (19, 26) else 'w'
    return shape


def make_cursor():
    shape = arrow_shape()
    palette = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    xor = b''
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if shape.get((x, y)) == 'w' else 0)
        xor += bits.to_bytes(4, 'big')
    image = (bmp_info_header(SIZE, SIZE * 2, 1, 2) + palette + xor +
             mask_rows(lambda x, y: (x, y) not in shape))
    directory = struct.pack('<HHH', 0, 2, 1)
    hot_x, hot_y = 1, 1
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 2, 0, hot_x, hot_y, len(image), 6 + 16)
    return directory + entry + image


def main():
    with open(os.path.join(HERE, 'tessarel.ico'), 'wb') as f:
        f.write(make_icon())
    with open(os.path.join(HERE, 'tessarel.cur'), 'wb') as f:
        f.write(make_cursor())


if __name__ == '__main__':
    main()
