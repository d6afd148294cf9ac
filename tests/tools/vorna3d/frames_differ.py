#!/usr/bin/env python3
"""Checks two frames written by `vorna3d play --shot`: 8-bit RGB PNGs of
the same size, each showing something on its background (at least 1% of
the pixels differ from the top-left pixel), and different from each other
(at least 0.5% of the pixels changed between them: the scene moved).
Prints the measured figures; exit code 1 on a failed check."""
import struct
import sys
import zlib


def read_png(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(path + ": not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 2 or interlace != 0:
        raise ValueError(path + ": not an 8-bit RGB PNG without interlacing")
    raw = zlib.decompress(idat)
    stride, bpp = width * 3, 3
    rows, prev, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else (b if pb <= pc else c))) & 0xFF
        rows.append(bytes(line))
        prev = line
    return width, height, rows


def pixels(rows):
    return [row[i:i + 3] for row in rows for i in range(0, len(row), 3)]


def main():
    w1, h1, rows1 = read_png(sys.argv[1])
    w2, h2, rows2 = read_png(sys.argv[2])
    ok = True
    if (w1, h1) != (w2, h2):
        print("sizes differ: %dx%d vs %dx%d" % (w1, h1, w2, h2))
        return 1
    p1, p2 = pixels(rows1), pixels(rows2)
    total = len(p1)
    for name, p in ((sys.argv[1], p1), (sys.argv[2], p2)):
        shown = sum(1 for q in p if q != p[0])
        print("%s: %dx%d, %.2f%% of the pixels off the background" % (name, w1, h1, 100.0 * shown / total))
        if shown < total // 100:
            print("FAIL: nothing drawn in " + name)
            ok = False
    changed = sum(1 for a, b in zip(p1, p2) if a != b)
    print("changed between the frames: %.2f%%" % (100.0 * changed / total))
    if changed < total // 200:
        print("FAIL: the frames hardly differ")
        ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
