// Appearances to GL state on the recording back end: blending modes and the
// blend colour, alpha test, depth and masks, culling and the other polygon
// settings with their defaults, material, fog, texture environments,
// stencil faces, and the default state sent once per run of objects.

#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Material.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Stencil.h"
#include "render/appearance/Texture2D.h"
#include "tests/render/OGLES/OGLESTestSupport.h"

using namespace render;
using namespace render_test;

namespace {

class OGLESAppearanceTest : public OGLESTest {
protected:
    void SetUp() override
    {
        OGLESTest::SetUp();
        configure();
        core::Ref<VertexBuffer> v = triangleVertices();
        core::Ref<IndexBuffer> i = triangleIndices();
        vertices = v.get();
        vertices->addRef();
        indices = i.get();
        indices->addRef();
    }

    void TearDown() override
    {
        if (core::Globals::exists()) {
            vertices->releaseRef();
            indices->releaseRef();
        }
        OGLESTest::TearDown();
    }

    // Draws the triangle with `appearance` and returns nothing; g3d->ops holds this draw only.
    void drawWith(Appearance* appearance)
    {
        g3d->ops.clear();
        draw(vertices, indices, appearance);
    }

    static core::Ref<Appearance> with(CompositingMode* mode)
    {
        core::Ref<Appearance> appearance = VORNA3D_NEW Appearance();
        appearance->setCompositingMode(mode);
        return appearance;
    }

    static core::Ref<Appearance> with(PolygonMode* mode)
    {
        core::Ref<Appearance> appearance = VORNA3D_NEW Appearance();
        appearance->setPolygonMode(mode);
        return appearance;
    }

