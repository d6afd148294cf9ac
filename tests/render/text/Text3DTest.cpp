// Text layout: the quads a Text3D writes through its bitmap font
// (alignment, spacing, zoom and text scale, line breaks, wrapping, sizes,
// texture coordinates, characters the font lacks) and the placement under
// parallel and perspective cameras. The test font has 8 x 8 cells on a
// 64 x 16 image; expected positions are pen positions x 32 worked out by
// hand.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/appearance/Appearance.h"
#include "render/text/Font2DBitmap.h"
#include "render/text/Text3D.h"
#include "tests/render/BatchTestSupport.h"

using core::Ref;
using namespace render;
using namespace render_test;

namespace {

class Text3DTest : public BatchTest {
protected:
    void SetUp() override
    {
        BatchTest::SetUp();
        Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, 64, 16);
        font = VORNA3D_NEW Font2DBitmap();
        font->addRef();
        // Cells: A (0, 0), B (8, 0), C (16, 0), D (24, 0), blank (32, 0), E (40, 0).
        font->createFont("ABCD E", image.get(), 8, 8, 0, 0, 0);
    }
    void TearDown() override
    {
        if (font)
            font->releaseRef();
        font = nullptr;
        BatchTest::TearDown();
    }

    Ref<BatcherItem> layout(Text3D& text, const Transform& transform = Transform())
    {
        Ref<BatcherItem> item = VORNA3D_NEW BatcherItem();
        EXPECT_TRUE(text.renderNodeToBatcher(0, item.get(), &transform));
        return item;
    }
    Ref<Text3D> text(const char* string)
    {
        Ref<Text3D> result = VORNA3D_NEW Text3D(font);
        result->setText(string);
        return result;
    }
    // x and y of quad `quad`'s first corner (its lower left), in fixed point.
    static std::pair<int, int> origin(const BatcherItem& item, int quad)
    {
        return {item.positionCoords[quad * 12], item.positionCoords[quad * 12 + 1]};
    }

    Font2DBitmap* font = nullptr; // held with addRef (a Ref member would make the destructor throwing)
};

class FlippedText3DTest : public Text3DTest {
protected:
    void adjust(Graphics3DConfig& config) override { config.flipY = true; }
};

TEST_F(Text3DTest, QuadsAlignmentSpacingAndZoom)
{
    Ref<Text3D> ab = text("AB");
    ab->setColor(0x0A0B0C0D);
    Ref<BatcherItem> item = layout(*ab);
    ASSERT_EQ(item->getVertexCount(), 8);
    EXPECT_EQ(item->normals.size(), 0);
    // Corners (x0, y0), (x1, y0), (x1, y1), (x0, y1) of A, then B from x = 8.
    EXPECT_EQ(std::vector<int>(item->positionCoords.begin(), item->positionCoords.begin() + 12),
              (std::vector<int>{0, 0, 0, 256, 0, 0, 256, 256, 0, 0, 256, 0}));
    EXPECT_EQ(origin(*item, 1), std::make_pair(256, 0));
    // Texture coordinates in font pixels, rows times the v aspect 64 / 16:
    // the lower edge shows the glyph's last row (8 x 4 = 32).
    EXPECT_EQ(std::vector<short>(item->textureCoords.begin(), item->textureCoords.begin() + 8),
              (std::vector<short>{0, 32, 8, 32, 8, 0, 0, 0}));
    EXPECT_EQ(std::vector<short>(item->textureCoords.begin() + 8, item->textureCoords.begin() + 10),
              (std::vector<short>{8, 32}));
    EXPECT_FLOAT_EQ(item->textureCoordScale, 1.f / 64.f);
    EXPECT_EQ(elements(item->indices), (std::vector<unsigned short>{0, 3, 1, 2, 1, 3, 4, 7, 5, 6, 5, 7}));
    EXPECT_EQ(static_cast<unsigned char>(item->colors[0]), 0x0A);
    EXPECT_EQ(static_cast<unsigned char>(item->colors[31]), 0x0D);

    // Centred, two 8-pixel glyphs start at -8; right-aligned at -16.
    ab->setAlignment(Text3D::ALIGN_CENTER);
    EXPECT_EQ(origin(*layout(*ab), 0).first, -8 * 32);
    ab->setAlignment(Text3D::ALIGN_RIGHT);
    EXPECT_EQ(origin(*layout(*ab), 0).first, -16 * 32);

    // Spacing 2 after each glyph; font zoom (2, 3) times text scale (0.5, 1):
    // total zoom (1, 3), the size counts the spacing of the last glyph too.
    ab->setAlignment(Text3D::ALIGN_LEFT);
    font->setXSpacing(2);
    font->setZoom(2.f, 3.f);
    ab->setTextScale(0.5f, 1.f);
    item = layout(*ab);
    EXPECT_EQ(origin(*item, 1).first, 10 * 32);
    EXPECT_EQ(item->positionCoords[7], 24 * 32); // y1 = 8 x 3
    EXPECT_TRUE(ab->getTextSize() == slmath::vec2(20.f, 24.f));

    // The text stands at the transform's position and ignores its rotation.
    font->setXSpacing(0);
    font->setZoom(1.f, 1.f);
    ab->setTextScale(1.f, 1.f);
    Transform placed;
    placed.postTranslate(10.f, 20.f, -3.f);
    placed.postRotate(45.f, 0.f, 0.f, 1.f);
    item = layout(*ab, placed);
    EXPECT_EQ(std::vector<int>(item->positionCoords.begin(), item->positionCoords.begin() + 6),
              (std::vector<int>{320, 640, -96, 576, 640, -96}));
    // The outline: A's lower and upper left, B's upper and lower right.
    const int* outline = ab->getPickingPositions();
    EXPECT_EQ(std::vector<int>(outline, outline + 12),
              (std::vector<int>{320, 640, -96, 320, 896, -96, 832, 896, -96, 832, 640, -96}));
}

