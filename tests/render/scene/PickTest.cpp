// Picking with geometry whose hits are known by hand: quads in z = const
// planes hit by rays along -z, so every distance is a difference of z
// values. Covers the box stage (segment reach, origin inside, flat boxes),
// the triangle stage (scale and bias, world transforms, strips and their
// bridges, out-of-range indices), the flags, nearest-hit selection and the
// rejected inputs.

#include <gtest/gtest.h>

#include <cfloat>

#include "core/Ref.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Group.h"
#include "render/geometry/LineListArray.h"
#include "render/scene/Mesh.h"
#include "render/scene/RayIntersection.h"
#include "render/geometry/TriangleStripArray.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"

using core::Ref;
using render::Group;
using render::Mesh;
using render::RayIntersection;
using render::Transform;
using render::VertexBuffer;
using render_test::failsWith;
using slmath::vec3;

namespace {

class PickTest : public render_test::SceneTest {
protected:
    // Picks `node` placed by `world` down the z axis from (x, y, z) with
    // direction (0, 0, dz); the best distance starts at FLT_MAX.
    bool pickDown(render::Node* node, float x, float y, float z, float dz, int flags = 0,
                  const Transform& world = Transform())
    {
        best = FLT_MAX;
        return node->handlePick(-1, x, y, z, 0.f, 0.f, dz, ri, &world, flags, &best);
    }

    void SetUp() override
    {
        SceneTest::SetUp();
        ri = VORNA3D_NEW RayIntersection();
    }
    void TearDown() override
    {
        delete ri; // holds the last mesh hit
        ri = nullptr;
        SceneTest::TearDown();
    }

    RayIntersection* ri = nullptr;
    float best = FLT_MAX;
};

// A unit square at height z over (x0, y0), as two triangles.
Ref<Mesh> quadAt(short x0, short y0, short z)
{
    Ref<VertexBuffer> vb = render_test::vertexBuffer(
        {x0, y0, z, short(x0 + 1), y0, z, short(x0 + 1), short(y0 + 1), z, x0, short(y0 + 1), z});
    return Ref<Mesh>(VORNA3D_NEW Mesh(vb.get(), render_test::triangleList({0, 1, 2, 0, 2, 3}).get()));
}

} // namespace

TEST_F(PickTest, HitOnAQuadAtAKnownDistance)
{
    Ref<Mesh> quad = render_test::unitQuad();
    ASSERT_TRUE(pickDown(quad.get(), 0.25f, 0.25f, 5.f, -10.f));
    EXPECT_EQ(ri->getIntersected(), quad.get());
    EXPECT_FLOAT_EQ(ri->getDistance(), 5.f); // t = 0.5 of a direction 10 long
    EXPECT_FLOAT_EQ(best, 5.f);
    EXPECT_EQ(ri->getSubmeshIndex(), 0);
    // Edges (1,0,0) and (1,1,0) of the first triangle: cross product (0, 0, 1).
    EXPECT_EQ(ri->getNormal(), vec3(0.f, 0.f, 1.f));
    EXPECT_EQ(ri->getRayOrigin(), vec3(0.25f, 0.25f, 5.f));
    EXPECT_EQ(ri->getRayDirection(), vec3(0.f, 0.f, -1.f));

    // The flat box is met on its edge too: x = 0 with no x direction.
    ASSERT_TRUE(pickDown(quad.get(), 0.f, 0.5f, 5.f, -10.f));
    EXPECT_FLOAT_EQ(ri->getDistance(), 5.f);
    // From below, the back of the quad is hit as well.
    ASSERT_TRUE(pickDown(quad.get(), 0.5f, 0.25f, -2.f, 4.f));
    EXPECT_FLOAT_EQ(ri->getDistance(), 2.f);
}

TEST_F(PickTest, MissesLeaveTheResultUntouched)
{
    Ref<Mesh> quad = render_test::unitQuad();
    ASSERT_TRUE(pickDown(quad.get(), 0.25f, 0.25f, 5.f, -10.f));

    // A segment 4 long from z = 5 ends at z = 1: it never reaches the box,
    // although the infinite ray would hit.
    EXPECT_FALSE(pickDown(quad.get(), 0.25f, 0.25f, 5.f, -4.f));
    // Lateral miss.
    EXPECT_FALSE(pickDown(quad.get(), 2.f, 2.f, 5.f, -10.f));
    // Away from the quad.
    EXPECT_FALSE(pickDown(quad.get(), 0.25f, 0.25f, 5.f, 10.f));
    // Not pickable: scope 0 and picking disabled.
    quad->setScope(0);
    EXPECT_FALSE(pickDown(quad.get(), 0.25f, 0.25f, 5.f, -10.f));
    quad->setScope(-1);
    quad->setPickingEnable(false);
    EXPECT_FALSE(pickDown(quad.get(), 0.25f, 0.25f, 5.f, -10.f));
    EXPECT_EQ(best, FLT_MAX);

    EXPECT_EQ(ri->getIntersected(), quad.get());
    EXPECT_FLOAT_EQ(ri->getDistance(), 5.f);
    EXPECT_EQ(ri->getRayOrigin(), vec3(0.25f, 0.25f, 5.f));
}

