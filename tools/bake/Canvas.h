#pragma once
// A floating-point RGBA picture for procedural painting. Pixels are stored
// premultiplied by alpha, row after row from the top, so that layers can be
// composited with a plain "over" and box-filtered without dark fringes.
// Converting to bytes undoes the premultiplication. Plain tool data: it
// lives on the ordinary heap, not in the engine pool.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bake {

// A straight (not premultiplied) colour, components 0..1.
struct Color {
    float r = 0.f, g = 0.f, b = 0.f, a = 1.f;
};

// 0xRRGGBB with the given alpha.
Color rgb(uint32_t hex, float alpha = 1.f);
// Linear blend: t = 0 gives a, t = 1 gives b (all four components).
Color mix(const Color& a, const Color& b, float t);
// `c` with its red, green and blue multiplied by k (alpha kept).
Color scaled(const Color& c, float k);
// `c` with its alpha multiplied by k.
Color faded(const Color& c, float k);

// A premultiplied pixel.
struct Pixel {
    float r = 0.f, g = 0.f, b = 0.f, a = 0.f;
};

class Canvas {
public:
    Canvas() = default;
    // A transparent picture. Requires positive sides.
    Canvas(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }

    Pixel& at(int x, int y) { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    const Pixel& at(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    // The straight colour of pixel (x, y) (black for a transparent pixel).
    Color colorAt(int x, int y) const;

    // Every pixel set to `c`.
    void fill(const Color& c);
    // Composites `c` over pixel (x, y), its alpha scaled by coverage 0..1.
    // Pixels outside the picture are ignored.
    void blend(int x, int y, const Color& c, float coverage = 1.f);
    // Adds `c` (scaled by its alpha and `amount`) to the colour of (x, y),
    // keeping the pixel's alpha: a light source over what is there.
    void addLight(int x, int y, const Color& c, float amount);
    // Replaces pixel (x, y) with `c`. Ignored outside the picture.
    void set(int x, int y, const Color& c);

    // Composites `layer` over this picture with its top-left corner at (dx, dy).
    void draw(const Canvas& layer, int dx, int dy, float opacity = 1.f);
    // Copies `source` into this picture at (dx, dy), replacing what is there.
    void paste(const Canvas& source, int dx, int dy);

    // The picture shrunk by an integer factor, each pixel the mean of a
    // factor x factor block (supersampling). Requires sides divisible by it.
    Canvas downsampled(int factor) const;
    // The picture resampled to width x height with bilinear filtering
    // (box-averaged first when shrinking by more than two).
    Canvas resized(int width, int height) const;
    // The picture mirrored left to right.
    Canvas mirrored() const;
    // A bilinear sample at continuous coordinates (pixel centres at +0.5),
    // clamped to the edges.
    Pixel sample(float x, float y) const;

    // Blurs the picture (box blur of `radius` pixels, three passes: close to
    // a Gaussian).
    Canvas blurred(int radius) const;

    // 8-bit RGBA bytes, straight alpha, rounded. Pixels whose alpha rounds
    // to 0 take the colour of the nearest visible pixels within
    // `bleedRounds` steps (black beyond), so that filtering and mipmaps do
    // not pull dark fringes into sprites.
    std::vector<unsigned char> toRGBA8(int bleedRounds = 0) const;
    // 8-bit RGB bytes of the straight colour (alpha dropped).
    std::vector<unsigned char> toRGB8() const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<Pixel> m_pixels;
};

} // namespace bake
