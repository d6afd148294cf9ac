#pragma once
// Support for renderer tests on a real OpenGL context: a small window on
// SDL's offscreen driver with its context current, frames read back as
// RGBA rows from the top, colour checks with a per-channel tolerance, and
// PNG output of a frame that failed a check (VORNA3D_GL_FAILURE_DIR/
// <suite>.<test>-<n>.png, one per failed check).

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "HAL/Display.h"
#include "render/Graphics3DConfig.h"
#include "tests/support/EngineTest.h"

namespace render {
class OGLES1_Graphics3D;
}

namespace render_gl_test {

// An RGBA colour, one byte per channel.
struct Rgba {
    int r = 0, g = 0, b = 0, a = 255;
};

// The tests' opaque colours.
inline constexpr Rgba BLACK{0, 0, 0, 255};
inline constexpr Rgba WHITE{255, 255, 255, 255};
inline constexpr Rgba RED{255, 0, 0, 255};
inline constexpr Rgba GREEN{0, 255, 0, 255};
inline constexpr Rgba BLUE{0, 0, 255, 255};
inline constexpr Rgba YELLOW{255, 255, 0, 255};

// `c` as 0xRRGGBBAA, the form Sprite3D::setColor and Image2D::setPixel take.
constexpr uint32_t packed(const Rgba& c)
{
    return uint32_t(c.r) << 24 | uint32_t(c.g) << 16 | uint32_t(c.b) << 8 | uint32_t(c.a);
}

// Pixels read from the frame or a texture, rows from the top.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    Rgba at(int x, int y) const;
};

// Reads the whole colour buffer of a window of width x height.
Frame readFrame(int width, int height);
// Reads level `level` of the texture bound to GL_TEXTURE_2D as RGBA, rows
// in the texture's order (row 0 first).
Frame readBoundTexture(int level);

// Writes `frame` as an RGBA PNG. Returns false when the file cannot be written.
bool writePng(const std::string& path, const Frame& frame);

// Whether every channel of `actual` is within `tolerance` of `expected`.
bool near(const Rgba& actual, const Rgba& expected, int tolerance);
// Checks pixel (x, y) of `frame`; on failure writes the frame as
// <failure dir>/<test name>.png and names it in the message.
::testing::AssertionResult pixelNear(const Frame& frame, int x, int y, const Rgba& expected, int tolerance);

// Checks every pixel of the rectangle [x0, x1) x [y0, y1) against
// `expected`; reports the first mismatch (and writes the frame as above).
::testing::AssertionResult regionNear(const Frame& frame, int x0, int y0, int x1, int y1, const Rgba& expected,
                                      int tolerance);

// A fixture with a window of kWidth x kHeight and its OpenGL context.
// Derived fixtures that configure a renderer on display() leave the
// context to it (makeContext false).
class GLTest : public testing_support::EngineTest {
protected:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;

    explicit GLTest(bool makeContext = true) : m_makeContext(makeContext) { }

    void configure(framework::FrameworkConfig& config) override;
    // Changes the window's configuration (kWidth x kHeight) before it is made.
    virtual void adjustDisplay(HAL::DisplayConfig&) { }
    void SetUp() override;
    void TearDown() override;

    HAL::Display* display() const { return m_display; }

private:
    HAL::Display* m_display = nullptr; // held with addRef (a Ref member would make the destructor throwing)
    bool m_makeContext;
};

// A window whose context belongs to an OGLES1_Graphics3D configured on it
// and registered as the engine's renderer: no statistics overlay, no
// camera light, unless configureGraphics says otherwise.
class RendererGLTest : public GLTest {
protected:
    RendererGLTest() : GLTest(false) { }

    virtual void configureGraphics(render::Graphics3DConfig& config);
    void SetUp() override;
    void TearDown() override;

    render::OGLES1_Graphics3D* g3d = nullptr; // held with addRef
};

} // namespace render_gl_test
