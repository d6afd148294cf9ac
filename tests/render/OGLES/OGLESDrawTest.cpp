// One draw on the recording back end: vertex arrays and their checks,
// 8-bit data widened for desktop GL, arrays without vertices, texture units
// and their matrices, the model-view matrix, the outline pass.

#include <vector>

#include "render/appearance/Texture2D.h"
#include "tests/render/OGLES/OGLESTestSupport.h"

using namespace render;
using namespace render_test;

namespace {

using OGLESDrawTest = OGLESTest;

// The point (x, y, z) through `m`.
slmath::vec4 through(const slmath::mat4& m, float x, float y, float z)
{
    return m * slmath::vec4(x, y, z, 1.f);
}

TEST_F(OGLESDrawTest, EightBitPositionsAndCoordinatesAreWidenedOnce)
{
    configure();
    core::Ref<VertexArray> positions = byteArray(3, {-1, 2, 127, -128, 0, 5, 3, -4, 6});
    core::Ref<VertexArray> texCoords = byteArray(2, {0, 1, 1, 0, -1, 127});
    core::Ref<VertexArray> normals = byteArray(3, {0, 0, 127, 0, 127, 0, 127, 0, 0});
    core::Ref<VertexBuffer> vertices = VORNA3D_NEW VertexBuffer();
    vertices->setPositions(positions.get(), 1.f, nullptr);
    vertices->setTexCoords(0, texCoords.get(), 1.f, nullptr);
    vertices->setNormals(normals.get());
    core::Ref<IndexBuffer> indices = triangleIndices();

    draw(vertices.get(), indices.get(), nullptr);
    // Desktop GL takes no GL_BYTE vertex or texture-coordinate pointers:
    // both arrays are now 16-bit with the same values; normals may stay bytes.
    EXPECT_TRUE(g3d->has(call("setVertexPointer", GL_SHORT, 3, "ptr")));
    EXPECT_TRUE(g3d->has(call("setTextureCoordPointer", true, 0, GL_SHORT, 2, "ptr")));
    EXPECT_TRUE(g3d->has(call("setNormalPointer", true, GL_BYTE, "ptr")));
    EXPECT_EQ(positions->getComponentType(), 2);
    EXPECT_EQ(texCoords->getComponentType(), 2);
    EXPECT_EQ(normals->getComponentType(), 1);
    std::vector<short> xyz(9);
    positions->get(0, 3, xyz.data());
    EXPECT_EQ(xyz, (std::vector<short>{-1, 2, 127, -128, 0, 5, 3, -4, 6}));
    std::vector<short> st(6);
    texCoords->get(0, 3, st.data());
    EXPECT_EQ(st, (std::vector<short>{0, 1, 1, 0, -1, 127}));

    // The second draw finds 16-bit arrays and changes nothing.
    const void* widened = positions->getPtr();
    draw(vertices.get(), indices.get(), nullptr);
    EXPECT_EQ(positions->getPtr(), widened);
    EXPECT_EQ(g3d->getStatistics().drawCalls, 2);
}

TEST_F(OGLESDrawTest, ArraysWithoutVerticesAreAbsentAndLengthsMustMatch)
{
    configure();
    core::Ref<VertexBuffer> vertices = triangleVertices();
    core::Ref<VertexArray> normals = shortArray(3, {0, 0, 1, 0, 0, 1, 0, 0, 1});
    core::Ref<VertexArray> texCoords = shortArray(2, {0, 0, 1, 0, 0, 1});
    vertices->setNormals(normals.get());
    vertices->setTexCoords(0, texCoords.get(), 1.f, nullptr);
    // Static buffers that hold no vertex: nothing must be read from them.
    normals->setStaticID(7, 0);
    texCoords->setStaticID(8, 0);
    core::Ref<IndexBuffer> indices = triangleIndices();

    draw(vertices.get(), indices.get(), nullptr);
    EXPECT_TRUE(g3d->has(call("setNormalPointer", false, 0, "null")));
    EXPECT_TRUE(g3d->has(call("setTextureCoordPointer", false, 0, 0, 0, "null")));
    EXPECT_EQ(g3d->count("bindBuffer"), 0);
    EXPECT_EQ(g3d->getTextureUnitMask(), 0u);
    EXPECT_TRUE(g3d->has(call("endRender", 0)));

    // A static colour array of another length than the positions is refused.
    core::Ref<VertexBuffer> mismatched = triangleVertices();
    core::Ref<VertexArray> colors = byteArray(4, {1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4});
    mismatched->setColors(colors.get());
    colors->setStaticID(9, 2);
    EXPECT_EQ(assertionText([&] { draw(mismatched.get(), indices.get(), nullptr); }),
              "color VertexArray length != position VertexArray length");

    // Static arrays are drawn from their buffer, bound only around the pointer call.
    core::Ref<VertexBuffer> fromBuffer = VORNA3D_NEW VertexBuffer();
    core::Ref<VertexArray> staticPositions = shortArray(3, {0, 0, 0, 1, 0, 0, 0, 1, 0});
    fromBuffer->setPositions(staticPositions.get(), 1.f, nullptr);
    staticPositions->setStaticID(11, 3);
    g3d->ops.clear();
    draw(fromBuffer.get(), indices.get(), nullptr);
    const int bind = g3d->indexOf(call("bindBuffer", 11, 0));
    EXPECT_GE(bind, 0);
    EXPECT_EQ(g3d->ops[bind + 1], call("setVertexPointer", GL_SHORT, 3, "null"));
    EXPECT_EQ(g3d->ops[bind + 2], call("bindBuffer", 0, 0));

    EXPECT_EQ(assertionText([&] { ogles::dataType(4); }), "Graphics3D : VertexArray component type is invalid");
    EXPECT_EQ(assertionText([&] { ogles::primitiveMode(4); }),
              "OGLES1_Graphics3D can not draw items because IndexBuffer has unknown data");
}

TEST_F(OGLESDrawTest, TextureUnitsMatricesAndTheModelView)
{
    configure();
    core::Ref<VertexBuffer> vertices = VORNA3D_NEW VertexBuffer();
    const float positionBias[3] = {1.f, 2.f, 3.f};
    vertices->setPositions(shortArray(3, {0, 0, 0, 1, 0, 0, 0, 1, 0}).get(), 2.f, positionBias);
    const float texBias[2] = {0.25f, 0.f};
    vertices->setTexCoords(0, shortArray(2, {0, 0, 1, 0, 0, 1}).get(), 0.5f, texBias);
    vertices->setTexCoords(1, shortArray(2, {0, 0, 1, 0, 0, 1}).get(), 1.f, nullptr);
    core::Ref<Texture2D> first = g3d->createNewTexture(8, 8);
    core::Ref<Texture2D> second = g3d->createNewTexture(8, 8);
    first->setTranslation(0.f, 1.f, 0.f);
    core::Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setTexture(0, first.get());
    appearance->setTexture(1, second.get());
    core::Ref<IndexBuffer> indices = triangleIndices();
    g3d->ops.clear();

    draw(vertices.get(), indices.get(), appearance.get());
    EXPECT_EQ(g3d->getTextureUnitMask(), 3u);
    EXPECT_TRUE(g3d->has(call("bindTexture", 0, first->getTextureID())));
    EXPECT_TRUE(g3d->has(call("bindTexture", 1, second->getTextureID())));
    EXPECT_TRUE(g3d->has(call("loadTextureMatrix", 0)));
    EXPECT_TRUE(g3d->has(call("loadTextureMatrix", 1)));
    // Coordinates and texturing go off on both units after the draw.
    EXPECT_TRUE(g3d->has(call("endRender", 3)));

    // Unit 0's matrix: translate(bias) x scale(0.5) x the texture's
    // translation (0, 1): (s, t) = (1, 1) lands at (0.25 + 0.5, 0.5 + 0.5).
    ASSERT_EQ(g3d->textureMatrices.size(), 2u);
    const slmath::vec4 st = through(g3d->textureMatrices[0], 1.f, 1.f, 0.f);
    EXPECT_FLOAT_EQ(st.x, 0.75f);
    EXPECT_FLOAT_EQ(st.y, 1.0f);
    // Model-view with the identity camera: the position scale 2 and bias (1, 2, 3).
    const slmath::vec4 p = through(g3d->modelView, 1.f, 0.f, 0.f);
    EXPECT_FLOAT_EQ(p.x, 3.f);
    EXPECT_FLOAT_EQ(p.y, 2.f);
    EXPECT_FLOAT_EQ(p.z, 3.f);

    // Unit 1 loses its coordinates: switched off, and its texture not bound.
    vertices->setTexCoords(1, nullptr, 1.f, nullptr);
    g3d->ops.clear();
    draw(vertices.get(), indices.get(), appearance.get());
    EXPECT_TRUE(g3d->has(call("setTextureCoordPointer", false, 1, 0, 0, "null")));
    EXPECT_TRUE(g3d->has(call("bindTexture", 1, 0)));
    EXPECT_TRUE(g3d->has(call("endRender", 1)));
    // The matrix of unit 0 starts from identity again in every draw.
    const slmath::vec4 again = through(g3d->getTextureTransform(0).getMatrix(), 1.f, 1.f, 0.f);
    EXPECT_FLOAT_EQ(again.x, 0.75f);
    EXPECT_FLOAT_EQ(again.y, 1.0f);

    // Without the texture flag nothing is bound.
    g3d->ops.clear();
    draw(vertices.get(), indices.get(), appearance.get(), Graphics3D::RENDER_ALL & ~Graphics3D::RENDER_FLAG_TEXTURES);
    EXPECT_TRUE(g3d->has(call("bindTexture", 0, 0)));
    EXPECT_FALSE(g3d->has(call("bindTexture", 0, first->getTextureID())));
}

TEST_F(OGLESDrawTest, TexturingSwitchedOffIgnoresCoordinatesAndTextures)
{
    Graphics3DConfig config = quietConfig();
    config.texturing = false;
    config.vertexColors = false;
    configure(config);
    core::Ref<VertexBuffer> vertices = triangleVertices();
    vertices->setTexCoords(0, shortArray(2, {0, 0, 1, 0, 0, 1}).get(), 1.f, nullptr);
    vertices->setColors(byteArray(3, {1, 2, 3, 1, 2, 3, 1, 2, 3}).get());
    core::Ref<Texture2D> texture = g3d->createNewTexture(4, 4);
    core::Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setTexture(0, texture.get());
    core::Ref<IndexBuffer> indices = triangleIndices();
    g3d->ops.clear();

    draw(vertices.get(), indices.get(), appearance.get());
    EXPECT_TRUE(g3d->has(call("setTextureCoordPointer", false, 0, 0, 0, "null")));
    EXPECT_EQ(g3d->count("bindTexture"), 0);
    EXPECT_EQ(g3d->count("loadTextureMatrix"), 0);
    EXPECT_TRUE(g3d->has(call("setColorPointer", false, 0, "null")));
    EXPECT_EQ(g3d->count("setColorPointer"), 1);
}

TEST_F(OGLESDrawTest, OutlinePassDrawsTheIndicesTwiceBeforeTheObject)
{
    configure();
    core::Ref<VertexBuffer> vertices = triangleVertices();
    core::Ref<IndexBuffer> indices = triangleIndices();
    draw(vertices.get(), indices.get(), nullptr, Graphics3D::RENDER_ALL | Graphics3D::RENDER_FLAG_OUTLINE);

    const int begin = g3d->indexOf("beginOutline()");
    const int lines = g3d->indexOf(call("setOutlinePass", false));
    const int points = g3d->indexOf(call("setOutlinePass", true));
    const int end = g3d->indexOf("endOutline()");
    ASSERT_GE(begin, 0);
    EXPECT_EQ(g3d->ops[begin + 1], "loadModelViewMatrix()");
    EXPECT_EQ(g3d->ops[lines + 1], call("drawElements", GL_TRIANGLES, 3, "ptr"));
    EXPECT_EQ(g3d->ops[points + 1], call("drawElements", GL_TRIANGLES, 3, "ptr"));
    EXPECT_LT(lines, points);
    EXPECT_LT(points, end);
    EXPECT_EQ(g3d->count("drawElements"), 3);
    // The pass left black current and its own culling: the object's draw
    // goes back to white and to the default polygon mode.
    EXPECT_GT(g3d->indexOf(call("setColorPointer", false, 0, "null")), end);
    EXPECT_GT(g3d->indexOf(call("sendCulling", true, GL_BACK)), end);
    EXPECT_GT(g3d->indexOf(call("sendWinding", GL_CCW)), end);

    EXPECT_EQ(assertionText([&] {
                  g3d->setCamera(nullptr, Transform());
                  draw(vertices.get(), indices.get(), nullptr);
              }),
              "can not render object because active camera is missing");
}

} // namespace
