#!/usr/bin/env python3
"""Draws the test font of the text golden-image test: font.png, glyphs found
by magenta separator pixels, and font.txt describing it. Glyph pixels are
orange in their upper rows and light blue in their lower rows, so that a
text drawn upside down or mirrored does not match the golden image.

    cd tests/render/gl/data && python3 make_font.py
"""
import struct
import zlib

GLYPHS = [
    ("N", ["#...#", "##..#", "##..#", "#.#.#", "#..##", "#..##", "#...#"]),
    ("O", [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."]),
    ("V", ["#...#", "#...#", "#...#", ".#.#.", ".#.#.", "..#..", "..#.."]),
    ("A", ["..#..", ".#.#.", "#...#", "#####", "#...#", "#...#", "#...#"]),
    (" ", ["...", "...", "...", "...", "...", "...", "..."]),
    ("3", ["####.", "....#", "....#", ".###.", "....#", "....#", "####."]),
    ("D", ["###.", "#..#", "#..#", "#..#", "#..#", "#..#", "###."]),
    ("\n", None),
    ("R", ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"]),
    ("I", ["#", "#", "#", "#", "#", "#", "#"]),
]
WIDTH, HEIGHT = 64, 24
EMPTY_X, EMPTY_Y = 1, 1
GLYPH_H = 7
MAGENTA = (255, 0, 255, 255)
CLEAR = (0, 0, 0, 0)


def colour(row):
    return (255, 160, 0, 255) if row < 4 else (80, 200, 255, 255)


def draw():
    pixels = [[CLEAR] * WIDTH for _ in range(HEIGHT)]
    x = y = 0
    row_height = 0
    table = ""
    for ch, rows in GLYPHS:
        table += ch
        if rows is None:  # a new glyph row, as the font reader moves on
            y += row_height + EMPTY_Y
            x = 0
            row_height = 0
            continue
        w = len(rows[0])
        for r, line in enumerate(rows):
            for c, p in enumerate(line):
                if p == "#":
                    pixels[y + r][x + c] = colour(r)
        # Separators: right of the top row, below the left column. The
        # glyph's box includes them (width w + 1, height 8).
        pixels[y][x + w] = MAGENTA
        pixels[y + GLYPH_H][x] = MAGENTA
        h = GLYPH_H + 1
        if h > row_height:
            row_height = h + 2
        x += w + 1 + EMPTY_X
    return pixels, table


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in pixels)
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def main():
    pixels, table = draw()
    with open("font.png", "wb") as out:
        out.write(png(pixels))
    with open("font.txt", "w", newline="\n") as out:
        out.write("B 'glyph size 0: found by separators' 0000 0000\n")
        out.write("'empty x and y' 0001 0001\n")
        out.write("C 00FF 0000 00FF\n")
        out.write('"font.png"\n')
        out.write('"' + table + '"\n')


if __name__ == "__main__":
    main()
