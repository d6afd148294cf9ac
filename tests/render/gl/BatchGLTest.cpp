// Sprites, texts and lines through the OpenGL renderer, read back from the
// frames as they are presented (the renderer's swapBuffers reads the frame
// first): 200 sprites drawn by one draw call in their own colours; a text
// in a font read from a TAR archive against a golden image; the statistics
// overlay at the default configuration; and frames 10 to 20 of a scene
// with sprites, texts, lines and the overlay allocating nothing.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/MemoryManager.h"
#include "core/MemoryStream.h"
#include "core/Ref.h"
#include "core/TARArchive.h"
#include "core/TARWriter.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/text/Font2D.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"
#include "render/OGLES/OGLES1_Graphics3D.h"
#include "render/scene/Sprite3D.h"
#include "render/text/Text3D.h"
#include "render/appearance/Texture2D.h"
#include "tests/render/gl/GLTestSupport.h"

using core::Ref;
using namespace render;
using render_gl_test::Frame;
using render_gl_test::Rgba;

namespace {

const std::filesystem::path DATA_DIR = VORNA3D_GL_DATA_DIR;

// The OpenGL renderer, reading back every frame it presents.
class PresentingOGLES : public OGLES1_Graphics3D {
public:
    void swapBuffers() override
    {
        presented = render_gl_test::readFrame(getDisplayWidth(), getDisplayHeight());
        ++presentedCount;
        OGLES1_Graphics3D::swapBuffers();
    }
    Frame presented;
    int presentedCount = 0;
};

class BatchGLTest : public render_gl_test::GLTest {
protected:
    static constexpr int W = kWidth;
    static constexpr int H = kHeight;

    BatchGLTest() : GLTest(false) { }

    virtual void configureGraphics(Graphics3DConfig& config)
    {
        config.showStatistics = false;
        config.printFps = false;
        config.cameraLight = false;
    }

    void SetUp() override
    {
        GLTest::SetUp();
        Graphics3DConfig config;
        configureGraphics(config);
        g3d = VORNA3D_NEW PresentingOGLES();
        g3d->addRef();
        g3d->configGraphics3D(display(), config);
        // One unit per pixel, y up.
        camera = VORNA3D_NEW Camera();
        camera->addRef();
        camera->setParallel(0.f, float(W), 0.f, float(H), 0.f, 100.f);
    }

    void TearDown() override
    {
        if (camera)
            camera->releaseRef();
        camera = nullptr;
        if (core::Globals::exists())
            core::Globals::get()->m_g3d.clear();
        if (g3d)
            g3d->releaseRef();
        g3d = nullptr;
        GLTest::TearDown();
    }

    Ref<Background> grey()
    {
        Ref<Background> background = VORNA3D_NEW Background();
        background->setColor(0xFF202020u);
        return background;
    }

    PresentingOGLES* g3d = nullptr; // held with addRef
    Camera* camera = nullptr; // held with addRef
};

class DefaultConfigurationGLTest : public BatchGLTest {
protected:
    // The renderer's defaults: overlay, FPS line, camera light.
    void configureGraphics(Graphics3DConfig&) override { }
};

Ref<Texture2D> whiteTexture(Graphics3D& g3d, int size)
{
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, size, size);
    Ref<Texture2D> texture = g3d.createNewTexture(0, 0);
    texture->setFiltering(Texture2D::FILTER_BASE_LEVEL, Texture2D::FILTER_NEAREST);
    texture->setImage(image.get());
    return texture;
}

Rgba spriteColor(int i, int j)
{
    return Rgba{20 + 11 * i, 30 + 22 * j, (i * 7 + j * 13) % 200 + 40, 255};
}

std::vector<char> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The PNG at `path` as a frame (RGBA rows from the top); empty when it
// cannot be read.
Frame readPng(const std::filesystem::path& path)
{
    Frame frame;
    const std::vector<char> bytes = fileBytes(path);
    if (bytes.empty())
        return frame;
    Ref<core::MemoryStream> stream = VORNA3D_NEW core::MemoryStream(bytes.data(), int(bytes.size()), true);
    core::Vector<Ref<Object3D>> objects;
    load(stream.get(), objects);
    Image2D* image = objects.size() == 1 ? dynamic_cast<Image2D*>(objects[0].get()) : nullptr;
    if (!image || image->getFormat() != Image2D::RGBA)
        return frame;
    frame.width = image->getWidth();
    frame.height = image->getHeight();
    frame.rgba.assign(image->getPixels(), image->getPixels() + image->getPixelBlockSize());
    return frame;
}

