// PNG loading: every colour type and depth of the PNG suite, interlaced
// files against their non-interlaced twins, 16-bit stripping, dropped
// transparency, and damaged or hostile files (the crashers, truncations,
// flipped checksums, warnings, sizes that overflow 32 bits), all of which
// must fail with an IOException and leave no pool block behind.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "core/FileStream.h"
#include "core/GZStream.h"
#include "core/MemoryStream.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/png/PNG_Loader.h"
#include "tests/render/loaders/png/PngTestFiles.h"
#include "tests/support/EngineTest.h"
#include "tests/support/TempDir.h"

using namespace png_test;
using render::Image2D;

namespace {

class PngLoaderTest : public testing_support::EngineTest {
protected:
    void configure(framework::FrameworkConfig& config) override
    {
        EngineTest::configure(config);
        config.memorySize = 16 * 1024 * 1024;
    }
    void SetUp() override
    {
        EngineTest::SetUp();
        if (!std::filesystem::is_directory(suiteDir()))
            GTEST_SKIP() << "PNG test data not found at " << testData();
    }
};

struct Expected {
    int format;
    // Pixels at (0, 0), (31, 31), (5, 3) and (16, 16).
    const char* pixels[4];
};

} // namespace

TEST_F(PngLoaderTest, EveryBasicColourTypeAndDepthLoadsWithItsFormatSizeAndPixels)
{
    // Pixel values as read by tests/tools/vorna3d_image/png_pixels.py, a
    // separate decoder written in Python on zlib alone. Grey comes out as
    // RGBA with opaque alpha, palettes and 16-bit colour as RGB.
    const std::map<std::string, Expected> expected = {
        {"basn0g01", {Image2D::RGBA, {"FFFFFFFF", "000000FF", "FFFFFFFF", "000000FF"}}},
        {"basn0g02", {Image2D::RGBA, {"000000FF", "AAAAAAFF", "555555FF", "000000FF"}}},
        {"basn0g04", {Image2D::RGBA, {"000000FF", "EEEEEEFF", "111111FF", "888888FF"}}},
        {"basn0g08", {Image2D::RGBA, {"000000FF", "030303FF", "656565FF", "121212FF"}}},
        {"basn0g16", {Image2D::RGBA, {"000000FF", "000000FF", "333333FF", "B0B0B0FF"}}},
        {"basn2c08", {Image2D::RGB, {"FFFFFF", "000000", "FFFF9A", "EFFFFF"}}},
        {"basn2c16", {Image2D::RGB, {"FFFF00", "0000FF", "D6E700", "7B7B08"}}},
        {"basn3p01", {Image2D::RGB, {"EEFF22", "EEFF22", "2266FF", "EEFF22"}}},
        {"basn3p02", {Image2D::RGB, {"0000FF", "0000FF", "FF0000", "0000FF"}}},
        {"basn3p04", {Image2D::RGB, {"FF0000", "FF00BB", "FF6600", "00FFFF"}}},
        {"basn3p08", {Image2D::RGB, {"010000", "FFFEFF", "331A00", "01FF01"}}},
        {"basn4a08", {Image2D::RGBA, {"FFFFFF00", "000000FF", "E6E6E629", "7B7B7B83"}}},
        {"basn4a16", {Image2D::RGBA, {"00000000", "00000000", "28282831", "000000F7"}}},
        {"basn6a08", {Image2D::RGBA, {"FF000800", "0020FFFF", "FF5F0829", "04FF0083"}}},
        {"basn6a16", {Image2D::RGBA, {"FFFF0000", "0000FF00", "EBFF0031", "0000FFF7"}}},
    };
    int seen = 0;
    for (const auto& path : pngFiles(suiteDir())) {
        const std::string stem = path.stem().string();
        if (stem.rfind("basn", 0) != 0)
            continue;
        SCOPED_TRACE(stem);
        ASSERT_TRUE(expected.count(stem)) << "a basic file without expectations";
        const Expected& want = expected.at(stem);
        core::Ref<Image2D> image = loadImage(readFile(path), path.filename().string().c_str());
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getFormat(), want.format);
        EXPECT_EQ(image->getWidth(), 32);
        EXPECT_EQ(image->getHeight(), 32);
        EXPECT_FALSE(image->isMutable()); // read from a file: immutable
        EXPECT_EQ(image->getPixelBlockSize(), 32 * 32 * image->getBpp());
        EXPECT_EQ(hexPixel(*image, 0, 0), want.pixels[0]);
        EXPECT_EQ(hexPixel(*image, 31, 31), want.pixels[1]);
        EXPECT_EQ(hexPixel(*image, 5, 3), want.pixels[2]);
        EXPECT_EQ(hexPixel(*image, 16, 16), want.pixels[3]);
        ++seen;
    }
    EXPECT_EQ(seen, 15);
}

