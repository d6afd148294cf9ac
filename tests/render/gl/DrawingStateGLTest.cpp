// Drawing state through the OpenGL renderer, read back from the frame:
// clears, every blending mode against values worked out from the blend
// equation, a directional light's N.L shading, linear fog, back-face
// culling, and 8-bit positions. Screen-filling quads are drawn with the
// renderer's 2D camera (one unit per pixel, y up); lighting and fog use a
// perspective camera at the origin looking down -z.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "HAL/GL.h"
#include "core/Ref.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/scene/Light.h"
#include "render/appearance/Material.h"
#include "render/scene/Mesh.h"
#include "render/OGLES/OGLES1_Graphics3D.h"
#include "render/appearance/PolygonMode.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/gl/GLTestSupport.h"

using core::Ref;
using namespace render;
using render_gl_test::Frame;
using render_gl_test::pixelNear;
using render_gl_test::regionNear;
using render_gl_test::Rgba;

namespace {

constexpr int W = 64;
constexpr int H = 48;

// A byte 0..255 as the unit value GL computes with.
float unit(int byte)
{
    return float(byte) / 255.f;
}

// A unit value as the byte GL stores (clamped, rounded).
int byteOf(float value)
{
    return int(std::lround(std::clamp(value, 0.f, 1.f) * 255.f));
}

class DrawingStateGLTest : public render_gl_test::RendererGLTest {
protected:
    // A mesh of `xyz` (16-bit) with a triangle list of `indices`, optionally
    // with normals (0, 0, 1) everywhere.
    static Ref<Mesh> mesh(std::initializer_list<short> xyz, std::initializer_list<unsigned short> indices,
                          bool normals = false)
    {
        const int count = int(xyz.size()) / 3;
        Ref<VertexArray> positions = VORNA3D_NEW VertexArray(count, 3, 2, 0);
        positions->set(count, xyz.begin());
        Ref<VertexBuffer> vertices = VORNA3D_NEW VertexBuffer();
        vertices->setPositions(positions.get(), 1.f, nullptr);
        if (normals) {
            Ref<VertexArray> n = VORNA3D_NEW VertexArray(count, 3, 2, 0);
            for (int i = 0; i < count; ++i) {
                const short up[3] = {0, 0, 32767};
                std::copy_n(up, 3, n->getShortDataArrayPtr()->data() + 3 * i);
            }
            vertices->setNormals(n.get());
        }
        Ref<IndexBuffer> list = VORNA3D_NEW TriangleListArray(indices.begin(), int(indices.size()));
        return VORNA3D_NEW Mesh(vertices.get(), list.get());
    }

    // The whole target in the 2D camera's units.
    static Ref<Mesh> screenQuad() { return mesh({0, 0, 0, W, 0, 0, W, H, 0, 0, H, 0}, {0, 1, 2, 0, 2, 3}); }

    // Draws `node` over a target cleared to `clearColor` and reads the frame back.
    Frame frame(uint32_t clearColor, Node* node, Camera* camera)
    {
        Ref<Background> background = VORNA3D_NEW Background();
        background->setColor(clearColor);
        g3d->setCamera(camera, Transform());
        g3d->bindTarget(nullptr);
        g3d->clear(background.get());
        if (node)
            g3d->render(Graphics3D::RENDER_ALL, node, Transform());
        Frame pixels = render_gl_test::readFrame(W, H);
        g3d->releaseTarget();
        return pixels;
    }

    Camera* camera2D() { return g3d->getCamera2DForBackground(); }