// Compares `actual` with the golden image `name` in the data folder, each
// channel within `tolerance`. On a mismatch writes the actual frame and a
// difference image (|a - b| x 4 per channel, opaque) to the failure folder.
// With VORNA3D_UPDATE_GOLDEN set, writes the golden image instead.
::testing::AssertionResult matchesGolden(const Frame& actual, const std::string& name, int tolerance)
{
    const std::filesystem::path golden = DATA_DIR / name;
    if (std::getenv("VORNA3D_UPDATE_GOLDEN")) {
        render_gl_test::writePng(golden.string(), actual);
        return ::testing::AssertionFailure() << "golden image written to " << golden << "; check it and run again";
    }
    const Frame expected = readPng(golden);
    if (expected.width != actual.width || expected.height != actual.height)
        return ::testing::AssertionFailure() << "golden image " << golden << " missing or of another size";
    Frame difference = actual;
    int mismatches = 0;
    std::string first;
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            const Rgba a = actual.at(x, y);
            const Rgba e = expected.at(x, y);
            const int d[4] = {std::abs(a.r - e.r), std::abs(a.g - e.g), std::abs(a.b - e.b), std::abs(a.a - e.a)};
            uint8_t* out = difference.rgba.data() + (size_t(y) * actual.width + x) * 4;
            for (int c = 0; c < 3; ++c)
                out[c] = uint8_t(d[c] * 4 > 255 ? 255 : d[c] * 4);
            out[3] = 255;
            if (!render_gl_test::near(a, e, tolerance) && mismatches++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    }
    if (mismatches == 0)
        return ::testing::AssertionSuccess();
    std::filesystem::create_directories(VORNA3D_GL_FAILURE_DIR);
    const std::string stem = std::string(VORNA3D_GL_FAILURE_DIR) + "/" + name.substr(0, name.rfind('.'));
    render_gl_test::writePng(stem + "-actual.png", actual);
    render_gl_test::writePng(stem + "-difference.png", difference);
    return ::testing::AssertionFailure() << mismatches << " pixels differ from " << golden << " by more than "
                                         << tolerance << ", the first at " << first << "; wrote " << stem
                                         << "-actual.png and " << stem << "-difference.png";
}

TEST_F(BatchGLTest, TwoHundredSpritesInOneDrawCallInTheirColours)
{
    Ref<Texture2D> texture = whiteTexture(*g3d, 4);
    std::vector<Ref<Sprite3D>> sprites;
    Ref<Background> background = grey();
    g3d->setCamera(camera, Transform());
    g3d->bindTarget(nullptr);
    g3d->clear(background.get());
    // A grid of 20 x 10 sprites of 2 x 2 pixels, 3 pixels apart across and
    // 4 up: sprite (i, j) covers x 3i..3i+1 and y 4j+1..4j+2 (y up).
    for (int j = 0; j < 10; ++j) {
        for (int i = 0; i < 20; ++i) {
            Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(texture.get());
            sprite->setCrop(0, 0, 2, 2);
            const Rgba c = spriteColor(i, j);
            sprite->setColor(render_gl_test::packed(c));
            Transform placed;
            placed.postTranslate(float(3 * i + 1), float(4 * j + 2), 0.f);
            g3d->render(Graphics3D::RENDER_ALL, sprite.get(), placed);
            sprites.push_back(sprite);
        }
    }
    g3d->releaseTarget();
    ASSERT_EQ(g3d->presentedCount, 1);

    const Graphics3D::Statistics& stats = g3d->getLastFrameStatistics();
    EXPECT_EQ(stats.drawCalls, 1);
    EXPECT_EQ(stats.buffersUsed, 1);
    EXPECT_EQ(stats.triangles, 400);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    const Frame& frame = g3d->presented;
    for (int j = 0; j < 10; ++j) {
        for (int i = 0; i < 20; ++i) {
            // Frame rows count from the top: GL row r is frame row H - 1 - r.
            const int top = H - 1 - (4 * j + 2);
            ASSERT_TRUE(render_gl_test::regionNear(frame, 3 * i, top, 3 * i + 2, top + 2, spriteColor(i, j), 1))
                << "sprite " << i << ", " << j;
            ASSERT_TRUE(render_gl_test::pixelNear(frame, 3 * i + 2, top, Rgba{32, 32, 32, 255}, 1));
        }
    }
}

TEST_F(BatchGLTest, TextInAFontFromAnArchiveMatchesTheGoldenImage)
{
    // The font's description and image packed into a TAR archive, mounted
    // as the demo mounts its asset archive.
    const std::vector<char> description = fileBytes(DATA_DIR / "font.txt");
    const std::vector<char> image = fileBytes(DATA_DIR / "font.png");
    ASSERT_FALSE(description.empty());
    ASSERT_FALSE(image.empty());
    Ref<core::MemoryStream> sink = VORNA3D_NEW core::MemoryStream();
    Ref<core::TARWriter> writer = VORNA3D_NEW core::TARWriter(sink);
    writer->addFile("font.txt", description.data(), int(description.size()));
    writer->addFile("font.png", image.data(), int(image.size()));
    writer->finish();
    Ref<core::MemoryStream> archive = VORNA3D_NEW core::MemoryStream(sink->getBuffer());
    core::FileSystem::get()->addArchive("", core::Ref<core::Archive>(VORNA3D_NEW core::TARArchive(archive)));

    {
        Ref<Font2D> font = Font2D::createNewFont("font.txt");
        Ref<Text3D> title = VORNA3D_NEW Text3D(font.get());
        title->setText("NOVA 3D\nRI");
        Ref<Text3D> tinted = VORNA3D_NEW Text3D(font.get());
        tinted->setText("AVON");
        tinted->setColor(0xFF8040FFu);
        tinted->setTextScale(2.f, 1.f);
        tinted->setAlignment(Text3D::ALIGN_RIGHT);
        Ref<Background> background = grey();

        g3d->setCamera(camera, Transform());
        g3d->bindTarget(nullptr);
        g3d->clear(background.get());
        Transform top;
        top.postTranslate(2.f, 36.f, 0.f);
        g3d->render(Graphics3D::RENDER_ALL, title.get(), top);
        Transform bottom;
        bottom.postTranslate(62.f, 4.f, 0.f);
        g3d->render(Graphics3D::RENDER_ALL, tinted.get(), bottom);
        g3d->releaseTarget();
        EXPECT_EQ(g3d->getLastFrameStatistics().drawCalls, 1); // both texts in one batch
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        EXPECT_TRUE(matchesGolden(g3d->presented, "text_from_archive.png", 4));
    }
    core::FileSystem::get()->removeArchive("");
    core::FileSystem::deInitClass(); // the engine's file system is not a leak
}

