#include "tests/demo/gl/ShowHarness.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "core/Exception.h"
#include "demo/DemoMusic.h"
#include "demo/MyApplication.h"
#include "demo/ShowConfig.h"
#include "render/FrameReader.h"
#include "render/OGLES/OGLES1_Graphics3D.h"
#include "render/loaders/png/PNGWriter.h"

namespace demo_test {

// Keeps the next presented frame when asked to, turned top-down RGB.
class FrameGrab : public render::FrameReader {
public:
    bool capture = false;
    Frame frame;

    void frameDrawn(const uint8_t* rgbaBottomUp, int width, int height) override
    {
        if (!capture)
            return;
        capture = false;
        frame.width = width;
        frame.height = height;
        frame.rgb.resize(size_t(width) * height * 3);
        for (int y = 0; y < height; ++y) {
            const uint8_t* from = rgbaBottomUp + size_t(height - 1 - y) * width * 4;
            uint8_t* to = frame.rgb.data() + size_t(y) * width * 3;
            for (int x = 0; x < width; ++x, from += 4, to += 3)
                std::copy_n(from, 3, to);
        }
    }
};

bool writePng(const std::string& path, const Frame& frame)
{
    try {
        render::PNGWriter::write(path.c_str(), frame.width, frame.height, frame.rgb.data(), render::PNGWriter::RGB);
        return true;
    } catch (const core::IOException&) {
        return false;
    }
}

ShowHarness::ShowHarness()
{
    const std::string bin = VORNA3D_BIN_DIR;
    DemoMusic* music = DemoMusic::startPath((bin + "/override.mp3").c_str(), HAL::MUSIC_INIT_STEPPED_CLOCK);
    if (!music)
        throw std::runtime_error("the soundtrack " + bin + "/override.mp3 does not play");

    framework::FrameworkConfig config;
    applyShowConfig(config, ShowScreen::WINDOW, ShowLog::NO_FPS);
    std::unique_ptr<DemoMusic> owned(music);
    m_framework = std::make_unique<framework::FrameworkScope>(config);
    try {
        m_grab = std::make_unique<FrameGrab>();
        render::Graphics3D* g3d = VORNA3D_NEW render::OGLES1_Graphics3D();
        g3d->setFrameReader(m_grab.get());
        framework().setGraphics3D(g3d);
        m_app = VORNA3D_NEW MyApplication(owned.get());
        owned.release();
        m_app->setArchiveFolder((bin + "/").c_str());
        framework().setApp(m_app);
    } catch (...) {
        owned.reset(); // before the framework, whose log takes its last warnings
        m_framework->stop();
        throw;
    }
}

ShowHarness::~ShowHarness() noexcept(false)
{
    m_framework->stop();
}

bool ShowHarness::step()
{
    m_app->getMusic().advanceClock(5);
    return m_app->update(0.005f);
}

bool ShowHarness::runTo(uint32_t ms)
{
    while (m_app->getMusic().getPositionMs() < ms)
        if (!step())
            return false;
    return true;
}

Frame ShowHarness::renderFrame()
{
    m_grab->capture = true;
    framework().render();
    return m_grab->frame;
}

void ShowHarness::renderOnly()
{
    framework().render();
}

} // namespace demo_test
