#pragma once
// The application that the frame loop drives: updated in time steps,
// rendered when a frame is due, and told when the graphics device comes and
// changes.

#include <cstdint>

#include "core/Object.h"

namespace render {
class Graphics3D;
}

namespace framework {

class App : public core::Object {
public:
    App() = default;
    ~App() noexcept(false) override;

    // Advances the application by `seconds`. Returning false stops the loop.
    virtual bool update(float seconds) = 0;

    // Draws one frame with `g3d`, presenting it included.
    virtual void render(render::Graphics3D& g3d) = 0;

    // Loads and builds everything that needs the graphics device. The
    // framework calls it once, when both the application and `g3d` are set.
    virtual void createDevice(render::Graphics3D& g3d) = 0;

    // The device (window size) has changed: drop what depends on it.
    // Does nothing by default.
    virtual void lostDevice();

    // Rebuilds after lostDevice. Does nothing by default.
    virtual void resetDevice(render::Graphics3D& g3d);

    // Set by the framework once createDevice has returned.
    uint8_t m_deviceCreated = 0;
};

} // namespace framework
