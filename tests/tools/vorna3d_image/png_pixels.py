#!/usr/bin/env python3
"""An independent PNG decoder (Python and zlib only) for cross-checking the
engine's image loading.

    png_pixels.py FILE...

prints, for each file, a line "FILE <path>", then either "REJECTED <reason>"
or "FORMAT WIDTH HEIGHT" followed by one line per row with each pixel's
bytes in hex, converted the way the engine converts images:
  grey            -> RGBA (grey, grey, grey, FF)
  grey with alpha -> RGBA (grey, grey, grey, alpha)
  RGB             -> RGB
  palette         -> RGB (transparency entries ignored)
  RGB with alpha  -> RGBA
16-bit samples keep their high byte; 1-, 2- and 4-bit grey samples are
scaled to 0..255 (v * 255 / (2^depth - 1)). A file is rejected for a bad
signature, CRC, truncation, bad filter, missing data or a palette index
out of range. Exits 0 when every file decoded, 1 otherwise.
"""

import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}
ALLOWED_DEPTHS = {0: (1, 2, 4, 8, 16), 2: (8, 16), 3: (1, 2, 4, 8), 4: (8, 16), 6: (8, 16)}
# Adam7 passes: x start, y start, x step, y step.
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


class Rejected(Exception):
    pass


def chunks(data):
    if data[:8] != SIGNATURE:
        raise Rejected("not a PNG signature")
    pos = 8
    while True:
        if pos + 8 > len(data):
            raise Rejected("truncated chunk header")
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if length > 0x7FFFFFFF or pos + 12 + length > len(data):
            raise Rejected("truncated chunk")
        body = data[pos + 8:pos + 8 + length]
        crc = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0]
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise Rejected("CRC error in " + kind.decode("latin-1"))
        yield kind, body
        pos += 12 + length
        if kind == b"IEND":
            return


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def unfilter(raw, pos, width, height, bits_per_pixel):
    """Unfilters one (sub)image of `height` rows from raw[pos:]; returns the rows and the next position."""
    stride = (width * bits_per_pixel + 7) // 8
    bpp = max(1, bits_per_pixel // 8)
    rows = []
    prior = bytearray(stride)
    for _ in range(height):
        if pos + 1 + stride > len(raw):
            raise Rejected("not enough image data")
        kind = raw[pos]
        line = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        if kind == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 0xFF
        elif kind == 2:
            for i in range(stride):
                line[i] = (line[i] + prior[i]) & 0xFF
        elif kind == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prior[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                up_left = prior[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + paeth(left, prior[i], up_left)) & 0xFF
        elif kind != 0:
            raise Rejected("bad filter type %d" % kind)
        rows.append(line)
        prior = line
    return rows, pos


def samples(line, width, depth, channels):
    """The row's samples as integers, 8-bit scale (high byte of 16-bit samples)."""
    count = width * channels
    if depth == 8:
        return list(line[:count])
    if depth == 16:
        return [line[2 * i] for i in range(count)]
    out = []
    per_byte = 8 // depth
    mask = (1 << depth) - 1
    for i in range(count):
        byte = line[i // per_byte]
        shift = 8 - depth * (i % per_byte + 1)
        out.append((byte >> shift) & mask)
    return out


def decode(data):
    header = None
    palette = None
    idat = []
    for kind, body in chunks(data):
        if kind == b"IHDR":
            if len(body) != 13:
                raise Rejected("bad IHDR")
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body) - len(body) % 3, 3)]
        elif kind == b"IDAT":
            idat.append(body)
    if header is None or not idat:
        raise Rejected("missing IHDR or IDAT")
    width, height, depth, colour, compression, filtering, interlace = header
    if width == 0 or height == 0 or colour not in CHANNELS or depth not in ALLOWED_DEPTHS[colour]:
        raise Rejected("bad IHDR values")
    if compression != 0 or filtering != 0 or interlace not in (0, 1):
        raise Rejected("bad IHDR methods")
    if colour == 3 and not palette:
        raise Rejected("missing palette")
    try:
        raw = zlib.decompress(b"".join(idat))
    except zlib.error as error:
        raise Rejected("zlib: %s" % error)

    channels = CHANNELS[colour]
    bits = depth * channels
    grid = [[None] * width for _ in range(height)]
    passes = ADAM7 if interlace else [(0, 0, 1, 1)]
    pos = 0
    for x0, y0, dx, dy in passes:
        pass_width = (width - x0 + dx - 1) // dx if width > x0 else 0
        pass_height = (height - y0 + dy - 1) // dy if height > y0 else 0
        if pass_width == 0 or pass_height == 0:
            continue
        rows, pos = unfilter(raw, pos, pass_width, pass_height, bits)
        for r, line in enumerate(rows):
            values = samples(line, pass_width, depth, channels)
            for c in range(pass_width):
                grid[y0 + r * dy][x0 + c * dx] = values[c * channels:(c + 1) * channels]

    scale = 255 // ((1 << depth) - 1) if depth < 8 else 1
    out = []
    for row in grid:
        line = []
        for px in row:
            if colour == 0:
                g = px[0] * scale
                line.append(bytes((g, g, g, 255)))
            elif colour == 4:
                line.append(bytes((px[0], px[0], px[0], px[1])))
            elif colour == 3:
                if px[0] >= len(palette):
                    raise Rejected("palette index out of range")
                line.append(bytes(palette[px[0]]))
            else:
                line.append(bytes(px))
        out.append(line)
    fmt = "RGB" if colour in (2, 3) else "RGBA"
    return fmt, width, height, out


def main():
    if len(sys.argv) < 2:
        sys.stderr.write("usage: png_pixels.py FILE...\n")
        return 2
    status = 0
    out = sys.stdout
    for path in sys.argv[1:]:
        out.write("FILE %s\n" % path)
        try:
            with open(path, "rb") as f:
                fmt, width, height, rows = decode(f.read())
        except (OSError, Rejected) as error:
            out.write("REJECTED %s\n" % error)
            status = 1
            continue
        out.write("%s %d %d\n" % (fmt, width, height))
        for row in rows:
            out.write(" ".join(px.hex().upper() for px in row) + "\n")
    return status


if __name__ == "__main__":
    sys.exit(main())
