// The baked archive's pictures and font, read back through the engine's
// file system and PNG loader, against what the demo's code relies on.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "Assets.h"
#include "Atlas.h"
#include "BakedArchive.h"
#include "FontFileReader.h"
#include "Pictures.h"
#include "core/FileSystem.h"

namespace bake_test {

namespace {

using bake::Region;

// The largest alpha on the ring of pixels `offset` outside the region's
// edge (0: the region's own outermost pixels, 1: the pixels just outside),
// skipping pixels outside the image.
unsigned ringAlphaMax(const render::Image2D& image, const Region& r, int offset)
{
    unsigned most = 0;
    const int x0 = r.x - offset, y0 = r.y - offset;
    const int x1 = r.x + r.width - 1 + offset, y1 = r.y + r.height - 1 + offset;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            if (x != x0 && x != x1 && y != y0 && y != y1)
                continue;
            if (x < 0 || y < 0 || x >= image.getWidth() || y >= image.getHeight())
                continue;
            most = std::max(most, pixelOf(image, x, y).a);
        }
    return most;
}

// Visible pixels (alpha > 0) in the region.
int inkCount(const render::Image2D& image, const Region& r)
{
    int count = 0;
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x)
            count += pixelOf(image, x, y).a > 0 ? 1 : 0;
    return count;
}

// PNG header fields straight from the file bytes (IHDR follows the
// 8-byte signature and the chunk's length and type).
struct PngHeader {
    int width, height, bitDepth, colorType, interlace;
};
PngHeader headerOf(const std::string& png)
{
    auto u32 = [&](size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
            (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    return PngHeader{static_cast<int>(u32(16)), static_cast<int>(u32(20)), static_cast<unsigned char>(png[24]),
                     static_cast<unsigned char>(png[25]), static_cast<unsigned char>(png[28])};
}

bool isPowerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

} // namespace

TEST_F(BakedArchiveTest, HoldsEveryFileTheDemoLoads)
{
    for (const char* name :
         {bake::FONT_DESCRIPTION, bake::FONT_IMAGE, bake::GRAPHICS_2D, bake::TITLE_PICTURE, bake::UNDERWATER,
          bake::LOGO_REFLECTION, bake::DEMOBALL_SCENE, bake::STONEBALL_SCENE, bake::HELIX_SCENE, bake::LOGO_SCENE})
        EXPECT_TRUE(core::FileSystem::get()->exists(name, core::Archive::OPEN_READ)) << name;
    // The names the demo asks for, spelled out.
    EXPECT_STREQ(bake::TITLE_PICTURE, "sulvantobynorvalliproductions.png");
    EXPECT_STREQ(bake::HELIX_SCENE, "heelix.m3g");
}

TEST_F(BakedArchiveTest, PicturesAreEightBitNonInterlacedPngsOfTheRightKind)
{
    struct Expected {
        const char* name;
        int colorType; // 2 RGB, 6 RGBA
    };
    for (const Expected& e :
         {Expected{bake::FONT_IMAGE, 6}, Expected{bake::GRAPHICS_2D, 6}, Expected{bake::TITLE_PICTURE, 2},
          Expected{bake::UNDERWATER, 2}, Expected{bake::LOGO_REFLECTION, 6}}) {
        const PngHeader h = headerOf(readFile(e.name));
        EXPECT_EQ(h.bitDepth, 8) << e.name;
        EXPECT_EQ(h.colorType, e.colorType) << e.name;
        EXPECT_EQ(h.interlace, 0) << e.name;
        EXPECT_TRUE(isPowerOfTwo(h.width) && isPowerOfTwo(h.height)) << e.name;
    }
}

TEST_F(BakedArchiveTest, FullScreenPicturesAreOpaqueSquaresOrHalfSquares)
{
    for (const char* name : {bake::TITLE_PICTURE, bake::UNDERWATER}) {
        core::Ref<render::Image2D> image = loadImage(name);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->getFormat(), render::Image2D::RGB) << name;
        EXPECT_EQ(image->getWidth(), 1024) << name;
        EXPECT_TRUE(image->getHeight() == 1024 || image->getHeight() == 512) << name;
    }
    // The underwater picture is blue: deeper blue than red everywhere on a
    // sparse grid of samples.
    core::Ref<render::Image2D> water = loadImage(bake::UNDERWATER);
    ASSERT_TRUE(water);
    for (int y = 0; y < water->getHeight(); y += 64)
        for (int x = 0; x < water->getWidth(); x += 64) {
            const uint32_t p = water->getPixel(x, y);
            EXPECT_GT(p & 0xFF, (p >> 16) & 0xFF) << "at " << x << ", " << y;
        }
}

