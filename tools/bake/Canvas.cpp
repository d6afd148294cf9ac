#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace bake {

namespace {

float clamp01(float v)
{
    return v < 0.f ? 0.f : (v > 1.f ? 1.f : v);
}

unsigned char toByte(float v)
{
    return static_cast<unsigned char>(std::lround(clamp01(v) * 255.f));
}

Pixel premultiplied(const Color& c, float alpha)
{
    return Pixel{c.r * alpha, c.g * alpha, c.b * alpha, alpha};
}

} // namespace

Color rgb(uint32_t hex, float alpha)
{
    return Color{((hex >> 16) & 0xFF) / 255.f, ((hex >> 8) & 0xFF) / 255.f, (hex & 0xFF) / 255.f, alpha};
}

Color mix(const Color& a, const Color& b, float t)
{
    return Color{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Color scaled(const Color& c, float k)
{
    return Color{c.r * k, c.g * k, c.b * k, c.a};
}

Color faded(const Color& c, float k)
{
    return Color{c.r, c.g, c.b, c.a * k};
}

Canvas::Canvas(int width, int height) : m_width(width), m_height(height)
{
    if (width <= 0 || height <= 0)
        throw std::invalid_argument("Canvas: sides must be positive");
    m_pixels.resize(static_cast<size_t>(width) * height);
}

Color Canvas::colorAt(int x, int y) const
{
    const Pixel& p = at(x, y);
    if (p.a <= 0.f)
        return Color{0.f, 0.f, 0.f, 0.f};
    return Color{p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

void Canvas::fill(const Color& c)
{
    std::fill(m_pixels.begin(), m_pixels.end(), premultiplied(c, clamp01(c.a)));
}

void Canvas::blend(int x, int y, const Color& c, float coverage)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    const float alpha = clamp01(c.a * coverage);
    if (alpha <= 0.f)
        return;
    Pixel& d = at(x, y);
    const float keep = 1.f - alpha;
    d.r = c.r * alpha + d.r * keep;
    d.g = c.g * alpha + d.g * keep;
    d.b = c.b * alpha + d.b * keep;
    d.a = alpha + d.a * keep;
}

void Canvas::addLight(int x, int y, const Color& c, float amount)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    const float k = c.a * amount;
    if (k <= 0.f)
        return;
    Pixel& d = at(x, y);
    // Premultiplied: the added light is scaled by the pixel's own alpha so
    // that it brightens what is there without making transparent pixels visible.
    d.r = std::min(d.r + c.r * k * d.a, d.a);
    d.g = std::min(d.g + c.g * k * d.a, d.a);
    d.b = std::min(d.b + c.b * k * d.a, d.a);
}

void Canvas::set(int x, int y, const Color& c)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    at(x, y) = premultiplied(c, clamp01(c.a));
}

void Canvas::draw(const Canvas& layer, int dx, int dy, float opacity)
{
    for (int y = 0; y < layer.height(); ++y) {
        const int ty = y + dy;
        if (ty < 0 || ty >= m_height)
            continue;
        for (int x = 0; x < layer.width(); ++x) {
            const int tx = x + dx;
            if (tx < 0 || tx >= m_width)
                continue;
            const Pixel& s = layer.at(x, y);
            Pixel& d = at(tx, ty);
            const float keep = 1.f - s.a * opacity;
            d.r = s.r * opacity + d.r * keep;
            d.g = s.g * opacity + d.g * keep;
            d.b = s.b * opacity + d.b * keep;
            d.a = s.a * opacity + d.a * keep;
        }
    }
}

void Canvas::paste(const Canvas& source, int dx, int dy)
{
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x) {
            const int tx = x + dx, ty = y + dy;
            if (tx >= 0 && ty >= 0 && tx < m_width && ty < m_height)
                at(tx, ty) = source.at(x, y);
        }
}

Canvas Canvas::downsampled(int factor) const
{
    if (factor < 1 || m_width % factor != 0 || m_height % factor != 0)
        throw std::invalid_argument("Canvas::downsampled: sides not divisible by the factor");
    Canvas out(m_width / factor, m_height / factor);
    const float inv = 1.f / static_cast<float>(factor * factor);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            Pixel sum;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    const Pixel& p = at(x * factor + i, y * factor + j);
                    sum.r += p.r;
                    sum.g += p.g;
                    sum.b += p.b;
                    sum.a += p.a;
                }
            out.at(x, y) = Pixel{sum.r * inv, sum.g * inv, sum.b * inv, sum.a * inv};
        }
    return out;
}

