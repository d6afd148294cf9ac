// Sprite3D: the quad each sprite type writes into a batch item (corners
// with rotation and scale, texture coordinates in texels, flipped rows),
// crops cut at the texture's edges, the crop limit in 64 bits, and the
// render-time checks. Expected corners are worked out by hand from the
// 64 x 32 texel quad, corners (+-32, +-16) before scale and placement.

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "render/appearance/Appearance.h"
#include "render/DynamicBuffer.h"
#include "render/Graphics3D.h"
#include "render/scene/Sprite3D.h"
#include "tests/render/BatchTestSupport.h"

using core::Ref;
using namespace render;
using namespace render_test;

namespace {

class Sprite3DTest : public BatchTest {
protected:
    // The item `sprite` writes when placed by `transform`.
    Ref<BatcherItem> fill(Sprite3D& sprite, const Transform& transform, int firstVertex = 0)
    {
        Ref<BatcherItem> item = VORNA3D_NEW BatcherItem();
        EXPECT_TRUE(sprite.renderNodeToBatcher(firstVertex, item.get(), &transform));
        return item;
    }

    static std::vector<int> xy(const BatcherItem& item)
    {
        std::vector<int> result;
        for (int v = 0; v < item.getVertexCount(); ++v) {
            result.push_back(item.positionCoords[v * 3]);
            result.push_back(item.positionCoords[v * 3 + 1]);
        }
        return result;
    }
};

class FlippedSprite3DTest : public Sprite3DTest {
protected:
    void adjust(Graphics3DConfig& config) override { config.flipY = true; }
};

// A 320 x 240 picture of its own, shown in a window of any size.
class PictureSprite3DTest : public Sprite3DTest {
protected:
    void adjustDisplay(HAL::DisplayConfig& config) override
    {
        config.pictureWidth = kWidth;
        config.pictureHeight = kHeight;
    }
};

TEST_F(Sprite3DTest, LocalPlaneQuadWithRotationScaleAndTexelCoordinates)
{
    Ref<Texture2D> tex = texture(64, 32);
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(tex.get());
    EXPECT_EQ(sprite->getCropWidth(), 64);
    EXPECT_EQ(sprite->getCropHeight(), 32);
    EXPECT_FLOAT_EQ(sprite->getTexelAspect(), 2.f);
    EXPECT_FLOAT_EQ(sprite->getTextureCoordScale(), 1.f / 64.f);
    EXPECT_EQ(sprite->getSpriteType(), Sprite3D::LOCAL_PLANE);

    Ref<BatcherItem> item = fill(*sprite, Transform(), 8);
    EXPECT_EQ(xy(*item), (std::vector<int>{1024, -512, -1024, -512, -1024, 512, 1024, 512}));
    EXPECT_EQ(elements(item->textureCoords), (std::vector<short>{64, 64, 0, 64, 0, 0, 64, 0}));
    EXPECT_EQ(elements(item->indices), (std::vector<unsigned short>{8, 11, 9, 10, 9, 11}));
    EXPECT_FLOAT_EQ(item->textureCoordScale, 1.f / 64.f);

    // Node scale (2, 1, 1) widens the quad; a quarter turn about z maps
    // (x, y) to (-y, x): corner 0 (64, -16) goes to (16, 64).
    sprite->setScale(2.f, 1.f, 1.f);
    Transform turned;
    turned.postRotate(90.f, 0.f, 0.f, 1.f);
    item = fill(*sprite, turned);
    EXPECT_TRUE(near(sprite->getCornerPoint(0), slmath::vec4(16.f, 64.f, 0.f, 1.f), 1e-4f));
    EXPECT_TRUE(near(sprite->getCornerPoint(1), slmath::vec4(16.f, -64.f, 0.f, 1.f), 1e-4f));
    EXPECT_TRUE(near(sprite->getCornerPoint(2), slmath::vec4(-16.f, -64.f, 0.f, 1.f), 1e-4f));
    // The normal turns with the quad: still +z.
    EXPECT_EQ(elements(item->normals), (std::vector<short>{0, 0, 32767, 0, 0, 32767, 0, 0, 32767, 0, 0, 32767}));

    // Corners follow the transform of every render (nothing is cached).
    Transform moved;
    moved.postTranslate(3.f, 0.f, 0.f);
    fill(*sprite, moved);
    EXPECT_TRUE(near(sprite->getCornerPoint(0), slmath::vec4(67.f, -16.f, 0.f, 1.f), 1e-4f));
}

TEST_F(Sprite3DTest, CameraFacingTypesTakeTheCamerasAxesAndPixelScale)
{
    Ref<Texture2D> tex = texture(64, 32);
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(tex.get());
    sprite->setSpriteType(Sprite3D::FACING_CAMERA);
    // The camera turned a quarter about y: its x axis is world -z.
    Transform cameraPlace;
    cameraPlace.postTranslate(0.f, 0.f, 50.f);
    cameraPlace.postRotate(90.f, 0.f, 1.f, 0.f);
    g3d->setCamera(camera, cameraPlace);
    // The sprite's own rotation is ignored; its position counts.
    Transform placed;
    placed.postTranslate(5.f, 0.f, 0.f);
    placed.postRotate(33.f, 1.f, 0.f, 0.f);
    fill(*sprite, placed);
    EXPECT_TRUE(near(sprite->getCornerPoint(0), slmath::vec4(5.f, -16.f, -32.f, 1.f), 1e-4f));
    EXPECT_TRUE(near(sprite->getCornerPoint(2), slmath::vec4(5.f, 16.f, 32.f, 1.f), 1e-4f));

    // Pixel size under a perspective camera: fovy 90, aspect 4/3, viewport
    // 320 wide, depth 10: 2 x 10 x tan 45 x 4/3 / 320 = 1/12 unit per texel.
    Ref<Camera> perspective = VORNA3D_NEW Camera();
    perspective->setPerspective(90.f, 4.f / 3.f, 1.f, 100.f);
    g3d->setCamera(perspective.get(), Transform());
    sprite->setSpriteType(Sprite3D::FACING_CAMERA_PIXELS);
    Transform deep;
    deep.postTranslate(0.f, 0.f, -10.f);
    fill(*sprite, deep);
    EXPECT_NEAR(sprite->getSpriteScale().x, 1.f / 12.f, 1e-5f);
    EXPECT_TRUE(near(sprite->getCornerPoint(1), slmath::vec4(-32.f / 12.f, -16.f / 12.f, -10.f, 1.f), 1e-4f));
    // Under a parallel camera it stays in its own plane at scale 1.
    g3d->setCamera(camera, Transform());
    fill(*sprite, deep);
    EXPECT_FLOAT_EQ(sprite->getSpriteScale().x, 1.f);
    EXPECT_TRUE(near(sprite->getCornerPoint(1), slmath::vec4(-32.f, -16.f, -10.f, 1.f)));

    sprite->setSpriteType(3);
    EXPECT_EQ(assertionText([&] { fill(*sprite, deep); }), "invalid Sprite3D type");
}

TEST_F(Sprite3DTest, CropsAreCutAtTheTextureEdgesMirroredAndInset)
{
    Ref<Texture2D> tex = texture(64, 32);
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(tex.get());

    // (48, 0, 32, 32) on a 64-wide texture: 16 texels remain, the quad is
    // centred as if 32 wide (x from -16 to 0), the coordinates end at 64.
    sprite->setCrop(48, 0, 32, 32);
    Ref<BatcherItem> item = fill(*sprite, Transform());
    EXPECT_EQ(xy(*item), (std::vector<int>{0, -512, -512, -512, -512, 512, 0, 512}));
    EXPECT_EQ(elements(item->textureCoords), (std::vector<short>{64, 64, 48, 64, 48, 0, 64, 0}));

    // A negative width mirrors: the same quad, coordinates running backwards.
    sprite->setCrop(64, 0, -64, 32);
    item = fill(*sprite, Transform());
    EXPECT_EQ(xy(*item), (std::vector<int>{1024, -512, -1024, -512, -1024, 512, 1024, 512}));
    EXPECT_EQ(elements(item->textureCoords), (std::vector<short>{0, 64, 64, 64, 64, 0, 0, 0}));

    // An odd height is centred and drawn as the next even size; the inset
    // moves every coordinate one texel inwards (rows times the aspect 2).
    sprite->setCrop(0, 1, 64, 31);
    sprite->setTexelInset(1);
    item = fill(*sprite, Transform());
    EXPECT_EQ(xy(*item), (std::vector<int>{1024, -512, -1024, -512, -1024, 512, 1024, 512}));
    EXPECT_EQ(elements(item->textureCoords), (std::vector<short>{63, 63, 1, 63, 1, 3, 63, 3}));

    // The limit is checked in 64 bits: with the default limit, INT_MAX, a
    // 32-bit x + width would wrap and pass.
    EXPECT_EQ(g3d->getProperties().maxSpriteCropDimension, INT_MAX);
    EXPECT_EQ(assertionText([&] { sprite->setCrop(1, 0, INT_MAX, 8); }),
              "Sprite3D setCrop failed. width or height parameter is too big");
    EXPECT_EQ(assertionText([&] { sprite->setCrop(0, INT_MAX, 8, 8); }),
              "Sprite3D setCrop failed. width or height parameter is too big");
    EXPECT_EQ(assertionText([&] { sprite->setCrop(0, 0, INT_MAX, 8); }), "");
}

TEST_F(FlippedSprite3DTest, FlipYSwapsTheRowsOfTheCoordinates)
{
    Ref<Texture2D> tex = texture(64, 32);
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(tex.get());
    EXPECT_EQ(sprite->getRenderFlags() & Node::FLAG_FLIP_Y, Node::FLAG_FLIP_Y);
    Ref<BatcherItem> item = fill(*sprite, Transform());
    EXPECT_EQ(elements(item->textureCoords), (std::vector<short>{64, 0, 0, 0, 0, 64, 64, 64}));
    EXPECT_EQ(xy(*item), (std::vector<int>{1024, -512, -1024, -512, -1024, 512, 1024, 512}));
}

TEST_F(Sprite3DTest, RenderChecksAndDuplicates)
{
    EXPECT_EQ(assertionText([] { Sprite3D sprite(static_cast<Texture2D*>(nullptr)); }),
              "Sprite3D constructor failed. texture parameter is 0");
    Ref<Texture2D> tex = texture(64, 32);
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(tex.get());
    sprite->setCrop(0, 0, 0, 32);
    g3d->render(Graphics3D::RENDER_ALL, sprite.get(), Transform());
    EXPECT_FALSE(g3d->getDynamicBuffer(0)->isInUse()); // an empty crop adds nothing

    sprite->setSpriteType(3);
    sprite->setCrop(0, 0, 64, 32);
    EXPECT_EQ(assertionText([&] { g3d->render(Graphics3D::RENDER_ALL, sprite.get(), Transform()); }),
              "invalid Sprite3D type");
    EXPECT_TRUE(g3d->getDynamicBuffer(0)->getBatcher()->isEmpty());

    g3d->setCamera(nullptr, Transform());
    sprite->setSpriteType(Sprite3D::LOCAL_PLANE);
    EXPECT_EQ(assertionText([&] { g3d->render(Graphics3D::RENDER_ALL, sprite.get(), Transform()); }), " cam ");

    // From an image: a texture of the renderer's, the given appearance.
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, 8, 4);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    Ref<Sprite3D> fromImage = VORNA3D_NEW Sprite3D(image.get(), appearance.get());
    EXPECT_EQ(fromImage->getTexture()->getImage(), image.get());
    EXPECT_EQ(fromImage->getCropWidth(), 8);
    fromImage->setCrop(1, 2, 3, 2);
    fromImage->setColor(0x80808080u);
    fromImage->setScale(2.f, 3.f, 1.f);
    Ref<Sprite3D> copy = fromImage->duplicate();
    EXPECT_EQ(copy->getTexture(), fromImage->getTexture());
    EXPECT_EQ(copy->getAppearance(), appearance.get());
    EXPECT_EQ(copy->getCropX(), 1);
    EXPECT_EQ(copy->getCropHeight(), 2);
    EXPECT_EQ(copy->getColor(), 0x80808080u);
    EXPECT_TRUE(copy->getScale() == slmath::vec3(2.f, 3.f, 1.f));
}

} // namespace

