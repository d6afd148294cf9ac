#pragma once
// The whole demo on an offscreen window, driven by the soundtrack's stepped
// clock instead of the wall clock: the tests move the music on in 5 ms
// steps, update the demo once per step as the frame loop would, and read
// frames back just before they are presented.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/FrameworkScope.h"
#include "framework/Vorna3DFramework.h"

class MyApplication;

namespace demo_test {

class FrameGrab;

// Pixels read back, rows from the top.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    const uint8_t* at(int x, int y) const { return rgb.data() + (size_t(y) * width + x) * 3; }
};

// Writes `frame` as an RGB PNG; false when the file cannot be written.
bool writePng(const std::string& path, const Frame& frame);

class ShowHarness {
public:
    // Starts the engine with the demo's configuration in a window of
    // 1024 x 768, the renderer, and the demo on the built soundtrack and
    // asset archive (all loaded here). Throws what start-up throws.
    ShowHarness();
    ~ShowHarness() noexcept(false);
    ShowHarness(const ShowHarness&) = delete;
    ShowHarness& operator=(const ShowHarness&) = delete;

    MyApplication& app() const { return *m_app; }
    framework::Vorna3DFramework& framework() const { return **m_framework; }

    // One 5 ms step: the music clock, then the demo's update. Returns what
    // the update returns.
    bool step();
    // Steps until the music position reaches `ms` (or the show ends);
    // returns false when it ended first.
    bool runTo(uint32_t ms);
    // Renders one frame and returns it as presented.
    Frame renderFrame();
    // Renders one frame without reading it back.
    void renderOnly();

private:
    std::unique_ptr<framework::FrameworkScope> m_framework; // stopped by hand, before m_grab goes
    MyApplication* m_app = nullptr; // held by the framework
    std::unique_ptr<FrameGrab> m_grab; // outlives the framework's renderer
};

} // namespace demo_test
