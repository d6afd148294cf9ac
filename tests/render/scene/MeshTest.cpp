// Mesh: construction checks, submesh access, drawing through the renderer,
// bounding boxes with scale and bias (expected corners worked out by hand),
// deep duplication and the reference walk.

#include <gtest/gtest.h>

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/appearance/Appearance.h"
#include "render/Graphics3D.h"
#include "render/scene/Mesh.h"
#include "render/scene/Transform.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"

using core::Ref;
using core::Vector;
using render::Appearance;
using render::Graphics3D;
using render::IndexBuffer;
using render::Mesh;
using render::Transform;
using render::VertexBuffer;
using render_test::failsWith;
using render_test::RecordingGraphics3D;
using slmath::vec3;

namespace {

class MeshTest : public render_test::SceneTest { };

// Two submeshes over one buffer, the second without an appearance.
struct TwoSubmeshes {
    Ref<VertexBuffer> vb = render_test::vertexBuffer({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    Ref<IndexBuffer> first = render_test::triangleList({0, 1, 2});
    Ref<IndexBuffer> second = render_test::triangleList({0, 2, 3});
    Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    Ref<Mesh> mesh;
    TwoSubmeshes()
    {
        Vector<Ref<IndexBuffer>> submeshes;
        submeshes.add(first);
        submeshes.add(second);
        Vector<Ref<Appearance>> appearances;
        appearances.add(appearance);
        appearances.add(nullptr);
        mesh = VORNA3D_NEW Mesh(vb.get(), submeshes, appearances);
    }
};

} // namespace

TEST_F(MeshTest, ConstructionAndSubmeshAccess)
{
    TwoSubmeshes m;
    EXPECT_EQ(m.mesh->getSubmeshCount(), 2);
    EXPECT_EQ(m.mesh->getVertexBuffer(), m.vb.get());
    EXPECT_EQ(m.mesh->getIndexBuffer(1), m.second.get());
    EXPECT_EQ(m.mesh->getAppearance(0), m.appearance.get());
    EXPECT_EQ(m.mesh->getAppearance(1), nullptr);
    const char* index = " (index >= 0) && (index < getSubmeshCount() ) ";
    EXPECT_TRUE(failsWith([&] { m.mesh->getIndexBuffer(2); }, index, "render::Mesh::getIndexBuffer"));
    EXPECT_TRUE(failsWith([&] { m.mesh->getAppearance(-1); }, index, "render::Mesh::getAppearance"));
    EXPECT_TRUE(failsWith([&] { m.mesh->setAppearance(2, nullptr); }, " (index >= 0) && (index < getSubmeshCount()) ",
                          "render::Mesh::setAppearance"));
    m.mesh->setAppearance(1, m.appearance.get());
    EXPECT_EQ(m.mesh->getAppearance(1), m.appearance.get());

    EXPECT_TRUE(
        failsWith([&] { Ref<Mesh> x = VORNA3D_NEW Mesh(nullptr, m.first.get()); }, " vertices ", "render::Mesh::Mesh"));
    EXPECT_TRUE(
        failsWith([&] { Ref<Mesh> x = VORNA3D_NEW Mesh(m.vb.get(), nullptr); }, " submesh ", "render::Mesh::Mesh"));
    Vector<Ref<IndexBuffer>> withNull;
    withNull.add(m.first);
    withNull.add(nullptr);
    Vector<Ref<Appearance>> two;
    two.setSize(2);
    EXPECT_TRUE(failsWith([&] { Ref<Mesh> x = VORNA3D_NEW Mesh(m.vb.get(), withNull, two); }, " submeshes[i].ptr() ",
                          "render::Mesh::Mesh"));
    Vector<Ref<Appearance>> one;
    one.setSize(1);
    withNull[1] = m.second;
    EXPECT_THROW(Ref<Mesh>(VORNA3D_NEW Mesh(m.vb.get(), withNull, one)), AssertationFailedException);
}

TEST_F(MeshTest, RenderHandsEverySubmeshToTheRenderer)
{
    TwoSubmeshes m;
    m.mesh->setScope(5);
    Transform placed;
    placed.postTranslate(1.f, 2.f, 3.f);
    g3d->render(Graphics3D::RENDER_ALL, m.mesh.get(), placed);
    const auto draws = g3d->of(RecordingGraphics3D::DRAW);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].triangles, m.first.get());
    EXPECT_EQ(draws[0].appearance, m.appearance.get());
    EXPECT_EQ(draws[1].triangles, m.second.get());
    EXPECT_EQ(draws[1].appearance, nullptr);
    EXPECT_EQ(draws[1].vertices, m.vb.get());
    EXPECT_EQ(draws[1].scope, 5);
    EXPECT_TRUE(draws[0].matrix == placed.getMatrix());
    EXPECT_EQ(g3d->getRenderFlags(), Graphics3D::RENDER_ALL);

    // A buffer without vertices draws nothing.
    Ref<VertexBuffer> empty = VORNA3D_NEW VertexBuffer();
    Ref<Mesh> nothing = VORNA3D_NEW Mesh(empty.get(), m.first.get());
    g3d->calls.clear();
    g3d->render(Graphics3D::RENDER_ALL, nothing.get(), placed);
    EXPECT_TRUE(g3d->calls.empty());

