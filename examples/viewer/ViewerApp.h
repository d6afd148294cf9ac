#pragma once
// The viewer application on the framework: updates and draws the
// ViewerScene with its decorations (sprites and a line of text), switches
// the renderer's statistics overlay on and off with F1, ends on Escape or
// Q, and on request writes one frame to a PNG file.

#include "core/Ref.h"
#include "examples/viewer/ViewerDecorations.h"
#include "examples/viewer/ViewerScene.h"
#include "framework/App.h"

namespace HAL {
class Input;
}

namespace viewer {

struct ViewerOptions {
    // Where to write a screenshot (null: none) and which frame (1 = first).
    const char* screenshotPath = nullptr;
    int screenshotFrame = 30;
};

class ViewerApp : public framework::App {
public:
    // The key that switches the statistics overlay (its Windows virtual-key code).
    static constexpr int KEY_F1 = 0x70;

    explicit ViewerApp(const ViewerOptions& options);
    ~ViewerApp() noexcept(false) override;

    void createDevice(render::Graphics3D& g3d) override;
    bool update(float seconds) override;
    void render(render::Graphics3D& g3d) override;
    void resetDevice(render::Graphics3D& g3d) override;

private:
    ViewerOptions m_options;
    core::Ref<HAL::Input> m_keyboard;
    core::Ref<ViewerScene> m_scene;
    core::Ref<ViewerDecorations> m_decorations;
    int m_frames = 0;
    bool m_f1Down = false; // F1 as last read: a press switches once
    bool m_toggleStatistics = false; // switch the overlay at the next render
};

} // namespace viewer