TEST_F(PngLoaderTest, InterlacedFilesDecodeToTheSamePixelsAsTheirTwins)
{
    // i<name>.png is <name>.png with Adam7 interlacing. The low-depth grey
    // and palette twins live in a folder of their own.
    int pairs = 0;
    for (const auto& dir : {suiteDir(), suiteDir() / "interlaced"}) {
        for (const auto& path : pngFiles(dir)) {
            const std::string name = path.filename().string();
            if (name[0] != 'i')
                continue;
            const std::filesystem::path twin = suiteDir() / name.substr(1);
            if (!std::filesystem::exists(twin))
                continue;
            SCOPED_TRACE(name);
            core::Ref<Image2D> interlaced = loadImage(readFile(path), name.c_str());
            core::Ref<Image2D> plain = loadImage(readFile(twin), twin.filename().string().c_str());
            ASSERT_TRUE(interlaced && plain);
            EXPECT_EQ(interlaced->getFormat(), plain->getFormat());
            EXPECT_EQ(interlaced->getWidth(), plain->getWidth());
            EXPECT_EQ(interlaced->getHeight(), plain->getHeight());
            ASSERT_EQ(interlaced->getPixelBlockSize(), plain->getPixelBlockSize());
            EXPECT_EQ(std::memcmp(interlaced->getPixels(), plain->getPixels(),
                                  static_cast<size_t>(plain->getPixelBlockSize())),
                      0);
            ++pairs;
        }
    }
    EXPECT_GE(pairs, 30);
}

TEST_F(PngLoaderTest, SixteenBitSamplesKeepTheirHighByte)
{
    // A 2 x 1 RGBA image of 16-bit samples written by hand: the samples
    // 12FF 3480 5601 FFFF and ABCD 00FF 7F80 FE01. Each output byte must be
    // the high byte of its sample, not a rounded value (12FF would round to 13).
    const Bytes raw = {0,    0x12, 0xFF, 0x34, 0x80, 0x56, 0x01, 0xFF, 0xFF,
                       0xAB, 0xCD, 0x00, 0xFF, 0x7F, 0x80, 0xFE, 0x01};
    core::Ref<Image2D> image = loadImage(makePng(ihdr(2, 1, 16, 6), raw));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), Image2D::RGBA);
    EXPECT_EQ(hexPixel(*image, 0, 0), "123456FF");
    EXPECT_EQ(hexPixel(*image, 1, 0), "AB007FFE");

    // 16-bit grey: grey in R, G and B, opaque alpha.
    const Bytes grey = {0, 0xC3, 0x99, 0x00, 0xFF};
    image = loadImage(makePng(ihdr(2, 1, 16, 0), grey));
    ASSERT_TRUE(image);
    EXPECT_EQ(hexPixel(*image, 0, 0), "C3C3C3FF");
    EXPECT_EQ(hexPixel(*image, 1, 0), "000000FF");
}

