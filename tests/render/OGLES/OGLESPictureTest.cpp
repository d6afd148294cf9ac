// The picture on the recording back end: a fixed picture size fitted into
// the client area (worked examples of the fit), the viewport and 2D cameras
// in picture pixels, the black bars and the scissor box, render targets
// drawn through framebuffer objects or copied, and the frame reader.

#include <stdexcept>

#include "render/FrameReader.h"
#include "render/RenderTarget.h"
#include "tests/render/OGLES/OGLESTestSupport.h"

using namespace render;
using namespace render_test;

namespace {

using Rect = Graphics3D::PixelRect;

// A 64 x 48 (4:3) picture in a 100 x 60 (5:3) client area: full height,
// 60 * 4 / 3 = 80 wide, (100 - 80) / 2 = 10 pixels of bar on each side.
class OGLESPictureTest : public OGLESTest {
protected:
    static constexpr int kClientWidth = 100;
    static constexpr int kClientHeight = 60;

    void SetUp() override
    {
        OGLESTest::SetUp();
        display->releaseRef();
        HAL::DisplayConfig config;
        config.width = kClientWidth;
        config.height = kClientHeight;
        config.pictureWidth = kWidth;
        config.pictureHeight = kHeight;
        display = HAL::Display::createWindowless(config);
        display->addRef();
    }

    // The display is resized and the renderer reset, as the frame loop does.
    void resize(int width, int height)
    {
        display->handleEvent(HAL::OS_EVENT_SIZE_CHANGED, width, height);
        g3d->resetGraphics3D();
    }

