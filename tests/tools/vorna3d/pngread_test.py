#!/usr/bin/env python3
"""Checks the screenshot checkers' PNG reader (tests/support/pngread.py)
against the independent decoder of the image tool's tests (png_pixels.py):
every 8-bit RGB and RGBA file among the shared test PNGs must give the same
size and the same bytes row by row, and the files it does not read (other
depths and colour types, interlacing, no PNG at all) must be refused with
ValueError naming the file. The shared files use few row filters, so an
RGB and an RGBA image written here with the five filters in turn (filtered
by the rules of the PNG format, forwards) must come back unchanged too.

    pngread_test.py TESTDATA_PNG_DIR
"""
import glob
import os
import struct
import sys
import tempfile
import zlib

sys.dont_write_bytecode = True
here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "..", "support"))
sys.path.insert(0, os.path.join(here, "..", "vorna3d_image"))
from pngread import read_png  # noqa: E402
import png_pixels  # noqa: E402


def filtered(kind, line, prev, bpp):
    out = bytearray()
    for i, x in enumerate(line):
        a = line[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        predictor = (0, a, b, (a + b) // 2, png_pixels.paeth(a, b, c))[kind]
        out.append((x - predictor) & 0xFF)
    return bytes(out)


def write_png(path, width, height, bpp, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    raw, prev = b"", bytes(width * bpp)
    for y, line in enumerate(rows):
        kind = y % 5
        raw += bytes((kind,)) + filtered(kind, line, prev, bpp)
        prev = line
    header = struct.pack(">IIBBBBB", width, height, 8, 2 if bpp == 3 else 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw)) +
                chunk(b"IEND", b""))


def check_every_filter(failures):
    width, height = 13, 10
    for bpp in (3, 4):
        rows = [bytes((x * 37 + y * 101 + (x * y) % 7 * 29) & 0xFF for x in range(width * bpp))
                for y in range(height)]
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "filters.png")
            write_png(path, width, height, bpp, rows)
            if read_png(path) != (width, height, bpp, rows):
                failures.append("the %d-byte image written with every filter does not read back" % bpp)


def main():
    files = sorted(glob.glob(os.path.join(sys.argv[1], "**", "*.png"), recursive=True))
    failures, read, refused = [], 0, 0
    for path in files:
        with open(path, "rb") as f:
            data = f.read()
        try:
            _, width, height, expected = png_pixels.decode(data)
            header = data[16:29]
            readable = header[8] == 8 and header[9] in (2, 6) and header[12] == 0
        except png_pixels.Rejected:
            continue  # broken on purpose; not what the checkers read
        try:
            got = read_png(path)
        except ValueError as error:
            if readable:
                failures.append("%s refused: %s" % (path, error))
            elif path not in str(error):
                failures.append("%s: the error does not name the file: %s" % (path, error))
            refused += 1
            continue
        if not readable:
            failures.append("%s read, but it is not 8-bit RGB/RGBA without interlacing" % path)
        elif got[:2] != (width, height) or got[3] != [b"".join(row) for row in expected]:
            failures.append("%s: the pixels differ from png_pixels.py's" % path)
        read += 1

    check_every_filter(failures)

    with tempfile.NamedTemporaryFile(suffix=".png", delete=False) as f:
        f.write(b"GIF89a not a PNG")
    try:
        read_png(f.name)
        failures.append("a GIF header was read as a PNG")
    except ValueError:
        pass
    finally:
        os.unlink(f.name)

    print("%d files read alike, %d refused" % (read, refused))
    if read < 10:
        failures.append("only %d readable files found under %s" % (read, sys.argv[1]))
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
