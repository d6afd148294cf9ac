#!/usr/bin/env python3
"""Checks frames written by `vorna3d play` (--shot or F12): 8-bit RGB PNGs.
  frames_differ.py A B          both the same size, each showing something
                                on its background (at least 1% of the
                                pixels differ from the top-left pixel), and
                                different from each other (at least 0.5% of
                                the pixels changed: the scene moved)
  frames_differ.py --same A B   both the same size and identical
  frames_differ.py --fill P A   the scene covers a good part of the frame:
                                the rectangle around the pixels off the
                                background (the overlay line left out)
                                spans at least P% of the width or of the
                                height, and those pixels are at least P/4%
                                of the frame
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


# The bottom rows where play writes its line of world time and speed.
OVERLAY_ROWS = 24


def same(first, second):
    w1, h1, rows1 = read_rgb(first)
    w2, h2, rows2 = read_rgb(second)
    if (w1, h1) != (w2, h2):
        print("sizes differ: %dx%d vs %dx%d" % (w1, h1, w2, h2))
        return 1
    changed = sum(1 for a, b in zip(pixels(rows1), pixels(rows2)) if a != b)
    print("pixels changed between %s and %s: %d" % (first, second, changed))
    return 0 if changed == 0 else 1


def fill(percent, path):
    width, height, rows = read_rgb(path)
    background = rows[0][0:3]
    xs, ys, shown = [], [], 0
    # The overlay line at the bottom is not the scene: its rows are left out.
    for y, row in enumerate(rows[:height - OVERLAY_ROWS]):
        for x in range(width):
            if row[3 * x:3 * x + 3] != background:
                xs.append(x)
                ys.append(y)
                shown += 1
    if not shown:
        print("FAIL: nothing drawn in " + path)
        return 1
    spanned_x = 100.0 * (max(xs) - min(xs) + 1) / width
    spanned_y = 100.0 * (max(ys) - min(ys) + 1) / height
    covered = 100.0 * shown / (width * height)
    print("%s: spans %.1f%% of the width, %.1f%% of the height, covers %.1f%%" % (path, spanned_x, spanned_y,
                                                                                   covered))
    if max(spanned_x, spanned_y) < percent or covered < percent / 4.0:
        print("FAIL: the scene fills too little of the frame")
        return 1
    return 0


def main():
    if sys.argv[1] == "--same":
        return same(sys.argv[2], sys.argv[3])
    if sys.argv[1] == "--fill":
        return fill(float(sys.argv[2]), sys.argv[3])
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