    void frame()
    {
        g3d->bindTarget(nullptr);
        g3d->clear(nullptr);
        g3d->releaseTarget();
    }
};

// Keeps what it is handed; throws when asked to.
class KeepingReader : public FrameReader {
public:
    void frameDrawn(const uint8_t* rgbaBottomUp, int width, int height) override
    {
        ++frames;
        pixels = rgbaBottomUp;
        this->width = width;
        this->height = height;
        firstPixel = {rgbaBottomUp[0], rgbaBottomUp[1], rgbaBottomUp[2], rgbaBottomUp[3]};
        const uint8_t* last = rgbaBottomUp + (size_t(width) * height - 1) * 4;
        lastPixel = {last[0], last[1], last[2], last[3]};
        if (fail)
            throw std::runtime_error("the reader fails");
    }
    int frames = 0;
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::vector<int> firstPixel;
    std::vector<int> lastPixel;
    bool fail = false;
};

TEST(PictureFit, LargestRectangleOfThePicturesShapeCentredInWholePixels)
{
    // Worked by hand: the same size is the client area itself.
    EXPECT_EQ(Graphics3D::fitPicture(1024, 768, 1024, 768), (Rect{0, 0, 1024, 768}));
    // 5:4 is narrower than 4:3: full width, 1280 * 3 / 4 = 960 high, 32 rows of bar below and above.
    EXPECT_EQ(Graphics3D::fitPicture(1024, 768, 1280, 1024), (Rect{0, 32, 1280, 960}));
    // 16:9 is wider: full height, 1080 * 4 / 3 = 1440 wide, 240 columns each side.
    EXPECT_EQ(Graphics3D::fitPicture(1024, 768, 1920, 1080), (Rect{240, 0, 1440, 1080}));
    // A smaller client area of the same shape: only scaled.
    EXPECT_EQ(Graphics3D::fitPicture(1024, 768, 320, 240), (Rect{0, 0, 320, 240}));
    // An odd spare: 1001 - 800 = 201 columns, 100 on the left, 101 on the right.
    EXPECT_EQ(Graphics3D::fitPicture(640, 480, 1001, 600), (Rect{100, 0, 800, 600}));
    // Rounded to the nearest pixel: 1000 * 3 / 7 = 428.57 rounds to 429
    // (y = (1000 - 429) / 2 = 285).
    EXPECT_EQ(Graphics3D::fitPicture(7, 3, 1000, 1000), (Rect{0, 285, 1000, 429}));
    // Sizes of 4K and more multiply beyond 32 bits.
    EXPECT_EQ(Graphics3D::fitPicture(40000, 30000, 60000, 30000), (Rect{10000, 0, 40000, 30000}));
    // Nothing to fit into (a minimised window) or nothing to fit.
    EXPECT_EQ(Graphics3D::fitPicture(1024, 768, 0, 768), Rect{});
    EXPECT_EQ(Graphics3D::fitPicture(0, 768, 1024, 768), Rect{});
}

TEST_F(OGLESPictureTest, PicturePixelsAreTheCoordinateSpaceWhateverTheClientSize)
{
    configure();
    EXPECT_TRUE(g3d->hasFixedPicture());
    EXPECT_EQ(g3d->getPictureWidth(), kWidth);
    EXPECT_EQ(g3d->getPictureHeight(), kHeight);
    EXPECT_EQ(g3d->getDisplayWidth(), kClientWidth);
    EXPECT_EQ(g3d->getScreenViewport(), (Rect{10, 0, 80, 60}));
    EXPECT_TRUE(g3d->hasBars());
    // The viewport is the whole picture; GL gets the screen viewport.
    EXPECT_EQ(g3d->getViewportWidth(), kWidth);
    EXPECT_EQ(g3d->getViewportHeight(), kHeight);
    g3d->ops.clear();
    // The 2D cameras span the picture.
    float bounds[4] = {};
    g3d->getCamera2DForDebugText3D()->getProjection(bounds);
    EXPECT_FLOAT_EQ(bounds[0], float(kHeight)); // top
    EXPECT_FLOAT_EQ(bounds[2], float(kWidth)); // right
    g3d->getCamera2DForBackground()->getProjection(bounds);
    EXPECT_FLOAT_EQ(bounds[0], float(kHeight));
    EXPECT_FLOAT_EQ(bounds[2], float(kWidth));

    // An application's viewport is in picture pixels from the picture's
    // corner: half the picture is half the screen viewport.
    g3d->setViewport(32, 24);
    EXPECT_TRUE(g3d->has(call("viewport", 10, 0, 40, 30)));
    EXPECT_EQ(g3d->getViewportWidth(), 32);

    // A larger client area of the picture's shape: no bars, picture pixels unchanged.
    g3d->ops.clear();
    resize(128, 96);
    EXPECT_EQ(g3d->getScreenViewport(), (Rect{0, 0, 128, 96}));
    EXPECT_FALSE(g3d->hasBars());
    EXPECT_TRUE(g3d->has(call("viewport", 0, 0, 128, 96)));
    EXPECT_EQ(g3d->getViewportWidth(), kWidth);
    g3d->getCamera2DForBackground()->getProjection(bounds);
    EXPECT_FLOAT_EQ(bounds[2], float(kWidth));
    // A second reset with the same size sends nothing.
    g3d->ops.clear();
    g3d->resetGraphics3D();
    EXPECT_EQ(g3d->count("viewport"), 0);
}

TEST_F(OGLESPictureTest, BarsAreClearedBlackEveryFrameAndClearsKeptToThePicture)
{
    configure();
    frame();
    // Scissor off, the whole client area opaque black, then the scissor
    // box on the screen viewport before the application's clear.
    const int black = g3d->indexOf(call("clear", 0.f, 0.f, 0.f, 1.f, false, true));
    const int box = g3d->indexOf(call("scissor", 10, 0, 80, 60));
    const int cleared = g3d->indexOf(call("clear", 0.f, 0.f, 0.f, 0.f, true, true));
    ASSERT_GE(black, 0);
    EXPECT_LT(black, box);
    EXPECT_LT(box, cleared);
    EXPECT_TRUE(g3d->isScissorEnabled());
    EXPECT_EQ(g3d->getScissorRect(), (Rect{10, 0, 80, 60}));

    // Every frame again: the box is switched off around the black clear.
    g3d->ops.clear();
    frame();
    EXPECT_EQ(g3d->names().substr(0, 40), "makeCurrent scissorOff clear scissor cle");
    EXPECT_EQ(g3d->count("clear"), 2);

    // Resized to the picture's shape: no bars, no black clear, the box off once.
    resize(128, 96);
    g3d->ops.clear();
    frame();
    frame();
    EXPECT_EQ(g3d->count("clear"), 2);
    EXPECT_EQ(g3d->count("scissorOff"), 1);
    EXPECT_EQ(g3d->count("scissor"), 0);
    EXPECT_FALSE(g3d->isScissorEnabled());
}

using OGLESWindowPictureTest = OGLESTest;

TEST_F(OGLESWindowPictureTest, WithoutAPictureSizeThePictureIsTheWindow)
{
    configure();
    EXPECT_FALSE(g3d->hasFixedPicture());
    EXPECT_EQ(g3d->getScreenViewport(), (Rect{0, 0, kWidth, kHeight}));
    g3d->bindTarget(nullptr);
    g3d->clear(nullptr);
    g3d->releaseTarget();
    EXPECT_FALSE(g3d->hasBars());
    EXPECT_EQ(g3d->count("scissor") + g3d->count("scissorOff"), 0);
    EXPECT_EQ(g3d->count("clear"), 1);
}

TEST_F(OGLESPictureTest, RenderTargetsUseTheirTextureUpToThePictureSize)
{
    configure();
    core::Ref<Texture2D> texture = g3d->createNewTexture(128, 32);
    const int id = texture->getTextureID();
    core::Ref<RenderTarget> target = VORNA3D_NEW RenderTarget(texture.get());
    g3d->setViewport(32, 24); // the display's own, kept across the target's frame

    // Through a framebuffer object: the viewport is min(picture, texture) =
    // 64 x 32 from the texture's origin, no bars, no scissor, no copy.
    g3d->framebuffers = true;
    g3d->ops.clear();
    g3d->bindTarget(target.get());
    EXPECT_TRUE(g3d->isTargetInFramebuffer());
    EXPECT_EQ(g3d->getViewportWidth(), kWidth);
    EXPECT_EQ(g3d->getViewportHeight(), 32);
    EXPECT_FALSE(g3d->isScissorEnabled());
    g3d->clear(nullptr);
    g3d->releaseTarget();
    EXPECT_EQ(g3d->names(), "makeCurrent viewport bindTargetFramebuffer clear unbindTargetFramebuffer");
    EXPECT_TRUE(g3d->has(call("viewport", 0, 0, kWidth, 32)));
    EXPECT_FALSE(g3d->isTargetInFramebuffer());
    EXPECT_EQ(texture->getLevelFilter(), Texture2D::FILTER_BASE_LEVEL);
    EXPECT_EQ(texture->getImageFilter(), Texture2D::FILTER_LINEAR); // the texture's own

    // The display's frame gets its viewport and bars back.
    g3d->ops.clear();
    frame();
    EXPECT_TRUE(g3d->has(call("viewport", 10, 0, 40, 30)));
    EXPECT_EQ(g3d->getViewportWidth(), 32);
    EXPECT_TRUE(g3d->has(call("scissor", 10, 0, 80, 60)));

    // Without framebuffer objects the target is drawn into the window and
    // copied: only what the window holds. In a 40 x 30 window (the picture
    // scaled to half) that is 40 x 30 of the 64 x 32 viewport.
    g3d->framebuffers = false;
    resize(40, 30);
    g3d->ops.clear();
    g3d->bindTarget(target.get());
    EXPECT_FALSE(g3d->isTargetInFramebuffer());
    g3d->releaseTarget();
    EXPECT_TRUE(g3d->has(call("copyScreenToTexture", id, Image2D::RGBA, 40, 30)));
    EXPECT_EQ(g3d->count("unbindTargetFramebuffer"), 0);
    // In a large window, the viewport that was drawn; a viewport set inside
    // the target's frame is the texture's, for that frame only.
    resize(200, 150);
    g3d->ops.clear();
    g3d->bindTarget(target.get());
    g3d->setViewport(16, 16);
    EXPECT_TRUE(g3d->has(call("viewport", 0, 0, 16, 16)));
    g3d->releaseTarget();
    EXPECT_TRUE(g3d->has(call("copyScreenToTexture", id, Image2D::RGBA, 16, 16)));
    frame();
    EXPECT_EQ(g3d->getViewportWidth(), kWidth); // the reset gave the display the whole picture
}

TEST_F(OGLESPictureTest, FrameReaderReceivesThePictureBeforeThePresent)
{
    configure();
    KeepingReader reader;
    g3d->setFrameReader(&reader);
    frame();
    ASSERT_EQ(reader.frames, 1);
    // The screen viewport's pixels only, read just before the swap.
    EXPECT_EQ(reader.width, 80);
    EXPECT_EQ(reader.height, 60);
    const int read = g3d->indexOf(call("readScreenPixels", 10, 0, 80, 60));
    ASSERT_GE(read, 0);
    EXPECT_LT(read, g3d->indexOf("swapBuffers()"));
    // The recorder's pattern: pixel (i, j) of read n is (i, j, n, 255).
    EXPECT_EQ(reader.firstPixel, (std::vector<int>{0, 0, 1, 255}));
    EXPECT_EQ(reader.lastPixel, (std::vector<int>{79, 59, 1, 255}));

    // A steady frame reuses the buffer; a render target's frame is not read.
    const uint8_t* buffer = reader.pixels;
    core::Ref<Texture2D> texture = g3d->createNewTexture(16, 16);
    core::Ref<RenderTarget> target = VORNA3D_NEW RenderTarget(texture.get());
    g3d->bindTarget(target.get());
    g3d->releaseTarget();
    frame();
    EXPECT_EQ(reader.frames, 2);
    EXPECT_EQ(reader.pixels, buffer);
    EXPECT_EQ(reader.lastPixel, (std::vector<int>{79, 59, 2, 255}));

    // A new client size: the new screen viewport arrives.
    resize(64, 64);
    frame();
    EXPECT_EQ(reader.width, 64);
    EXPECT_EQ(reader.height, 48);
    EXPECT_TRUE(g3d->has(call("readScreenPixels", 0, 8, 64, 48)));

    // A reader that throws: the frame is not presented, the renderer is
    // ready for the next one.
    reader.fail = true;
    g3d->ops.clear();
    g3d->bindTarget(nullptr);
    EXPECT_THROW(g3d->releaseTarget(), std::runtime_error);
    EXPECT_EQ(g3d->count("swapBuffers"), 0);
    EXPECT_FALSE(g3d->isTargetBound());
    reader.fail = false;
    frame();
    EXPECT_EQ(g3d->count("swapBuffers"), 1);

    // Removed: nothing is read.
    g3d->setFrameReader(nullptr);
    g3d->ops.clear();
    frame();
    EXPECT_EQ(g3d->count("readScreenPixels"), 0);

    // A reader for one frame (a screenshot): it alone gets that frame, and
    // the installed reader (none, then `reader`) is back afterwards, also
    // when the one-frame reader throws.
    KeepingReader shot;
    g3d->bindTarget(nullptr);
    g3d->releaseTarget(shot);
    EXPECT_EQ(shot.frames, 1);
    EXPECT_EQ(g3d->getFrameReader(), nullptr);
    g3d->setFrameReader(&reader);
    const int before = reader.frames;
    shot.fail = true;
    g3d->bindTarget(nullptr);
    EXPECT_THROW(g3d->releaseTarget(shot), std::runtime_error);
    EXPECT_EQ(shot.frames, 2);
    EXPECT_EQ(reader.frames, before);
    EXPECT_EQ(g3d->getFrameReader(), &reader);
    g3d->setFrameReader(nullptr);
}

} // namespace