    EXPECT_TRUE(
        failsWith([&] { g3d->render(0, nullptr, placed); }, "node parameter is 0", "render::Graphics3D::render"));
    EXPECT_TRUE(failsWith([&] { g3d->render(0, nullptr, m.first.get(), nullptr, placed, -1); },
                          "vertices parameter is 0", "render::Graphics3D::render"));
    EXPECT_TRUE(failsWith([&] { g3d->render(0, m.vb.get(), nullptr, nullptr, placed, -1); }, "triangles parameter is 0",
                          "render::Graphics3D::render"));
}

TEST_F(MeshTest, BoundingBoxesWithScaleAndBias)
{
    // Positions span (-2, 0, -3) .. (4, 6, 1).
    const float bias[3] = {1.f, 2.f, 3.f};
    auto meshWith = [&](float scale) {
        Ref<VertexBuffer> vb = render_test::vertexBuffer({-2, 0, 1, 4, 6, -3, 0, 3, 0}, scale, bias);
        return Ref<Mesh>(VORNA3D_NEW Mesh(vb.get(), render_test::triangleList({0, 1, 2}).get()));
    };
    vec3 lo, hi;
    // Scale 0.5: min (-1 + 1, 0 + 2, -1.5 + 3), max (2 + 1, 3 + 2, 0.5 + 3).
    Ref<Mesh> half = meshWith(0.5f);
    half->getBoundingBox(&lo, &hi, nullptr);
    EXPECT_EQ(lo, vec3(0.f, 2.f, 1.5f));
    EXPECT_EQ(hi, vec3(3.f, 5.f, 3.5f));

    // Scale -0.5 swaps the ends: x from 4 * -0.5 + 1 = -1 to -2 * -0.5 + 1 = 2.
    Ref<Mesh> mirrored = meshWith(-0.5f);
    mirrored->getBoundingBox(&lo, &hi, nullptr);
    EXPECT_EQ(lo, vec3(-1.f, -1.f, 2.5f));
    EXPECT_EQ(hi, vec3(2.f, 2.f, 4.5f));

    // Translate (10, 0, 0) after a quarter turn about z: (x, y) -> (10 - y, x),
    // so x in 0..3, y in 2..5 becomes x in 5..8, y in 0..3.
    Transform t;
    t.postTranslate(10.f, 0.f, 0.f);
    t.postRotate(90.f, 0.f, 0.f, 1.f);
    half->getBoundingBox(&lo, &hi, &t);
    EXPECT_TRUE(render_test::near(slmath::vec4(lo, 0.f), slmath::vec4(5.f, 0.f, 1.5f, 0.f)));
    EXPECT_TRUE(render_test::near(slmath::vec4(hi, 0.f), slmath::vec4(8.f, 3.f, 3.5f, 0.f)));

    EXPECT_TRUE(failsWith([&] { half->getBoundingBox(nullptr, &hi, nullptr); },
                          "getBoundingBox failed because parameter min is 0", "render::Mesh::getBoundingBox"));
    EXPECT_TRUE(failsWith([&] { half->getBoundingBox(&lo, nullptr, nullptr); },
                          "getBoundingBox failed because parameter max is 0", "render::Mesh::getBoundingBox"));
    Ref<VertexBuffer> noPositions = VORNA3D_NEW VertexBuffer();
    Ref<Mesh> bare = VORNA3D_NEW Mesh(noPositions.get(), render_test::triangleList({0, 1, 2}).get());
    EXPECT_TRUE(failsWith([&] { bare->getBoundingBox(&lo, &hi, nullptr); }, " va ", "render::Mesh::localBox"));
}

TEST_F(MeshTest, DuplicateIsDeep)
{
    TwoSubmeshes m;
    m.mesh->setScope(3);
    Ref<Mesh> copy = m.mesh->duplicate();
    EXPECT_EQ(copy->getScope(), 3);
    ASSERT_EQ(copy->getSubmeshCount(), 2);
    EXPECT_NE(copy->getVertexBuffer(), m.vb.get());
    EXPECT_EQ(copy->getVertexBuffer()->getVertexCount(), 4);
    EXPECT_NE(copy->getIndexBuffer(0), m.first.get());
    EXPECT_EQ(copy->getIndexBuffer(1)->getIndexCount(), 3);
    ASSERT_NE(copy->getAppearance(0), nullptr);
    EXPECT_NE(copy->getAppearance(0), m.appearance.get());
    EXPECT_EQ(copy->getAppearance(1), nullptr); // a missing appearance stays missing

    // Per submesh its appearance, then its index buffer; the vertex buffer last.
    core::Vector<render::Object3D*> refs;
    EXPECT_EQ(m.mesh->getReferences(&refs), 4);
    EXPECT_EQ(render_test::elements(refs),
              (std::vector<render::Object3D*>{m.appearance.get(), m.first.get(), m.second.get(), m.vb.get()}));
}