TEST_F(BakedArchiveTest, GraphicsPictureHoldsEveryRegionTheDemoCrops)
{
    core::Ref<render::Image2D> image = loadImage(bake::GRAPHICS_2D);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->getFormat(), render::Image2D::RGBA);
    ASSERT_EQ(image->getWidth(), 1024);
    ASSERT_EQ(image->getHeight(), 1024);
    const render::Image2D& img = *image;

    // Fish frames at the demo's crops, with clear gutters; odd frames are
    // their even neighbours mirrored, and the four kinds differ.
    for (int frame = 0; frame < 8; ++frame) {
        const Region r = bake::fishRegion(frame);
        EXPECT_EQ(r.width, 32);
        EXPECT_EQ(r.height, 31);
        EXPECT_EQ(r.x, 32 * (frame % 4));
        EXPECT_EQ(r.y, 1 + 32 * (frame / 4));
        EXPECT_GT(inkCount(img, r), 200) << "frame " << frame;
        EXPECT_EQ(ringAlphaMax(img, r, 0), 0u) << "frame " << frame;
    }
    for (int kind = 0; kind < 4; ++kind) {
        const Region right = bake::fishRegion(2 * kind), left = bake::fishRegion(2 * kind + 1);
        for (int y = 0; y < 31; ++y)
            for (int x = 0; x < 32; ++x) {
                // Invisible pixels carry their neighbours' colour, which
                // differs between the frames; only alpha must match there.
                const uint32_t a = img.getPixel(right.x + x, right.y + y);
                const uint32_t b = img.getPixel(left.x + 31 - x, left.y + y);
                ASSERT_EQ((a & 0xFF) ? a : 0u, (b & 0xFF) ? b : 0u) << "kind " << kind << " at " << x << ", " << y;
            }
    }
    std::set<uint32_t> centres;
    for (int kind = 0; kind < 4; ++kind) {
        const Region r = bake::fishRegion(2 * kind);
        centres.insert(img.getPixel(r.x + 16, r.y + 15));
    }
    EXPECT_EQ(centres.size(), 4u);
    // A fish facing +x has its forked tail on the left: the second ink
    // column from the left crosses the fork (two runs of ink), the second
    // from the right crosses the head (one run).
    auto runs = [&](const Region& r, int column) {
        int count = 0;
        bool inside = false;
        for (int y = 0; y < r.height; ++y) {
            const bool ink = pixelOf(img, r.x + column, r.y + y).a > 64;
            count += ink && !inside ? 1 : 0;
            inside = ink;
        }
        return count;
    };
    for (int kind = 0; kind < 4; ++kind) {
        const Region r = bake::fishRegion(2 * kind);
        int first = 0, last = 31;
        while (first < 31 && runs(r, first) == 0)
            ++first;
        while (last > 0 && runs(r, last) == 0)
            --last;
        EXPECT_EQ(runs(r, first + 1), 2) << "kind " << kind << ": no forked tail on the left";
        EXPECT_EQ(runs(r, last - 1), 1) << "kind " << kind << ": no head on the right";
    }

    // The fade square: opaque black, clear around.
    const Region fade = bake::FADE_REGION;
    EXPECT_EQ(fade.x, 0);
    EXPECT_EQ(fade.y, 128);
    for (int y = fade.y; y < fade.y + fade.height; ++y)
        for (int x = fade.x; x < fade.x + fade.width; ++x)
            ASSERT_EQ(img.getPixel(x, y), 0x000000FFu) << x << ", " << y;
    EXPECT_EQ(ringAlphaMax(img, fade, 1), 0u);

    // The bubble: round, see-through in the middle, denser at the rim.
    const Region bubble = bake::BUBBLE_REGION;
    EXPECT_EQ(ringAlphaMax(img, bubble, 0), 0u);
    EXPECT_EQ(ringAlphaMax(img, bubble, 1), 0u);
    const unsigned middle = pixelOf(img, bubble.x + 63, bubble.y + 62).a;
    EXPECT_GT(middle, 10u);
    EXPECT_LT(middle, 100u);
    EXPECT_GT(pixelOf(img, bubble.x + 63 + 56, bubble.y + 62).a, middle);
    EXPECT_EQ(pixelOf(img, bubble.x + 4, bubble.y + 4).a, 0u); // outside the circle

    // The twin-sprite emblem: visible in the middle, clear at its edges.
    const Region twin = bake::TWIN_REGION;
    EXPECT_EQ(ringAlphaMax(img, twin, 0), 0u);
    EXPECT_EQ(pixelOf(img, twin.x + 256, twin.y + 256).a, 255u);
    EXPECT_EQ(pixelOf(img, twin.x + 10, twin.y + 10).a, 0u);

    // The closing picture: opaque all over, clear around.
    const Region closing = bake::CLOSING_REGION;
    for (int y = closing.y; y < closing.y + closing.height; ++y)
        for (int x = closing.x; x < closing.x + closing.width; ++x)
            ASSERT_EQ(pixelOf(img, x, y).a, 255u) << x << ", " << y;
    EXPECT_EQ(ringAlphaMax(img, closing, 1), 0u);

    // Every crop lies inside the picture and no two regions overlap.
    const std::vector<Region> regions = {bake::fishRegion(0), bake::fishRegion(7), fade, bubble, twin, closing};
    for (const Region& r : regions) {
        EXPECT_GE(r.x, 0);
        EXPECT_GE(r.y, 0);
        EXPECT_LE(r.x + r.width, 1024);
        EXPECT_LE(r.y + r.height, 1024);
    }
    for (size_t i = 0; i < regions.size(); ++i)
        for (size_t j = i + 1; j < regions.size(); ++j) {
            const Region& a = regions[i];
            const Region& b = regions[j];
            const bool apart =
                a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y || b.y + b.height <= a.y;
            EXPECT_TRUE(apart) << "regions " << i << " and " << j;
        }
}