TEST_F(PictureSprite3DTest, PixelSpritesKeepTheirSizeInThePictureWhenTheWindowGrows)
{
    Ref<Texture2D> tex = texture(64, 32);
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(tex.get());
    sprite->setSpriteType(Sprite3D::FACING_CAMERA_PIXELS);
    Ref<Camera> perspective = VORNA3D_NEW Camera();
    perspective->setPerspective(90.f, 4.f / 3.f, 1.f, 100.f);
    g3d->setCamera(perspective.get(), Transform());
    Transform deep;
    deep.postTranslate(0.f, 0.f, -10.f);

    // As in the window-sized case: 2 x 10 x tan 45 x 4/3 / 320 = 1/12 unit
    // per texel, one texel on one picture pixel.
    fill(*sprite, deep);
    EXPECT_NEAR(sprite->getSpriteScale().x, 1.f / 12.f, 1e-5f);

    // Four times the pixels on the screen, and a 5:4 window with bars: the
    // sprite covers the same part of the picture.
    const int clients[][2] = {{1280, 960}, {1280, 1024}};
    for (const auto& client : clients) {
        display->handleEvent(HAL::OS_EVENT_SIZE_CHANGED, client[0], client[1]);
        g3d->resetGraphics3D();
        EXPECT_EQ(g3d->getViewportWidth(), kWidth);
        fill(*sprite, deep);
        EXPECT_NEAR(sprite->getSpriteScale().x, 1.f / 12.f, 1e-5f) << client[0] << " x " << client[1];
    }
}
