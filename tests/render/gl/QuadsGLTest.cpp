// Screen quads drawn by the OpenGL renderer and read back: rect over the
// whole target and over a quarter of it, right way up; a texture whose
// sides are not powers of two shown whole; background images with crop
// rectangles in border and repeat mode; rendering into a texture and
// drawing it back. Expected colours come from the test images themselves:
// nearest filtering where a region must be exact, interiors away from
// texel boundaries where the renderer filters linearly.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>

#include "core/Ref.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/OGLES/OGLES1_Framebuffer.h"
#include "render/OGLES/OGLES1_Graphics3D.h"
#include "render/RenderTarget.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/Transform.h"
#include "tests/render/gl/GLTestSupport.h"

using core::Ref;
using render::Background;
using render::Image2D;
using render::Texture2D;
using render_gl_test::Frame;
using render_gl_test::regionNear;
using render_gl_test::Rgba;

namespace {

using namespace render_gl_test; // the colours and packed()

const Rgba GREY{64, 64, 64, 255};

// An RGBA image of size x size in four blocks: topLeft, topRight on the
// upper rows (row 0 is the top), bottomLeft, bottomRight below.
Ref<Image2D> quadrants(int size, const Rgba& topLeft, const Rgba& topRight, const Rgba& bottomLeft,
                       const Rgba& bottomRight)
{
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, size, size);
    const int half = size / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image->setPixel(x, y,
                            packed(y < half ? (x < half ? topLeft : topRight) : (x < half ? bottomLeft : bottomRight)));
    return image;
}

class QuadsGLTest : public render_gl_test::RendererGLTest {
protected:
    static constexpr int W = kWidth;
    static constexpr int H = kHeight;

    // A texture of `image` sampled with nearest filtering on the base level.
    Ref<Texture2D> crisp(Image2D* image)
    {
        Ref<Texture2D> texture = g3d->createNewTexture(0, 0);
        texture->setFiltering(Texture2D::FILTER_BASE_LEVEL, Texture2D::FILTER_NEAREST);
        texture->setImage(image);
        return texture;
    }

    Ref<Background> solid(uint32_t argb)
    {
        Ref<Background> background = VORNA3D_NEW Background();
        background->setColor(argb);
        return background;
    }

    // One frame on the display: clear with `background`, run `draw`, read
    // the pixels back before the frame is presented.
    template <class F> Frame frame(Background* background, F draw)
    {
        g3d->bindTarget(nullptr);
        g3d->clear(background);
        draw();
        Frame pixels = render_gl_test::readFrame(W, H);
        g3d->releaseTarget();
        return pixels;
    }
};

} // namespace

TEST_F(QuadsGLTest, RectCoversTheViewportRightWayUp)
{
    Ref<Image2D> image = quadrants(2, RED, GREEN, BLUE, WHITE);
    Ref<Texture2D> texture = crisp(image.get());
    Ref<Background> grey = solid(0xFF404040u);

    // The active camera and the lighting switch survive the draw.
    Ref<render::Camera> camera = VORNA3D_NEW render::Camera();
    camera->setPerspective(60.f, 4.f / 3.f, 1.f, 10.f);
    render::Transform cameraTransform;
    cameraTransform.postTranslate(1.f, 2.f, 3.f);
    g3d->setCamera(camera.get(), cameraTransform);

    // Full screen: (1, 0) top-right, (0, 1) bottom-left; image row 0 on top.
    Frame full = frame(grey.get(), [&] { g3d->rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), texture.get()); });
    EXPECT_TRUE(regionNear(full, 0, 0, W / 2, H / 2, RED, 2));
    EXPECT_TRUE(regionNear(full, W / 2, 0, W, H / 2, GREEN, 2));
    EXPECT_TRUE(regionNear(full, 0, H / 2, W / 2, H, BLUE, 2));
    EXPECT_TRUE(regionNear(full, W / 2, H / 2, W, H, WHITE, 2));
    EXPECT_EQ(g3d->getCamera(), camera.get());
    EXPECT_FLOAT_EQ(g3d->getCameraTransform().getMatrix()[1][3], 2.f);
    EXPECT_TRUE(g3d->isLightingEnabled());

    // (1, 0), (0.5, 0.5): the top-right quarter, the image right way up in
    // it, the clear colour elsewhere.
    Frame quarter =
        frame(grey.get(), [&] { g3d->rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.5f, 0.5f), texture.get()); });
    EXPECT_TRUE(regionNear(quarter, W / 2, 0, 3 * W / 4, H / 4, RED, 2));
    EXPECT_TRUE(regionNear(quarter, 3 * W / 4, 0, W, H / 4, GREEN, 2));
    EXPECT_TRUE(regionNear(quarter, W / 2, H / 4, 3 * W / 4, H / 2, BLUE, 2));
    EXPECT_TRUE(regionNear(quarter, 3 * W / 4, H / 4, W, H / 2, WHITE, 2));
    EXPECT_TRUE(regionNear(quarter, 0, 0, W / 2, H, GREY, 2));
    EXPECT_TRUE(regionNear(quarter, W / 2, H / 2, W, H, GREY, 2));
}