    // Held with addRef (Ref members would make the destructor throwing).
    VertexBuffer* vertices = nullptr;
    IndexBuffer* indices = nullptr;
};

TEST_F(OGLESAppearanceTest, EveryBlendingModeHasItsFactors)
{
    struct Case {
        int blending;
        int src;
        int dst;
    };
    const Case cases[] = {
        {CompositingMode::ALPHA, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
        {CompositingMode::ALPHA_ADD, GL_SRC_ALPHA, GL_ONE},
        {CompositingMode::MODULATE, GL_DST_COLOR, GL_ZERO},
        {CompositingMode::MODULATE_X2, GL_DST_COLOR, GL_SRC_COLOR},
        {CompositingMode::REPLACE, GL_ONE, GL_ZERO},
        {CompositingMode::ADDITIVE, GL_ONE, GL_ONE},
        {CompositingMode::ALPHA_DARKEN, GL_ZERO, GL_ONE_MINUS_SRC_ALPHA},
        {CompositingMode::PREMULTIPLIED_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA},
        {CompositingMode::SCREEN, GL_ONE, GL_ONE_MINUS_SRC_COLOR},
    };
    for (const Case& c : cases) {
        core::Ref<CompositingMode> mode = VORNA3D_NEW CompositingMode();
        mode->setBlending(c.blending);
        drawWith(with(mode.get()).get());
        EXPECT_EQ(g3d->named("sendBlending"), std::vector<std::string>{call("sendBlending", c.src, c.dst)})
            << "blending " << c.blending;
        // Blending stops with the draw.
        EXPECT_LT(g3d->indexOf(call("sendBlending", c.src, c.dst)), g3d->indexOf(call("endRender", 0)));
    }
    EXPECT_EQ(assertionText([] { ogles::blendFactors(73); }),
              "Graphics3D : handleAppearanceCompositingMode : blending is illegal");
}

TEST_F(OGLESAppearanceTest, BlendColourReplacesVertexColoursUnlessItIsOpaqueWhite)
{
    vertices->setColors(byteArray(4, {10, 20, 30, 40, 10, 20, 30, 40, 10, 20, 30, 40}).get());
    core::Ref<CompositingMode> plain = VORNA3D_NEW CompositingMode();
    core::Ref<CompositingMode> red = VORNA3D_NEW CompositingMode();
    red->setBlendColor(0x80FF0000u);

    // The default blend colour keeps the vertex colours.
    drawWith(with(plain.get()).get());
    EXPECT_TRUE(g3d->has(call("setColorPointer", true, 4, "ptr")));
    EXPECT_EQ(g3d->count("setColorPointer"), 1);
    EXPECT_EQ(g3d->count("sendColor"), 0);

    // Half-transparent red replaces them: array off, then the constant colour
    // (0x80 / 255 = 0.501961 alpha).
    drawWith(with(red.get()).get());
    const int off = g3d->indexOf(call("setColorPointer", false, 0, "null"));
    EXPECT_GT(off, g3d->indexOf(call("setColorPointer", true, 4, "ptr")));
    EXPECT_EQ(g3d->ops[off + 1], call("sendColor", 1.f, 0.f, 0.f, 128.f / 255.f));
    EXPECT_EQ(g3d->getConstantColor(), static_cast<int32_t>(0x80FF0000u));

    // The next object starts from white and its own vertex colours again.
    drawWith(with(plain.get()).get());
    EXPECT_LT(g3d->indexOf(call("sendColor", 1.f, 1.f, 1.f, 1.f)), g3d->indexOf(call("sendBlending", GL_ONE, GL_ZERO)));
    EXPECT_EQ(g3d->count("setColorPointer"), 1);
    EXPECT_EQ(g3d->getConstantColor(), -1);
}

TEST_F(OGLESAppearanceTest, AlphaThresholdDepthAndMasksWithTheirDefaults)
{
    core::Ref<CompositingMode> mode = VORNA3D_NEW CompositingMode();
    mode->setAlphaThreshold(0.5f);
    mode->setDepthFunction(CompositingMode::GREATER);
    mode->setDepthWriteEnable(false);
    mode->setColorWriteEnable(false);
    mode->setDepthOffset(0.f, 2.f);
    drawWith(with(mode.get()).get());
    // beginRender opens every draw with the test at 0; the mode raises it.
    EXPECT_LT(g3d->indexOf("beginRender()"), g3d->indexOf(call("sendAlphaThreshold", 0.5f)));
    EXPECT_TRUE(g3d->has(call("sendDepth", false, true, GL_GREATER)));
    EXPECT_TRUE(g3d->has(call("sendMasks", 0.f, 2.f, false, true)));

    // An object without a mode gets the defaults, the depth function included...
    drawWith(nullptr);
    EXPECT_TRUE(g3d->has(call("sendMasks", 0.f, 0.f, true, true)));
    EXPECT_TRUE(g3d->has(call("sendDepth", true, true, GL_LEQUAL)));
    EXPECT_EQ(g3d->count("sendAlphaThreshold"), 0);
    // ... once: the next one finds them in place.
    drawWith(nullptr);
    EXPECT_EQ(g3d->count("sendMasks"), 0);
    EXPECT_EQ(g3d->count("sendDepth"), 0);
    // Every draw resets the stencil test (and beginRender the alpha test).
    EXPECT_TRUE(g3d->has(call("sendStencil", false, 0, 0, 0, 0, 0, 0)));
}

TEST_F(OGLESAppearanceTest, CullingAndPolygonSettingsWithTheirDefaults)
{
    core::Ref<PolygonMode> mode = VORNA3D_NEW PolygonMode();
    mode->setCulling(PolygonMode::CULL_FRONT);
    mode->setShading(PolygonMode::SHADE_FLAT);
    mode->setWinding(PolygonMode::WINDING_CW);
    mode->setTwoSidedLightingEnable(true);
    mode->setPerspectiveCorrectionEnable(true);
    mode->setLineWidth(3.f);
    drawWith(with(mode.get()).get());
    EXPECT_TRUE(g3d->has(call("sendCulling", true, GL_FRONT)));
    EXPECT_TRUE(g3d->has(call("sendShading", GL_FLAT)));
    EXPECT_TRUE(g3d->has(call("sendWinding", GL_CW)));
    EXPECT_TRUE(g3d->has(call("sendTwoSidedLighting", true)));
    EXPECT_TRUE(g3d->has(call("sendPerspectiveCorrection", true)));
    EXPECT_TRUE(g3d->has(call("sendLineWidth", 3.f)));

    mode->setCulling(PolygonMode::CULL_NONE);
    drawWith(with(mode.get()).get());
    EXPECT_TRUE(g3d->has(call("sendCulling", false, GL_BACK)));
    mode->setCulling(PolygonMode::CULL_BACK);
    drawWith(with(mode.get()).get());
    EXPECT_TRUE(g3d->has(call("sendCulling", true, GL_BACK)));

    // Without a polygon mode: back faces culled, and nothing of the previous
    // mode stays (winding and shading included).
    core::Ref<Appearance> empty = VORNA3D_NEW Appearance();
    drawWith(empty.get());
    EXPECT_TRUE(g3d->has(call("sendCulling", true, GL_BACK)));
    EXPECT_TRUE(g3d->has(call("sendWinding", GL_CCW)));
    EXPECT_TRUE(g3d->has(call("sendShading", GL_SMOOTH)));
    EXPECT_TRUE(g3d->has(call("sendTwoSidedLighting", false)));
    EXPECT_TRUE(g3d->has(call("sendPerspectiveCorrection", false)));
    EXPECT_TRUE(g3d->has(call("sendLineWidth", 1.f)));
    drawWith(empty.get());
    EXPECT_EQ(g3d->count("sendCulling"), 0);

    EXPECT_EQ(assertionText([] { ogles::cullState(163); }),
              "Graphics3D : handleAppearancePolygonMode : PolygonMode has invalid culling information");
    EXPECT_EQ(assertionText([] { ogles::shadeModel(166); }),
              "Graphics3D : handleAppearancePolygonMode : PolygonMode has invalid shading information");
    EXPECT_EQ(assertionText([] { ogles::frontFace(170); }),
              "Graphics3D : handleAppearancePolygonMode : PolygonMode has invalid winding information");
}

TEST_F(OGLESAppearanceTest, MaterialAndFog)
{
    core::Ref<Material> material = VORNA3D_NEW Material();
    material->setColor(Material::EMISSIVE, 0x00FF0000u);
    material->setColor(Material::SPECULAR, 0x000000FFu);
    material->setShininess(10.f);
    core::Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setMaterial(material.get());
    drawWith(appearance.get());
    // Material defaults: ambient 0x333333 is 0.2, diffuse 0xFFCCCCCC is 0.8 with alpha 1.
    const ogles::MaterialState& m = g3d->lastMaterial;
    EXPECT_FLOAT_EQ(m.shininess, 10.f);
    EXPECT_NEAR(m.ambient[0], 0.2f, 1e-6f);
    EXPECT_FLOAT_EQ(m.ambient[3], 1.f);
    EXPECT_NEAR(m.diffuse[1], 0.8f, 1e-6f);
    EXPECT_FLOAT_EQ(m.diffuse[3], 1.f);
    EXPECT_FLOAT_EQ(m.emission[0], 1.f);
    EXPECT_FLOAT_EQ(m.emission[2], 0.f);
    EXPECT_FLOAT_EQ(m.specular[2], 1.f);
    EXPECT_FALSE(m.colorMaterial);

    // Vertex colours take the ambient and diffuse places.
    material->setColor(Material::DIFFUSE, 0x80112233u);
    material->setVertexColorTrackingEnable(true);
    drawWith(appearance.get());
    EXPECT_TRUE(g3d->lastMaterial.colorMaterial);
    EXPECT_FLOAT_EQ(g3d->lastMaterial.diffuse[0], 0.8f);
    EXPECT_FLOAT_EQ(g3d->lastMaterial.diffuse[3], 1.f);

    // The first object without a material restores GL's defaults.
    core::Ref<Appearance> plain = VORNA3D_NEW Appearance();
    drawWith(plain.get());
    EXPECT_FALSE(g3d->lastMaterial.colorMaterial);
    EXPECT_FLOAT_EQ(g3d->lastMaterial.shininess, 0.f);
    EXPECT_FLOAT_EQ(g3d->lastMaterial.emission[0], 0.f);
    EXPECT_FLOAT_EQ(g3d->lastMaterial.emission[3], 1.f);

    core::Ref<Fog> fog = VORNA3D_NEW Fog();
    fog->setLinear(10.f, 20.f);
    fog->setColor(0x00FF8000u);
    appearance->setFog(fog.get());
    drawWith(appearance.get());
    EXPECT_TRUE(g3d->lastFog.enabled);
    EXPECT_EQ(g3d->lastFog.mode, GL_LINEAR);
    EXPECT_FLOAT_EQ(g3d->lastFog.start, 10.f);
    EXPECT_FLOAT_EQ(g3d->lastFog.end, 20.f);
    EXPECT_FLOAT_EQ(g3d->lastFog.color[0], 1.f);
    EXPECT_NEAR(g3d->lastFog.color[1], 128.f / 255.f, 1e-6f);
    fog->setMode(Fog::EXPONENTIAL);
    fog->setDensity(0.5f);
    drawWith(appearance.get());
    EXPECT_EQ(g3d->lastFog.mode, GL_EXP);
    EXPECT_FLOAT_EQ(g3d->lastFog.density, 0.5f);
    appearance->setFog(nullptr);
    drawWith(appearance.get());
    EXPECT_FALSE(g3d->lastFog.enabled);
}

TEST_F(OGLESAppearanceTest, TextureEnvironmentPerBlendingFunction)
{
    vertices->setTexCoords(0, shortArray(2, {0, 0, 1, 0, 0, 1}).get(), 1.f, nullptr);
    core::Ref<Texture2D> texture = g3d->createNewTexture(4, 4);
    core::Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setTexture(0, texture.get());
    const float one = 1.f;
    struct Case {
        int func;
        int mode;
    };
    const Case cases[] = {{Texture2D::FUNC_ADD, GL_ADD},
                          {Texture2D::FUNC_DECAL, GL_DECAL},
                          {Texture2D::FUNC_MODULATE, GL_MODULATE},
                          {Texture2D::FUNC_REPLACE, GL_REPLACE},
                          {Texture2D::FUNC_KEEP, 0}};
    for (const Case& c : cases) {
        texture->setBlending(c.func);
        drawWith(appearance.get());
        EXPECT_EQ(g3d->named("sendTextureEnvironment"),
                  std::vector<std::string>{call("sendTextureEnvironment", c.mode, one, one, one, one)})
            << "function " << c.func;
    }
    // FUNC_BLEND brings the texture's blend colour (0x336699: 0.2, 0.4, 0.6).
    texture->setBlending(Texture2D::FUNC_BLEND);
    texture->setBlendColor(0x00336699u);
    drawWith(appearance.get());
    EXPECT_EQ(g3d->named("sendTextureEnvironment"),
              std::vector<std::string>{call("sendTextureEnvironment", GL_BLEND, 0.2f, 0.4f, 0.6f, one)});

    // A unit without texture: GL_MODULATE once, then the mode is left alone.
    appearance->setTexture(0, nullptr);
    drawWith(appearance.get());
    EXPECT_TRUE(g3d->has(call("sendTextureEnvironment", GL_MODULATE, one, one, one, one)));
    EXPECT_TRUE(g3d->has(call("bindTexture", 0, 0)));
    drawWith(appearance.get());
    EXPECT_TRUE(g3d->has(call("sendTextureEnvironment", 0, one, one, one, one)));
}

TEST_F(OGLESAppearanceTest, StencilTestOfTheFacesThatAreDrawn)
{
    core::Ref<Stencil> stencil = VORNA3D_NEW Stencil();
    stencil->setStencilFunc(Stencil::FRONT, Stencil::EQUAL, 1, 0xFFu);
    stencil->setStencilOps(Stencil::FRONT, Stencil::OP_KEEP, Stencil::OP_KEEP, Stencil::OP_REPLACE);
    stencil->setStencilFunc(Stencil::BACK, Stencil::NOTEQUAL, 2, 0x0Fu);
    stencil->setStencilOps(Stencil::BACK, Stencil::OP_ZERO, Stencil::OP_INCR, Stencil::OP_DECR);
    core::Ref<CompositingMode> compositing = VORNA3D_NEW CompositingMode();
    compositing->setStencil(stencil.get());
    core::Ref<PolygonMode> polygon = VORNA3D_NEW PolygonMode();
    core::Ref<Appearance> appearance = with(compositing.get());
    appearance->setPolygonMode(polygon.get());

    drawWith(appearance.get());
    EXPECT_TRUE(g3d->has(call("sendStencil", true, GL_EQUAL, 1, 0xFF, GL_KEEP, GL_KEEP, GL_REPLACE)));
    polygon->setCulling(PolygonMode::CULL_FRONT);
    drawWith(appearance.get());
    EXPECT_TRUE(g3d->has(call("sendStencil", true, GL_NOTEQUAL, 2, 0x0F, GL_ZERO, GL_INCR, GL_DECR)));
    // Each draw opens with the stencil test off.
    EXPECT_LT(g3d->indexOf(call("sendStencil", false, 0, 0, 0, 0, 0, 0)),
              g3d->indexOf(call("sendStencil", true, GL_NOTEQUAL, 2, 0x0F, GL_ZERO, GL_INCR, GL_DECR)));
}

TEST_F(OGLESAppearanceTest, ObjectsWithoutAppearanceSendTheDefaultsOnce)
{
    core::Ref<PolygonMode> polygon = VORNA3D_NEW PolygonMode();
    polygon->setCulling(PolygonMode::CULL_NONE);
    core::Ref<Appearance> appearance = with(polygon.get());
    drawWith(appearance.get());

    drawWith(nullptr);
    EXPECT_EQ(g3d->count("sendMaterial"), 1);
    EXPECT_TRUE(g3d->has(call("sendCulling", true, GL_BACK)));
    EXPECT_EQ(g3d->count("sendFog"), 1);
    EXPECT_TRUE(g3d->has(call("bindTexture", 0, 0)));

    drawWith(nullptr);
    EXPECT_EQ(g3d->count("sendMaterial"), 0);
    EXPECT_EQ(g3d->count("sendCulling"), 0);
    EXPECT_EQ(g3d->count("sendFog"), 0);
    // The draw itself still happens, with the view loaded.
    EXPECT_EQ(g3d->count("drawElements"), 1);
    EXPECT_EQ(g3d->count("loadModelViewMatrix"), 1);
}

} // namespace