    // A camera at the origin looking down -z, 60 degrees high.
    static Ref<Camera> perspective()
    {
        Ref<Camera> camera = VORNA3D_NEW Camera();
        camera->setPerspective(60.f, float(W) / float(H), 1.f, 100.f);
        return camera;
    }
};

TEST_F(DrawingStateGLTest, ClearsColourAndIgnoresAnEarlierWriteMask)
{
    Frame cleared = frame(0xFF336699u, nullptr, camera2D());
    EXPECT_TRUE(regionNear(cleared, 0, 0, W, H, Rgba{0x33, 0x66, 0x99, 255}, 0));

    // An object that writes no colour leaves the mask closed in GL; the next
    // clear must still clear.
    Ref<Mesh> quad = screenQuad();
    Ref<CompositingMode> noColor = VORNA3D_NEW CompositingMode();
    noColor->setColorWriteEnable(false);
    noColor->setAlphaWriteEnable(false);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setCompositingMode(noColor.get());
    quad->setAppearance(0, appearance.get());
    Frame hidden = frame(0xFF336699u, quad.get(), camera2D());
    EXPECT_TRUE(regionNear(hidden, 0, 0, W, H, Rgba{0x33, 0x66, 0x99, 255}, 0));
    Frame next = frame(0xFF102030u, nullptr, camera2D());
    EXPECT_TRUE(regionNear(next, 0, 0, W, H, Rgba{0x10, 0x20, 0x30, 255}, 0));

    // A background that clears no colour keeps what the target holds.
    Ref<Background> red = VORNA3D_NEW Background();
    red->setColor(0xFFFF0000u);
    Ref<Background> keep = VORNA3D_NEW Background();
    keep->setColorClearEnable(false);
    g3d->bindTarget(nullptr);
    g3d->clear(red.get());
    g3d->clear(keep.get());
    Frame kept = render_gl_test::readFrame(W, H);
    g3d->releaseTarget();
    EXPECT_TRUE(regionNear(kept, 0, 0, W, H, Rgba{255, 0, 0, 255}, 0));
}

TEST_F(DrawingStateGLTest, BlendingModesMatchTheBlendEquation)
{
    // Source: vertex colour (204, 102, 51) with alpha 128; destination: the
    // clear colour (64, 128, 192). Expected values from the GL blend
    // equation result = src * sfactor + dst * dfactor, per channel.
    const int src[3] = {204, 102, 51};
    const int srcAlpha = 128;
    const int dst[3] = {64, 128, 192};
    Ref<Mesh> quad = screenQuad();
    Ref<VertexArray> colors = VORNA3D_NEW VertexArray(4, 4, 1, 0);
    const char rgba[4] = {char(src[0]), char(src[1]), char(src[2]), char(srcAlpha)};
    for (int v = 0; v < 4; ++v)
        std::copy_n(rgba, 4, colors->getCharDataArrayPtr()->data() + 4 * v);
    quad->getVertexBuffer()->setColors(colors.get());
    Ref<CompositingMode> mode = VORNA3D_NEW CompositingMode();
    mode->setDepthTestEnable(false);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setCompositingMode(mode.get());
    quad->setAppearance(0, appearance.get());

    struct Case {
        int blending;
        const char* name;
    };
    const Case cases[] = {{CompositingMode::ALPHA, "ALPHA"},
                          {CompositingMode::ALPHA_ADD, "ALPHA_ADD"},
                          {CompositingMode::MODULATE, "MODULATE"},
                          {CompositingMode::MODULATE_X2, "MODULATE_X2"},
                          {CompositingMode::REPLACE, "REPLACE"},
                          {CompositingMode::ADDITIVE, "ADDITIVE"},
                          {CompositingMode::ALPHA_DARKEN, "ALPHA_DARKEN"},
                          {CompositingMode::PREMULTIPLIED_ALPHA, "PREMULTIPLIED_ALPHA"},
                          {CompositingMode::SCREEN, "SCREEN"}};
    const float a = unit(srcAlpha);
    for (const Case& c : cases) {
        mode->setBlending(c.blending);
        Frame pixels = frame(0xFF4080C0u, quad.get(), camera2D());
        int expected[3];
        for (int i = 0; i < 3; ++i) {
            const float s = unit(src[i]);
            const float d = unit(dst[i]);
            float r = 0.f;
            switch (c.blending) {
            case CompositingMode::ALPHA:
                r = s * a + d * (1.f - a);
                break;
            case CompositingMode::ALPHA_ADD:
                r = s * a + d;
                break;
            case CompositingMode::MODULATE:
                r = s * d;
                break;
            case CompositingMode::MODULATE_X2:
                r = s * d + d * s;
                break;
            case CompositingMode::REPLACE:
                r = s;
                break;
            case CompositingMode::ADDITIVE:
                r = s + d;
                break;
            case CompositingMode::ALPHA_DARKEN:
                r = d * (1.f - a);
                break;
            case CompositingMode::PREMULTIPLIED_ALPHA:
                r = s + d * (1.f - a);
                break;
            case CompositingMode::SCREEN:
                r = s + d * (1.f - s);
                break;
            }
            expected[i] = byteOf(r);
        }
        const Rgba got = pixels.at(W / 2, H / 2);
        EXPECT_NEAR(got.r, expected[0], 2) << c.name;
        EXPECT_NEAR(got.g, expected[1], 2) << c.name;
        EXPECT_NEAR(got.b, expected[2], 2) << c.name;
    }

    // A blend colour replaces the vertex colours: half-transparent red
    // over the same destination in ALPHA mode (alpha blends too: the
    // opaque destination keeps 1 - a of its alpha).
    mode->setBlending(CompositingMode::ALPHA);
    mode->setBlendColor(0x80FF0000u);
    Frame red = frame(0xFF4080C0u, quad.get(), camera2D());
    const float h = unit(0x80);
    EXPECT_TRUE(pixelNear(red, W / 2, H / 2,
                          Rgba{byteOf(1.f * h + unit(64) * (1 - h)), byteOf(unit(128) * (1 - h)),
                               byteOf(unit(192) * (1 - h)), byteOf(h * h + 1.f * (1 - h))},
                          2));
}

TEST_F(DrawingStateGLTest, DirectionalLightShadesByTheCosineOfItsAngle)
{
    // A square facing the camera 10 units away; a white material without
    // ambient; one white directional light turned away from the square's
    // normal by the given angle. Lambert: 255 x cos(angle), 0 beyond 90.
    Ref<Mesh> square = mesh({-10, -10, -10, 10, -10, -10, 10, 10, -10, -10, 10, -10}, {0, 1, 2, 0, 2, 3}, true);
    Ref<Material> material = VORNA3D_NEW Material();
    material->setColor(Material::AMBIENT, 0);
    material->setColor(Material::DIFFUSE, 0xFFFFFFFFu);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setMaterial(material.get());
    square->setAppearance(0, appearance.get());
    Ref<Camera> camera = perspective();
    Ref<Light> light = VORNA3D_NEW Light();
    light->setMode(Light::DIRECTIONAL);

    for (float degrees : {0.f, 60.f, 75.f, 120.f}) {
        Transform placed;
        placed.postRotate(degrees, 1.f, 0.f, 0.f);
        g3d->resetLights();
        g3d->addLight(light.get(), placed);
        Frame pixels = frame(0xFF000000u, square.get(), camera.get());
        const int expected = byteOf(std::max(0.f, std::cos(degrees * 3.14159265f / 180.f)));
        EXPECT_TRUE(pixelNear(pixels, W / 2, H / 2, Rgba{expected, expected, expected, 255}, 2))
            << degrees << " degrees";
    }

    // A light whose rendering is switched off goes dark in GL too, though
    // it stays listed (GL lighting stays on for the list).
    light->setRenderingEnable(false);
    g3d->setLight(0, light.get(), Transform());
    Frame dark = frame(0xFF000000u, square.get(), camera.get());
    EXPECT_TRUE(pixelNear(dark, W / 2, H / 2, Rgba{0, 0, 0, 255}, 0));
    light->setRenderingEnable(true);

    // With lighting switched off at run time the square shows its plain
    // colour (white), whatever the light says.
    g3d->setLightingEnabled(false);
    Frame unlit = frame(0xFF000000u, square.get(), camera.get());
    EXPECT_TRUE(pixelNear(unlit, W / 2, H / 2, Rgba{255, 255, 255, 255}, 0));
    g3d->setLightingEnabled(true);
}

TEST_F(DrawingStateGLTest, LinearFogBlendsByEyeDistance)
{
    // White squares at eye distances 5, 15 and 25 in red linear fog from 10
    // to 20: fog factor f = (20 - d) / 10, clamped; colour = f x white +
    // (1 - f) x red.
    Ref<Fog> fog = VORNA3D_NEW Fog();
    fog->setMode(Fog::LINEAR);
    fog->setLinear(10.f, 20.f);
    fog->setColor(0x00FF0000u);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setFog(fog.get());
    Ref<Camera> camera = perspective();
    for (short distance : {5, 15, 25}) {
        const short z = short(-distance);
        const short s = short(distance); // half a side: fills the centre at any distance
        Ref<Mesh> square =
            mesh({short(-s), short(-s), z, s, short(-s), z, s, s, z, short(-s), s, z}, {0, 1, 2, 0, 2, 3});
        square->setAppearance(0, appearance.get());
        Frame pixels = frame(0xFF000000u, square.get(), camera.get());
        const float f = std::clamp((20.f - float(distance)) / 10.f, 0.f, 1.f);
        EXPECT_TRUE(pixelNear(pixels, W / 2, H / 2, Rgba{255, byteOf(f), byteOf(f), 255}, 2)) << distance;
    }

    // The next object without fog is not fogged.
    Ref<Mesh> clearSquare = mesh({-15, -15, -15, 15, -15, -15, 15, 15, -15, -15, 15, -15}, {0, 1, 2, 0, 2, 3});
    Frame plain = frame(0xFF000000u, clearSquare.get(), camera.get());
    EXPECT_TRUE(pixelNear(plain, W / 2, H / 2, Rgba{255, 255, 255, 255}, 0));
}

TEST_F(DrawingStateGLTest, BackFacesAreCulledUnlessTheModeSaysOtherwise)
{
    // Left half: a counter-clockwise (front-facing) square; right half: a
    // clockwise (back-facing) one. Both white over black.
    Ref<Mesh> squares = mesh({0, 0, 0, 32, 0, 0, 32, 48, 0, 0, 48, 0, 32, 0, 0, 64, 0, 0, 64, 48, 0, 32, 48, 0},
                             {0, 1, 2, 0, 2, 3, 4, 6, 5, 4, 7, 6});
    const Rgba white{255, 255, 255, 255};
    const Rgba black{0, 0, 0, 255};

    // Without a polygon mode: back faces culled.
    Frame plain = frame(0xFF000000u, squares.get(), camera2D());
    EXPECT_TRUE(regionNear(plain, 2, 2, 30, H - 2, white, 0));
    EXPECT_TRUE(regionNear(plain, 34, 2, W - 2, H - 2, black, 0));

    Ref<PolygonMode> polygon = VORNA3D_NEW PolygonMode();
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setPolygonMode(polygon.get());
    squares->setAppearance(0, appearance.get());
    polygon->setCulling(PolygonMode::CULL_FRONT);
    Frame front = frame(0xFF000000u, squares.get(), camera2D());
    EXPECT_TRUE(regionNear(front, 2, 2, 30, H - 2, black, 0));
    EXPECT_TRUE(regionNear(front, 34, 2, W - 2, H - 2, white, 0));
    polygon->setCulling(PolygonMode::CULL_NONE);
    Frame both = frame(0xFF000000u, squares.get(), camera2D());
    EXPECT_TRUE(regionNear(both, 2, 2, W - 2, H - 2, white, 0));
    // Clockwise fronts swap the sides.
    polygon->setCulling(PolygonMode::CULL_BACK);
    polygon->setWinding(PolygonMode::WINDING_CW);
    Frame clockwise = frame(0xFF000000u, squares.get(), camera2D());
    EXPECT_TRUE(regionNear(clockwise, 2, 2, 30, H - 2, black, 0));
    EXPECT_TRUE(regionNear(clockwise, 34, 2, W - 2, H - 2, white, 0));

    // Back to no polygon mode: neither the clockwise winding nor the
    // culling of the previous object stays.
    squares->setAppearance(0, nullptr);
    Frame again = frame(0xFF000000u, squares.get(), camera2D());
    EXPECT_TRUE(regionNear(again, 2, 2, 30, H - 2, white, 0));
    EXPECT_TRUE(regionNear(again, 34, 2, W - 2, H - 2, black, 0));
}

TEST_F(DrawingStateGLTest, EightBitPositionsAreDrawnWhereTheySay)
{
    // A square from x = -100 to 0 and y = -100 to 100 in bytes, scaled by
    // 0.32 and moved by (32, 24): pixels 0..32 across, 24 - 32 .. 24 + 32
    // up, i.e. the left half of the target.
    Ref<VertexArray> positions = VORNA3D_NEW VertexArray(4, 3, 1, 0);
    const char xyz[] = {-100, -100, 0, 0, -100, 0, 0, 100, 0, -100, 100, 0};
    positions->set(4, xyz);
    Ref<VertexBuffer> vertices = VORNA3D_NEW VertexBuffer();
    const float bias[3] = {32.f, 24.f, 0.f};
    vertices->setPositions(positions.get(), 0.32f, bias);
    const unsigned short quad[] = {0, 1, 2, 0, 2, 3};
    Ref<IndexBuffer> indices = VORNA3D_NEW TriangleListArray(quad, 6);
    Ref<Mesh> square = VORNA3D_NEW Mesh(vertices.get(), indices.get());

    Frame pixels = frame(0xFF000000u, square.get(), camera2D());
    EXPECT_TRUE(regionNear(pixels, 1, 1, 31, H - 1, Rgba{255, 255, 255, 255}, 0));
    EXPECT_TRUE(regionNear(pixels, 33, 1, W - 1, H - 1, Rgba{0, 0, 0, 255}, 0));
}

TEST_F(DrawingStateGLTest, StaticBuffersDrawLikeClientArrays)
{
    // The left half of the target from buffer objects: positions and indices
    // moved to GL once, the arrays frozen.
    Ref<Mesh> half = mesh({0, 0, 0, 32, 0, 0, 32, 48, 0, 0, 48, 0}, {0, 1, 2, 0, 2, 3});
    VertexArray* positions = half->getVertexBuffer()->getPositions();
    IndexBuffer* indices = half->getIndexBuffer(0);
    const int positionBuffer = g3d->createStaticBuffer(0, 4 * 3 * int(sizeof(short)), positions->getPtr());
    const int indexBuffer = g3d->createStaticBuffer(1, 6 * int(sizeof(unsigned short)), indices->getPtr());
    positions->setStaticID(positionBuffer, 4);
    indices->setStaticID(indexBuffer, 6);

    Frame pixels = frame(0xFF000000u, half.get(), camera2D());
    EXPECT_TRUE(regionNear(pixels, 1, 1, 31, H - 1, Rgba{255, 255, 255, 255}, 0));
    EXPECT_TRUE(regionNear(pixels, 33, 1, W - 1, H - 1, Rgba{0, 0, 0, 255}, 0));
    // Bound only around their use.
    GLint bound = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    g3d->deleteStaticBuffer(positionBuffer);
    g3d->deleteStaticBuffer(indexBuffer);
}

TEST_F(DrawingStateGLTest, DepthOffsetInUnitsAloneIsAnOffset)
{
    Ref<Mesh> quad = screenQuad();
    Ref<CompositingMode> mode = VORNA3D_NEW CompositingMode();
    mode->setDepthOffset(0.f, 2.f);
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setCompositingMode(mode.get());
    quad->setAppearance(0, appearance.get());
    frame(0xFF000000u, quad.get(), camera2D());
    EXPECT_TRUE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
    GLfloat units = 0.f;
    glGetFloatv(GL_POLYGON_OFFSET_UNITS, &units);
    EXPECT_FLOAT_EQ(units, 2.f);
    mode->setDepthOffset(0.f, 0.f);
    frame(0xFF000000u, quad.get(), camera2D());
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
}

TEST_F(DrawingStateGLTest, TextureCoordinatesAreClosedOnEveryUnitAfterADraw)
{
    if (g3d->getProperties().numTextureUnits < 2)
        GTEST_SKIP() << "one texture unit";
    Ref<Mesh> quad = screenQuad();
    Ref<VertexArray> st = VORNA3D_NEW VertexArray(4, 2, 2, 0);
    quad->getVertexBuffer()->setTexCoords(0, st.get(), 1.f, nullptr);
    quad->getVertexBuffer()->setTexCoords(1, st.get(), 1.f, nullptr);
    frame(0xFF000000u, quad.get(), camera2D());
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1}) {
        HAL::gl::glClientActiveTexture(unit);
        HAL::gl::glActiveTexture(unit);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY)) << "unit " << unit - GL_TEXTURE0;
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "unit " << unit - GL_TEXTURE0;
    }
    HAL::gl::glClientActiveTexture(GL_TEXTURE0);
    HAL::gl::glActiveTexture(GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

} // namespace
