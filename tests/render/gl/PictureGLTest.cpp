// The picture on a real OpenGL context: a 4:3 picture in a wider window
// between black bars whatever the frame clears to, scaled in whole pixels;
// the frame reader's pixels without the bars; a render target drawn
// through its framebuffer object at the picture's size in a window smaller
// than the picture. Expected pixels are worked out from the fit: a 64 x 48
// picture in a 100 x 60 window stands at (10, 0), 80 x 60.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "core/Ref.h"
#include "render/scene/Background.h"
#include "render/FrameReader.h"
#include "render/appearance/Image2D.h"
#include "render/OGLES/OGLES1_Framebuffer.h"
#include "render/OGLES/OGLES1_Graphics3D.h"
#include "render/RenderTarget.h"
#include "render/appearance/Texture2D.h"
#include "tests/render/gl/GLTestSupport.h"

using core::Ref;
using render::Background;
using render::Image2D;
using render::Texture2D;
using render_gl_test::Frame;
using render_gl_test::pixelNear;
using render_gl_test::regionNear;
using render_gl_test::Rgba;

namespace {

using namespace render_gl_test; // the colours and packed()

const Rgba SLATE{0x33, 0x66, 0x99, 255};

// Keeps a copy of the last frame it is handed, rows from the top.
class CopyingReader : public render::FrameReader {
public:
    void frameDrawn(const uint8_t* rgbaBottomUp, int width, int height) override
    {
        ++frames;
        frame.width = width;
        frame.height = height;
        frame.rgba.resize(size_t(width) * height * 4);
        const size_t row = size_t(width) * 4;
        for (int r = 0; r < height; ++r)
            std::copy_n(rgbaBottomUp + size_t(height - 1 - r) * row, row, frame.rgba.data() + size_t(r) * row);
    }
    Frame frame;
    int frames = 0;
};

class PictureGLTest : public render_gl_test::RendererGLTest {
protected:
    int clientWidth = 100;
    int clientHeight = 60;

    void adjustDisplay(HAL::DisplayConfig& config) override
    {
        config.width = clientWidth;
        config.height = clientHeight;
        config.pictureWidth = kWidth;
        config.pictureHeight = kHeight;
    }

    Ref<Texture2D> crisp(Image2D* image)
    {
        Ref<Texture2D> texture = g3d->createNewTexture(0, 0);
        texture->setFiltering(Texture2D::FILTER_BASE_LEVEL, Texture2D::FILTER_NEAREST);
        texture->setImage(image);
        return texture;
    }

    Ref<Texture2D> solid(const Rgba& color)
    {
        Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, 2, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x)
                image->setPixel(x, y, packed(color));
        return crisp(image.get());
    }

    // Clears to `argb`, draws `texture` on the picture rectangle between
    // `topRight` and `bottomLeft`, and reads the whole window before the
    // frame is presented.
    Frame frame(uint32_t argb, Texture2D* texture, slmath::vec2 topRight, slmath::vec2 bottomLeft)
    {
        Ref<Background> background = VORNA3D_NEW Background();
        background->setColor(argb);
        g3d->bindTarget(nullptr);
        g3d->clear(background.get());
        g3d->rect(topRight, bottomLeft, texture);
        Frame pixels = render_gl_test::readFrame(clientWidth, clientHeight);
        g3d->releaseTarget();
        return pixels;
    }
};

class SmallWindowPictureGLTest : public PictureGLTest {
protected:
    SmallWindowPictureGLTest()
    {
        clientWidth = 32;
        clientHeight = 24;
    }
};

TEST_F(PictureGLTest, BarsStayBlackAroundTheScaledPicture)
{
    ASSERT_EQ(g3d->getScreenViewport(), (render::Graphics3D::PixelRect{10, 0, 80, 60}));
    Ref<Texture2D> red = solid(RED);

    // A white frame (the lattice's flash) with the picture's top-right
    // quarter red: picture x 32..64 is window x 50..90, its top 24 rows
    // the window's top 30.
    for (int i = 0; i < 2; ++i) {
        const Frame pixels = frame(0xFFFFFFFFu, red.get(), slmath::vec2(1.f, 0.f), slmath::vec2(0.5f, 0.5f));
        EXPECT_TRUE(regionNear(pixels, 0, 0, 10, 60, BLACK, 0)) << "frame " << i;
        EXPECT_TRUE(regionNear(pixels, 90, 0, 100, 60, BLACK, 0)) << "frame " << i;
        EXPECT_TRUE(regionNear(pixels, 10, 0, 50, 60, WHITE, 0));
        EXPECT_TRUE(regionNear(pixels, 50, 30, 90, 60, WHITE, 0));
        EXPECT_TRUE(regionNear(pixels, 50, 0, 90, 30, RED, 0));
    }

    // Another clear colour, the same bars.
    const Frame slate = frame(0xFF336699u, red.get(), slmath::vec2(1.f, 0.f), slmath::vec2(0.5f, 0.5f));
    EXPECT_TRUE(regionNear(slate, 0, 0, 10, 60, BLACK, 0));
    EXPECT_TRUE(regionNear(slate, 90, 0, 100, 60, BLACK, 0));
    EXPECT_TRUE(pixelNear(slate, 30, 50, SLATE, 0));
}