TEST_F(BakedArchiveTest, LogoReflectionTextureIsCutByTheAlphaTest)
{
    core::Ref<render::Image2D> image = loadImage(bake::LOGO_REFLECTION);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->getFormat(), render::Image2D::RGBA);
    ASSERT_EQ(image->getWidth(), 256);
    ASSERT_EQ(image->getHeight(), 256);
    // An alpha test at 0.1 passes alpha 26 and more (26 / 255 > 0.1 > 25 / 255):
    // the rows near the letters' feet show, the rows towards their tops are cut.
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; x += 5) {
            const unsigned a = pixelOf(*image, x, y).a;
            if (y >= bake::REFLECTION_CUT_ROW)
                ASSERT_GE(a, 26u) << x << ", " << y;
            else
                ASSERT_LT(a, 26u) << x << ", " << y;
        }
    EXPECT_GT(bake::REFLECTION_CUT_ROW, 32);
    EXPECT_LT(bake::REFLECTION_CUT_ROW, 224);
}

TEST_F(BakedArchiveTest, FontCoversTheDemoTextsWithWhiteGlyphsInTheirCells)
{
    const std::string text = readFile(bake::FONT_DESCRIPTION);
    EXPECT_EQ(text.find('\''), std::string::npos);
    EXPECT_EQ(text.find('\t'), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    const FontFile font = parseFontFile(text);
    EXPECT_EQ(font.charWidth, 32);
    EXPECT_EQ(font.charHeight, 32);
    EXPECT_EQ(font.emptyX, 0);
    EXPECT_EQ(font.emptyY, 0);
    EXPECT_FALSE(font.hasSeparator);
    EXPECT_EQ(font.pngName, bake::FONT_IMAGE);

    // Every character of the scroller text and the title line.
    const std::string needed = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#,-.:?";
    for (char c : needed)
        EXPECT_NE(font.table.find(c), std::string::npos) << "missing '" << c << "'";
    EXPECT_EQ(std::set<char>(font.table.begin(), font.table.end()).size(), font.table.size()) << "a character twice";

    core::Ref<render::Image2D> image = loadImage(font.pngName.c_str());
    ASSERT_TRUE(image);
    ASSERT_EQ(image->getFormat(), render::Image2D::RGBA);
    EXPECT_GE(image->getWidth(), 256);
    EXPECT_GE(image->getHeight(), 256);
    std::set<std::vector<uint32_t>> glyphs;
    for (int k = 0; k < static_cast<int>(font.table.size()); ++k) {
        int x = 0, y = 0;
        ASSERT_TRUE(fontCell(font, image->getWidth(), k, x, y));
        ASSERT_LE(x + font.charWidth, image->getWidth());
        ASSERT_LE(y + font.charHeight, image->getHeight());
        const Region cell{x, y, font.charWidth, font.charHeight};
        const char c = font.table[static_cast<size_t>(k)];
        int ink = 0;
        std::vector<uint32_t> pixels;
        for (int j = 0; j < font.charHeight; ++j)
            for (int i = 0; i < font.charWidth; ++i) {
                const RGBA8 p = pixelOf(*image, x + i, y + j);
                // White everywhere, so that filtering never darkens an edge.
                ASSERT_EQ(p.r + p.g + p.b, 3u * 255u) << "'" << c << "' at " << i << ", " << j;
                ink += p.a > 0 ? 1 : 0;
                pixels.push_back(p.a);
            }
        if (c == ' ') {
            EXPECT_EQ(ink, 0);
            continue;
        }
        EXPECT_GT(ink, 12) << "'" << c << "'";
        EXPECT_EQ(ringAlphaMax(*image, cell, 0), 0u) << "'" << c << "' touches its cell's edge";
        // Anti-aliased: edges have partial alpha.
        int partial = 0;
        for (uint32_t a : pixels)
            partial += a > 0 && a < 255 ? 1 : 0;
        EXPECT_GT(partial, 4) << "'" << c << "'";
        EXPECT_TRUE(glyphs.insert(pixels).second) << "'" << c << "' looks like another glyph";
    }
}

} // namespace bake_test
