#include "demo/Plasma.h"

#include <cmath>

#include "render/appearance/Image2D.h"

namespace {

// The palette bytes the four colour runs leave open: no green, opaque, and
// no red in the last run (the third run has brought red down to 2 by then).
constexpr uint8_t PALETTE_GREEN = 0;
constexpr uint8_t PALETTE_ALPHA = 255;
constexpr uint8_t LAST_RUN_RED = 0;

} // namespace

Plasma::Plasma()
{
    m_sineTable.setSize(SINE_ENTRIES);
    for (int n = 0; n < SINE_ENTRIES; ++n)
        m_sineTable[n] = static_cast<int>(std::sin(n * 0.703125 * 0.0174532) * 512.0);

    // Four runs of 64: red rises against falling blue, red holds while blue
    // rises, both fall, blue rises alone.
    m_palette.setSize(PALETTE_ENTRIES, RGBA{0, PALETTE_GREEN, 0, PALETTE_ALPHA});
    for (int n = 0; n < 64; ++n) {
        m_palette[n].red = static_cast<uint8_t>(4 * n);
        m_palette[n].blue = static_cast<uint8_t>(254 - 4 * n);
        m_palette[64 + n].red = 255;
        m_palette[64 + n].blue = static_cast<uint8_t>(4 * n + 1);
        m_palette[128 + n].red = static_cast<uint8_t>(254 - 4 * n);
        m_palette[128 + n].blue = static_cast<uint8_t>(254 - 4 * n);
        m_palette[192 + n].red = LAST_RUN_RED;
        m_palette[192 + n].blue = static_cast<uint8_t>(4 * n + 1);
    }
}

uint32_t Plasma::pixelValue(int index) const
{
    const RGBA& c = m_palette[index];
    return (uint32_t(c.red) << 24) | (uint32_t(c.green) << 16) | (uint32_t(c.blue) << 8) | c.alpha;
}

void Plasma::advance(render::Image2D& image, float v)
{
    step(v);
    draw(image);
}

void Plasma::step(float v)
{
    for (int i = 0; i < 4; ++i)
        m_drawPhases[i] = m_phases[i];
    m_phases[0] = static_cast<uint16_t>(static_cast<int64_t>(static_cast<float>(m_phases[0]) + v * 9.f));
    m_phases[2] = static_cast<uint16_t>(static_cast<int64_t>(static_cast<float>(m_phases[2]) + v * 8.f));
}

void Plasma::draw(render::Image2D& image) const
{
    ASSERT(image.getFormat() == render::Image2D::RGBA && image.getWidth() == SIZE && image.getHeight() == SIZE &&
           !image.isPalettised());
    const int mask = SINE_ENTRIES - 1;
    unsigned char* pixels = image.getPixels();
    const int width = image.getWidth();
    // Pixel (row, col) is the image's (x, y) = (row, col); the row waves do
    // not depend on the column, so they are summed once per row.
    for (int row = 0; row < SIZE; ++row) {
        const int rowSum =
            m_sineTable[(m_drawPhases[2] + row) & mask] + m_sineTable[(m_drawPhases[3] + 3 * row) & mask];
        for (int col = 0; col < SIZE; ++col) {
            const int sum = rowSum + m_sineTable[(m_drawPhases[0] + 5 + 5 * col) & mask] +
                m_sineTable[(m_drawPhases[1] + 3 + 3 * col) & mask];
            const RGBA& c = m_palette[paletteIndex(sum)];
            unsigned char* p = pixels + 4 * (col * width + row);
            p[0] = c.red;
            p[1] = c.green;
            p[2] = c.blue;
            p[3] = c.alpha;
        }
    }
}
