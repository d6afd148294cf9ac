// SkinnedMesh: a two-bone bar posed against positions computed by hand,
// vertices without weight, the written scale, bounds, bone listings,
// duplication with its own skeleton, rendering, picking and scene bounds
// of the skeleton, and the checks.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "core/Debug.h"
#include "core/Ref.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTrack.h"
#include "render/scene/Group.h"
#include "render/animation/KeyframeSequence.h"
#include "render/scene/RayIntersection.h"
#include "render/scene/SceneBounds.h"
#include "render/scene/SkinnedMesh.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"
#include "tests/support/LogCapture.h"

using core::Ref;
using namespace render;
using render_test::failsWith;

namespace {

// A bar along x bound to two bones: bone A at the skeleton's origin, bone B
// a child of A one unit along x. Positions are stored at scale 0.5:
// v0 (0, 0, 0) on A; v1 (1.5, 0, 0) on A (weight 1) and B (weight 3);
// v2 (2, 0, 0) on B; v3 (0, 0, 1) on no bone; v4 (0, 1, 0) on A with weight 0.
struct Bar {
    Ref<VertexBuffer> vb;
    Ref<Group> skeleton = VORNA3D_NEW Group();
    Ref<Group> boneA = VORNA3D_NEW Group();
    Ref<Group> boneB = VORNA3D_NEW Group();
    Ref<SkinnedMesh> mesh;

    Bar()
    {
        vb = render_test::vertexBuffer({0, 0, 0, 3, 0, 0, 4, 0, 0, 0, 0, 2, 0, 2, 0}, 0.5f);
        skeleton->addChild(boneA.get());
        boneA->addChild(boneB.get());
        boneB->setTranslation(1.f, 0.f, 0.f);
        mesh = VORNA3D_NEW SkinnedMesh(vb.get(), render_test::triangleList({0, 1, 2, 2, 3, 4}).get(), nullptr,
                                       skeleton.get());
        mesh->addTransform(boneA.get(), 1, 0, 2);
        mesh->addTransform(boneB.get(), 3, 1, 2);
        mesh->addTransform(boneA.get(), 0, 4, 1);
    }

