#pragma once
// The stone balls' plasma: a 128 x 128 RGBA image in which every pixel is a
// palette entry chosen by the sum of four sine waves, two running along the
// columns and two along the rows. Advancing it moves two of the waves'
// phases, so the pattern flows; the image is rewritten whole each time.

#include <cstdint>

#include "core/Vector.h"

namespace render {
class Image2D;
}

class Plasma {
public:
    static constexpr int SIZE = 128;
    static constexpr int SINE_ENTRIES = 512;
    static constexpr int PALETTE_ENTRIES = 256;

    // One palette entry, red first.
    struct RGBA {
        uint8_t red;
        uint8_t green;
        uint8_t blue;
        uint8_t alpha;
    };

    // Builds the sine table and the palette; the phases start at 0.
    // Requires a running engine (the tables live in the pool).
    Plasma();

    // Rewrites every pixel of `image` (RGBA, SIZE x SIZE, asserted) for the
    // current phases, then moves the first phase on by 9 v and the third by
    // 8 v (truncated, modulo 2^16). The same as step(v) and then draw(image).
    void advance(render::Image2D& image, float v);
    // Moves the phases on as advance does, remembering the phases before
    // the move for draw: several steps between two frames cost one drawing.
    void step(float v);
    // Rewrites every pixel of `image` (asserted as above) for the phases
    // the last step started from.
    void draw(render::Image2D& image) const;

    // sin(n x 0.703125 degrees) x 512, truncated: a whole period over the table.
    int sine(int n) const { return m_sineTable[n]; }
    const RGBA& paletteEntry(int index) const { return m_palette[index]; }
    // The palette entry for a sum of four table values: the low byte of
    // (sum >> 4) + 128, the shift arithmetic.
    static int paletteIndex(int sum) { return ((sum >> 4) + 128) & 0xFF; }
    // The four wave phases.
    uint16_t phase(int index) const { return m_phases[index]; }
    // The pixel value (0xRRGGBBAA) that palette entry `index` writes.
    uint32_t pixelValue(int index) const;

private:
    core::Vector<int> m_sineTable;
    core::Vector<RGBA> m_palette;
    uint16_t m_phases[4] = {0, 0, 0, 0};
    uint16_t m_drawPhases[4] = {0, 0, 0, 0};
};