TEST_F(Text3DTest, LineBreaksWrappingAndSizes)
{
    // LF, CR LF and CR each start a line 8 pixels lower.
    Ref<Text3D> lines = text("AB\nC\r\nD\rE");
    Ref<BatcherItem> item = layout(*lines);
    ASSERT_EQ(item->getVertexCount(), 5 * 4);
    EXPECT_EQ(origin(*item, 2), std::make_pair(0, -8 * 32));
    EXPECT_EQ(origin(*item, 3), std::make_pair(0, -16 * 32));
    EXPECT_EQ(origin(*item, 4), std::make_pair(0, -24 * 32));
    EXPECT_TRUE(lines->getTextSize() == slmath::vec2(16.f, 32.f));

    // Each line is aligned on its own.
    lines->setAlignment(Text3D::ALIGN_RIGHT);
    item = layout(*lines);
    EXPECT_EQ(origin(*item, 0).first, -16 * 32);
    EXPECT_EQ(origin(*item, 2).first, -8 * 32);

    // Wrapped at 20 units: "AB CD AB" breaks at the blanks, which vanish.
    Ref<Text3D> wrapped = text("AB CD AB");
    wrapped->setWrapWidth(20.f);
    item = layout(*wrapped);
    ASSERT_EQ(item->getVertexCount(), 6 * 4);
    EXPECT_EQ(origin(*item, 2), std::make_pair(0, -8 * 32));
    EXPECT_EQ(origin(*item, 3), std::make_pair(8 * 32, -8 * 32));
    EXPECT_EQ(origin(*item, 4), std::make_pair(0, -16 * 32));
    EXPECT_TRUE(wrapped->getTextSize() == slmath::vec2(16.f, 24.f));
    // A word wider than the line is cut where it passes it.
    wrapped->setText("ABCDE");
    item = layout(*wrapped);
    EXPECT_EQ(origin(*item, 2), std::make_pair(0, -8 * 32));
    EXPECT_EQ(origin(*item, 4), std::make_pair(0, -16 * 32));
    // The wrap width is in text units: with zoom 2 it holds half the pixels.
    font->setZoom(2.f, 2.f);
    wrapped->setWrapWidth(40.f);
    EXPECT_EQ(wrapped->getWrapWidthInFontPixels(), 20);
    font->setZoom(1.f, 1.f);

    // Height: the tallest glyph of the text, plus a line height per break.
    font->setCharSize('C', 16, 0, 8, 6);
    font->setCharSize('B', 8, 0, 4, 8);
    EXPECT_TRUE(text("C")->getTextSize() == slmath::vec2(8.f, 6.f));
    EXPECT_TRUE(text("CB")->getTextSize() == slmath::vec2(12.f, 8.f));
    EXPECT_TRUE(text("C\nC")->getTextSize() == slmath::vec2(8.f, 14.f));
    EXPECT_TRUE(text("")->getTextSize() == slmath::vec2(0.f, 0.f));
    EXPECT_EQ(layout(*text(""))->getVertexCount(), 0);
}

