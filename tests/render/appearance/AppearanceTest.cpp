// Appearance and its components: the enumerations and range checks of each
// setter (a rejected value leaves the old one), stencil faces, background
// images and crops, duplication that owns new components, and the
// reference walk.

#include <gtest/gtest.h>

#include "core/Ref.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Image2D.h"
#include "render/appearance/Material.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Stencil.h"
#include "render/appearance/Texture2D.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/EngineTest.h"

using core::Ref;
using render::Appearance;
using render::Background;
using render::CompositingMode;
using render::Fog;
using render::Image2D;
using render::Material;
using render::PolygonMode;
using render::Stencil;
using render::Texture2D;
using render_test::failsWith;

namespace {

class AppearanceTest : public testing_support::EngineTest { };

} // namespace

TEST_F(AppearanceTest, CompositingModeRanges)
{
    Ref<CompositingMode> mode = VORNA3D_NEW CompositingMode();
    EXPECT_EQ(mode->getBlending(), CompositingMode::REPLACE);
    EXPECT_EQ(mode->getAlphaTest(), CompositingMode::GEQUAL);
    EXPECT_EQ(mode->getDepthFunction(), CompositingMode::LEQUAL);
    EXPECT_EQ(mode->getBlendColor(), 0xFFFFFFFFu);
    EXPECT_TRUE(mode->isDepthTestEnabled() && mode->isDepthWriteEnabled() && mode->isColorWriteEnabled() &&
                mode->isAlphaWriteEnabled());
    EXPECT_EQ(mode->getStencil(), nullptr);

    mode->setBlending(64);
    mode->setBlending(72); // the engine's SCREEN
    EXPECT_TRUE(failsWith([&] { mode->setBlending(73); }, "setBlending failed because mode is illegal",
                          "render::CompositingMode::setBlending"));
    EXPECT_TRUE(failsWith([&] { mode->setBlending(63); }, "setBlending failed because mode is illegal",
                          "render::CompositingMode::setBlending"));
    EXPECT_EQ(mode->getBlending(), CompositingMode::SCREEN);

    mode->setAlphaTest(519);
    EXPECT_TRUE(failsWith([&] { mode->setAlphaTest(512); }, "setAlphaTest failed because func is illegal.",
                          "render::CompositingMode::setAlphaTest"));
    EXPECT_EQ(mode->getAlphaTest(), 519);

    // Depth functions: never (512) to always (519), nothing else.
    mode->setDepthFunction(512);
    mode->setDepthFunction(519);
    EXPECT_TRUE(failsWith([&] { mode->setDepthFunction(520); }, "setDepthFunction failed because func is illegal.",
                          "render::CompositingMode::setDepthFunction"));
    EXPECT_TRUE(failsWith([&] { mode->setDepthFunction(0); }, "setDepthFunction failed because func is illegal.",
                          "render::CompositingMode::setDepthFunction"));
    EXPECT_EQ(mode->getDepthFunction(), 519);

    mode->setAlphaThreshold(1.0f);
    EXPECT_TRUE(failsWith([&] { mode->setAlphaThreshold(1.0001f); }, " (threshold >= 0.0f) && (threshold <= 1.0f) ",
                          "render::CompositingMode::setAlphaThreshold"));
    EXPECT_FLOAT_EQ(mode->getAlphaThreshold(), 1.f);
}

TEST_F(AppearanceTest, StencilFaces)
{
    Ref<Stencil> stencil = VORNA3D_NEW Stencil();
    Stencil::funcRefMaskOps face{};
    stencil->getStencil(Stencil::BACK, &face);
    EXPECT_EQ(face.func, Stencil::ALWAYS);
    EXPECT_EQ(face.mask, 0xFFFFFFFFu);
    EXPECT_EQ(face.depthPassOp, Stencil::OP_KEEP);

    stencil->setStencilFunc(Stencil::FRONT, Stencil::EQUAL, 3, 0xF0);
    stencil->setStencilOps(Stencil::FRONT | Stencil::BACK, Stencil::OP_ZERO, Stencil::OP_INCR, Stencil::OP_REPLACE);
    stencil->getStencil(Stencil::FRONT, &face);
    EXPECT_EQ(face.func, Stencil::EQUAL);
    EXPECT_EQ(face.ref, 3);
    EXPECT_EQ(face.mask, 0xF0u);
    EXPECT_EQ(face.stencilFailOp, Stencil::OP_ZERO);
    EXPECT_EQ(face.depthFailOp, Stencil::OP_INCR);
    EXPECT_EQ(face.depthPassOp, Stencil::OP_REPLACE);
    stencil->getStencil(Stencil::BACK, &face);
    EXPECT_EQ(face.func, Stencil::ALWAYS); // the function was set on the front only
    EXPECT_EQ(face.depthPassOp, Stencil::OP_REPLACE);

    EXPECT_TRUE(failsWith([&] { stencil->getStencil(Stencil::FRONT, nullptr); },
                          "getStencil failed because funcRefMaskOps is 0", "render::Stencil::getStencil"));
    EXPECT_TRUE(failsWith([&] { stencil->getStencil(Stencil::FRONT | Stencil::BACK, &face); },
                          "getStencil failed. invalid face parameter", "render::Stencil::getStencil"));
    EXPECT_TRUE(failsWith([&] { stencil->setStencilFunc(Stencil::FRONT, 520, 0, 0); },
                          "setStencilFunc failed because func is illegal.", "render::Stencil::setStencilFunc"));
    EXPECT_TRUE(failsWith([&] { stencil->setStencilOps(0, Stencil::OP_KEEP, Stencil::OP_KEEP, Stencil::OP_KEEP); },
                          "setStencilOps failed. invalid face parameter", "render::Stencil::setStencilOps"));
    EXPECT_TRUE(failsWith([&] { stencil->setStencilOps(Stencil::BACK, 7, Stencil::OP_KEEP, Stencil::OP_KEEP); },
                          "setStencilOps failed because operation is illegal.", "render::Stencil::setStencilOps"));
}

