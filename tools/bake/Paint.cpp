#include "Paint.h"

namespace bake {

uint32_t hash(int x, int y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B9u ^ static_cast<uint32_t>(x) * 0x85EBCA6Bu ^ static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float hash01(int x, int y, uint32_t seed)
{
    return static_cast<float>(hash(x, y, seed) >> 8) * (1.f / 16777216.f);
}

namespace {

int wrap(int v, int period)
{
    if (period <= 0)
        return v;
    const int m = v % period;
    return m < 0 ? m + period : m;
}

// The gradient at lattice point (ix, iy) dotted with the offset (dx, dy).
float gradientDot(int ix, int iy, float dx, float dy, uint32_t seed)
{
    const float angle = hash01(ix, iy, seed) * 2.f * PI;
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

float fade(float t)
{
    return t * t * t * (t * (t * 6.f - 15.f) + 10.f);
}

} // namespace

float noise(float x, float y, uint32_t seed, int period)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float dx = x - fx, dy = y - fy;
    const int x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    const int y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    const float n00 = gradientDot(x0, y0, dx, dy, seed);
    const float n10 = gradientDot(x1, y0, dx - 1.f, dy, seed);
    const float n01 = gradientDot(x0, y1, dx, dy - 1.f, seed);
    const float n11 = gradientDot(x1, y1, dx - 1.f, dy - 1.f, seed);
    const float u = fade(dx), v = fade(dy);
    const float a = n00 + (n10 - n00) * u;
    const float b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.41421356f;
}

float fbm(float x, float y, int octaves, float gain, uint32_t seed, int period)
{
    float sum = 0.f, amplitude = 1.f, norm = 0.f;
    for (int i = 0; i < octaves; ++i) {
        sum += noise(x, y, seed + static_cast<uint32_t>(i) * 7919u, period) * amplitude;
        norm += amplitude;
        amplitude *= gain;
        x *= 2.f;
        y *= 2.f;
        if (period > 0)
            period *= 2;
    }
    return sum / norm;
}

void cells(float x, float y, uint32_t seed, float& f1, float& f2, int period)
{
    const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    f1 = f2 = 1e9f;
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            const int cx = ix + i, cy = iy + j;
            const int hx = wrap(cx, period), hy = wrap(cy, period);
            const float px = static_cast<float>(cx) + hash01(hx, hy, seed);
            const float py = static_cast<float>(cy) + hash01(hx, hy, seed ^ 0x5bd1e995u);
            const float d = std::hypot(px - x, py - y);
            if (d < f1) {
                f2 = f1;
                f1 = d;
            } else if (d < f2) {
                f2 = d;
            }
        }
}

float sdTriangle(float px, float py, float ax, float ay, float bx, float by, float cx, float cy)
{
    // Distance to the nearest edge, negative when inside all three.
    auto edge = [&](float x0, float y0, float x1, float y1) {
        const float ex = x1 - x0, ey = y1 - y0, wx = px - x0, wy = py - y0;
        const float h = clampf((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.f, 1.f);
        return std::hypot(wx - ex * h, wy - ey * h);
    };
    const float d = std::min({edge(ax, ay, bx, by), edge(bx, by, cx, cy), edge(cx, cy, ax, ay)});
    auto side = [&](float x0, float y0, float x1, float y1) { return (x1 - x0) * (py - y0) - (y1 - y0) * (px - x0); };
    const float s0 = side(ax, ay, bx, by), s1 = side(bx, by, cx, cy), s2 = side(cx, cy, ax, ay);
    const bool inside = (s0 >= 0.f && s1 >= 0.f && s2 >= 0.f) || (s0 <= 0.f && s1 <= 0.f && s2 <= 0.f);
    return inside ? -d : d;
}

void glow(Canvas& canvas, float cx, float cy, float radius, const Color& color, float strength)
{
    const float sigma = radius * 0.5f;
    const int x0 = static_cast<int>(cx - radius * 1.5f), x1 = static_cast<int>(cx + radius * 1.5f) + 1;
    const int y0 = static_cast<int>(cy - radius * 1.5f), y1 = static_cast<int>(cy + radius * 1.5f) + 1;
    for (int y = std::max(y0, 0); y < std::min(y1, canvas.height()); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, canvas.width()); ++x) {
            const float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
            const float k = std::exp(-(dx * dx + dy * dy) / (2.f * sigma * sigma)) * strength;
            if (k > 1e-4f)
                canvas.addLight(x, y, color, k);
        }
}

} // namespace bake
