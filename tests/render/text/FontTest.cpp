// Bitmap fonts: the description file (fields, comments, tabs, separator
// colour, table) and its errors; glyph boxes cut on a grid and by
// separators, with their errors; the built-in debug font's trimmed boxes;
// a font read whole from an archive. Boxes are worked out by hand from the
// cell sizes and spaces given.

#include <gtest/gtest.h>

#include <string>

#include "core/FileSystem.h"
#include "core/MemoryStream.h"
#include "core/TARArchive.h"
#include "core/TARWriter.h"
#include "render/text/Font2D.h"
#include "render/text/Font2DBitmap.h"
#include "render/text/FontDescription.h"
#include "tests/render/BatchTestSupport.h"
#include "tests/render/loaders/png/PngTestFiles.h"

using core::Ref;
using namespace render;
using namespace render_test;

namespace {

class FontTest : public BatchTest {
protected:
    static FontDescription describe(const std::string& text)
    {
        Ref<core::MemoryStream> stream = VORNA3D_NEW core::MemoryStream(text.data(), int(text.size()), true);
        return FontDescription::read(stream.get());
    }
    static std::string descriptionError(const std::string& text)
    {
        return fontError([&] { describe(text); });
    }

    // An RGBA image of transparent black.
    static Ref<Image2D> image(int width, int height)
    {
        Ref<Image2D> result = VORNA3D_NEW Image2D(Image2D::RGBA, width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                result->setPixel(x, y, 0);
        return result;
    }

    static std::string box(const Font2DBitmap& font, unsigned short ch)
    {
        int x, y, w, h;
        font.getCharSize(ch, &x, &y, &w, &h);
        return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," + std::to_string(h);
    }

    static std::string createError(Font2DBitmap& font, const char* table, Image2D* img, int w, int h, int ex, int ey,
                                   uint32_t separator)
    {
        return fontError([&] { font.createFont(table, img, w, h, ex, ey, separator); });
    }
};

TEST_F(FontTest, DescriptionFieldsWithCommentsTabsAndSeparator)
{
    // Comments anywhere before the table leave the fields as they are;
    // blanks, tabs and line breaks between fields are skipped.
    FontDescription d = describe("B'scroller font'0010\t0008\r\n 0002 'gap' 0004\n"
                                 "X \"fo nt.png\"\n\"AB\nZ\"trailing");
    EXPECT_EQ(d.charWidth, 16);
    EXPECT_EQ(d.charHeight, 8);
    EXPECT_EQ(d.emptyX, 2);
    EXPECT_EQ(d.emptyY, 4);
    EXPECT_FALSE(d.hasSeparator);
    EXPECT_STREQ(d.pngName.getASCII(), "fo nt.png"); // blanks inside a value count
    EXPECT_STREQ(d.characters.getASCII(), "AB\nZ");

    // Separator mode: 'C' and three colour fields; tabs and comments are
    // skipped inside the table too, and it ends at the file's last quote.
    d = describe("B0000 0000 0001 0001 C 00ff 0000 00FF \"f.png\" \"A\t'x'\"B\" C\"\n");
    EXPECT_EQ(d.charWidth, 0);
    EXPECT_TRUE(d.hasSeparator);
    EXPECT_EQ(d.separator, 0xFF00FFu);
    EXPECT_STREQ(d.characters.getASCII(), "A\"B\" C");
    // ISO 8859-1 bytes stay themselves.
    d = describe("B0008000800000000 X\"f.png\"\"\xC4\xD6\"");
    EXPECT_EQ(d.characters.length(), 2);
    EXPECT_EQ(d.characters.charAt(0), 0xC4);
}

TEST_F(FontTest, BrokenDescriptionsSayWhatIsWrong)
{
    EXPECT_EQ(descriptionError("b0010001000000000 \"f.png\"\"A\""), "Unsupported font format in font file.");
    EXPECT_EQ(descriptionError(""), "Unsupported font format in font file.");
    EXPECT_EQ(descriptionError("B001"), "Font2DBitmap : font file can not read font width");
    EXPECT_EQ(descriptionError("B0010 00"), "Font2D file does not have data");
    EXPECT_EQ(descriptionError("B0010 0010 0000 0000"), "Font2D file does not have data");
    // A width of two digits: the next four significant characters are taken
    // (1000, 1000, 0000), and the fourth field meets the marker 'X'.
    EXPECT_EQ(descriptionError("B10 0010 0000 0000 X \"f.png\" \"A\""), "Font2DBitmap : can not read data");
    EXPECT_EQ(descriptionError("B7FFF 0010 0000 0000 X\"f.png\"\"A\""), "char width is too big");
    EXPECT_EQ(descriptionError("B0010 7FFF 0000 0000 X\"f.png\"\"A\""), "char height is too big");
    EXPECT_EQ(descriptionError("B0010 0010 0000 7FFF X\"f.png\"\"A\""), "char height is too big");
    EXPECT_EQ(descriptionError("B0010 0010 7FFF 0000 X\"f.png\"\"A\""), "empty x space is too big");
    EXPECT_EQ(descriptionError("B0000 0000 0000 0000 C 00FF 00"),
              "Font2DBitmap : font file has illegal data (Color info)");
    EXPECT_EQ(descriptionError("B0000 0000 0000 0000 C 00FG 0000 0000 \"f.png\"\"A\""),
              "Font2DBitmap : font file has illegal data (Color RED info)");
    EXPECT_EQ(descriptionError("B0000 0000 0000 0000 C 00FF 0100 0000 \"f.png\"\"A\""),
              "Font2DBitmap : font file has illegal data (Color GREEN info)");
    EXPECT_EQ(descriptionError("B0000 0000 0000 0000 C 00FF 00FF 0-00 \"f.png\"\"A\""),
              "Font2DBitmap : font file has illegal data (Color BLUE info)");
    EXPECT_EQ(descriptionError("B0010 0010 0000 0000 X f.png \"A\""), "Font2DBitmap error");
    EXPECT_EQ(descriptionError("B0010 0010 0000 0000 X \"f.png"), "Font2D file does not have data");
    EXPECT_EQ(descriptionError("B0010 0010 0000 0000 X \"f.png\" A\""),
              "Font reading failed because your table start does not use \"-character");
    EXPECT_EQ(descriptionError("B0010 0010 0000 0000 X \"f.png\""),
              "Font reading failed because your table start does not use \"-character");
    EXPECT_EQ(descriptionError("B0010 0010 0000 0000 X \"f.png\" \"ABC"),
              "Font reading failed because your table end does not use \"-character");
    EXPECT_EQ(descriptionError("B0010 0010 0000 0000 X \"f.png\" \"\""),
              "Font2DBitmap : font file does not provide char information");
    EXPECT_EQ(descriptionError("B0010 0010 0000 0000 X \"f.png\" \"" + std::string(1025, 'A') + "\""),
              "Font2DBitmap : too many characters in font file");
    EXPECT_EQ(descriptionError("B0010 0010 0000 0000 X \"f.png\" \"" + std::string(1024, 'A') + "\""), "");
    // An unclosed comment runs to the end of the data.
    EXPECT_EQ(descriptionError("B0010 'open"), "Font2D file does not have data");
}

TEST_F(FontTest, GlyphBoxesOnAGrid)
{
    // A, B and Z with a line break after B, 16 x 16 cells, 2 pixels between
    // glyphs and 3 between rows: A (0, 0), B (18, 0), Z (0, 19).
    Ref<Image2D> img = image(64, 64);
    Ref<Font2DBitmap> font = VORNA3D_NEW Font2DBitmap();
    font->createFont("AB\nZ", img.get(), 16, 16, 2, 3, 0);
    EXPECT_EQ(box(*font, 'A'), "0,0,16,16");
    EXPECT_EQ(box(*font, 'B'), "18,0,16,16");
    EXPECT_EQ(box(*font, 'Z'), "0,19,16,16");
    EXPECT_EQ(font->getGlyphCount(), 3);
    EXPECT_EQ(font->getLineHeight(), 16);
    EXPECT_FALSE(font->hasCharacter('\n'));
    EXPECT_FLOAT_EQ(font->getUScale(), 1.f / 64.f);
    EXPECT_FLOAT_EQ(font->getVAspect(), 1.f);

    // CR LF is one break; a character listed twice takes the later glyph;
    // a row also ends at the image's right edge (36 = 2 x 18).
    Ref<Image2D> narrow = image(36, 64);
    Ref<Font2DBitmap> second = VORNA3D_NEW Font2DBitmap();
    second->createFont("AB\r\nZAC", narrow.get(), 16, 16, 2, 3, 0);
    EXPECT_EQ(box(*second, 'Z'), "0,19,16,16");
    EXPECT_EQ(box(*second, 'A'), "18,19,16,16");
    EXPECT_EQ(box(*second, 'C'), "0,38,16,16");
    EXPECT_FLOAT_EQ(second->getVAspect(), 36.f / 64.f);

    Ref<Image2D> small = image(16, 16);
    Ref<Font2DBitmap> third = VORNA3D_NEW Font2DBitmap();
    EXPECT_EQ(createError(*third, "A\nB", small.get(), 16, 16, 0, 0, 0),
              "can not load a font. check your character table.");
    Ref<Font2DBitmap> fourth = VORNA3D_NEW Font2DBitmap();
    EXPECT_EQ(createError(*fourth, "A", small.get(), 17, 16, 0, 0, 0),
              "can not create font because font PNG width is smaller than char width");
    Ref<Font2DBitmap> fifth = VORNA3D_NEW Font2DBitmap();
    EXPECT_EQ(createError(*fifth, "A", small.get(), 16, 17, 0, 0, 0),
              "can not create font because font PNG height is smaller than char height");
    EXPECT_EQ(assertionText([&] { font->setCharSize('Q', 0, 0, 1, 1); }),
              "setCharSize failed because font does not support this character");
    EXPECT_EQ(assertionText([&] { font->setCharSize('A', 0, 0, 0, 1); }), " w > 0 && h > 0 ");
}

TEST_F(FontTest, GlyphBoxesBySeparatorLines)
{
    // Magenta lines end each glyph: in row 0 at x = 4 and x = 9, in
    // columns 0 and 5 at y = 6. Boxes include their separator pixel.
    const uint32_t magenta = 0xFF00FFFFu; // getPixel's 0xRRGGBBAA
    Ref<Image2D> img = image(16, 16);
    img->setPixel(4, 0, magenta);
    img->setPixel(9, 0, magenta);
    img->setPixel(0, 6, magenta);
    img->setPixel(5, 6, magenta);
    img->setPixel(3, 0, 0x112233FFu);
    Ref<Font2DBitmap> font = VORNA3D_NEW Font2DBitmap();
    font->createFont("AB", img.get(), 0, 0, 0, 0, 0xFF00FF);
    EXPECT_EQ(box(*font, 'A'), "0,0,5,7");
    EXPECT_EQ(box(*font, 'B'), "5,0,5,7");
    // The separator pixels took their left neighbour's colour.
    EXPECT_EQ(img->getPixel(4, 0), 0x112233FFu);
    EXPECT_EQ(img->getPixel(5, 6), 0u);

    // No separator where the first glyph should end.
    Ref<Image2D> plain = image(16, 16);
    Ref<Font2DBitmap> none = VORNA3D_NEW Font2DBitmap();
    EXPECT_EQ(createError(*none, "A", plain.get(), 0, 0, 0, 0, 0xFF00FF),
              "Font reading failed. Your png does not provide separator color?");

    // A glyph right after a table line break whose row has no separator:
    // the row height is still 0, so moving down cannot advance. This used
    // to loop for ever; it is reported instead.
    Ref<Image2D> rows = image(16, 16);
    rows->setPixel(4, 0, magenta);
    rows->setPixel(0, 6, magenta);
    Ref<Font2DBitmap> stuck = VORNA3D_NEW Font2DBitmap();
    EXPECT_EQ(createError(*stuck, "A\nB", rows.get(), 0, 0, 0, 0, 0xFF00FF),
              "Font reading failed. Your png does not provide separator color?");

    // A row with a separator whose column has none.
    Ref<Image2D> column = image(16, 16);
    column->setPixel(4, 0, magenta);
    column->setPixel(0, 6, magenta);
    column->setPixel(9, 0, magenta);
    Ref<Font2DBitmap> open = VORNA3D_NEW Font2DBitmap();
    EXPECT_EQ(createError(*open, "AB", column.get(), 0, 0, 0, 0, 0xFF00FF),
              "Font reading failed. Your png does not provide last separator line?");
}

TEST_F(FontTest, BuiltInFontHasTrimmedBoxesAndItsTable)
{
    Ref<Font2D> font = Font2D::createNewFont();
    Font2DBitmap* bitmap = dynamic_cast<Font2DBitmap*>(font.get());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->getGlyphCount(), 44);
    EXPECT_EQ(bitmap->getLineHeight(), 8);
    EXPECT_FLOAT_EQ(bitmap->getVAspect(), 4.f);
    EXPECT_FLOAT_EQ(bitmap->getUScale(), 1.f / 128.f);
    // Glyphs are drawn in columns 1..5 of their cells: 'A' uses all five
    // and keeps one empty column each side; 'I' uses 2..4; the blank keeps
    // its whole cell (index 43: row 2, column 11).
    EXPECT_EQ(box(*bitmap, 'A'), "0,0,7,8");
    EXPECT_EQ(box(*bitmap, 'I'), "65,0,5,8");
    EXPECT_EQ(box(*bitmap, ' '), "88,16,8,8");
    EXPECT_EQ(box(*bitmap, 0xC4), "88,8,7,8"); // A diaeresis, index 27: row 1, column 11
    EXPECT_TRUE(bitmap->hasCharacter('/'));
    EXPECT_FALSE(bitmap->hasCharacter(0xE4));
    EXPECT_FALSE(bitmap->hasCharacter('a'));
    EXPECT_EQ(bitmap->getTexture()->getImage(), nullptr); // the texture keeps no copy
    EXPECT_EQ(bitmap->getTexture()->getImageFilter(), Texture2D::FILTER_NEAREST);
}

TEST_F(FontTest, FontFromAnArchive)
{
    // A 32 x 16 RGBA image: two 16 x 16 cells.
    png_test::Bytes raw;
    for (int y = 0; y < 16; ++y) {
        raw.push_back(0);
        for (int x = 0; x < 32; ++x)
            for (int c = 0; c < 4; ++c)
                raw.push_back(x < 16 ? 0xFF : 0x00);
    }
    const png_test::Bytes png = png_test::makePng(png_test::ihdr(32, 16, 8, 6), raw);
    const std::string description = "B0010 0010 0000 0000 'two cells' X \"glyphs.png\"\r\n\"XY\"\r\n";
    const std::string wrongFormat = "b0010 0010 0000 0000 X \"glyphs.png\" \"XY\"";
    const std::string missingImage = "B0010 0010 0000 0000 X \"none.png\" \"XY\"";

    Ref<core::MemoryStream> sink = VORNA3D_NEW core::MemoryStream();
    Ref<core::TARWriter> writer = VORNA3D_NEW core::TARWriter(sink);
    writer->addFile("font.txt", description.data(), int(description.size()));
    writer->addFile("wrong.txt", wrongFormat.data(), int(wrongFormat.size()));
    writer->addFile("missing.txt", missingImage.data(), int(missingImage.size()));
    writer->addFile("glyphs.png", png.data(), int(png.size()));
    writer->finish();
    Ref<core::MemoryStream> bytes = VORNA3D_NEW core::MemoryStream(sink->getBuffer());
    core::FileSystem* fs = core::FileSystem::get();
    fs->addArchive("", core::Ref<core::Archive>(VORNA3D_NEW core::TARArchive(bytes)));

    {
        Ref<Font2D> font = Font2D::createNewFont("font.txt");
        Font2DBitmap* bitmap = dynamic_cast<Font2DBitmap*>(font.get());
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(box(*bitmap, 'X'), "0,0,16,16");
        EXPECT_EQ(box(*bitmap, 'Y'), "16,0,16,16");
        EXPECT_EQ(bitmap->getTexture()->getWidth(), 32);
        EXPECT_EQ(fontError([] { Font2D::createNewFont("wrong.txt"); }), "Unsupported font format in font file.");
        testing_support::LogCapture quiet;
        EXPECT_THROW(Font2D::createNewFont("missing.txt"), core::IOException);
        EXPECT_THROW(Font2D::createNewFont("absent.txt"), core::IOException);
    }
    fs->removeArchive("");
    core::FileSystem::deInitClass(); // the engine's file system is not a leak
}

TEST_F(FontTest, AFontFileBeforeAnyFileSystemFailsWithoutLeavingABlock)
{
    // Nothing is mounted yet, so nothing can be found; the failed load
    // must not set up a file system and leave it in the pool.
    const int before = testing_support::EngineTest::allocatedBlocks();
    EXPECT_THROW(Font2D::createNewFont("font.txt"), core::IOException);
    EXPECT_EQ(testing_support::EngineTest::allocatedBlocks(), before);
    EXPECT_EQ(core::FileSystem::getExisting(), nullptr);
}

} // namespace