TEST_F(AppearanceTest, PolygonModeMaterialAndFogRanges)
{
    Ref<PolygonMode> polygon = VORNA3D_NEW PolygonMode();
    EXPECT_EQ(polygon->getCulling(), PolygonMode::CULL_BACK);
    EXPECT_EQ(polygon->getShading(), PolygonMode::SHADE_SMOOTH);
    EXPECT_EQ(polygon->getWinding(), PolygonMode::WINDING_CCW);
    polygon->setCulling(PolygonMode::CULL_NONE);
    EXPECT_TRUE(failsWith([&] { polygon->setCulling(163); },
                          " mode == CULL_BACK || mode == CULL_FRONT || mode == CULL_NONE ",
                          "render::PolygonMode::setCulling"));
    EXPECT_TRUE(failsWith([&] { polygon->setShading(166); }, " mode == SHADE_FLAT || mode == SHADE_SMOOTH ",
                          "render::PolygonMode::setShading"));
    EXPECT_TRUE(failsWith([&] { polygon->setWinding(167); }, " mode == WINDING_CCW || mode == WINDING_CW ",
                          "render::PolygonMode::setWinding"));
    EXPECT_EQ(polygon->getCulling(), PolygonMode::CULL_NONE);

    Ref<Material> material = VORNA3D_NEW Material();
    EXPECT_EQ(material->getColor(Material::AMBIENT), 0x00333333u);
    EXPECT_EQ(material->getColor(Material::DIFFUSE), 0xFFCCCCCCu);
    // One call sets several colours; only the diffuse keeps its alpha.
    material->setColor(Material::DIFFUSE | Material::SPECULAR, 0x80112233u);
    EXPECT_EQ(material->getColor(Material::DIFFUSE), 0x80112233u);
    EXPECT_EQ(material->getColor(Material::SPECULAR), 0x00112233u);
    EXPECT_EQ(material->getColor(Material::AMBIENT), 0x00333333u);
    EXPECT_TRUE(failsWith([&] { material->getColor(Material::AMBIENT | Material::DIFFUSE); },
                          "IllegalArgumentException", "render::Material::getColor"));
    EXPECT_TRUE(failsWith([&] { material->setColor(0, 0); }, "IllegalArgumentException", "render::Material::setColor"));
    material->setShininess(128.f);
    EXPECT_TRUE(failsWith([&] { material->setShininess(128.5f); }, "IllegalArgumentException",
                          "render::Material::setShininess"));
    EXPECT_FLOAT_EQ(material->getShininess(), 128.f);

    Ref<Fog> fog = VORNA3D_NEW Fog();
    EXPECT_EQ(fog->getMode(), Fog::LINEAR);
    EXPECT_FLOAT_EQ(fog->getFarDistance(), 1.f);
    fog->setMode(Fog::EXPONENTIAL);
    EXPECT_TRUE(failsWith([&] { fog->setMode(82); }, "IllegalArgumentException", "render::Fog::setMode"));
    EXPECT_TRUE(failsWith([&] { fog->setDensity(0.f); }, "IllegalArgumentException", "render::Fog::setDensity"));
    fog->setDensity(0.5f);
    EXPECT_FLOAT_EQ(fog->getDensity(), 0.5f);
    fog->setColor(0xFF405060u);
    EXPECT_EQ(fog->getColor(), 0x00405060u);
}