TEST_F(QuadsGLTest, NonPowerOfTwoTextureIsShownWhole)
{
    // 3 x 3 texels, all different, padded to 4 x 4 in GL: the texture scale
    // must make the rect show exactly the 3 x 3 image.
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, 3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            image->setPixel(x, y, packed(Rgba{100 * x + 20, 100 * y + 20, 60 + 40 * (x + y), 255}));
    Ref<Texture2D> texture = crisp(image.get());
    Frame pixels = frame(nullptr, [&] { g3d->rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), texture.get()); });
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            // Each texel covers 64 / 3 by 16 pixels; one pixel of margin.
            const int x0 = int(std::ceil(x * W / 3.0)) + 1;
            const int x1 = int(std::floor((x + 1) * W / 3.0)) - 1;
            EXPECT_TRUE(regionNear(pixels, x0, 16 * y + 1, x1, 16 * y + 15,
                                   Rgba{100 * x + 20, 100 * y + 20, 60 + 40 * (x + y), 255}, 2))
                << "texel " << x << ", " << y;
        }
    }
}

TEST_F(QuadsGLTest, BackgroundImageCropRectangles)
{
    // 16 x 16 texels in 8 x 8 blocks. The background samples linearly, so
    // regions are checked away from block edges.
    Ref<Image2D> image = quadrants(16, RED, GREEN, BLUE, WHITE);
    Ref<Background> background = solid(0xFF404040u);
    background->setImage(image.get());

    // Border mode with the whole image as crop: the image fills the target.
    Frame whole = frame(background.get(), [] {});
    EXPECT_TRUE(regionNear(whole, 3, 3, W / 2 - 3, H / 2 - 3, RED, 2));
    EXPECT_TRUE(regionNear(whole, W / 2 + 3, 3, W - 3, H / 2 - 3, GREEN, 2));
    EXPECT_TRUE(regionNear(whole, 3, H / 2 + 3, W / 2 - 3, H - 3, BLUE, 2));
    EXPECT_TRUE(regionNear(whole, W / 2 + 3, H / 2 + 3, W - 3, H - 3, WHITE, 2));

    // The crop rectangle fills the target: the green block alone.
    background->setCrop(8, 0, 8, 8);
    Frame cropped = frame(background.get(), [] {});
    EXPECT_TRUE(regionNear(cropped, 5, 4, W - 5, H - 4, GREEN, 2));

    // A crop twice the image: in border mode the image fills the top-left
    // quarter and the clear colour shows beyond it.
    background->setCrop(0, 0, 32, 32);
    Frame border = frame(background.get(), [] {});
    EXPECT_TRUE(regionNear(border, 2, 2, W / 4 - 2, H / 4 - 2, RED, 2));
    EXPECT_TRUE(regionNear(border, W / 4 + 2, H / 4 + 2, W / 2 - 2, H / 2 - 2, WHITE, 2));
    EXPECT_TRUE(regionNear(border, W / 2 + 2, 0, W, H, GREY, 2));
    EXPECT_TRUE(regionNear(border, 0, H / 2 + 2, W, H, GREY, 2));

    // In repeat mode the same crop tiles the image twice each way ...
    background->setImageMode(Background::REPEAT, Background::REPEAT);
    Frame tiled = frame(background.get(), [] {});
    for (int tile = 0; tile < 2; ++tile) {
        const int x = tile * W / 2;
        EXPECT_TRUE(regionNear(tiled, x + 2, 2, x + W / 4 - 2, H / 4 - 2, RED, 2)) << "tile " << tile;
        EXPECT_TRUE(regionNear(tiled, x + W / 4 + 2, 2, x + W / 2 - 2, H / 4 - 2, GREEN, 2)) << "tile " << tile;
        EXPECT_TRUE(regionNear(tiled, x + 2, H / 2 + H / 4 + 2, x + W / 4 - 2, H - 2, BLUE, 2)) << "tile " << tile;
    }
    // ... and its offset moves the pattern: 8 texels to the right start the
    // target with the green block.
    background->setCrop(8, 0, 32, 32);
    Frame shifted = frame(background.get(), [] {});
    EXPECT_TRUE(regionNear(shifted, 2, 2, W / 4 - 2, H / 4 - 2, GREEN, 2));
    EXPECT_TRUE(regionNear(shifted, W / 4 + 2, 2, W / 2 - 2, H / 4 - 2, RED, 2));

    // An empty crop shows the clear colour only.
    background->setCrop(0, 0, 0, 16);
    Frame empty = frame(background.get(), [] {});
    EXPECT_TRUE(regionNear(empty, 0, 0, W, H, GREY, 2));
}

