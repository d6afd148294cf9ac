#pragma once
// The renderer facade, as far as the frame loop drives it: binding the
// renderer to a display and adapting it to a new display size. The renderer
// completes the class (targets, drawing, device limits) and implements it.

#include "core/Object.h"
#include "render/Graphics3DConfig.h"

namespace HAL {
class Display;
}

namespace render {

class Graphics3D : public core::Object {
public:
    // Binds the renderer to `display` (its window and drawing context) and
    // applies a copy of `config`. Requires a display.
    virtual void configGraphics3D(HAL::Display* display, const Graphics3DConfig& config) = 0;

    // Adapts the viewport and the 2D projections to the display's current
    // size, after the window was resized. Requires a configured renderer.
    virtual void resetGraphics3D() = 0;
};

} // namespace render