Pixel Canvas::sample(float x, float y) const
{
    const float fx = std::clamp(x - 0.5f, 0.f, static_cast<float>(m_width - 1));
    const float fy = std::clamp(y - 0.5f, 0.f, static_cast<float>(m_height - 1));
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const int x1 = std::min(x0 + 1, m_width - 1), y1 = std::min(y0 + 1, m_height - 1);
    const float tx = fx - static_cast<float>(x0), ty = fy - static_cast<float>(y0);
    auto lerp = [](const Pixel& a, const Pixel& b, float t) {
        return Pixel{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
    };
    return lerp(lerp(at(x0, y0), at(x1, y0), tx), lerp(at(x0, y1), at(x1, y1), tx), ty);
}

Canvas Canvas::resized(int width, int height) const
{
    const Canvas* source = this;
    Canvas shrunk;
    // Shrinking a lot by point samples would alias; average blocks first.
    int factor = 1;
    while (m_width / (factor * 2) >= width && m_height / (factor * 2) >= height && m_width % (factor * 2) == 0 &&
           m_height % (factor * 2) == 0)
        factor *= 2;
    if (factor > 1) {
        shrunk = downsampled(factor);
        source = &shrunk;
    }
    Canvas out(width, height);
    const float sx = static_cast<float>(source->width()) / static_cast<float>(width);
    const float sy = static_cast<float>(source->height()) / static_cast<float>(height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.at(x, y) = source->sample((static_cast<float>(x) + 0.5f) * sx, (static_cast<float>(y) + 0.5f) * sy);
    return out;
}

Canvas Canvas::mirrored() const
{
    Canvas out(m_width, m_height);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            out.at(m_width - 1 - x, y) = at(x, y);
    return out;
}

namespace {

// Straight colours of the pixels, with the invisible ones (alpha byte 0)
// filled in from their visible neighbours, one ring per round.
struct Straight {
    float r, g, b;
    bool known;
};

std::vector<Straight> bledColors(const Canvas& canvas, int rounds)
{
    const int w = canvas.width(), h = canvas.height();
    std::vector<Straight> colors(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Pixel& p = canvas.at(x, y);
            colors[static_cast<size_t>(y) * w + x] =
                toByte(p.a) > 0 ? Straight{p.r / p.a, p.g / p.a, p.b / p.a, true} : Straight{0.f, 0.f, 0.f, false};
        }
    for (int round = 0; round < rounds; ++round) {
        std::vector<Straight> next = colors;
        bool changed = false;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                Straight& c = next[static_cast<size_t>(y) * w + x];
                if (c.known)
                    continue;
                float r = 0.f, g = 0.f, b = 0.f;
                int n = 0;
                for (int j = -1; j <= 1; ++j)
                    for (int i = -1; i <= 1; ++i) {
                        const int nx = x + i, ny = y + j;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                            continue;
                        const Straight& s = colors[static_cast<size_t>(ny) * w + nx];
                        if (s.known) {
                            r += s.r;
                            g += s.g;
                            b += s.b;
                            ++n;
                        }
                    }
                if (n > 0) {
                    const float inv = 1.f / static_cast<float>(n);
                    c = Straight{r * inv, g * inv, b * inv, true};
                    changed = true;
                }
            }
        colors.swap(next);
        if (!changed)
            break;
    }
    return colors;
}

} // namespace

Canvas Canvas::blurred(int radius) const
{
    Canvas out = *this;
    if (radius <= 0)
        return out;
    std::vector<Pixel> line;
    auto pass = [&](bool horizontal) {
        const int length = horizontal ? m_width : m_height;
        const int lines = horizontal ? m_height : m_width;
        line.resize(static_cast<size_t>(length));
        for (int l = 0; l < lines; ++l) {
            for (int i = 0; i < length; ++i)
                line[static_cast<size_t>(i)] = horizontal ? out.at(i, l) : out.at(l, i);
            Pixel sum;
            const float inv = 1.f / static_cast<float>(2 * radius + 1);
            auto px = [&](int i) -> const Pixel& { return line[static_cast<size_t>(std::clamp(i, 0, length - 1))]; };
            for (int i = -radius; i <= radius; ++i) {
                sum.r += px(i).r;
                sum.g += px(i).g;
                sum.b += px(i).b;
                sum.a += px(i).a;
            }
            for (int i = 0; i < length; ++i) {
                Pixel& d = horizontal ? out.at(i, l) : out.at(l, i);
                d = Pixel{sum.r * inv, sum.g * inv, sum.b * inv, sum.a * inv};
                const Pixel& add = px(i + radius + 1);
                const Pixel& sub = px(i - radius);
                sum.r += add.r - sub.r;
                sum.g += add.g - sub.g;
                sum.b += add.b - sub.b;
                sum.a += add.a - sub.a;
            }
        }
    };
    for (int i = 0; i < 3; ++i) {
        pass(true);
        pass(false);
    }
    return out;
}

std::vector<unsigned char> Canvas::toRGBA8(int bleedRounds) const
{
    const std::vector<Straight> colors = bledColors(*this, bleedRounds);
    std::vector<unsigned char> bytes;
    bytes.reserve(m_pixels.size() * 4);
    for (const Straight& c : colors) {
        bytes.push_back(toByte(c.r));
        bytes.push_back(toByte(c.g));
        bytes.push_back(toByte(c.b));
        bytes.push_back(0);
    }
    for (size_t i = 0; i < m_pixels.size(); ++i)
        bytes[i * 4 + 3] = toByte(m_pixels[i].a);
    return bytes;
}

std::vector<unsigned char> Canvas::toRGB8() const
{
    std::vector<unsigned char> bytes;
    bytes.reserve(m_pixels.size() * 3);
    for (const Pixel& p : m_pixels) {
        const float k = p.a > 0.f ? 1.f / p.a : 0.f;
        bytes.push_back(toByte(p.r * k));
        bytes.push_back(toByte(p.g * k));
        bytes.push_back(toByte(p.b * k));
    }
    return bytes;
}

} // namespace bake
