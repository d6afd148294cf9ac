#pragma once
// The viewer's images, drawn in code so that the program needs no files.

#include <cstdint>

#include "core/Ref.h"
#include "render/appearance/Image2D.h"

namespace viewer {

// An RGB checkerboard of width x height with square cells of `cell` pixels:
// colorA (0xRRGGBB) where the cell's column and row have the same parity,
// colorB elsewhere. Requires positive sizes.
core::Ref<render::Image2D> createCheckerImage(int width, int height, int cell, uint32_t colorA, uint32_t colorB);

// An RGB vertical gradient: row y (0 at the top) has, per channel,
// top + (bottom - top) * y / (height - 1), rounded to the nearest integer.
// Requires width > 0 and height > 1.
core::Ref<render::Image2D> createGradientImage(int width, int height, uint32_t top, uint32_t bottom);

} // namespace viewer
