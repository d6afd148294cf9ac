// The headless renderer the tools, tests and benchmarks share: configured on
// a windowless display it reports its fixed device limits, makes textures
// that scene objects can hold, and runs whole frames (a World with a mesh,
// a sprite through the dynamic buffers, debug text, the statistics overlay)
// without a graphics context. EngineTest's pool check makes each test a
// leak test as well.

#include <gtest/gtest.h>

#include "HAL/Display.h"
#include "core/Globals.h"
#include "core/Ref.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/Image2D.h"
#include "render/NullGraphics3D.h"
#include "render/scene/Sprite3D.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/World.h"
#include "tests/render/SceneTestSupport.h"
#include "tests/support/EngineTest.h"

using core::Ref;
using namespace render;

namespace {

class NullGraphics3DTest : public testing_support::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        g3d = VORNA3D_NEW NullGraphics3D();
        g3d->addRef();
        g3d->registerInstance();
        HAL::DisplayConfig displayConfig;
        displayConfig.width = 320;
        displayConfig.height = 240;
        display = HAL::Display::createWindowless(displayConfig);
        display->addRef();
    }

    void TearDown() override
    {
        if (core::Globals::exists()) {
            core::Globals::get()->m_g3d.clear();
            g3d->releaseRef();
            display->releaseRef();
        }
        EngineTest::TearDown();
    }

    NullGraphics3D* g3d = nullptr; // held with addRef
    HAL::Display* display = nullptr; // held with addRef
};

TEST_F(NullGraphics3DTest, ConfiguresWithItsLimitsAndMakesStateOnlyTextures)
{
    EXPECT_EQ(Graphics3D::getInstance(), g3d);
    g3d->configGraphics3D(display, Graphics3DConfig());

    const Graphics3DProperties& p = g3d->getProperties();
    EXPECT_EQ(p.maxViewportWidth, NullGraphics3D::MAX_VIEWPORT_SIZE);
    EXPECT_EQ(p.maxViewportHeight, NullGraphics3D::MAX_VIEWPORT_SIZE);
    EXPECT_EQ(p.maxViewportDimension, NullGraphics3D::MAX_VIEWPORT_SIZE);
    EXPECT_EQ(p.maxTextureDimension, NullGraphics3D::MAX_TEXTURE_SIZE);
    EXPECT_EQ(p.numTextureUnits, NullGraphics3D::TEXTURE_UNITS);
    EXPECT_EQ(g3d->getViewportWidth(), 320);
    EXPECT_EQ(g3d->getViewportHeight(), 240);
    EXPECT_EQ(g3d->getBackendType(), 0);

    // Every texture is a fresh object, a render target's as well; a sprite
    // made from an image holds one of them with that image.
    Ref<Texture2D> plain = g3d->createNewTexture(0, 0);
    Ref<Texture2D> target = g3d->createNewTexture(64, 64);
    ASSERT_TRUE(plain && target);
    EXPECT_NE(plain.get(), target.get());
    EXPECT_EQ(target->getImage(), nullptr);
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, 8, 8);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(image.get(), appearance.get());
    ASSERT_NE(sprite->getTexture(), nullptr);
    EXPECT_EQ(sprite->getTexture()->getImage(), image.get());
}

TEST_F(NullGraphics3DTest, RunsFramesWithoutAContext)
{
    Graphics3DConfig config;
    config.showStatistics = true; // the overlay's text goes through the frame code too
    g3d->configGraphics3D(display, config);

    Ref<World> world = VORNA3D_NEW World();
    Ref<Camera> camera = VORNA3D_NEW Camera();
    camera->setPerspective(60.f, 320.f / 240.f, 0.1f, 100.f);
    camera->setTranslation(0.f, 0.f, 5.f);
    world->addChild(camera.get());
    world->setActiveCamera(camera.get());
    world->setBackground(Ref<Background>(VORNA3D_NEW Background()).get());
    world->addChild(render_test::unitQuad().get());
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, 8, 8);
    Ref<Sprite3D> sprite = VORNA3D_NEW Sprite3D(image.get(), Ref<Appearance>(VORNA3D_NEW Appearance()).get());
    world->addChild(sprite.get());

    for (int frame = 0; frame < 3; ++frame) {
        g3d->bindTarget(nullptr);
        g3d->render(Graphics3D::RENDER_ALL, world.get(), Transform());
        g3d->drawText("headless");
        g3d->releaseTarget();
    }
    EXPECT_EQ(g3d->getFrameCount(), 3);
    EXPECT_FALSE(g3d->isTargetBound());
    // The sprite and the text were batched and flushed in every frame.
    EXPECT_GE(g3d->getLastFrameStatistics().buffersUsed, 1);
}

} // namespace