TEST_F(PickTest, OriginInsideTheBoxSkipsTheSegmentTest)
{
    // Quads at z = 0 and z = 2 in one mesh: its box spans z 0..2.
    Ref<VertexBuffer> vb = render_test::vertexBuffer({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 2, 1, 0, 2, 1, 1, 2});
    Ref<Mesh> mesh = VORNA3D_NEW Mesh(vb.get(), render_test::triangleList({0, 1, 2, 0, 2, 3, 4, 5, 6}).get());
    // From z = 1 a segment 0.1 long reaches nothing, but the origin is
    // inside the box: the ray goes on to the quad at z = 0, 1 away.
    ASSERT_TRUE(pickDown(mesh.get(), 0.3f, 0.6f, 1.f, -0.1f));
    EXPECT_FLOAT_EQ(ri->getDistance(), 1.f);
    // Outside the box the short segment misses.
    EXPECT_FALSE(pickDown(mesh.get(), 0.3f, 0.6f, 3.f, -0.1f));
}

TEST_F(PickTest, MovedScaledAndBiasedMeshes)
{
    // Positions 0..100 with scale 0.01 and bias (0, 0, -1): the unit quad at z = -1.
    const float bias[3] = {0.f, 0.f, -1.f};
    Ref<VertexBuffer> vb = render_test::vertexBuffer({0, 0, 0, 100, 0, 0, 100, 100, 0, 0, 100, 0}, 0.01f, bias);
    Ref<Mesh> mesh = VORNA3D_NEW Mesh(vb.get(), render_test::triangleList({0, 1, 2, 0, 2, 3}).get());
    ASSERT_TRUE(pickDown(mesh.get(), 0.3f, 0.6f, 5.f, -10.f));
    EXPECT_NEAR(ri->getDistance(), 6.f, 1e-5f);
    // The normal is in array units: edges (100,100,0) and (0,100,0).
    EXPECT_EQ(ri->getNormal(), vec3(0.f, 0.f, 10000.f));

    // Moved: translate (10, 0, 0), scale 2, so the quad covers x 10..12,
    // y 0..2 at z = -2 in the world its group places it in.
    Ref<Group> group = VORNA3D_NEW Group();
    mesh->setTranslation(10.f, 0.f, 0.f);
    mesh->setScale(2.f, 2.f, 2.f);
    group->addChild(mesh.get());
    ASSERT_TRUE(pickDown(group.get(), 11.f, 1.5f, 5.f, -10.f));
    EXPECT_EQ(ri->getIntersected(), mesh.get());
    EXPECT_NEAR(ri->getDistance(), 7.f, 1e-5f);
    EXPECT_FALSE(pickDown(group.get(), 0.3f, 0.6f, 5.f, -10.f));

    // A negative position scale mirrors the quad to x, y in -1..0.
    Ref<VertexBuffer> flipped = render_test::vertexBuffer({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, -1.f);
    Ref<Mesh> mirror = VORNA3D_NEW Mesh(flipped.get(), render_test::triangleList({0, 1, 2, 0, 2, 3}).get());
    ASSERT_TRUE(pickDown(mirror.get(), -0.3f, -0.6f, 5.f, -10.f));
    EXPECT_FLOAT_EQ(ri->getDistance(), 5.f);

    // A world transform that flattens the mesh leaves nothing to hit.
    Transform flat;
    flat.postScale(1.f, 1.f, 0.f);
    EXPECT_FALSE(pickDown(quadAt(0, 0, 0).get(), 0.3f, 0.6f, 5.f, -10.f, 0, flat));
}

TEST_F(PickTest, BoxOnlyAndFirstHitFlags)
{
    // A quad at z = 0 over (0, 0) and a small triangle at z = 2 over (5, 5):
    // the box spans z 0..2, but the ray at (0.3, 0.6) meets only the quad.
    Ref<VertexBuffer> vb = render_test::vertexBuffer({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 5, 5, 2, 6, 5, 2, 5, 6, 2});
    Ref<Mesh> mesh = VORNA3D_NEW Mesh(vb.get(), render_test::triangleList({0, 1, 2, 0, 2, 3, 4, 5, 6}).get());
    ASSERT_TRUE(pickDown(mesh.get(), 0.3f, 0.6f, 5.f, -10.f, Mesh::PICK_BOX_ONLY));
    EXPECT_FLOAT_EQ(ri->getDistance(), 3.f); // the box's top face
    EXPECT_EQ(ri->getSubmeshIndex(), 0);
    EXPECT_EQ(ri->getNormal(), vec3());
    ASSERT_TRUE(pickDown(mesh.get(), 0.3f, 0.6f, 5.f, -10.f));
    EXPECT_FLOAT_EQ(ri->getDistance(), 5.f);
    // Box only, without the triangle stage: (5.9, 5.9) is inside the box but
    // outside the small triangle.
    EXPECT_TRUE(pickDown(mesh.get(), 5.9f, 5.9f, 5.f, -10.f, Mesh::PICK_BOX_ONLY));
    EXPECT_FALSE(pickDown(mesh.get(), 5.9f, 5.9f, 5.f, -10.f));

    // Two submeshes: quad at z = 0 first, quad at z = 2 second. The nearest
    // is the second; with the first-hit flag the search stops at the first.
    Ref<VertexBuffer> two =
        render_test::vertexBuffer({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 2, 1, 0, 2, 1, 1, 2, 0, 1, 2});
    core::Vector<Ref<render::IndexBuffer>> submeshes;
    submeshes.add(render_test::triangleList({0, 1, 2, 0, 2, 3}));
    submeshes.add(render_test::triangleList({4, 5, 6, 4, 6, 7}));
    core::Vector<Ref<render::Appearance>> appearances;
    appearances.setSize(2);
    Ref<Mesh> layered = VORNA3D_NEW Mesh(two.get(), submeshes, appearances);
    ASSERT_TRUE(pickDown(layered.get(), 0.3f, 0.6f, 5.f, -10.f));
    EXPECT_EQ(ri->getSubmeshIndex(), 1);
    EXPECT_FLOAT_EQ(ri->getDistance(), 3.f);
    ASSERT_TRUE(pickDown(layered.get(), 0.3f, 0.6f, 5.f, -10.f, Mesh::PICK_FIRST_HIT));
    EXPECT_EQ(ri->getSubmeshIndex(), 0);
    EXPECT_FLOAT_EQ(ri->getDistance(), 5.f);
}

TEST_F(PickTest, NearestMeshWinsWhateverTheOrder)
{
    Ref<Mesh> far = quadAt(0, 0, 0);
    Ref<Mesh> near = quadAt(0, 0, 2);
    Ref<Group> nearFirst = VORNA3D_NEW Group();
    nearFirst->addChild(near.get());
    nearFirst->addChild(far.get());
    ASSERT_TRUE(pickDown(nearFirst.get(), 0.3f, 0.6f, 5.f, -10.f));
    EXPECT_EQ(ri->getIntersected(), near.get());

    Ref<Mesh> far2 = quadAt(0, 0, 0);
    Ref<Mesh> near2 = quadAt(0, 0, 2);
    Ref<Group> farFirst = VORNA3D_NEW Group();
    farFirst->addChild(far2.get());
    farFirst->addChild(near2.get());
    ASSERT_TRUE(pickDown(farFirst.get(), 0.3f, 0.6f, 5.f, -10.f));
    EXPECT_EQ(ri->getIntersected(), near2.get());
    EXPECT_FLOAT_EQ(best, 3.f);

    // A caller's best distance below every hit keeps its result.
    best = 1.f;
    const Transform identity;
    EXPECT_FALSE(farFirst->handlePick(-1, 0.3f, 0.6f, 5.f, 0.f, 0.f, -10.f, ri, &identity, 0, &best));
    EXPECT_FALSE(farFirst->handlePick(-1, 0.3f, 0.6f, 5.f, 0.f, 0.f, -10.f, ri, &identity, Mesh::PICK_BOX_ONLY, &best));
    EXPECT_EQ(best, 1.f);
}

TEST_F(PickTest, StripsBridgesAndIndicesOutOfRange)
{
    // Two strips: a quad at z = 0 over (0, 0) and one at z = 1 over (3, 0),
    // each as 0 1 2 3 with vertices (x0,0) (x0+1,0) (x0,1) (x0+1,1).
    Ref<VertexBuffer> vb =
        render_test::vertexBuffer({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 3, 0, 1, 4, 0, 1, 3, 1, 1, 4, 1, 1});
    const unsigned short indices[] = {0, 1, 2, 3, 4, 5, 6, 7};
    const int lengths[] = {4, 4};
    Ref<render::IndexBuffer> strips = VORNA3D_NEW render::TriangleStripArray(indices, lengths, 2);
    Ref<Mesh> mesh = VORNA3D_NEW Mesh(vb.get(), strips.get());

    // The first triangle (0, 1, 2) and the second, drawn reversed (3, 2, 1),
    // both face +z.
    ASSERT_TRUE(pickDown(mesh.get(), 0.25f, 0.25f, 5.f, -10.f));
    EXPECT_EQ(ri->getNormal(), vec3(0.f, 0.f, 1.f));
    ASSERT_TRUE(pickDown(mesh.get(), 0.75f, 0.75f, 5.f, -10.f));
    EXPECT_EQ(ri->getNormal(), vec3(0.f, 0.f, 1.f));
    ASSERT_TRUE(pickDown(mesh.get(), 3.6f, 0.3f, 5.f, -10.f));
    EXPECT_FLOAT_EQ(ri->getDistance(), 4.f);
    // Between the strips only the degenerate bridges lie: nothing to hit.
    EXPECT_FALSE(pickDown(mesh.get(), 2.f, 0.5f, 5.f, -10.f));

    // A strip of one degenerate triangle is never hit, even along its edge.
    const unsigned short line[] = {0, 1, 1};
    const int one[] = {3};
    Ref<render::IndexBuffer> degenerate = VORNA3D_NEW render::TriangleStripArray(line, one, 1);
    Ref<Mesh> flat = VORNA3D_NEW Mesh(vb.get(), degenerate.get());
    EXPECT_FALSE(pickDown(flat.get(), 0.5f, 0.f, 5.f, -10.f));

    // Indices at or beyond the vertex count are skipped, never read: the
    // triangle (0, 1, 9) does not exist, (0, 2, 3) still does.
    Ref<VertexBuffer> four = render_test::vertexBuffer({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    Ref<Mesh> broken = VORNA3D_NEW Mesh(four.get(), render_test::triangleList({0, 1, 9, 0, 2, 3}).get());
    EXPECT_FALSE(pickDown(broken.get(), 0.75f, 0.25f, 5.f, -10.f));
    EXPECT_TRUE(pickDown(broken.get(), 0.25f, 0.6f, 5.f, -10.f));
}

TEST_F(PickTest, RejectedInputs)
{
    Ref<Mesh> quad = render_test::unitQuad();
    const Transform identity;
    const char* fn = "render::Mesh::handlePick";
    EXPECT_TRUE(
        failsWith([&] { quad->handlePick(-1, 0, 0, 5, 0, 0, -1, ri, &identity, 0, nullptr); }, " minDistance ", fn));
    EXPECT_TRUE(
        failsWith([&] { quad->handlePick(-1, 0, 0, 5, 0, 0, 0, ri, &identity, 0, &best); }, " dx || dy || dz ", fn));
    EXPECT_TRUE(failsWith([&] { quad->handlePick(-1, 0, 0, 5, 0, 0, -1, nullptr, &identity, 0, &best); }, " ri ", fn));

    // Lines cannot be picked.
    Ref<VertexBuffer> vb = render_test::vertexBuffer({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    Ref<render::IndexBuffer> lines = VORNA3D_NEW render::LineListArray(0, 4);
    Ref<Mesh> wire = VORNA3D_NEW Mesh(vb.get(), lines.get());
    EXPECT_TRUE(failsWith([&] { pickDown(wire.get(), 0.3f, 0.6f, 5.f, -10.f); },
                          "pick failed. IndexBuffer uses unsupported data", "render::Mesh::findMeshPolygon"));
    // Their box can.
    EXPECT_TRUE(pickDown(wire.get(), 0.3f, 0.6f, 5.f, -10.f, Mesh::PICK_BOX_ONLY));

    // 8-bit positions cannot be picked in place.
    Ref<render::VertexArray> bytes = VORNA3D_NEW render::VertexArray(3, 3, 1, 0);
    const char xyz[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    bytes->set(3, xyz);
    Ref<VertexBuffer> byteBuffer = VORNA3D_NEW VertexBuffer();
    byteBuffer->setPositions(bytes.get(), 1.f, nullptr);
    Ref<Mesh> small = VORNA3D_NEW Mesh(byteBuffer.get(), render_test::triangleList({0, 1, 2}).get());
    EXPECT_TRUE(failsWith([&] { pickDown(small.get(), 0.2f, 0.2f, 5.f, -10.f); },
                          "pick failed. VertexArray does not provide short array", "render::Mesh::findMeshPolygon"));

    // Positions held by the GPU are not picked.
    Ref<Mesh> gpu = render_test::unitQuad();
    gpu->getVertexBuffer()->getPositions()->setStaticID(1, 4);
    EXPECT_FALSE(pickDown(gpu.get(), 0.25f, 0.25f, 5.f, -10.f));
}