    // The decoded position of vertex v.
    slmath::vec3 position(int v) const
    {
        float sb[4];
        VertexArray* va = vb->getPositions(sb);
        short p[3];
        va->get(v, 1, p);
        return slmath::vec3(p[0] * sb[0] + sb[1], p[1] * sb[0] + sb[2], p[2] * sb[0] + sb[3]);
    }
};

::testing::AssertionResult near(const slmath::vec3& got, float x, float y, float z, float tol = 1e-3f)
{
    if (std::fabs(got.x - x) <= tol && std::fabs(got.y - y) <= tol && std::fabs(got.z - z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << ") vs (" << x << ", " << y
                                         << ", " << z << ")";
}

class SkinnedMeshTest : public render_test::SceneTest { };

} // namespace

TEST_F(SkinnedMeshTest, TwoBoneBarFollowsItsBones)
{
    Bar bar;
    EXPECT_EQ(bar.mesh->getSkeleton(), bar.skeleton.get());
    EXPECT_EQ(bar.skeleton->getParent(), bar.mesh.get());
    EXPECT_EQ(bar.mesh->getBoneCount(), 2); // A added twice is listed once

    // Unmoved bones reproduce the set-up positions.
    bar.mesh->recalcVertices();
    EXPECT_TRUE(near(bar.position(0), 0.f, 0.f, 0.f));
    EXPECT_TRUE(near(bar.position(1), 1.5f, 0.f, 0.f));
    EXPECT_TRUE(near(bar.position(2), 2.f, 0.f, 0.f));

    // A turns 90 degrees about z, and B another 90 degrees about z in A's frame.
    bar.boneA->setOrientation(90.f, 0.f, 0.f, 1.f);
    bar.boneB->setOrientation(90.f, 0.f, 0.f, 1.f);
    bar.mesh->recalcVertices();
    // v0 on A: R90 (0, 0, 0) = (0, 0, 0).
    EXPECT_TRUE(near(bar.position(0), 0.f, 0.f, 0.f));
    // v1 on A: R90 (1.5, 0, 0) = (0, 1.5, 0). On B: at rest (0.5, 0, 0) in B's
    // frame, now R90 T(1, 0, 0) R90 (0.5, 0, 0) = R90 (1, 0.5, 0) = (-0.5, 1, 0).
    // Weights 1 and 3: ((0, 1.5) + 3 (-0.5, 1)) / 4 = (-0.375, 1.125).
    EXPECT_TRUE(near(bar.position(1), -0.375f, 1.125f, 0.f));
    // v2 on B: (1, 0, 0) in B's frame -> R90 T(1, 0, 0) (0, 1, 0) = R90 (1, 1, 0) = (-1, 1, 0).
    EXPECT_TRUE(near(bar.position(2), -1.f, 1.f, 0.f));
    // No bones, or weights summing to 0: the set-up position stays.
    EXPECT_TRUE(near(bar.position(3), 0.f, 0.f, 1.f));
    EXPECT_TRUE(near(bar.position(4), 0.f, 1.f, 0.f));

    // The positions are stored at the scale of the largest coordinate (at
    // least 1): here v1's 1.125, so the scale is 1.125 / 32767, bias 0, and
    // values are truncated: v1 = (-0.375, 1.125) * 32767 / 1.125 = (-10922.3, 32767).
    float sb[4];
    VertexArray* positions = bar.vb->getPositions(sb);
    EXPECT_FLOAT_EQ(sb[0], 1.125f / 32767.f);
    EXPECT_EQ(sb[1], 0.f);
    short v1[3];
    positions->get(1, 1, v1);
    EXPECT_EQ(v1[0], -10922);
    EXPECT_EQ(v1[1], 32767);
    // The bounds follow the new positions.
    slmath::vec3 lo, hi;
    bar.mesh->getBoundingBox(&lo, &hi, nullptr);
    EXPECT_NEAR(lo.x, -1.f, 1e-3f);
    EXPECT_NEAR(hi.y, 1.125f, 1e-3f);

    // The skeleton's own transform moves every bound vertex.
    bar.skeleton->setTranslation(0.f, 0.f, 5.f);
    bar.mesh->recalcVertices();
    EXPECT_TRUE(near(bar.position(2), -1.f, 1.f, 5.f));
    EXPECT_TRUE(near(bar.position(3), 0.f, 0.f, 1.f));
    bar.vb->getPositions(sb);
    EXPECT_FLOAT_EQ(sb[0], 5.f / 32767.f);
}

TEST_F(SkinnedMeshTest, AnimateMovesTheBonesThenSkins)
{
    Bar bar;
    // A track turning bone A from 0 to 90 degrees about z over 1000 ms.
    Ref<KeyframeSequence> turn = VORNA3D_NEW KeyframeSequence(2, 4, KeyframeSequence::SLERP);
    const float q0[4] = {0.f, 0.f, 0.f, 1.f};
    const float q1[4] = {0.f, 0.f, 0.70710678f, 0.70710678f};
    turn->setKeyframe(0, 0, q0, 4);
    turn->setKeyframe(1, 1000, q1, 4);
    turn->setValidRange(0, 1);
    turn->setDuration(2000);
    Ref<AnimationController> controller = VORNA3D_NEW AnimationController();
    Ref<AnimationTrack> track = VORNA3D_NEW AnimationTrack(turn.get(), AnimationTrack::ORIENTATION);
    track->setController(controller.get());
    bar.boneA->addAnimationTrack(track.get());

    Ref<World> world = VORNA3D_NEW World();
    world->addChild(bar.mesh.get());
    world->animate(1000);
    // The whole bar turned 90 degrees: v2 (2, 0, 0) -> (0, 2, 0).
    EXPECT_TRUE(near(bar.position(2), 0.f, 2.f, 0.f));
    EXPECT_TRUE(near(bar.position(1), 0.f, 1.5f, 0.f));
    world->animate(500); // 45 degrees
    EXPECT_TRUE(near(bar.position(2), 2.f * 0.70710678f, 2.f * 0.70710678f, 0.f));
}

TEST_F(SkinnedMeshTest, BoneListingsAndTheirLog)
{
    Bar bar;
    core::Vector<SkinnedMesh::WeightData> out;
    EXPECT_EQ(bar.mesh->getBoneVertices(bar.boneB.get(), out), 2);
    EXPECT_EQ(out[0].weight, 3);
    EXPECT_EQ(out[0].firstVertex, 1);
    EXPECT_EQ(out[0].vertexCount, 1);
    EXPECT_EQ(out[1].firstVertex, 2);
    EXPECT_EQ(bar.mesh->getBoneVertices(bar.boneA.get(), out), 3);
    EXPECT_EQ(out[2].firstVertex, 4);
    EXPECT_EQ(out[2].weight, 0);

    ASSERT_EQ(bar.mesh->getTransformReferenceCount(), 3);
    EXPECT_EQ(bar.mesh->getTransformReference(1).bone, bar.boneB.get());
    EXPECT_EQ(bar.mesh->getTransformReference(1).weight, 3);
    EXPECT_EQ(bar.mesh->getTransformReference(1).firstVertex, 1);
    EXPECT_EQ(bar.mesh->getTransformReference(1).vertexCount, 2);

    core::Debug::setDebugLevel(core::DEBUG_LEVEL_RENDER);
    testing_support::LogCapture log;
    Ref<Group> stranger = VORNA3D_NEW Group();
    stranger->setUserID(77);
    EXPECT_EQ(bar.mesh->getBoneVertices(stranger.get(), out), 0);
    EXPECT_TRUE(out.isEmpty());
    Ref<Group> extra = VORNA3D_NEW Group();
    extra->setUserID(9);
    bar.skeleton->setUserID(4);
    bar.boneB->addChild(extra.get());
    bar.mesh->addTransform(extra.get(), 1, 0, 1);
    const std::string text = log.text();
    EXPECT_NE(text.find("SkinnedMesh does not include this bone! (ID : 77)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("(skeleton : 4) add bone 9 \n"), std::string::npos) << text;

    EXPECT_TRUE(failsWith([&] { bar.mesh->getBoneVertices(nullptr, out); },
                          "getBoneVertices failed because bone parameter is 0",
                          "render::SkinnedMesh::getBoneVertices"));
}

TEST_F(SkinnedMeshTest, DuplicateHasItsOwnSkeletonAndBones)
{
    Bar bar;
    Ref<SkinnedMesh> copy = bar.mesh->duplicate();
    ASSERT_NE(copy->getSkeleton(), bar.skeleton.get());
    EXPECT_EQ(copy->getSkeleton()->getParent(), copy.get());
    EXPECT_NE(copy->getVertexBuffer(), bar.vb.get());
    ASSERT_EQ(copy->getBoneCount(), 2);
    Group* copyA = static_cast<Group*>(copy->getSkeleton()->getChild(0));
    Node* copyB = copyA->getChild(0);
    EXPECT_EQ(copy->getBone(0), copyA);
    EXPECT_EQ(copy->getBone(1), copyB);
    EXPECT_EQ(copy->getTransformReference(1).bone, copyB);

    // Posing the copy's bones moves the copy only.
    copyA->setOrientation(90.f, 0.f, 0.f, 1.f);
    copy->recalcVertices();
    bar.mesh->recalcVertices();
    float sb[4];
    short p[3];
    copy->getVertexBuffer()->getPositions(sb)->get(2, 1, p);
    EXPECT_NEAR(p[0] * sb[0], 0.f, 1e-3f);
    EXPECT_NEAR(p[1] * sb[0], 2.f, 1e-3f);
    EXPECT_TRUE(near(bar.position(2), 2.f, 0.f, 0.f));
}

TEST_F(SkinnedMeshTest, RendersAndPicksTheSkeletonToo)
{
    Bar bar;
    // A quad hanging from bone B, and the skeleton moved 10 along y.
    Ref<Mesh> quad = render_test::unitQuad();
    bar.boneB->addChild(quad.get());
    bar.skeleton->setTranslation(0.f, 10.f, 0.f);
    Transform placed;
    placed.postTranslate(100.f, 0.f, 0.f);
    g3d->render(Graphics3D::RENDER_ALL, bar.mesh.get(), placed);
    const auto draws = g3d->of(render_test::RecordingGraphics3D::DRAW);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].vertices, bar.vb.get());
    // The quad: placed * skeleton * A * B = T(101, 10, 0).
    EXPECT_TRUE(render_test::near(Transform(draws[1].matrix),
                                  render_test::rows({1, 0, 0, 101, 0, 1, 0, 10, 0, 0, 1, 0, 0, 0, 0, 1})));

    // A ray down the z axis through the quad at (101.5, 10.5) hits it.
    Ref<RayIntersection> ri = VORNA3D_NEW RayIntersection();
    float distance = FLT_MAX;
    EXPECT_TRUE(bar.mesh->handlePick(-1, 101.5f, 10.5f, 5.f, 0.f, 0.f, -10.f, ri.get(), &placed, 0, &distance));
    EXPECT_EQ(ri->getIntersected(), quad.get());
    EXPECT_NEAR(distance, 5.f, 1e-4f);
    // Missing both: no hit.
    distance = FLT_MAX;
    EXPECT_FALSE(bar.mesh->handlePick(-1, 50.f, 50.f, 5.f, 0.f, 0.f, -10.f, ri.get(), &placed, 0, &distance));
}

TEST_F(SkinnedMeshTest, SceneBoundsHoldTheSkinnedShapeAndTheSkeletonsMeshes)
{
    Bar bar;
    Ref<Mesh> quad = render_test::unitQuad();
    bar.boneB->addChild(quad.get());
    bar.skeleton->setTranslation(0.f, 10.f, 0.f);
    bar.mesh->setTranslation(100.f, 0.f, 0.f);
    bar.mesh->recalcVertices();
    // The bar as skinned: v0..v2 follow the skeleton up to y = 10, v3 (no
    // bone) stays at (0, 0, 1) and v4 (weight 0) at (0, 1, 0); all moved
    // 100 along x by the mesh. The quad on bone B spans (101..102,
    // 10..11, 0): mesh, skeleton and B's translations.
    SceneBounds bounds;
    bounds.add(bar.mesh.get());
    EXPECT_TRUE(near(bounds.getMin(), 100.f, 0.f, 0.f));
    EXPECT_TRUE(near(bounds.getMax(), 102.f, 11.f, 1.f));
}

TEST_F(SkinnedMeshTest, Checks)
{
    Bar bar;
    Ref<Group> outside = VORNA3D_NEW Group();
    EXPECT_TRUE(failsWith([&] { bar.mesh->addTransform(outside.get(), 1, 0, 1); },
                          "bone is not the skeleton or a node below it", "render::SkinnedMesh::boneToSkeleton"));
    EXPECT_TRUE(failsWith([&] { bar.mesh->addTransform(bar.boneA.get(), 1, 4, 2); },
                          "vertex range is outside the positions", "render::SkinnedMesh::addTransform"));
    EXPECT_TRUE(
        failsWith([&] { bar.mesh->addTransform(nullptr, 1, 0, 1); }, " bone ", "render::SkinnedMesh::addTransform"));
    EXPECT_EQ(bar.mesh->getTransformReferenceCount(), 3);

    // The skeleton is the mesh's child: it cannot serve a second mesh nor
    // take the mesh below it.
    EXPECT_TRUE(failsWith(
        [&] {
            SkinnedMesh(bar.vb.get(), render_test::triangleList({0, 1, 2}).get(), nullptr, bar.skeleton.get());
        },
        "skeleton already has a parent", "render::SkinnedMesh::adoptSkeleton"));
    EXPECT_THROW(bar.boneA->addChild(bar.mesh.get()), AssertationFailedException);

    // Positions must be 3 shorts.
    Ref<VertexBuffer> bytes = VORNA3D_NEW VertexBuffer();
    Ref<VertexArray> bytePositions = VORNA3D_NEW VertexArray(3, 3, 1, 0);
    bytes->setPositions(bytePositions.get(), 1.f, nullptr);
    Ref<Group> skeleton = VORNA3D_NEW Group();
    EXPECT_TRUE(failsWith(
        [&] {
            SkinnedMesh(bytes.get(), render_test::triangleList({0, 1, 2}).get(), nullptr, skeleton.get());
        },
        " m_vertexArray->getComponentType() == 2 ", "render::SkinnedMesh::initSkinnedMeshBuffers"));

    // A position array that grew after set-up is written at its new place.
    Ref<VertexArray> positions = bar.vb->getPositions();
    short more[3 * 40] = {};
    positions->set(40, more);
    bar.boneA->setOrientation(90.f, 0.f, 0.f, 1.f);
    bar.mesh->recalcVertices();
    EXPECT_TRUE(near(bar.position(2), 0.f, 2.f, 0.f)); // R90 (2, 0, 0), B unturned
    EXPECT_EQ(positions->getVertexCount(), 40);
}