TEST_F(DefaultConfigurationGLTest, StatisticsOverlayRendersAtTheDefaultConfiguration)
{
    EXPECT_TRUE(g3d->getConfig().showStatistics);
    Ref<Camera> perspective = VORNA3D_NEW Camera();
    perspective->setPerspective(60.f, float(W) / float(H), 1.f, 100.f);
    Ref<Background> background = grey();
    for (int frame = 0; frame < 3; ++frame) {
        g3d->setCamera(perspective.get(), Transform());
        g3d->bindTarget(nullptr);
        g3d->clear(background.get());
        g3d->releaseTarget();
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(g3d->presentedCount, 3);
    // The first line ("GRAPHICS3D : OPENGL ...") stands on y = 10 in the
    // built-in font: white glyph pixels in GL rows 10..17, nothing below.
    int lit = 0;
    for (int y = H - 18; y <= H - 11; ++y)
        for (int x = 0; x < W; ++x)
            lit += render_gl_test::near(g3d->presented.at(x, y), Rgba{255, 255, 255, 255}, 8);
    EXPECT_GT(lit, 40);
    EXPECT_TRUE(render_gl_test::regionNear(g3d->presented, 0, H - 10, W, H, Rgba{32, 32, 32, 255}, 1));
    EXPECT_EQ(g3d->getCamera(), perspective.get());
}

TEST_F(DefaultConfigurationGLTest, FramesTenToTwentyWithSpritesTextsLinesAndOverlayAllocateNothing)
{
    Ref<Texture2D> texture = whiteTexture(*g3d, 8);
    Ref<Sprite3D> sprites[3];
    for (int i = 0; i < 3; ++i) {
        sprites[i] = VORNA3D_NEW Sprite3D(texture.get());
        sprites[i]->setSpriteType(i);
    }
    Ref<Font2D> font = Font2D::createNewFont();
    Ref<Text3D> text = VORNA3D_NEW Text3D(font.get());
    text->setWrapWidth(40.f);
    Ref<Camera> perspective = VORNA3D_NEW Camera();
    perspective->setPerspective(60.f, float(W) / float(H), 1.f, 100.f);
    Ref<Background> background = grey();
    const auto allocations = [] { return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount; };

    int before = 0;
    char line[64];
    for (int frame = 1; frame <= 20; ++frame) {
        if (frame == 10)
            before = allocations();
        Transform eye;
        eye.postTranslate(0.f, 0.f, float(frame % 3));
        g3d->setCamera(perspective.get(), eye);
        g3d->bindTarget(nullptr);
        g3d->clear(background.get());
        for (int i = 0; i < 40; ++i) {
            Transform placed;
            placed.postTranslate(float(i % 8) - 4.f, float(i / 8) - 2.f, -20.f - float(frame));
            placed.postRotate(float(frame * 9 + i), 0.f, 0.f, 1.f);
            g3d->render(Graphics3D::RENDER_ALL, sprites[i % 3].get(), placed);
        }
        // Texts of changing content, and of two lengths (both seen before
        // frame 10: storage grows to the longest and stays), wrapped.
        if (frame % 2)
            std::snprintf(line, sizeof line, "FRAME %02d OF %d\nX %03d", frame, 20, frame * frame);
        else
            std::snprintf(line, sizeof line, "FRAME %02d", frame);
        text->setText(line);
        Transform where;
        where.postTranslate(-3.f, 2.f, -10.f);
        g3d->render(Graphics3D::RENDER_ALL, text.get(), where);
        for (int i = 0; i < 10; ++i)
            g3d->drawLine(slmath::vec3(float(i), 0.f, -15.f), slmath::vec3(0.f, float(i + frame), -15.f));
        g3d->drawText(line);
        g3d->releaseTarget();
    }
    EXPECT_EQ(allocations(), before);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(g3d->getFrameCount(), 20);
}

} // namespace