TEST_F(PngLoaderTest, TransparencyChunksDoNotAddAnAlphaChannel)
{
    // Palette, grey and RGB files with tRNS load as their colour type
    // without transparency: RGB for palette and RGB, opaque RGBA for grey.
    const std::map<std::string, int> files = {
        {"pngsuite/ftbbn3p08.png", Image2D::RGB},      {"pngsuite/ftbrn2c08.png", Image2D::RGB},
        {"pngsuite/ftbbn0g04.png", Image2D::RGBA},     {"testpngs/palette-8-tRNS.png", Image2D::RGB},
        {"testpngs/palette-1-tRNS.png", Image2D::RGB}, {"testpngs/gray-8-tRNS.png", Image2D::RGBA},
        {"testpngs/gray-16-tRNS.png", Image2D::RGBA},  {"testpngs/rgb-16-tRNS.png", Image2D::RGB},
    };
    for (const auto& [name, format] : files) {
        SCOPED_TRACE(name);
        if (!std::filesystem::exists(testData() / name))
            continue;
        core::Ref<Image2D> image = loadImage(readFile(testData() / name), name.c_str());
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getFormat(), format);
        if (format != Image2D::RGBA)
            continue;
        for (int y = 0; y < image->getHeight(); ++y) {
            for (int x = 0; x < image->getWidth(); ++x)
                ASSERT_EQ(image->getPixels()[(y * image->getWidth() + x) * 4 + 3], 0xFF) << x << "," << y;
        }
    }

    // A hand-made 2 x 1 palette image whose first entry is fully
    // transparent: the colour stays, no alpha appears.
    const Bytes palette = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60};
    core::Ref<Image2D> image =
        loadImage(makePng(ihdr(2, 1, 8, 3), {0, 0, 1}, {{"PLTE", palette}, {"tRNS", Bytes{0x00}}}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), Image2D::RGB);
    EXPECT_EQ(hexPixel(*image, 0, 0), "102030");
    EXPECT_EQ(hexPixel(*image, 1, 0), "405060");
}

TEST_F(PngLoaderTest, OutOfRangePaletteIndicesGiveBlackWithoutReadingPastThePalette)
{
    // badpal/ files use indices beyond their palettes. libpng keeps a full
    // 256-entry table, zero beyond the file's entries; the load must stay
    // inside it (AddressSanitizer builds check).
    const auto files = pngFiles(testData() / "testpngs" / "badpal");
    if (files.empty())
        GTEST_SKIP() << "no badpal files";
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        core::Ref<Image2D> image = loadImage(readFile(path), path.filename().string().c_str());
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getFormat(), Image2D::RGB);
    }
    // small-palette-2.png: a 3-entry palette FFFFFF 8080FF FF8080 and the
    // indices 0, 1, 2, 3 (read from the file's chunks).
    core::Ref<Image2D> image = loadImage(readFile(testData() / "testpngs/badpal/small-palette-2.png"));
    ASSERT_TRUE(image);
    EXPECT_EQ(hexPixel(*image, 0, 0), "FFFFFF");
    EXPECT_EQ(hexPixel(*image, 2, 0), "FF8080");
    EXPECT_EQ(hexPixel(*image, 3, 0), "000000");
}

TEST_F(PngLoaderTest, EveryCrasherFailsWithAnIOException)
{
    const auto files = pngFiles(testData() / "testpngs" / "crashers");
    if (files.empty())
        GTEST_SKIP() << "no crasher files";
    for (const auto& path : files) {
        const std::string name = path.filename().string();
        SCOPED_TRACE(name);
        const std::string error = loadError(readFile(path), name.c_str());
        EXPECT_EQ(error.rfind("IO Name: " + name + ". Message: ", 0), 0u) << error;
    }
}

