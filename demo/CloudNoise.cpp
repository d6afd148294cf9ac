#include "demo/CloudNoise.h"

#include <cmath>

#include "core/Assert.h"
#include "core/Vector.h"
#include "render/appearance/Image2D.h"

namespace cloud_noise {

namespace {

constexpr double FREQUENCY_DIVISOR = 35.0;
constexpr uint32_t CLOUD_COLOR = 0x400A2100; // red 0x40, green 0x0A, blue 0x21

double cosineWeight(double f)
{
    return (1.0 - std::cos(f * 3.1415927)) * 0.5;
}

} // namespace

double lattice(int32_t ix, int32_t iy)
{
    // Unsigned arithmetic gives the wrap-around of the signed formula
    // without its undefined behaviour.
    uint32_t n = static_cast<uint32_t>(iy) * 57u + static_cast<uint32_t>(ix);
    n = n ^ (n << 13);
    const uint32_t hashed = (n * (n * n * 60493u + 19990303u) - 771171059u) & 0x7FFFFFFFu;
    return 1.0 - static_cast<double>(hashed) / 1073741824.0;
}

double noise2(double x, double y)
{
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int32_t ix = static_cast<int32_t>(fx);
    const int32_t iy = static_cast<int32_t>(fy);
    const double wx = cosineWeight(x - fx);
    const double wy = cosineWeight(y - fy);
    const double bottom = (1.0 - wx) * lattice(ix, iy) + wx * lattice(ix + 1, iy);
    const double top = (1.0 - wx) * lattice(ix, iy + 1) + wx * lattice(ix + 1, iy + 1);
    return (1.0 - wy) * bottom + wy * top;
}

namespace {

// The pixel for a noise value.
uint32_t cloudColor(double noise)
{
    int v = static_cast<int>(noise * 128.0) + 128;
    if (v > 255)
        v = 255;
    if (v <= 0)
        return 0;
    return CLOUD_COLOR | static_cast<uint32_t>(v);
}

// One coordinate of the noise: its lattice cell and cosine weight.
struct Axis {
    int32_t cell;
    double weight;
};

Axis axis(int pixel)
{
    const double x = pixel / FREQUENCY_DIVISOR;
    const double f = std::floor(x);
    return Axis{static_cast<int32_t>(f), cosineWeight(x - f)};
}

} // namespace

uint32_t cloudPixel(int row, int col)
{
    return cloudColor(noise2(row / FREQUENCY_DIVISOR, col / FREQUENCY_DIVISOR));
}

void fillClouds(render::Image2D& image)
{
    ASSERT(image.getFormat() == render::Image2D::RGBA && !image.isPalettised());
    const int width = image.getWidth();
    const int height = image.getHeight();
    unsigned char* pixels = image.getPixels();
    // noise2 computed as it does, with the cells and weights of each row
    // and column worked out once.
    core::Vector<Axis> rows;
    rows.setSize(width);
    for (int row = 0; row < width; ++row)
        rows[row] = axis(row);
    // Pixel (row, col) is the image's (x, y) = (row, col).
    for (int col = 0; col < height; ++col) {
        const Axis y = axis(col);
        for (int row = 0; row < width; ++row) {
            const Axis& x = rows[row];
            const double bottom = (1.0 - x.weight) * lattice(x.cell, y.cell) + x.weight * lattice(x.cell + 1, y.cell);
            const double top =
                (1.0 - x.weight) * lattice(x.cell, y.cell + 1) + x.weight * lattice(x.cell + 1, y.cell + 1);
            const uint32_t value = cloudColor((1.0 - y.weight) * bottom + y.weight * top);
            unsigned char* p = pixels + 4 * (col * width + row);
            p[0] = static_cast<unsigned char>(value >> 24);
            p[1] = static_cast<unsigned char>(value >> 16);
            p[2] = static_cast<unsigned char>(value >> 8);
            p[3] = static_cast<unsigned char>(value);
        }
    }
}

} // namespace cloud_noise
