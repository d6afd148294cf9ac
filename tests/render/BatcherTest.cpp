// The Batcher on its own: the vertices sprites and lines leave in the
// merged mesh (fixed point, shift and scales, texture coordinates in
// texels, colours, index ranges), append versus rewrite, the 16-bit
// limits, the batch key and item reuse. Expected numbers are worked out by
// hand from the quad of a 64 x 32 texel sprite: corners (+-32, +-16),
// times 32 in fixed point.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/appearance/Appearance.h"
#include "render/text/Font2D.h"
#include "render/text/Font2DBitmap.h"
#include "render/scene/Sprite3D.h"
#include "render/text/Text3D.h"
#include "tests/render/BatchTestSupport.h"

using core::Ref;
using namespace render;
using namespace render_test;

namespace {

class BatcherTest : public BatchTest {
protected:
    // Adds `sprite` translated by (x, y, z) and merges.
    int addAt(Batcher& batcher, Sprite3D* sprite, float x, float y, float z)
    {
        Transform placed;
        placed.postTranslate(x, y, z);
        const int id = batcher.add(sprite, &placed);
        batcher.updateMesh();
        return id;
    }
};

TEST_F(BatcherTest, SpriteVerticesInFixedPointWithTexelCoordinatesAndIndexRanges)
{
    Ref<Texture2D> tex = texture(64, 32);
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(tex.get());
    sprite->setColor(0x11223344);
    Ref<Batcher> batcher = VORNA3D_NEW Batcher(false, false);

    EXPECT_EQ(addAt(*batcher, sprite.get(), 0.f, 0.f, 0.f), 0);
    // Corners 0..3: right-bottom, left-bottom, left-top, right-top, x 32.
    const std::vector<short> first = {1024, -512, 0, -1024, -512, 0, -1024, 512, 0, 1024, 512, 0};
    EXPECT_EQ(meshPositions(*batcher), first);
    EXPECT_EQ(batcher->getPositionShift(), 0);
    EXPECT_FLOAT_EQ(positionScale(*batcher), 1.f / 32.f);
    // u in texels, v in texels times the aspect 64 / 32; one scale 1 / 64.
    EXPECT_EQ(meshTexCoords(*batcher), (std::vector<short>{64, 64, 0, 64, 0, 0, 64, 0}));
    EXPECT_FLOAT_EQ(texCoordScale(*batcher), 1.f / 64.f);
    EXPECT_EQ(meshIndices(*batcher), (std::vector<unsigned short>{0, 3, 1, 2, 1, 3}));
    // 0xRRGGBBAA, most significant byte first, on every vertex.
    const std::vector<int> rgba = {0x11, 0x22, 0x33, 0x44};
    std::vector<int> colors;
    for (int v = 0; v < 4; ++v)
        colors.insert(colors.end(), rgba.begin(), rgba.end());
    EXPECT_EQ(meshColors(*batcher), colors);
    const std::vector<short> normals =
        elements(*batcher->getMesh()->getVertexBuffer()->getNormals()->getShortDataArrayPtr());
    EXPECT_EQ(normals, (std::vector<short>{0, 0, 32767, 0, 0, 32767, 0, 0, 32767, 0, 0, 32767}));

    // The second sprite's indices start at vertex 4; its positions are the
    // first's moved by 100 x 32.
    EXPECT_EQ(addAt(*batcher, sprite.get(), 100.f, 0.f, 0.f), 1);
    const std::vector<unsigned short> indices = meshIndices(*batcher);
    ASSERT_EQ(indices.size(), 12u);
    EXPECT_EQ(std::vector<unsigned short>(indices.begin() + 6, indices.end()),
              (std::vector<unsigned short>{4, 7, 5, 6, 5, 7}));
    const std::vector<short> positions = meshPositions(*batcher);
    ASSERT_EQ(positions.size(), 24u);
    EXPECT_EQ(positions[12], 1024 + 3200);
    EXPECT_EQ(positions[15], -1024 + 3200);
    EXPECT_EQ(batcher->getVertexCount(), 8);
    EXPECT_EQ(batcher->getIndexCount(), 12);
}

TEST_F(BatcherTest, ShiftRuleAndAppendVersusRewrite)
{
    Ref<Texture2D> tex = texture(64, 32);
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(tex.get());
    Ref<Batcher> batcher = VORNA3D_NEW Batcher(false, false);
    addAt(*batcher, sprite.get(), 0.f, 0.f, 0.f);
    EXPECT_EQ(batcher->getPositionShift(), 0);

    // A mark in the merged data: an append leaves merged items alone, a
    // rewrite writes every item again.
    core::Vector<short>& merged = *batcher->getMesh()->getVertexBuffer()->getPositions()->getShortDataArrayPtr();
    merged[0] = 7;
    addAt(*batcher, sprite.get(), 10.f, 0.f, 0.f);
    EXPECT_EQ(batcher->getPositionShift(), 0);
    EXPECT_EQ(meshPositions(*batcher)[0], 7);
    EXPECT_EQ(meshPositions(*batcher)[12], (32 + 10) * 32);

    // x = 2000: corners reach (2000 + 32) x 32 = 65024, which needs one
    // bit of shift (32512); the scale becomes 2^(1 - 5) = 1/16 and every
    // item is rewritten with the shift.
    addAt(*batcher, sprite.get(), 2000.f, 0.f, 0.f);
    EXPECT_EQ(batcher->getPositionShift(), 1);
    EXPECT_FLOAT_EQ(positionScale(*batcher), 1.f / 16.f);
    std::vector<short> positions = meshPositions(*batcher);
    EXPECT_EQ(positions[0], 1024 >> 1);
    EXPECT_EQ(positions[12], (32 + 10) * 32 >> 1);
    EXPECT_EQ(positions[24], (2000 + 32) * 32 >> 1);
    EXPECT_EQ(positions[25], -512 >> 1);

    // A later small sprite is appended with the batch's shift.
    merged[0] = 9;
    addAt(*batcher, sprite.get(), -5.f, 0.f, 0.f);
    EXPECT_EQ(batcher->getPositionShift(), 1);
    positions = meshPositions(*batcher);
    EXPECT_EQ(positions[0], 9);
    EXPECT_EQ(positions[36], (32 - 5) * 32 >> 1);
    // Negative values shift arithmetically: -32768 needs a shift too.
    Ref<Batcher> low = VORNA3D_NEW Batcher(false, false);
    addAt(*low, sprite.get(), -992.f, 0.f, 0.f); // left edge at -1024 x 32 = -32768
    EXPECT_EQ(low->getPositionShift(), 1);
    EXPECT_EQ(meshPositions(*low)[3], -32768 >> 1);
}

TEST_F(BatcherTest, SixteenBitLimitsRefuseObjectsThatDoNotFit)
{
    Ref<Font2D> font = Font2D::createNewFont();
    Ref<Text3D> text = VORNA3D_NEW Text3D(font.get());
    // 10922 glyphs: 43688 vertices, 65532 indices, the most that fit.
    std::string many(10922, 'A');
    text->setText(many.c_str());
    Ref<Batcher> batcher = VORNA3D_NEW Batcher(false, false);
    EXPECT_TRUE(batcher->canIAddThisObject(text.get()));
    const Transform identity;
    batcher->add(text.get(), &identity);
    EXPECT_EQ(batcher->getIndexCount(), 65532);

    // One more glyph would need index 65538: refused, and a direct add fails.
    text->setText("A");
    EXPECT_FALSE(batcher->canIAddThisObject(text.get()));
    EXPECT_EQ(assertionText([&] { batcher->add(text.get(), &identity); }),
              "Batcher : too many items. Did you forget clear?");
    batcher->updateMesh();
    EXPECT_EQ(static_cast<int>(meshIndices(*batcher).size()), 65532);
    EXPECT_EQ(meshIndices(*batcher).back(), 43688 - 1);

    // An empty batcher takes it; a text of 10923 glyphs fits no batch.
    batcher->clear();
    EXPECT_TRUE(batcher->canIAddThisObject(text.get()));
    text->setText(std::string(10923, 'A').c_str());
    EXPECT_FALSE(batcher->canIAddThisObject(text.get()));

    // Lines: 2 vertices and 2 indices each, up to 65535 indices.
    Ref<Batcher> lines = VORNA3D_NEW Batcher(false, false);
    for (int i = 0; i < 32767; ++i)
        lines->addLine(slmath::vec3(0.f, 0.f, 0.f), slmath::vec3(1.f, 0.f, 0.f));
    EXPECT_FALSE(lines->canAddLine());
    EXPECT_EQ(assertionText([&] { lines->addLine(slmath::vec3(), slmath::vec3()); }),
              "Batcher : too many items. Did you forget clear?");
}

TEST_F(BatcherTest, BatchKeyLinesAndItemReuse)
{
    Ref<Texture2D> tex = texture(64, 32);
    Ref<Texture2D> other = texture(16, 16);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    Ref<Sprite3D> a = VORNA3D_NEW Sprite3D(tex.get());
    Ref<Sprite3D> b = VORNA3D_NEW Sprite3D(tex.get());
    Ref<Sprite3D> otherTexture = VORNA3D_NEW Sprite3D(other.get());
    Ref<Sprite3D> otherAppearance = VORNA3D_NEW Sprite3D(tex.get());
    otherAppearance->setAppearance(appearance.get());
    Ref<Batcher> batcher = VORNA3D_NEW Batcher(false, false);
    const Transform identity;

    EXPECT_EQ(batcher->add(a.get(), &identity), 0);
    EXPECT_TRUE(batcher->canIAddThisObject(b.get()));
    EXPECT_FALSE(batcher->canIAddThisObject(otherTexture.get()));
    EXPECT_FALSE(batcher->canIAddThisObject(otherAppearance.get()));
    EXPECT_EQ(assertionText([&] { batcher->add(otherTexture.get(), &identity); }),
              "You can not add this sprite to this Batcher");
    EXPECT_EQ(batcher->add(b.get(), &identity), 1);
    EXPECT_EQ(batcher->getTexture(), tex.get());
    EXPECT_EQ(batcher->getItemAppearance(), nullptr);

    // Cleared: the items stay for reuse, from id 0; the key is forgotten.
    batcher->clear();
    EXPECT_EQ(batcher->getItemCount(), 2);
    EXPECT_TRUE(batcher->isEmpty());
    EXPECT_EQ(batcher->getTexture(), nullptr);
    EXPECT_EQ(batcher->add(otherAppearance.get(), &identity), 0);
    EXPECT_EQ(batcher->getItemAppearance(), appearance.get());
    EXPECT_EQ(batcher->add(otherAppearance.get(), &identity), 1);
    EXPECT_EQ(batcher->add(otherAppearance.get(), &identity), 2);
    EXPECT_EQ(batcher->getItemCount(), 3);

    // A batcher holding sprites takes no lines; an idle one turns into a
    // line batcher for good.
    EXPECT_EQ(assertionText([&] { batcher->addLine(slmath::vec3(), slmath::vec3()); }),
              "You can not add lines because this Batcher is reserved");
    batcher->clear();
    batcher->addLine(slmath::vec3(1.f, 2.f, 3.f), slmath::vec3(4.f, 5.f, -6.5f));
    batcher->addLine(slmath::vec3(0.f, 0.f, 0.f), slmath::vec3(0.f, 1.f, 0.f), 0x10203040);
    batcher->updateMesh();
    EXPECT_TRUE(batcher->isLineBatcher());
    EXPECT_EQ(batcher->getMesh()->getIndexBuffer(0)->getPrimitiveType(), IndexBuffer::LINE_LIST);
    EXPECT_EQ(meshPositions(*batcher), (std::vector<short>{32, 64, 96, 128, 160, -208, 0, 0, 0, 0, 32, 0}));
    EXPECT_EQ(meshIndices(*batcher), (std::vector<unsigned short>{0, 1, 2, 3}));
    EXPECT_EQ(meshColors(*batcher),
              (std::vector<int>{255, 255, 0, 255, 255, 255, 0, 255, 0x10, 0x20, 0x30, 0x40, 0x10, 0x20, 0x30, 0x40}));
    EXPECT_EQ(batcher->getMesh()->getVertexBuffer()->getTexCoords(0, nullptr), nullptr);
    EXPECT_FALSE(batcher->canIAddThisObject(a.get()));
    batcher->clear();
    EXPECT_TRUE(batcher->isLineBatcher());
    EXPECT_FALSE(batcher->canIAddThisObject(a.get()));
}

TEST_F(BatcherTest, TextsWithoutNormalsShareABatchWithSprites)
{
    // A sprite on the font's texture with the texts' appearance joins the
    // texts' batch; its normals make the batch carry normals for every
    // vertex, the texts' set to +z, so that all arrays stay as long.
    Ref<Font2D> font = Font2D::createNewFont();
    Ref<Text3D> text = VORNA3D_NEW Text3D(font.get());
    text->setText("AB");
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(static_cast<Font2DBitmap*>(font.get())->getTexture());
    sprite->setAppearance(text->getAppearance());
    Ref<Batcher> batcher = VORNA3D_NEW Batcher(false, false);
    const Transform identity;
    batcher->add(text.get(), &identity);
    batcher->updateMesh();
    const core::Vector<short>& normals = *batcher->getMesh()->getVertexBuffer()->getNormals()->getShortDataArrayPtr();
    EXPECT_EQ(normals.size(), 0);
    ASSERT_TRUE(batcher->canIAddThisObject(sprite.get()));
    Transform turned;
    turned.postRotate(90.f, 0.f, 1.f, 0.f); // the sprite's normal: +x
    batcher->add(sprite.get(), &turned);
    batcher->add(text.get(), &identity);
    batcher->updateMesh();
    ASSERT_EQ(normals.size(), 20 * 3); // 8 + 4 + 8 vertices
    EXPECT_EQ(normals[0 * 3 + 2], 32767); // first text
    EXPECT_EQ(normals[8 * 3 + 0], 32767); // the sprite
    EXPECT_EQ(normals[12 * 3 + 2], 32767); // second text
    EXPECT_EQ(meshPositions(*batcher).size(), 20u * 3u);
    EXPECT_EQ(meshTexCoords(*batcher).size(), 20u * 2u);
}

TEST_F(BatcherTest, NodeThatFailsToFillItsItemLeavesTheBatchAsItWas)
{
    Ref<Font2D> font = Font2D::createNewFont();
    Ref<Text3D> text = VORNA3D_NEW Text3D(font.get());
    Ref<Batcher> batcher = VORNA3D_NEW Batcher(false, false);
    const Transform identity;
    text->setText("AB");
    batcher->add(text.get(), &identity);
    const int vertices = batcher->getVertexCount();
    EXPECT_EQ(vertices, 8);

    // Lower case is not in the built-in font: the item goes back unused.
    text->setText("Ab");
    EXPECT_EQ(fontError([&] { batcher->add(text.get(), &identity); }),
              "Can not render text. Your font file does not support these characters?");
    EXPECT_EQ(batcher->getVertexCount(), vertices);
    EXPECT_EQ(batcher->getLiveItemCount(), 1);
    batcher->updateMesh();
    EXPECT_EQ(meshIndices(*batcher).size(), 12u);
    // The freed item is the next one taken.
    text->setText("C");
    EXPECT_EQ(batcher->add(text.get(), &identity), 1);
    EXPECT_EQ(batcher->getItemCount(), 2);
}

} // namespace
