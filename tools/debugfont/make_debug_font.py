#!/usr/bin/env python3
"""Draws the renderer's built-in 8 x 8 debug font and writes it into
render/text/DebugFont.cpp as a PNG in a byte array.

The image is 128 x 32 pixels, RGBA, 16 cells of 8 x 8 per row, glyphs in the
order of the table below: opaque white where a glyph is drawn, transparent
black elsewhere. Each glyph is 5 x 7 pixels in the cell's columns 1..5 and
rows 0..6. Run from the repository root:

    python3 tools/debugfont/make_debug_font.py
"""
import struct
import zlib

# The table, as ISO 8859-1 bytes: A-Z, C5 C4 D6, digits and ":.-/ ".
TABLE = b"ABCDEFGHIJKLMNOPQRSTUVWXYZ" + bytes([0xC5, 0xC4, 0xD6]) + b"0123456789:.-/ "

GLYPHS = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "J": ["..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "\xc5": ["..#..", ".#.#.", "..#..", ".###.", "#...#", "#####", "#...#"],
    "\xc4": [".#.#.", ".....", ".###.", "#...#", "#####", "#...#", "#...#"],
    "\xd6": [".#.#.", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."],
    ":": [".....", "..#..", "..#..", ".....", "..#..", "..#..", "....."],
    ".": [".....", ".....", ".....", ".....", ".....", ".##..", ".##.."],
    "-": [".....", ".....", ".....", "#####", ".....", ".....", "....."],
    "/": [".....", "....#", "...#.", "..#..", ".#...", "#....", "....."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}

WIDTH, HEIGHT, CELL = 128, 32, 8


def draw():
    pixels = [[(0, 0, 0, 0)] * WIDTH for _ in range(HEIGHT)]
    for index, byte in enumerate(TABLE):
        rows = GLYPHS[chr(byte)]
        cx, cy = (index % 16) * CELL, (index // 16) * CELL
        for y, row in enumerate(rows):
            for x, c in enumerate(row):
                if c == "#":
                    pixels[cy + y][cx + 1 + x] = (255, 255, 255, 255)
    return pixels


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in pixels)
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def escaped(table):
    return "".join(chr(b) if 0x20 <= b < 0x7F and b not in (0x22, 0x5C) else "\\x%02X\" \"" % b for b in table)


def main():
    data = png(draw())
    lines = []
    for i in range(0, len(data), 16):
        lines.append("    " + ", ".join("0x%02X" % b for b in data[i:i + 16]) + ",")
    source = f"""// The built-in 8 x 8 debug font: a 128 x 32 RGBA PNG drawn for this engine
// (tools/debugfont/make_debug_font.py draws it and writes this file; edit
// the glyphs there and run it again).

#include "render/text/DebugFont.h"

namespace render {{

const char DEBUG_FONT_TABLE[] = "{escaped(TABLE)}";

const int DEBUG_FONT_PNG_SIZE = {len(data)};

const unsigned char DEBUG_FONT_PNG[] = {{
{chr(10).join(lines)}
}};

}} // namespace render
"""
    with open("render/text/DebugFont.cpp", "w") as out:
        out.write(source)


if __name__ == "__main__":
    main()
