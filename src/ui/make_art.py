#!/usr/bin/env python3
"""Draws the setup's logo (logo.bmp) and program icon (mainicon.ico).

Both use the common 16-colour palette, 4 bits per pixel, uncompressed, so
the resource compiler stores them as they are: the logo as a 6968-byte DIB
(the background window copies it pixel for pixel, 204 x 66), the icon as
one 744-byte 32 x 32 image with its transparency mask.
Run from any directory; it writes next to itself. Standard library only.
"""
import os
import struct

# Windows' 16-colour set as RGB; the dark colours sit at 191, light grey at
# 192, dark grey at 128.
PALETTE = [
    (0, 0, 0), (191, 0, 0), (0, 191, 0), (191, 191, 0),
    (0, 0, 191), (191, 0, 191), (0, 191, 191), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_BLUE, LIGHT_GREY, DARK_GREY, YELLOW, WHITE = 0, 4, 7, 8, 11, 15

# 5 x 7 glyphs for the letters of the maker's name.
GLYPHS = {
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "w": [".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."],
    "m": [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#...#"],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
}


def palette_bytes():
    return b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in PALETTE)


def info_header(width, height, image_size):
    # BITMAPINFOHEADER; an icon's height counts the image and its mask.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0,
                       image_size, 0, 0, 16, 0)


def pack_rows(pixels, width):
    """Bottom-up rows of 4-bit pixels, each padded to a 4-byte boundary."""
    stride = ((width * 4 + 31) // 32) * 4
    out = bytearray()
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, colour in enumerate(row):
            line[x // 2] |= colour << (4 if x % 2 == 0 else 0)
        out += line
    return bytes(out)


def text_mask(text, scale, gap):
    """Set of (x, y) covered by `text`, origin at its top-left corner."""
    covered = set()
    left = 0
    for ch in text:
        for gy, line in enumerate(GLYPHS[ch]):
            for gx, cell in enumerate(line):
                if cell == "#":
                    for dy in range(scale):
                        for dx in range(scale):
                            covered.add((left + gx * scale + dx, gy * scale + dy))
        left += 5 * scale + gap
    return covered, left - gap, 7 * scale


def draw_logo():
    width, height = 204, 66
    pixels = [[LIGHT_GREY] * width for _ in range(height)]
    letters, text_width, text_height = text_mask("Tallowmere", 3, 3)
    ox = (width - text_width) // 2
    oy = (height - text_height) // 2
    # Embossed: light from the top left, so the white edge sits up-left of
    # each stroke and the dark one down-right; the stroke keeps the field.
    for (dx, dy), colour in (((1, 1), DARK_GREY), ((-1, -1), WHITE),
                             ((0, 0), LIGHT_GREY)):
        for x, y in letters:
            px, py = ox + x + dx, oy + y + dy
            if 0 <= px < width and 0 <= py < height:
                pixels[py][px] = colour
    image = pack_rows(pixels, width)
    dib = info_header(width, height, len(image)) + palette_bytes() + image
    assert len(dib) == 6968
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(dib), 0, 0, 14 + 40 + 64)
    return file_header + dib


def draw_icon():
    size = 32
    pixels = [[BLACK] * size for _ in range(size)]
    opaque = [[False] * size for _ in range(size)]
    centre = (size - 1) / 2
    for y in range(size):
        for x in range(size):
            d2 = (x - centre) ** 2 + (y - centre) ** 2
            if d2 <= 15.5 ** 2:
                opaque[y][x] = True
                pixels[y][x] = DARK_GREY if d2 > 14 ** 2 else DARK_BLUE
    # A weather vane's arrow pointing up-right, with a fletched tail.
    for i in range(6, 26):
        x, y = i, size - 1 - i
        for w in (-1, 0, 1):
            if 0 <= y + w < size:
                pixels[y + w][x] = YELLOW
    for i in range(6):
        pixels[6 + i][20] = WHITE
        pixels[6][20 + i] = WHITE
        pixels[6 + i][25 - i] = WHITE
        pixels[26 - i][5 + i] = WHITE if i % 2 == 0 else YELLOW
    image = pack_rows(pixels, size)
    # AND mask: 1 bit per pixel, set where the screen shows through.
    mask = bytearray()
    for row in reversed(opaque):
        bits = 0
        for x, solid in enumerate(row):
            if not solid:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    entry = info_header(size, size * 2, len(image) + len(mask)) + palette_bytes() + image + bytes(mask)
    assert len(entry) == 744
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", size, size, 16, 0, 1, 4, len(entry), 6 + 16)
    return directory + entry


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "logo.bmp"), "wb") as f:
        f.write(draw_logo())
    with open(os.path.join(here, "mainicon.ico"), "wb") as f:
        f.write(draw_icon())


if __name__ == "__main__":
    main()
