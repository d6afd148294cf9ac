#!/usr/bin/env python3
"""Checks a viewer screenshot (an 8-bit RGB or RGBA PNG of 1024 x 768).

The scene, as examples/viewer/ViewerScene.h builds it: a vertical gradient
background from (16, 32, 72) at the top row to (96, 56, 120) at the bottom
row, and a textured torus in the middle lit by a directional light from the
upper left plus a dim ambient light.

Checks: the size; the background's colour at the corners and halfway down
the left edge (so the image is the right way up); that the torus covers a
good part of the screen; and that it is lit: its outer rim facing the upper
left (towards the light) is clearly brighter than the rim facing the lower
right, with bright and shaded pixels both present. Prints the measured
figures; exit code 1 on a failed check.
"""
import math
import os
import sys

# The PNG reader both screenshot checkers share lives in tests/support; no
# bytecode is written there (the scripts run from the source tree).
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from pngread import read_png  # noqa: E402

TOP = (16, 32, 72)
BOTTOM = (96, 56, 120)


def main():
    width, height, bpp, rows = read_png(sys.argv[1])
    failures = []

    def pixel(x, y):
        i = x * bpp
        return tuple(rows[y][i:i + 3])

    def background(y):
        f = y / (height - 1)
        return tuple(t + (b - t) * f for t, b in zip(TOP, BOTTOM))

    def close(a, b, tolerance):
        return all(abs(p - q) <= tolerance for p, q in zip(a, b))

    if (width, height) != (1024, 768):
        failures.append("size %d x %d, expected 1024 x 768" % (width, height))
    else:
        for x, y in ((2, 2), (width - 3, 2), (2, height - 3), (width - 3, height - 3), (2, height // 2)):
            if not close(pixel(x, y), background(y), 6):
                failures.append("background at (%d, %d) is %s, expected about %s"
                                % (x, y, pixel(x, y), tuple(round(v) for v in background(y))))

        def is_torus(x, y):
            return not close(pixel(x, y), background(y), 30)

        def luminance(p):
            return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]

        # Torus pixels: far from the background colour of their row.
        lum_all, covered, total = [], 0, 0
        for y in range(0, height, 2):
            for x in range(0, width, 2):
                total += 1
                if is_torus(x, y):
                    covered += 1
                    lum_all.append(luminance(pixel(x, y)))
        coverage = covered / total
        print("torus coverage %.1f%%" % (100 * coverage))

        # The outer rim along rays from the centre: walking in from the
        # screen's edge, the first 20 torus pixels.
        def rim(direction_degrees):
            values = []
            for offset in range(-20, 21, 4):
                a = math.radians(direction_degrees + offset)
                dx, dy = math.cos(a), math.sin(a)
                found = 0
                for r in range(min(width, height) // 2 - 2, 0, -1):
                    x, y = int(width / 2 + r * dx), int(height / 2 + r * dy)
                    if found or is_torus(x, y):
                        values.append(luminance(pixel(x, y)))
                        found += 1
                        if found == 20:
                            break
            return sum(values) / len(values) if values else 0.0

        if coverage < 0.08:
            failures.append("the torus covers only %.1f%% of the screen" % (100 * coverage))
        else:
            ul = rim(225)  # screen y grows downwards: 225 degrees points to the upper left
            lr = rim(45)
            lum_all.sort()
            bright = lum_all[int(0.95 * (len(lum_all) - 1))]
            dark = lum_all[int(0.05 * (len(lum_all) - 1))]
            print("outer rim brightness: upper left %.1f, lower right %.1f; 5%%/95%% brightness %.1f / %.1f"
                  % (ul, lr, dark, bright))
            if ul < 1.8 * lr:
                failures.append("the rim towards the light is not lit (%.1f vs %.1f)" % (ul, lr))
            if bright < 150:
                failures.append("no brightly lit part (95th percentile %.1f)" % bright)
            if dark > 90:
                failures.append("no shaded part (5th percentile %.1f)" % dark)

    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
