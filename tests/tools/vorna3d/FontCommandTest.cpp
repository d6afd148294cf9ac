// vorna3d info on bitmap font descriptions, run as a program: a font in its
// folder and the same font in an archive made by the system's tar, the
// table printed with escapes, and broken fonts failing with one line. The
// font images are written here (zlib and CRC-32 by hand), so their glyph
// layout is known exactly.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ToolTest.h"

namespace fs = std::filesystem;

namespace {

using tool_test::quote;
using tool_test::readText;
using tool_test::Result;

void putBig32(std::string& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

void putChunk(std::string& out, const char* type, const std::string& body)
{
    putBig32(out, static_cast<uint32_t>(body.size()));
    const std::string typed = std::string(type, 4) + body;
    out += typed;
    putBig32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
}

// An RGBA PNG of width x height, opaque white where `opaque(x, y)`,
// transparent elsewhere, and magenta where `separator(x, y)`.
template <class Opaque, class Separator> std::string png(int width, int height, Opaque opaque, Separator separator)
{
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';
        for (int x = 0; x < width; ++x) {
            const char* pixel = separator(x, y) ? "\xFF\x00\xFF\xFF" : opaque(x, y) ? "\xFF\xFF\xFF\xFF" : "\0\0\0\0";
            raw.append(pixel, 4);
        }
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             uLong(raw.size()));
    packed.resize(size);
    std::string header;
    putBig32(header, uint32_t(width));
    putBig32(header, uint32_t(height));
    header += std::string("\x08\x06\x00\x00\x00", 5);
    std::string out = "\x89PNG\r\n\x1a\n";
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", "");
    return out;
}

class FontCommandTest : public tool_test::ToolTest {
protected:
    FontCommandTest() : ToolTest("vorna3d-font") { }

    std::string write(const std::string& name, const std::string& bytes) const
    {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
};

TEST_F(FontCommandTest, GridFontInItsFolderAndInAnArchive)
{
    // Cells of 8 x 10 on a 32 x 24 image, 2 pixels between glyphs and
    // between rows: four glyphs in the first row ("AB" and a quote, then
    // A diaeresis), "Z" and a backslash in the second.
    write("glyphs.png",
          png(
              32, 24, [](int x, int y) { return (x + y) % 3 == 0; }, [](int, int) { return false; }));
    const std::string description = "B 0008 000A 'cells' 0002 0002 X \"glyphs.png\"\n\"AB\"\xC4\nZ\\\"\n";
    const std::string font = write("font.txt", description);
    const std::string expected = "Font2DBitmap cell 8x10 glyphs 6 line-height 10\n"
                                 "image \"glyphs.png\" 32x24\n"
                                 "table \"AB\\\"\\xC4\\nZ\\\\\"\n";
    Result r = tool("info " + quote(font));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");

    const std::string archive = (m_dir / "fonts.tar.gz").string();
    ASSERT_EQ(
        std::system(("tar -C " + quote(m_dir.string()) + " -czf " + quote(archive) + " font.txt glyphs.png").c_str()),
        0);
    fs::remove(font);
    r = tool("info " + quote(archive) + " font.txt");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, expected);
}

TEST_F(FontCommandTest, SeparatorFontCountsItsGlyphs)
{
    // Magenta ends each glyph: at x = 4 and x = 9 in row 0, at y = 6 in
    // columns 0 and 5 (boxes 5 x 7, separators included).
    write("sep.png",
          png(
              16, 16, [](int, int) { return false; },
              [](int x, int y) { return (y == 0 && (x == 4 || x == 9)) || (y == 6 && (x == 0 || x == 5)); }));
    const std::string font = write("sep.txt", "B0000 0000 0000 0000 C 00FF 0000 00FF \"sep.png\" \"XY\"");
    const Result r = tool("info " + quote(font));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Font2DBitmap cell 0x0 glyphs 2 line-height 7\nimage \"sep.png\" 16x16\ntable \"XY\"\n");
}

TEST_F(FontCommandTest, BrokenFontsFailWithOneLine)
{
    write("blank.png",
          png(
              16, 16, [](int, int) { return false; }, [](int, int) { return false; }));
    expectFailure(tool("info " + quote(write("lower.txt", "b0008 0008 0000 0000 X \"blank.png\" \"A\""))),
                  "Unsupported font format in font file.");
    expectFailure(tool("info " + quote(write("short.txt", "B0008 0008 0000 0000 X \"blank.png\" \"A"))),
                  "Font reading failed because your table end does not use \"-character");
    expectFailure(tool("info " + quote(write("noimage.txt", "B0008 0008 0000 0000 X \"none.png\" \"A\""))), "none.png");
    expectFailure(
        tool("info " + quote(write("nosep.txt", "B0000 0000 0000 0000 C 00FF 0000 00FF \"blank.png\" \"A\""))),
        "Font reading failed. Your png does not provide separator color?");
    expectFailure(tool("info " + quote(write("wide.txt", "B0020 0008 0000 0000 X \"blank.png\" \"A\""))),
                  "can not create font because font PNG width is smaller than char width");
    expectFailure(tool("info " + quote((m_dir / "absent.txt").string())), "cannot open");
    expectFailure(tool("info --all " + quote((m_dir / "absent.txt").string())), "");
}

} // namespace