TEST_F(PngLoaderTest, TruncatedFilesFailCleanly)
{
    const Bytes whole = readFile(suiteDir() / "basn6a08.png");
    ASSERT_GT(whole.size(), 100u);
    const size_t idat = findChunk(whole, "IDAT");
    ASSERT_NE(idat, std::string::npos);
    // Every cut from just after the signature to just before the end.
    for (size_t length = 8; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(length));
        const std::string error = loadError(cut, "cut.png");
        if (length < 12) {
            EXPECT_EQ(error, "IO Name: cut.png. Message: Too small file!");
        } else {
            EXPECT_EQ(error.rfind("IO Name: cut.png. Message: ", 0), 0u) << error;
            if (length > idat + 8 && length < idat + 40) {
                EXPECT_NE(error.find("Could not read enought stream data"), std::string::npos) << error;
            }
        }
    }
    // From a file, whose stream throws for a short read where a memory
    // stream returns less: the same error.
    testing_support::TempDir dir;
    std::ofstream(dir.file("cut.png"), std::ios::binary)
        .write(reinterpret_cast<const char*>(whole.data()), static_cast<std::streamsize>(idat + 20));
    core::Ref<core::Stream> file = VORNA3D_NEW core::FileStream(dir.file("cut.png").c_str(), "rb");
    core::Vector<core::Ref<render::Object3D>> objects;
    try {
        render::PNG_Loader::load(file.get(), objects);
        ADD_FAILURE() << "a cut file loaded";
    } catch (const core::IOException& e) {
        EXPECT_NE(std::string(e.getMessage()).find("Could not read enought stream data"), std::string::npos)
            << e.getMessage();
    }
    EXPECT_EQ(objects.size(), 0);
}

TEST_F(PngLoaderTest, TheReaderOnItsOwnNeedsTheSignature)
{
    // A 7-byte stream is too small; eight bytes that are not the signature
    // mean the caller handed over something else, which is misuse.
    const Bytes whole = readFile(suiteDir() / "basn0g08.png");
    core::Ref<core::MemoryStream> tiny =
        VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(whole.data()), 7, true);
    tiny->setName("tiny.png");
    core::Vector<core::Ref<render::Object3D>> objects;
    try {
        render::PNG_Loader::load(tiny.get(), objects);
        ADD_FAILURE() << "a 7-byte stream loaded";
    } catch (const core::IOException& e) {
        EXPECT_STREQ(e.getMessage(), "IO Name: tiny.png. Message: Too small file!");
    }
    EXPECT_EQ(objects.size(), 0);

    core::Ref<core::MemoryStream> gif = VORNA3D_NEW core::MemoryStream("GIF89a\x01\x00\x01\x00", 10, true);
    try {
        render::PNG_Loader::load(gif.get(), objects);
        ADD_FAILURE() << "a GIF header passed as a PNG";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), "");
    }
    EXPECT_EQ(objects.size(), 0);

    // Directly, the reader appends to what the list holds.
    core::Ref<core::MemoryStream> png = VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(whole.data()),
                                                                       static_cast<int>(whole.size()), true);
    objects.add(core::Ref<render::Object3D>(VORNA3D_NEW Image2D(Image2D::RGB, 1, 1)));
    render::PNG_Loader::load(png.get(), objects);
    EXPECT_EQ(objects.size(), 2);
}