TEST_F(QuadsGLTest, BackgroundAfterRectAndRectAfterBackground)
{
    Ref<Image2D> blocks = quadrants(2, RED, GREEN, BLUE, WHITE);
    Ref<Texture2D> texture = crisp(blocks.get());
    Ref<Image2D> yellow = quadrants(4, YELLOW, YELLOW, YELLOW, YELLOW);
    Ref<Background> background = solid(0xFF404040u);
    background->setImage(yellow.get());

    // rect first makes the shared quad without a texture of its own; the
    // background image must still find a texture there.
    frame(nullptr, [&] { g3d->rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), texture.get()); });
    Frame first = frame(background.get(), [] {});
    EXPECT_TRUE(regionNear(first, 0, 0, W, H, YELLOW, 2));

    // A rect over the background lends its texture for one draw only.
    Frame both =
        frame(background.get(), [&] { g3d->rect(slmath::vec2(0.5f, 0.5f), slmath::vec2(0.f, 1.f), texture.get()); });
    EXPECT_TRUE(regionNear(both, 0, H / 2, W / 4, 3 * H / 4, RED, 2));
    EXPECT_TRUE(regionNear(both, W / 2, 0, W, H, YELLOW, 2));
    Frame after = frame(background.get(), [] {});
    EXPECT_TRUE(regionNear(after, 0, 0, W, H, YELLOW, 2));
}

TEST_F(QuadsGLTest, RenderToTextureAndBack)
{
    Ref<Image2D> blocks = quadrants(2, RED, GREEN, BLUE, YELLOW);
    Ref<Texture2D> texture = crisp(blocks.get());

    // A 40 x 32 target (padded to 64 x 32) is drawn with the viewport
    // (0, 0, 40, 32), the part of the texture the 64 x 48 picture covers:
    // the rect fills it, blue and yellow on its lower 16 rows, red and
    // green above, split at x = 20.
    Ref<Texture2D> targetTexture = g3d->createNewTexture(40, 32);
    // Sampled crisp below; the target keeps the owner's image filter.
    targetTexture->setFiltering(Texture2D::FILTER_BASE_LEVEL, Texture2D::FILTER_NEAREST);
    Ref<render::RenderTarget> target = VORNA3D_NEW render::RenderTarget(targetTexture.get());
    g3d->bindTarget(target.get());
    EXPECT_EQ(g3d->getViewportWidth(), 40);
    EXPECT_EQ(g3d->getViewportHeight(), 32);
    g3d->clear(nullptr);
    g3d->rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), texture.get());
    g3d->releaseTarget();
    EXPECT_FALSE(g3d->isTargetBound());

    // Texture row 0 holds the frame's bottom row. Beyond x = 40 a
    // framebuffer object holds the clear (0, 0, 0, 0); a copy from the
    // window leaves the white the texture was made with.
    glBindTexture(GL_TEXTURE_2D, GLuint(targetTexture->getTextureID()));
    const Frame texels = render_gl_test::readBoundTexture(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    ASSERT_EQ(texels.width, 64);
    ASSERT_EQ(texels.height, 32);
    EXPECT_TRUE(regionNear(texels, 0, 0, 20, 16, BLUE, 2));
    EXPECT_TRUE(regionNear(texels, 20, 0, 40, 16, YELLOW, 2));
    EXPECT_TRUE(regionNear(texels, 0, 16, 20, 32, RED, 2));
    EXPECT_TRUE(regionNear(texels, 20, 16, 40, 32, GREEN, 2));
    const Rgba beyond = render::OGLES1_Framebuffer::isAvailable() ? Rgba{0, 0, 0, 0} : WHITE;
    EXPECT_TRUE(regionNear(texels, 40, 0, 64, 32, beyond, 2));

    // Drawn back over the whole display, the 40 x 32 texels fill it (row 0
    // at the top): texel rows 0..15 / 16..31 on rows [0, 24) / [24, 48),
    // texel columns 0..19 / 20..39 on columns [0, 32) / [32, 64).
    Frame back =
        frame(nullptr, [&] { g3d->rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), targetTexture.get()); });
    EXPECT_TRUE(regionNear(back, 0, 0, 31, 23, BLUE, 2));
    EXPECT_TRUE(regionNear(back, 33, 0, W, 23, YELLOW, 2));
    EXPECT_TRUE(regionNear(back, 0, 25, 31, H, RED, 2));
    EXPECT_TRUE(regionNear(back, 33, 25, W, H, GREEN, 2));
}
