// The renderer's unit quad: vertices, texture coordinates, index buffers
// for each flag combination, and the checks of the factories that need no
// display. Drawing the quad on screen (rect, background images) is tested
// with pixels in tests/render/gl.

#include <gtest/gtest.h>

#include <vector>

#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/geometry/IndexBuffer.h"
#include "render/scene/Mesh.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"

using core::Ref;
using render::Graphics3D;
using render::IndexBuffer;
using render::Mesh;
using render::VertexArray;
using render_test::failsWith;

namespace {

// Meshes read the registered renderer's configuration when they are made.
class ScreenQuadsTest : public render_test::SceneTest { };

std::vector<short> shorts(VertexArray* array)
{
    std::vector<short> values(size_t(array->getVertexCount() * array->getComponentCount()));
    array->get(0, array->getVertexCount(), values.data());
    return values;
}

std::vector<unsigned short> indicesOf(IndexBuffer* buffer)
{
    return std::vector<unsigned short>(buffer->getPtr(), buffer->getPtr() + buffer->getIndexCount());
}

} // namespace

TEST_F(ScreenQuadsTest, UnitQuadGeometry)
{
    Ref<Mesh> quad = g3d->createMesh(IndexBuffer::TRIANGLE_LIST, Graphics3D::CREATEMESH_CREATE_DEFAULT_POLYGON);
    render::VertexBuffer* vertices = quad->getVertexBuffer();
    float scaleBias[4] = {};
    VertexArray* positions = vertices->getPositions(scaleBias);
    ASSERT_NE(positions, nullptr);
    EXPECT_EQ(positions->getComponentType(), 2);
    EXPECT_EQ(shorts(positions), (std::vector<short>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
    EXPECT_EQ(scaleBias[0], 1.f);
    EXPECT_EQ(scaleBias[1], 0.f);
    // t = 0 (image row 0) at the top edge y = 1, t = 1 at the bottom.
    VertexArray* texCoords = vertices->getTexCoords(0, scaleBias);
    ASSERT_NE(texCoords, nullptr);
    EXPECT_EQ(shorts(texCoords), (std::vector<short>{0, 1, 1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(vertices->getColors(), nullptr);
    EXPECT_EQ(vertices->getNormals(), nullptr);
    EXPECT_EQ(quad->getAppearance(0), nullptr);
    // Two counter-clockwise triangles: front faces under culling.
    ASSERT_EQ(quad->getSubmeshCount(), 1);
    EXPECT_EQ(quad->getIndexBuffer(0)->getPrimitiveType(), IndexBuffer::TRIANGLE_LIST);
    EXPECT_EQ(indicesOf(quad->getIndexBuffer(0)), (std::vector<unsigned short>{0, 2, 3, 0, 1, 2}));

    Ref<Mesh> full =
        g3d->createMesh(IndexBuffer::TRIANGLE_LIST,
                        Graphics3D::CREATEMESH_CREATE_DEFAULT_POLYGON | Graphics3D::CREATE_MESH_CREATE_COLOR_ARRAY |
                            Graphics3D::CREATE_MESH_CREATE_NORMALS);
    VertexArray* colors = full->getVertexBuffer()->getColors();
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(colors->getComponentCount(), 4);
    EXPECT_EQ(colors->getComponentType(), 1);
    std::vector<char> colorBytes(16);
    colors->get(0, 4, colorBytes.data());
    for (char byte : colorBytes)
        EXPECT_EQ(static_cast<unsigned char>(byte), 255);
    VertexArray* normals = full->getVertexBuffer()->getNormals();
    ASSERT_NE(normals, nullptr);
    EXPECT_EQ(shorts(normals), std::vector<short>(12, 0));
}

TEST_F(ScreenQuadsTest, EmptyMeshesAndLineListsKeepRoomForSixIndices)
{
    Ref<Mesh> empty = g3d->createMesh(IndexBuffer::TRIANGLE_LIST, Graphics3D::CREATE_MESH_EMPTY);
    EXPECT_EQ(empty->getVertexBuffer()->getVertexCount(), 4);
    EXPECT_EQ(empty->getIndexBuffer(0)->getIndexCount(), 0);
    EXPECT_GE(empty->getIndexBuffer(0)->getUnsignedShortDataArrayPtr()->capacity(), 6);

    // Colours alone are enough of a request with EMPTY.
    Ref<Mesh> lines = g3d->createMesh(IndexBuffer::LINE_LIST,
                                      Graphics3D::CREATE_MESH_EMPTY | Graphics3D::CREATE_MESH_CREATE_COLOR_ARRAY);
    EXPECT_EQ(lines->getIndexBuffer(0)->getPrimitiveType(), IndexBuffer::LINE_LIST);
    EXPECT_EQ(lines->getIndexBuffer(0)->getIndexCount(), 0);
    EXPECT_NE(lines->getVertexBuffer()->getColors(), nullptr);

    // A drawable line list never points outside the four vertices.
    Ref<Mesh> drawn = g3d->createMesh(IndexBuffer::LINE_LIST, Graphics3D::CREATEMESH_CREATE_DEFAULT_POLYGON);
    ASSERT_EQ(drawn->getIndexBuffer(0)->getIndexCount(), 6);
    for (unsigned short index : indicesOf(drawn->getIndexBuffer(0)))
        EXPECT_LT(index, 4);
}

TEST_F(ScreenQuadsTest, FactoryChecks)
{
    const char* fn = "render::Graphics3D::createMesh";
    const char* anyText = "flags&(CREATEMESH_CREATE_DEFAULT_POLYGON|CREATE_MESH_CREATE_COLOR_ARRAY|CREATE_MESH_EMPTY)";
    const char* oneText = "(flags&CREATE_MESH_EMPTY && !(flags&CREATEMESH_CREATE_DEFAULT_POLYGON)) || "
                          "(!(flags&CREATE_MESH_EMPTY) && flags&CREATEMESH_CREATE_DEFAULT_POLYGON)";
    EXPECT_TRUE(failsWith([&] { Ref<Mesh> m = g3d->createMesh(2, 0); }, anyText, fn));
    EXPECT_TRUE(
        failsWith([&] { Ref<Mesh> m = g3d->createMesh(2, Graphics3D::CREATE_MESH_CREATE_NORMALS); }, anyText, fn));
    EXPECT_TRUE(failsWith(
        [&] {
            Ref<Mesh> m =
                g3d->createMesh(2, Graphics3D::CREATEMESH_CREATE_DEFAULT_POLYGON | Graphics3D::CREATE_MESH_EMPTY);
        },
        oneText, fn));
    EXPECT_TRUE(
        failsWith([&] { Ref<Mesh> m = g3d->createMesh(2, Graphics3D::CREATE_MESH_CREATE_COLOR_ARRAY); }, oneText, fn));
    const char* typeText = "Graphics3D::createMesh failed because index buffer type is invalid";
    EXPECT_TRUE(failsWith([&] { Ref<Mesh> m = g3d->createMesh(1, Graphics3D::CREATEMESH_CREATE_DEFAULT_POLYGON); },
                          typeText, fn));
    EXPECT_TRUE(failsWith([&] { Ref<Mesh> m = g3d->createMesh(4, Graphics3D::CREATEMESH_CREATE_DEFAULT_POLYGON); },
                          typeText, fn));

    // The 2D quad and the background need a configured renderer.
    Ref<render::Image2D> image = VORNA3D_NEW render::Image2D(render::Image2D::RGB, 2, 2);
    EXPECT_TRUE(failsWith([&] { Ref<Mesh> m = g3d->create2DPolygonWithDefaultAppearance(image.get()); },
                          " m_display != 0 ", "render::Graphics3D::create2DPolygonWithDefaultAppearance"));
    EXPECT_TRUE(failsWith([&] { g3d->createBackgroundImagePolygon(nullptr); }, " image != 0 ",
                          "render::Graphics3D::createBackgroundImagePolygon"));
    EXPECT_TRUE(failsWith([&] { g3d->rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), nullptr); },
                          "rect failed because texture parameter is 0", "render::Graphics3D::rect"));
}
