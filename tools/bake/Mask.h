#pragma once
// A coverage mask: one float 0..1 per pixel, for text and stencilled
// shapes. Painting a mask blends a shader's colour through it.

#include <vector>

#include "Canvas.h"

namespace bake {

class Mask {
public:
    Mask() = default;
    // An empty (all 0) mask. Requires non-negative sides.
    Mask(int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Coverage at (x, y); 0 outside the mask.
    float at(int x, int y) const;
    float& ref(int x, int y) { return m_values[static_cast<size_t>(y) * m_width + x]; }

    // The mask grown by `radius` pixels (a round maximum filter).
    Mask dilated(float radius) const;
    // The mask blurred by a three-pass box blur of `radius` pixels.
    Mask blurred(int radius) const;
    // The mask with `border` empty pixels added on every side.
    Mask padded(int border) const;
    // The mask scaled to width x height (bilinear, box-averaged when shrinking).
    Mask resized(int width, int height) const;

    // Blends shader(x, y) (canvas coordinates) over the canvas through the
    // mask placed with its top-left corner at (dx, dy), scaled by `opacity`.
    template <class Shader> void paint(Canvas& canvas, int dx, int dy, Shader shader, float opacity = 1.f) const
    {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                const float c = m_values[static_cast<size_t>(y) * m_width + x] * opacity;
                if (c > 0.f)
                    canvas.blend(x + dx, y + dy,
                                 shader(static_cast<float>(x + dx) + 0.5f, static_cast<float>(y + dy) + 0.5f), c);
            }
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<float> m_values;
};

} // namespace bake