TEST_F(Text3DTest, MissingCharactersFailOrAreLeftOut)
{
    Ref<Text3D> mixed = text("AxB");
    EXPECT_EQ(fontError([&] { layout(*mixed); }),
              "Can not render text. Your font file does not support these characters?");
    EXPECT_EQ(fontError([&] { mixed->getTextSize(); }),
              "Can not render text. Your font file does not support these characters?");
    mixed->setSkipUnmappedCharacters(true);
    Ref<BatcherItem> item = layout(*mixed);
    EXPECT_EQ(item->getVertexCount(), 8);
    EXPECT_EQ(item->indices.size(), 12);
    EXPECT_EQ(item->colors.size(), 32);
    EXPECT_EQ(origin(*item, 1).first, 8 * 32);
    EXPECT_TRUE(mixed->getTextSize() == slmath::vec2(16.f, 8.f));

    // The built-in font has A diaeresis (C4) but not its lower case (E4).
    Ref<Font2D> builtIn = Font2D::createNewFont();
    Ref<Text3D> upper = VORNA3D_NEW Text3D(builtIn.get());
    upper->setText("\xC4");
    EXPECT_EQ(layout(*upper)->getVertexCount(), 4);
    upper->setText("\xE4");
    EXPECT_EQ(fontError([&] { layout(*upper); }),
              "Can not render text. Your font file does not support these characters?");
}

TEST_F(Text3DTest, PixelSizeUnderPerspectiveAndTheRest)
{
    // fovy 90, aspect 4/3, viewport 320, depth 10: tan 45 x 10 x 2/320 x 4/3
    // = 1/12 unit per font pixel.
    Ref<Camera> perspective = VORNA3D_NEW Camera();
    perspective->setPerspective(90.f, 4.f / 3.f, 1.f, 100.f);
    g3d->setCamera(perspective.get(), Transform());
    Ref<Text3D> a = text("A");
    Transform deep;
    deep.postTranslate(0.f, 0.f, -10.f);
    Transform final;
    a->calcFinalTransform(&deep, &g3d->getViewTransform(), &g3d->getCameraTransform(), &final, perspective.get());
    EXPECT_TRUE(near(apply(final, 12.f, 0.f, 0.f), slmath::vec4(1.f, 0.f, -10.f, 1.f), 1e-5f));
    a->setFixedSize(true);
    a->calcFinalTransform(&deep, &g3d->getViewTransform(), &g3d->getCameraTransform(), &final, perspective.get());
    EXPECT_TRUE(near(apply(final, 12.f, 0.f, 0.f), slmath::vec4(12.f, 0.f, -10.f, 1.f)));

    EXPECT_EQ(assertionText([] { Text3D t(nullptr); }), "Can not create a Text3D because font parameter is 0");
    EXPECT_EQ(assertionText([&] { a->setFont(nullptr); }), "Text3D setFont failed because font parameter is 0");
    Ref<Text3D> fresh = VORNA3D_NEW Text3D(font);
    EXPECT_STREQ(fresh->getText().getASCII(), " ");
    // Texts share one appearance; one of their own is duplicated with them.
    EXPECT_EQ(fresh->getAppearance(), a->getAppearance());
    Ref<Appearance> own = VORNA3D_NEW Appearance();
    a->setAppearance(own.get());
    a->setColor(0x12345678);
    a->setAlignment(Text3D::ALIGN_CENTER);
    Ref<Text3D> copy = a->duplicate();
    EXPECT_NE(copy->getAppearance(), own.get());
    EXPECT_NE(copy->getAppearance(), nullptr);
    EXPECT_EQ(copy->getColor(), 0x12345678u);
    EXPECT_EQ(copy->getAlignment(), Text3D::ALIGN_CENTER);
    EXPECT_TRUE(copy->isFixedSize());
    EXPECT_STREQ(copy->getText().getASCII(), "A");
}

TEST_F(FlippedText3DTest, FlipYSwapsTheRowsOfTheCoordinates)
{
    Ref<Text3D> a = text("A");
    Ref<BatcherItem> item = layout(*a);
    EXPECT_EQ(elements(item->textureCoords), (std::vector<short>{0, 0, 8, 0, 8, 32, 0, 32}));
    // The renderer's debug text grows downwards under a flipped camera.
    EXPECT_TRUE(g3d->getDebugText3D()->getTextScale() == slmath::vec2(1.f, -1.f));
}

} // namespace