TEST_F(PngLoaderTest, FlippedChecksumsFail)
{
    const Bytes whole = readFile(suiteDir() / "basn2c08.png");
    // The last byte of each chunk is the low byte of its CRC.
    for (const char* chunk : {"IHDR", "IDAT", "IEND"}) {
        SCOPED_TRACE(chunk);
        Bytes damaged = whole;
        const size_t pos = findChunk(damaged, chunk);
        ASSERT_NE(pos, std::string::npos);
        const uint32_t length = uint32_t(damaged[pos]) << 24 | uint32_t(damaged[pos + 1]) << 16 |
            uint32_t(damaged[pos + 2]) << 8 | damaged[pos + 3];
        damaged[pos + 8 + length + 3] ^= 0x01;
        const std::string error = loadError(damaged);
        EXPECT_NE(error.find(std::string(chunk) + ": CRC error"), std::string::npos) << error;
    }
    // A flipped bit inside the compressed data: zlib's check fails, or a
    // filter byte goes wrong; either way the load fails.
    Bytes damaged = whole;
    const size_t idat = findChunk(damaged, "IDAT");
    damaged[idat + 8 + 20] ^= 0x10;
    // Restore a valid CRC so that only the data is wrong.
    const uint32_t length = uint32_t(damaged[idat]) << 24 | uint32_t(damaged[idat + 1]) << 16 |
        uint32_t(damaged[idat + 2]) << 8 | damaged[idat + 3];
    const uint32_t crc = static_cast<uint32_t>(crc32(0, damaged.data() + idat + 4, length + 4));
    for (int i = 0; i < 4; ++i)
        damaged[idat + 8 + length + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
    EXPECT_EQ(loadError(damaged).rfind("IO Name: test.png. Message: ", 0), 0u);
}

TEST_F(PngLoaderTest, WarningsEndTheLoad)
{
    // An sRGB chunk with rendering intent 9 (only 0 to 3 exist) is
    // something libpng only warns about; the same image without it loads.
    const Bytes raw = {0, 1, 2, 3};
    EXPECT_TRUE(loadImage(makePng(ihdr(1, 1, 8, 2), raw)));
    const std::string error = loadError(makePng(ihdr(1, 1, 8, 2), raw, {{"sRGB", Bytes{9}}}));
    EXPECT_EQ(error.rfind("IO Name: test.png. Message: ", 0), 0u) << error;
    EXPECT_NE(error.find("sRGB"), std::string::npos) << error;
}

TEST_F(PngLoaderTest, SizesThatOverflowThirtyTwoBitsAreParseErrors)
{
    // 32768 x 32768 RGBA is exactly 2^32 bytes: a 32-bit product wraps to 0.
    // The load must refuse it before any image data is read or allocated.
    const Bytes row = {0};
    EXPECT_EQ(loadError(makePng(ihdr(32768, 32768, 8, 6), row)), "IO Name: test.png. Message: PNG image is too large");
    // 23171 x 23171 x 4 is just above INT_MAX.
    EXPECT_EQ(loadError(makePng(ihdr(23171, 23171, 8, 6), row)), "IO Name: test.png. Message: PNG image is too large");
    // Sides above the limit are refused by libpng's own check.
    const std::string wide = loadError(makePng(ihdr(render::PNG_Loader::MAX_SIDE + 1, 1, 8, 2), row));
    EXPECT_NE(wide.find("exceeds user limit"), std::string::npos) << wide;
    // A size that fits in INT_MAX but not in the pool is the pool's problem.
    try {
        loadBytes(makePng(ihdr(16384, 16384, 8, 2), row));
        ADD_FAILURE() << "a 768 MiB image loaded into a 16 MiB pool";
    } catch (const core::MemoryManagerException&) {
    }
    // Declared large, with too little data: the rows run out.
    const std::string shortData = loadError(makePng(ihdr(1000, 1000, 8, 0), row));
    EXPECT_EQ(shortData.rfind("IO Name: test.png. Message: ", 0), 0u) << shortData;
}

TEST_F(PngLoaderTest, ReadsThroughADecompressingStream)
{
    // A gzip stream promises fewer bytes than it can deliver; the loader
    // must still recognise and read the PNG in it.
    const Bytes png = readFile(suiteDir() / "basn3p08.png");
    core::Ref<core::MemoryStream> packed = VORNA3D_NEW core::MemoryStream();
    {
        core::Ref<core::GZStream> writer = VORNA3D_NEW core::GZStream(core::Ref<core::Stream>(packed));
        writer->write(png.data(), static_cast<int>(png.size()));
        writer->close();
    }
    core::Ref<core::MemoryStream> source =
        VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(packed->getData()), packed->getSize(), false);
    core::Ref<core::GZStream> reader = VORNA3D_NEW core::GZStream(core::Ref<core::Stream>(source));
    core::Vector<core::Ref<render::Object3D>> objects;
    render::load(reader.get(), objects);
    ASSERT_EQ(objects.size(), 1);
    const Image2D* image = dynamic_cast<Image2D*>(objects[0].get());
    ASSERT_NE(image, nullptr);
    core::Ref<Image2D> direct = loadImage(png);
    ASSERT_TRUE(direct);
    EXPECT_EQ(std::memcmp(image->getPixels(), direct->getPixels(), static_cast<size_t>(direct->getPixelBlockSize())),
              0);
}
