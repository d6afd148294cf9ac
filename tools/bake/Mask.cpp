#include "Mask.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace bake {

Mask::Mask(int width, int height) : m_width(width), m_height(height)
{
    if (width < 0 || height < 0)
        throw std::invalid_argument("Mask: negative size");
    m_values.assign(static_cast<size_t>(width) * height, 0.f);
}

float Mask::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0.f;
    return m_values[static_cast<size_t>(y) * m_width + x];
}

Mask Mask::dilated(float radius) const
{
    Mask out(m_width, m_height);
    const int r = static_cast<int>(std::ceil(radius));
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            float best = 0.f;
            for (int j = -r; j <= r && best < 1.f; ++j)
                for (int i = -r; i <= r; ++i) {
                    // Soft edge: the neighbour counts fully within the
                    // radius and fades over the last pixel.
                    const float d = std::hypot(static_cast<float>(i), static_cast<float>(j));
                    const float weight = std::clamp(radius + 0.5f - d, 0.f, 1.f);
                    if (weight > 0.f)
                        best = std::max(best, at(x + i, y + j) * weight);
                }
            out.ref(x, y) = best;
        }
    return out;
}

Mask Mask::blurred(int radius) const
{
    Mask out = *this;
    if (radius <= 0 || m_width == 0 || m_height == 0)
        return out;
    std::vector<float> line;
    const float inv = 1.f / static_cast<float>(2 * radius + 1);
    auto pass = [&](bool horizontal) {
        const int length = horizontal ? m_width : m_height;
        const int lines = horizontal ? m_height : m_width;
        line.resize(static_cast<size_t>(length));
        for (int l = 0; l < lines; ++l) {
            for (int i = 0; i < length; ++i)
                line[static_cast<size_t>(i)] = horizontal ? out.at(i, l) : out.at(l, i);
            auto v = [&](int i) { return (i < 0 || i >= length) ? 0.f : line[static_cast<size_t>(i)]; };
            float sum = 0.f;
            for (int i = -radius; i <= radius; ++i)
                sum += v(i);
            for (int i = 0; i < length; ++i) {
                (horizontal ? out.ref(i, l) : out.ref(l, i)) = sum * inv;
                sum += v(i + radius + 1) - v(i - radius);
            }
        }
    };
    for (int i = 0; i < 3; ++i) {
        pass(true);
        pass(false);
    }
    return out;
}

Mask Mask::padded(int border) const
{
    Mask out(m_width + 2 * border, m_height + 2 * border);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            out.ref(x + border, y + border) = at(x, y);
    return out;
}

Mask Mask::resized(int width, int height) const
{
    Mask out(width, height);
    if (m_width == 0 || m_height == 0)
        return out;
    const float sx = static_cast<float>(m_width) / static_cast<float>(width);
    const float sy = static_cast<float>(m_height) / static_cast<float>(height);
    // Each output pixel averages the source area it covers (at least a
    // bilinear tap when enlarging).
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float fx0 = static_cast<float>(x) * sx, fx1 = fx0 + sx;
            const float fy0 = static_cast<float>(y) * sy, fy1 = fy0 + sy;
            if (sx <= 1.f && sy <= 1.f) {
                const float cx = (fx0 + fx1) * 0.5f - 0.5f, cy = (fy0 + fy1) * 0.5f - 0.5f;
                const int ix = static_cast<int>(std::floor(cx)), iy = static_cast<int>(std::floor(cy));
                const float tx = cx - static_cast<float>(ix), ty = cy - static_cast<float>(iy);
                auto s = [&](int i, int j) {
                    return at(std::clamp(i, 0, m_width - 1), std::clamp(j, 0, m_height - 1));
                };
                const float a = s(ix, iy) + (s(ix + 1, iy) - s(ix, iy)) * tx;
                const float b = s(ix, iy + 1) + (s(ix + 1, iy + 1) - s(ix, iy + 1)) * tx;
                out.ref(x, y) = a + (b - a) * ty;
                continue;
            }
            float sum = 0.f, area = 0.f;
            for (int j = static_cast<int>(fy0); j < static_cast<int>(std::ceil(fy1)); ++j) {
                const float wy = std::min(fy1, static_cast<float>(j + 1)) - std::max(fy0, static_cast<float>(j));
                for (int i = static_cast<int>(fx0); i < static_cast<int>(std::ceil(fx1)); ++i) {
                    const float wx = std::min(fx1, static_cast<float>(i + 1)) - std::max(fx0, static_cast<float>(i));
                    sum += at(i, j) * wx * wy;
                    area += wx * wy;
                }
            }
            out.ref(x, y) = area > 0.f ? sum / area : 0.f;
        }
    return out;
}

} // namespace bake
