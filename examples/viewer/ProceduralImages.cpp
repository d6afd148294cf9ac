#include "examples/viewer/ProceduralImages.h"

#include <cmath>

namespace viewer {

core::Ref<render::Image2D> createCheckerImage(int width, int height, int cell, uint32_t colorA, uint32_t colorB)
{
    ASSERT(width > 0 && height > 0 && cell > 0);
    core::Ref<render::Image2D> image = VORNA3D_NEW render::Image2D(render::Image2D::RGB, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image->setPixel(x, y, ((x / cell + y / cell) % 2 == 0) ? colorA : colorB);
    return image;
}

core::Ref<render::Image2D> createGradientImage(int width, int height, uint32_t top, uint32_t bottom)
{
    ASSERT(width > 0 && height > 1);
    core::Ref<render::Image2D> image = VORNA3D_NEW render::Image2D(render::Image2D::RGB, width, height);
    for (int y = 0; y < height; ++y) {
        const float f = float(y) / float(height - 1);
        uint32_t color = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            const float a = float((top >> shift) & 0xFF);
            const float b = float((bottom >> shift) & 0xFF);
            color |= uint32_t(std::lround(a + (b - a) * f)) << shift;
        }
        for (int x = 0; x < width; ++x)
            image->setPixel(x, y, color);
    }
    return image;
}

} // namespace viewer
