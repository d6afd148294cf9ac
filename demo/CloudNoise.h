#pragma once
// Value noise for the helix's cloud texture: a pseudo-random value per
// integer lattice point, cosine-interpolated in between.

#include <cstdint>

namespace render {
class Image2D;
}

namespace cloud_noise {

// The value at lattice point (ix, iy), in (-1, 1]: a fixed integer hash of
// iy x 57 + ix, in 32-bit wrap-around arithmetic.
double lattice(int32_t ix, int32_t iy);

// The noise at (x, y): the four surrounding lattice values blended with
// cosine weights. Equals lattice(ix, iy) at integer points.
double noise2(double x, double y);

// The cloud texture's pixel at (row, col): alpha is the noise at
// (row / 35, col / 35) scaled to 0..255 around 128, on a dark red-violet;
// where that alpha would be 0 or less the pixel is 0 (transparent black).
// Returned as 0xRRGGBBAA.
uint32_t cloudPixel(int row, int col);

// Fills every pixel (row, col) of `image` (RGBA, asserted) with cloudPixel.
void fillClouds(render::Image2D& image);

} // namespace cloud_noise