TEST_F(PictureGLTest, FrameReaderGetsOnlyThePicture)
{
    CopyingReader reader;
    g3d->setFrameReader(&reader);
    Ref<Texture2D> green = solid(GREEN);
    // Slate with the picture's top-left quarter green.
    frame(0xFF336699u, green.get(), slmath::vec2(0.5f, 0.f), slmath::vec2(0.f, 0.5f));
    ASSERT_EQ(reader.frames, 1);
    ASSERT_EQ(reader.frame.width, 80);
    ASSERT_EQ(reader.frame.height, 60);
    // No bar columns: the edges are picture.
    EXPECT_TRUE(regionNear(reader.frame, 0, 0, 40, 30, GREEN, 0));
    EXPECT_TRUE(regionNear(reader.frame, 40, 0, 80, 30, SLATE, 0));
    EXPECT_TRUE(regionNear(reader.frame, 0, 30, 80, 60, SLATE, 0));
    g3d->setFrameReader(nullptr);
}

TEST_F(PictureGLTest, DeferredReadBackHandsTheSameFramesOverLaterInOrder)
{
    // Four frames of different colours, read at once and then through two
    // and three pixel buffers in turn: the same pictures, the last ones at
    // the flush.
    const uint32_t colours[] = {0xFF336699u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
    Ref<Texture2D> green = solid(GREEN);
    std::vector<Frame> atOnce;
    for (int depth : {1, 2, 3}) {
        struct Keeping : CopyingReader {
            std::vector<Frame> all;
            void frameDrawn(const uint8_t* rgba, int width, int height) override
            {
                CopyingReader::frameDrawn(rgba, width, height);
                all.push_back(frame);
            }
        } reader;
        g3d->setFrameReader(&reader);
        g3d->setFrameReadBackDepth(depth);
        for (int k = 0; k < 4; ++k) {
            frame(colours[k], green.get(), slmath::vec2(0.5f, 0.f), slmath::vec2(0.f, 0.5f));
            // A back end without pixel buffers falls back to reading at once.
            if (g3d->getFrameReadBackDepth() == depth) {
                EXPECT_EQ(reader.frames, std::max(0, k + 2 - depth)) << "depth " << depth << ", frame " << k;
            }
        }
        g3d->flushFrameReader();
        ASSERT_EQ(reader.all.size(), 4u) << "depth " << depth;
        if (depth == 1)
            atOnce = reader.all;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(reader.all[k].rgba, atOnce[k].rgba) << "depth " << depth << ", frame " << k;
        g3d->setFrameReadBackDepth(1);
        g3d->setFrameReader(nullptr);
    }
    EXPECT_NE(atOnce[0].rgba, atOnce[1].rgba);
}

TEST_F(SmallWindowPictureGLTest, RenderTargetIsDrawnAtThePictureSizeInASmallerWindow)
{
    if (!render::OGLES1_Framebuffer::isAvailable())
        GTEST_SKIP() << "the driver has no framebuffer objects";
    // The 64 x 48 picture is shown 32 x 24; the 64 x 64 target still gets
    // a 64 x 48 viewport, which this window could never hold.
    Ref<Image2D> blocks = VORNA3D_NEW Image2D(Image2D::RGBA, 2, 2);
    blocks->setPixel(0, 0, packed(RED));
    blocks->setPixel(1, 0, packed(GREEN));
    blocks->setPixel(0, 1, packed(BLUE));
    blocks->setPixel(1, 1, packed(YELLOW));
    Ref<Texture2D> texture = crisp(blocks.get());
    Ref<Texture2D> targetTexture = g3d->createNewTexture(64, 64);
    Ref<render::RenderTarget> target = VORNA3D_NEW render::RenderTarget(targetTexture.get());
    Ref<Background> white = VORNA3D_NEW Background();
    white->setColor(0xFFFFFFFFu);

    const core::Object* framebuffer = nullptr;
    for (int i = 0; i < 2; ++i) {
        g3d->bindTarget(target.get());
        EXPECT_EQ(g3d->getViewportWidth(), 64);
        EXPECT_EQ(g3d->getViewportHeight(), 48);
        g3d->clear(white.get());
        g3d->rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), texture.get());
        g3d->releaseTarget();
        // Made on the first frame, kept for the next.
        ASSERT_NE(target->getBackendResource(), nullptr);
        if (i == 0)
            framebuffer = target->getBackendResource();
        EXPECT_EQ(target->getBackendResource(), framebuffer);
    }

    // Row 0 is the frame's bottom row: blue and yellow on rows 0..23, red
    // and green on 24..47, split at x = 32; above the viewport the clear.
    glBindTexture(GL_TEXTURE_2D, GLuint(targetTexture->getTextureID()));
    const Frame texels = render_gl_test::readBoundTexture(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    ASSERT_EQ(texels.width, 64);
    ASSERT_EQ(texels.height, 64);
    EXPECT_TRUE(regionNear(texels, 0, 0, 32, 24, BLUE, 0));
    EXPECT_TRUE(regionNear(texels, 32, 0, 64, 24, YELLOW, 0));
    EXPECT_TRUE(regionNear(texels, 0, 24, 32, 48, RED, 0));
    EXPECT_TRUE(regionNear(texels, 32, 24, 64, 48, GREEN, 0));
    EXPECT_TRUE(regionNear(texels, 0, 48, 64, 64, WHITE, 0));

    // The window's frame is untouched by the target's pass and shows its own picture.
    Ref<Texture2D> red = solid(RED);
    const Frame shown = frame(0xFF336699u, red.get(), slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f));
    EXPECT_EQ(g3d->getViewportWidth(), kWidth);
    EXPECT_TRUE(regionNear(shown, 0, 0, 32, 24, RED, 0));
}

} // namespace
