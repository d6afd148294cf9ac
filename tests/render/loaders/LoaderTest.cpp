// The loader front end: format recognition from the first bytes, loading
// by name through the file system, the objects list, the log lines and
// the debug level, which every load must leave as it found it.

#include <gtest/gtest.h>

#include <string>

#include "core/Debug.h"
#include "core/FileArchive.h"
#include "core/FileSystem.h"
#include "core/MemoryStream.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"
#include "tests/render/loaders/png/PngTestFiles.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using namespace png_test;
using render::Image2D;

namespace {

class LoaderTest : public testing_support::EngineTest { };

// A tiny valid PNG: 1 x 1 RGB, the pixel 0A0B0C.
Bytes tinyPng()
{
    return makePng(ihdr(1, 1, 8, 2), {0, 0x0A, 0x0B, 0x0C});
}

} // namespace

TEST_F(LoaderTest, RecognisesTheFormatFromTheFirstBytes)
{
    // Fewer than 12 bytes cannot be told apart.
    EXPECT_EQ(loadError({1, 2, 3, 4, 5}, "five"), "IO Name: five. Message: Too small file!");
    const Bytes png = tinyPng();
    EXPECT_EQ(loadError(Bytes(png.begin(), png.begin() + 11), "png11"), "IO Name: png11. Message: Too small file!");

    // The scene-file identifier alone goes to the scene reader, which then
    // finds no header section.
    const Bytes identifier(render::M3G_FILE_IDENTIFIER, render::M3G_FILE_IDENTIFIER + 12);
    EXPECT_EQ(loadError(identifier, "scene.m3g"), "IO Name: scene.m3g. Message: Small stream buffer");

    // A GIF header is neither.
    static const char gifHeader[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00";
    const std::string gif(gifHeader, sizeof gifHeader - 1);
    EXPECT_EQ(loadError(Bytes(gif.begin(), gif.end()), "image.gif"),
              "IO Name: image.gif. Message: Unsupported file format\n");
    // Eleven bytes of the identifier and a wrong twelfth are not a scene file.
    Bytes almost = identifier;
    almost[11] ^= 0xFF;
    EXPECT_EQ(loadError(almost, "almost"), "IO Name: almost. Message: Unsupported file format\n");

    // The PNG signature goes to the PNG reader.
    core::Ref<Image2D> image = loadImage(tinyPng());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), Image2D::RGB);
    EXPECT_EQ(image->getPixel(0, 0), 0x0A0B0Cu);
}

TEST_F(LoaderTest, ObjectsAreReplacedAndNothingPartialIsLeft)
{
    const Bytes png = tinyPng();
    core::Ref<core::MemoryStream> stream =
        VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(png.data()), static_cast<int>(png.size()), true);
    core::Vector<core::Ref<render::Object3D>> objects;
    core::Ref<render::Object3D> earlier = VORNA3D_NEW Image2D(Image2D::RGB, 1, 1);
    objects.add(earlier);
    render::load(stream.get(), objects);
    ASSERT_EQ(objects.size(), 1);
    EXPECT_NE(objects[0].get(), earlier.get());

    // A failed load leaves the list empty.
    core::Ref<core::MemoryStream> bad = VORNA3D_NEW core::MemoryStream("not an image at all", 19, true);
    EXPECT_THROW(render::load(bad.get(), objects), core::IOException);
    EXPECT_EQ(objects.size(), 0);

    // A null stream is misuse.
    try {
        render::load(static_cast<core::Stream*>(nullptr), objects);
        ADD_FAILURE() << "a null stream loaded";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), "NULL pointer");
    }
}

TEST_F(LoaderTest, LogsTheLoadAndRestoresTheDebugLevel)
{
    const Bytes png = tinyPng();
    // The raw level 4 (progress lines only) comes back as 4 | 11 = 15,
    // after a load that succeeds and after one that fails. The checks come
    // after the capture, which would swallow their reports.
    uint32_t afterSuccess, afterFailure;
    std::string text;
    {
        testing_support::LogCapture log;
        core::Debug::getDebugInfoPtr()->debugLevel = 4;
        loadBytes(png, "ok.png");
        afterSuccess = core::Debug::getDebugLevel();
        core::Debug::getDebugInfoPtr()->debugLevel = 4;
        EXPECT_THROW(loadBytes({1, 2, 3}, "bad.png"), core::IOException);
        afterFailure = core::Debug::getDebugLevel();
        text = log.text();
    }
    EXPECT_EQ(afterSuccess, 15u);
    EXPECT_EQ(afterFailure, 15u);
    // At level 4 the start line is not shown; the loading level shows errors.
    EXPECT_EQ(text.find("Loader loading stream: \"ok.png\""), std::string::npos) << text;
    EXPECT_NE(text.find("Stream \"ok.png\" loaded okay. Load time: "), std::string::npos) << text;
    EXPECT_NE(text.find("Parse error: \"Too small file!\"\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Stream \"bad.png\" loaded okay"), std::string::npos) << text;

    // At 15 both progress lines appear.
    {
        testing_support::LogCapture log;
        loadBytes(png, "ok.png");
        text = log.text();
    }
    EXPECT_NE(text.find("\nLoader loading stream: \"ok.png\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Stream \"ok.png\" loaded okay. Load time: "), std::string::npos) << text;

    // A silenced log stays silent, through success and failure.
    {
        testing_support::LogCapture log;
        core::Debug::setDebugLevel(0);
        loadBytes(png, "ok.png");
        afterSuccess = core::Debug::getDebugLevel();
        EXPECT_THROW(loadBytes({1, 2, 3}, "bad.png"), core::IOException);
        afterFailure = core::Debug::getDebugLevel();
        text = log.text();
    }
    EXPECT_EQ(afterSuccess, 0u);
    EXPECT_EQ(afterFailure, 0u);
    EXPECT_EQ(text, "");

    // Other levels come back combined with 11; a PNG failing inside libpng
    // (filter type 9 does not exist) too.
    core::Debug::setDebugLevel(0x1000);
    EXPECT_NE(loadError(makePng(ihdr(1, 1, 8, 2), {9, 0, 0, 0})), "<no exception>");
    EXPECT_EQ(core::Debug::getDebugLevel(), 0x100Bu);
}

TEST_F(LoaderTest, LoadsByNameThroughTheFileSystem)
{
    if (!std::filesystem::is_directory(suiteDir()))
        GTEST_SKIP() << "PNG test data not found at " << testData();
    core::FileSystem* fs = core::FileSystem::get();
    fs->addArchive("suite", core::Ref<core::Archive>(VORNA3D_NEW core::FileArchive(suiteDir().string().c_str())));

    core::Vector<core::Ref<render::Object3D>> objects;
    render::load(core::String("suite/basn2c08.png"), objects);
    ASSERT_EQ(objects.size(), 1);
    const Image2D* image = dynamic_cast<Image2D*>(objects[0].get());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->getFormat(), Image2D::RGB);
    EXPECT_EQ(image->getWidth(), 32);

    try {
        render::load(core::String("suite/missing.png"), objects);
        ADD_FAILURE() << "a missing file loaded";
    } catch (const core::IOException& e) {
        EXPECT_STREQ(e.getMessage(),
                     "IO Name: suite/missing.png. Message: Loader can not load file, because file system does not "
                     "have access to read file: \"suite/missing.png\". Check given file name or use "
                     "FileSystem::addArchive to add new archives.\n");
    }
    EXPECT_EQ(objects.size(), 0);
    fs->removeArchive("suite");
    core::FileSystem::deInitClass(); // the engine's file system is not a leak
}
