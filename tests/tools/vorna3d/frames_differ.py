#!/usr/bin/env python3
"""Checks two frames written by `vorna3d play --shot`: 8-bit RGB PNGs of
the same size, each showing something on its background (at least 1% of
the pixels differ from the top-left pixel), and different from each other
(at least 0.5% of the pixels changed between them: the scene moved).
Prints the measured figures; exit code 1 on a failed check."""
import os
import sys

# The PNG reader both screenshot checkers share lives in tests/support; no
# bytecode is written there (the scripts run from the source tree).
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from pngread import read_png  # noqa: E402


def read_rgb(path):
    width, height, bpp, rows = read_png(path)
    if bpp != 3:
        raise ValueError(path + ": not an 8-bit RGB PNG")
    return width, height, rows


def pixels(rows):
    return [row[i:i + 3] for row in rows for i in range(0, len(row), 3)]


def main():
    w1, h1, rows1 = read_rgb(sys.argv[1])
    w2, h2, rows2 = read_rgb(sys.argv[2])
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
