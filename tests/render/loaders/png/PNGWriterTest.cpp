// The PNG writer against the engine's own PNG loader: what is written is
// read back pixel for pixel, in each layout, with rows given top first or
// bottom first; files that cannot be written (no folder, a full device)
// throw an IOException naming the path and leave nothing behind.

#include <gtest/gtest.h>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"
#include "render/loaders/png/PNGWriter.h"
#include "tests/support/EngineTest.h"

using render::Image2D;
using render::PNGWriter;

namespace {

class PngWriterTest : public testing_support::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_dir = std::filesystem::temp_directory_path() / ("pngwriter_test_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(m_dir);
        EngineTest::TearDown();
    }

    std::string path(const char* name) const { return (m_dir / name).string(); }

    // The file at `file` through the engine's loader: one Image2D.
    static core::Ref<Image2D> load(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        core::Ref<core::MemoryStream> stream =
            VORNA3D_NEW core::MemoryStream(bytes.data(), static_cast<int>(bytes.size()), true);
        stream->setName("written.png");
        core::Vector<core::Ref<render::Object3D>> objects;
        render::load(stream.get(), objects);
        EXPECT_EQ(objects.size(), 1);
        return objects.size() == 1 ? dynamic_cast<Image2D*>(objects[0].get()) : nullptr;
    }

    static std::vector<uint8_t> pixelsOf(const Image2D& image)
    {
        const size_t size = size_t(image.getWidth()) * image.getHeight() * image.getBpp();
        return std::vector<uint8_t>(image.getPixels(), image.getPixels() + size);
    }

    std::filesystem::path m_dir;
};

// A width x height picture whose every byte differs from its neighbours.
std::vector<uint8_t> pattern(int width, int height, int channels)
{
    std::vector<uint8_t> pixels(size_t(width) * height * channels);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 37 + 11);
    return pixels;
}

// The same rows in the opposite order.
std::vector<uint8_t> flipped(const std::vector<uint8_t>& pixels, int height)
{
    const size_t row = pixels.size() / height;
    std::vector<uint8_t> out(pixels.size());
    for (int y = 0; y < height; ++y)
        std::copy_n(pixels.data() + size_t(y) * row, row, out.data() + size_t(height - 1 - y) * row);
    return out;
}

} // namespace

TEST_F(PngWriterTest, EveryLayoutReadsBackAsWritten)
{
    const int width = 7; // odd: rows of 21 and 28 bytes
    const int height = 5;

    const std::vector<uint8_t> rgb = pattern(width, height, 3);
    PNGWriter::write(path("rgb.png").c_str(), width, height, rgb.data(), PNGWriter::RGB);
    core::Ref<Image2D> image = load(path("rgb.png"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), Image2D::RGB);
    EXPECT_EQ(image->getWidth(), width);
    EXPECT_EQ(image->getHeight(), height);
    EXPECT_EQ(pixelsOf(*image), rgb);

    const std::vector<uint8_t> rgba = pattern(width, height, 4);
    PNGWriter::write(path("rgba.png").c_str(), width, height, rgba.data(), PNGWriter::RGBA, false,
                     PNGWriter::COMPRESSION_FAST);
    image = load(path("rgba.png"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), Image2D::RGBA);
    EXPECT_EQ(pixelsOf(*image), rgba);

    // RGBX: the fourth byte is not written; the picture comes out RGB.
    PNGWriter::write(path("rgbx.png").c_str(), width, height, rgba.data(), PNGWriter::RGBX, false, 9);
    image = load(path("rgbx.png"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->getFormat(), Image2D::RGB);
    std::vector<uint8_t> withoutAlpha;
    for (size_t i = 0; i < rgba.size(); i += 4)
        withoutAlpha.insert(withoutAlpha.end(), rgba.begin() + i, rgba.begin() + i + 3);
    EXPECT_EQ(pixelsOf(*image), withoutAlpha);
}

TEST_F(PngWriterTest, BottomUpRowsComeOutTheRightWayUp)
{
    const int width = 4;
    const int height = 6;
    const std::vector<uint8_t> topDown = pattern(width, height, 4);
    // As OpenGL reads a frame: the bottom row first.
    const std::vector<uint8_t> bottomUp = flipped(topDown, height);
    PNGWriter::write(path("frame.png").c_str(), width, height, bottomUp.data(), PNGWriter::RGBA, true);
    core::Ref<Image2D> image = load(path("frame.png"));
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelsOf(*image), topDown);

    // Encoded in memory: the very bytes of the file.
    std::ifstream in(path("frame.png"), std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(PNGWriter::encode(width, height, bottomUp.data(), PNGWriter::RGBA, true), file);
}

TEST_F(PngWriterTest, UnwritablePathsThrowAndLeaveNothing)
{
    const std::vector<uint8_t> rgb = pattern(2, 2, 3);
    const std::string noFolder = path("missing/frame.png");
    try {
        PNGWriter::write(noFolder.c_str(), 2, 2, rgb.data(), PNGWriter::RGB);
        FAIL() << "no exception for a file in a missing folder";
    } catch (const core::IOException& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find(noFolder), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
    // A folder where the file should be.
    EXPECT_THROW(PNGWriter::write(m_dir.string().c_str(), 2, 2, rgb.data(), PNGWriter::RGB), core::IOException);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir));

    // A device that takes no bytes: the failure shows when the buffer goes
    // out, and must not pass as a written file. The device stays.
    if (std::filesystem::exists("/dev/full")) {
        const std::vector<uint8_t> big = pattern(256, 256, 3); // more than one stdio buffer
        EXPECT_THROW(PNGWriter::write("/dev/full", 256, 256, big.data(), PNGWriter::RGB), core::IOException);
        EXPECT_TRUE(std::filesystem::exists("/dev/full"));
    }
}
