#include "tests/demo/gl/ShowHarness.h"

#include <png.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <memory>
#include <string>

#include "demo/DemoMusic.h"
#include "demo/MyApplication.h"
#include "render/OGLES/OGLES1_Graphics3D.h"

namespace demo_test {

namespace {

// The OpenGL renderer, reading the frame back just before presenting it.
class CapturingGraphics3D : public render::OGLES1_Graphics3D {
public:
    bool capture = false;
    Frame frame;

    void swapBuffers() override
    {
        if (capture) {
            capture = false;
            const int width = getDisplayWidth();
            const int height = getDisplayHeight();
            std::vector<uint8_t> bottomUp(size_t(width) * height * 3);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
            frame.width = width;
            frame.height = height;
            frame.rgb.resize(bottomUp.size());
            const size_t row = size_t(width) * 3;
            for (int y = 0; y < height; ++y)
                std::copy_n(bottomUp.data() + size_t(height - 1 - y) * row, row, frame.rgb.data() + size_t(y) * row);
        }
        OGLES1_Graphics3D::swapBuffers();
    }
};

} // namespace

bool writePng(const std::string& path, const Frame& frame)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, png_uint_32(frame.width), png_uint_32(frame.height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < frame.height; ++y)
        png_write_row(png, frame.rgb.data() + size_t(y) * frame.width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

ShowHarness::ShowHarness()
{
    const std::string bin = VORNA3D_BIN_DIR;
    DemoMusic* music = DemoMusic::startPath((bin + "/override.mp3").c_str(), HAL::MUSIC_INIT_STEPPED_CLOCK);
    if (!music)
        throw std::runtime_error("the soundtrack " + bin + "/override.mp3 does not play");

    framework::FrameworkConfig config;
    config.fixedTimeStep = 0.005f;
    config.minFrameTime = 0.005f;
    config.display.width = MyApplication::SCREEN_WIDTH;
    config.display.height = MyApplication::SCREEN_HEIGHT;
    config.display.windowed = 1;
    config.display.title = "sulvanto frame test";
    config.createConsole = 0;
    config.memorySize = 40960000;
    config.graphics.showStatistics = false;
    config.graphics.printFps = false;
    config.graphics.lighting = true;
    try {
        m_framework = new framework::Vorna3DFramework(&config);
    } catch (...) {
        delete music;
        throw;
    }
    try {
        m_framework->setGraphics3D(VORNA3D_NEW CapturingGraphics3D());
        m_app = VORNA3D_NEW MyApplication(music);
        music = nullptr;
        m_app->setArchiveFolder((bin + "/").c_str());
        m_framework->setApp(m_app);
    } catch (...) {
        delete music;
        delete m_framework;
        throw;
    }
}

ShowHarness::~ShowHarness() noexcept(false)
{
    delete m_framework;
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
    auto* g3d = static_cast<CapturingGraphics3D*>(m_framework->getGraphics3D());
    g3d->capture = true;
    m_framework->render();
    return g3d->frame;
}

void ShowHarness::renderOnly()
{
    m_framework->render();
}

} // namespace demo_test
