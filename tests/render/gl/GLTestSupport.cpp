#include "tests/render/gl/GLTestSupport.h"

#include <png.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "HAL/OGL_1_X.h"
#include "core/Globals.h"
#include "render/OGLES/OGLES1_Graphics3D.h"

namespace render_gl_test {

namespace {

std::string failureImagePath()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "frame";
    for (char& c : name)
        if (c == '/')
            c = '_';
    // Numbered per test: every failing check keeps its own frame.
    static std::string lastName;
    static int count = 0;
    count = name == lastName ? count + 1 : 1;
    lastName = name;
    std::filesystem::create_directories(VORNA3D_GL_FAILURE_DIR);
    return std::string(VORNA3D_GL_FAILURE_DIR) + "/" + name + "-" + std::to_string(count) + ".png";
}

std::string describe(const Rgba& c)
{
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ", " +
        std::to_string(c.a) + ")";
}

::testing::AssertionResult mismatch(const Frame& frame, int x, int y, const Rgba& expected, const Rgba& actual)
{
    const std::string path = failureImagePath();
    const bool written = writePng(path, frame);
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << describe(actual) << ", expected "
                                         << describe(expected)
                                         << (written ? "; frame written to " + path : "; frame not written");
}

} // namespace

Rgba Frame::at(int x, int y) const
{
    const uint8_t* p = rgba.data() + (size_t(y) * width + x) * 4;
    return Rgba{p[0], p[1], p[2], p[3]};
}

Frame readFrame(int width, int height)
{
    Frame frame;
    frame.width = width;
    frame.height = height;
    frame.rgba.resize(size_t(width) * height * 4);
    std::vector<uint8_t> bottomUp(frame.rgba.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    const size_t row = size_t(width) * 4;
    for (int r = 0; r < height; ++r)
        std::copy_n(bottomUp.data() + size_t(height - 1 - r) * row, row, frame.rgba.data() + size_t(r) * row);
    return frame;
}

Frame readBoundTexture(int level)
{
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    Frame frame;
    frame.width = width;
    frame.height = height;
    frame.rgba.resize(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!frame.rgba.empty())
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, frame.rgba.data());
    return frame;
}

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
    png_set_IHDR(png, info, png_uint_32(frame.width), png_uint_32(frame.height), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < frame.height; ++y)
        png_write_row(png, frame.rgba.data() + size_t(y) * frame.width * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool near(const Rgba& actual, const Rgba& expected, int tolerance)
{
    return std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance && std::abs(actual.a - expected.a) <= tolerance;
}

::testing::AssertionResult pixelNear(const Frame& frame, int x, int y, const Rgba& expected, int tolerance)
{
    const Rgba actual = frame.at(x, y);
    if (near(actual, expected, tolerance))
        return ::testing::AssertionSuccess();
    return mismatch(frame, x, y, expected, actual);
}

::testing::AssertionResult regionNear(const Frame& frame, int x0, int y0, int x1, int y1, const Rgba& expected,
                                      int tolerance)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (!near(frame.at(x, y), expected, tolerance))
                return mismatch(frame, x, y, expected, frame.at(x, y));
    return ::testing::AssertionSuccess();
}

void GLTest::configure(framework::FrameworkConfig& config)
{
    EngineTest::configure(config);
    config.memorySize = 16 * 1024 * 1024;
}

void GLTest::SetUp()
{
    EngineTest::SetUp();
    HAL::DisplayConfig config;
    config.width = kWidth;
    config.height = kHeight;
    config.color = 32;
    config.title = "Vorna3D render gl test";
    adjustDisplay(config);
    core::Ref<HAL::Display> display = HAL::Display::createDisplayHandle(config);
    m_display = display.get();
    m_display->addRef();
    if (m_makeContext)
        HAL::OGL_1_X::init(m_display);
}

void GLTest::TearDown()
{
    if (m_display) {
        if (m_makeContext)
            HAL::OGL_1_X::deinit(m_display);
        m_display->releaseRef();
        m_display = nullptr;
    }
    EngineTest::TearDown();
}

void RendererGLTest::configureGraphics(render::Graphics3DConfig& config)
{
    config.showStatistics = false;
    config.printFps = false;
    config.cameraLight = false;
}

void RendererGLTest::SetUp()
{
    GLTest::SetUp();
    render::Graphics3DConfig config;
    configureGraphics(config);
    g3d = VORNA3D_NEW render::OGLES1_Graphics3D();
    g3d->addRef();
    g3d->configGraphics3D(display(), config);
}

void RendererGLTest::TearDown()
{
    // The globals' reference first, then ours: the renderer (and with it
    // the context) goes before the window.
    if (core::Globals::exists())
        core::Globals::get()->m_g3d.clear();
    if (g3d)
        g3d->releaseRef();
    g3d = nullptr;
    GLTest::TearDown();
}

} // namespace render_gl_test