TEST_F(AppearanceTest, BackgroundImageAndCrop)
{
    Ref<Background> background = VORNA3D_NEW Background();
    EXPECT_EQ(background->getColor(), 0u);
    EXPECT_TRUE(background->isColorClearEnabled() && background->isDepthClearEnabled());
    EXPECT_EQ(background->getImageModeX(), Background::BORDER);

    Ref<Image2D> luminance = VORNA3D_NEW Image2D(Image2D::LUMINANCE, 8, 8);
    EXPECT_TRUE(failsWith([&] { background->setImage(luminance.get()); }, "IllegalArgumentException",
                          "render::Background::setImage"));
    EXPECT_EQ(background->getImage(), nullptr);

    background->setCrop(5, 6, 7, 8);
    Ref<Image2D> rgb = VORNA3D_NEW Image2D(Image2D::RGB, 64, 32);
    background->setImage(rgb.get());
    EXPECT_EQ(background->getCropX(), 0);
    EXPECT_EQ(background->getCropWidth(), 64);
    EXPECT_EQ(background->getCropHeight(), 32);

    EXPECT_TRUE(failsWith([&] { background->setCrop(0, 0, -1, 4); }, "IllegalArgumentException",
                          "render::Background::setCrop"));
    EXPECT_TRUE(failsWith([&] { background->setImageMode(Background::REPEAT, 34); }, "IllegalArgumentException",
                          "render::Background::setImageMode"));
    background->setImageMode(Background::REPEAT, Background::BORDER);
    background->setCrop(-3, 2, 10, 10); // the origin may be anywhere
    background->setColorClearEnable(false);

    Ref<Background> copy = background->duplicate();
    EXPECT_EQ(copy->getImage(), rgb.get()); // shared
    EXPECT_EQ(copy->getCropX(), -3);
    EXPECT_EQ(copy->getImageModeX(), Background::REPEAT);
    EXPECT_FALSE(copy->isColorClearEnabled());
    core::Vector<render::Object3D*> refs;
    EXPECT_EQ(copy->getReferences(&refs), 1);

    background->setImage(nullptr);
    EXPECT_EQ(background->getImage(), nullptr);
}

TEST_F(AppearanceTest, DuplicateOwnsNewComponents)
{
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setLayer(63);
    appearance->setLayer(-63);
    EXPECT_TRUE(
        failsWith([&] { appearance->setLayer(64); }, " layer >= -63 && layer <= 63 ", "render::Appearance::setLayer"));
    EXPECT_TRUE(
        failsWith([&] { appearance->setLayer(-64); }, " layer >= -63 && layer <= 63 ", "render::Appearance::setLayer"));
    EXPECT_EQ(appearance->getLayer(), -63);

    Ref<Material> material = VORNA3D_NEW Material();
    Ref<CompositingMode> compositing = VORNA3D_NEW CompositingMode();
    Ref<Stencil> stencil = VORNA3D_NEW Stencil();
    compositing->setStencil(stencil.get());
    Ref<Fog> fog = VORNA3D_NEW Fog();
    Ref<PolygonMode> polygon = VORNA3D_NEW PolygonMode();
    Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, 4, 4);
    Ref<Texture2D> textured = VORNA3D_NEW Texture2D(image.get());
    Ref<Texture2D> blank = VORNA3D_NEW Texture2D(nullptr);
    appearance->setMaterial(material.get());
    appearance->setCompositingMode(compositing.get());
    appearance->setFog(fog.get());
    appearance->setPolygonMode(polygon.get());
    appearance->setTexture(0, textured.get());
    appearance->setTexture(2, blank.get());
    EXPECT_EQ(appearance->getTextureCount(), 3);
    EXPECT_EQ(appearance->getTexture(1), nullptr);
    EXPECT_EQ(appearance->getTexture(7), nullptr);
    EXPECT_TRUE(failsWith([&] { appearance->setTexture(8, blank.get()); }, " unit >= 0 && unit < MAX_TEXTURE_UNITS ",
                          "render::Appearance::setTexture"));

    Ref<Appearance> copy = appearance->duplicate();
    EXPECT_EQ(copy->getLayer(), -63);
    ASSERT_NE(copy->getMaterial(), nullptr);
    EXPECT_NE(copy->getMaterial(), material.get());
    EXPECT_NE(copy->getCompositingMode(), compositing.get());
    ASSERT_NE(copy->getCompositingMode()->getStencil(), nullptr);
    EXPECT_NE(copy->getCompositingMode()->getStencil(), stencil.get());
    EXPECT_NE(copy->getFog(), fog.get());
    EXPECT_NE(copy->getPolygonMode(), polygon.get());
    // A texture with an image is duplicated (image too), one without is shared.
    ASSERT_NE(copy->getTexture(0), nullptr);
    EXPECT_NE(copy->getTexture(0), textured.get());
    EXPECT_NE(copy->getTexture(0)->getImage(), image.get());
    EXPECT_EQ(copy->getTexture(1), nullptr);
    EXPECT_EQ(copy->getTexture(2), blank.get());

    copy->getMaterial()->setColor(Material::DIFFUSE, 0xFF0000FFu);
    EXPECT_EQ(material->getColor(Material::DIFFUSE), 0xFFCCCCCCu);

    // Compositing mode, material, polygon mode, fog, then the textures.
    core::Vector<render::Object3D*> refs;
    EXPECT_EQ(appearance->getReferences(nullptr), 6);
    EXPECT_EQ(appearance->getReferences(&refs), 6);
    EXPECT_EQ(render_test::elements(refs),
              (std::vector<render::Object3D*>{compositing.get(), material.get(), polygon.get(), fog.get(),
                                              textured.get(), blank.get()}));
    refs.clear();
    EXPECT_EQ(textured->getReferences(&refs), 1);
    EXPECT_TRUE(failsWith([&] { Ref<Texture2D> t = blank->duplicate(); },
                          "can not duplicate Texture2D because source texture does not have an image",
                          "render::Texture2D::Texture2D"));
}
