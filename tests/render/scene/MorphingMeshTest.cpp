// MorphingMesh: blends of two targets against values computed by hand
// (base + sum of w * (target - base) over the active targets, divided by
// their number, truncated), the 0.01 threshold, saturation beyond 16 bits,
// bounds that follow, the weights animation track, duplication and checks.

#include <gtest/gtest.h>

#include <vector>

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTrack.h"
#include "render/animation/KeyframeSequence.h"
#include "render/scene/MorphingMesh.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"

using core::Ref;
using namespace render;
using render_test::failsWith;

namespace {

class MorphingMeshTest : public render_test::SceneTest { };

// Base v0 (0, 0, 0), v1 (10, 10, 10); target 1 moves v0 to (100, 0, 0);
// target 2 moves v0 to (0, 100, 0) and v1 to (20, 10, 10).
struct Morph {
    Ref<VertexBuffer> base = render_test::vertexBuffer({0, 0, 0, 10, 10, 10});
    Ref<VertexBuffer> t1 = render_test::vertexBuffer({100, 0, 0, 10, 10, 10});
    Ref<VertexBuffer> t2 = render_test::vertexBuffer({0, 100, 0, 20, 10, 10});
    Ref<MorphingMesh> mesh;

    Morph()
    {
        core::Vector<Ref<VertexBuffer>> targets;
        targets.add(t1);
        targets.add(t2);
        mesh = VORNA3D_NEW MorphingMesh(base.get(), render_test::triangleList({0, 1, 0}).get(), nullptr, targets);
    }

    void weights(float a, float b)
    {
        core::Vector<float> w;
        w.add(a);
        w.add(b);
        mesh->setWeights(w);
    }

    std::vector<short> positions() const
    {
        std::vector<short> out(6);
        base->getPositions()->get(0, 2, out.data());
        return out;
    }
};

using Shorts = std::vector<short>;

} // namespace

TEST_F(MorphingMeshTest, BlendsOfTwoTargets)
{
    Morph m;
    EXPECT_EQ(m.mesh->getMorphTargetCount(), 2);
    EXPECT_EQ(m.mesh->getMorphTarget(1), m.t2.get());
    EXPECT_EQ(m.mesh->getWeights()[0], 0.f);
    EXPECT_EQ(m.positions(), (Shorts{0, 0, 0, 10, 10, 10}));

    // Both at 1: displacements (100, 100, 0) and (10, 0, 0), halved.
    m.weights(1.f, 1.f);
    EXPECT_EQ(m.positions(), (Shorts{50, 50, 0, 15, 10, 10}));
    // One target at 0.5: base + d1 / 2.
    m.weights(0.5f, 0.f);
    EXPECT_EQ(m.positions(), (Shorts{50, 0, 0, 10, 10, 10}));
    // 1 and 0.5: v0 (100 + 0, 0 + 50) / 2 = (50, 25); v1 x (0 + 5) / 2 = 2 (truncated) + 10.
    m.weights(1.f, 0.5f);
    EXPECT_EQ(m.positions(), (Shorts{50, 25, 0, 12, 10, 10}));
    // Negative weights push the other way.
    m.weights(-0.5f, 0.f);
    EXPECT_EQ(m.positions(), (Shorts{-50, 0, 0, 10, 10, 10}));
    // At 0.01 and below a target is inactive: the base comes back.
    m.weights(0.005f, 0.01f);
    EXPECT_EQ(m.positions(), (Shorts{0, 0, 0, 10, 10, 10}));
    // 0.011 is active: 100 * 0.011 = 1.1 truncated to 1.
    m.weights(0.011f, 0.f);
    EXPECT_EQ(m.positions(), (Shorts{1, 0, 0, 10, 10, 10}));

    // The same weights again do nothing: a value written meanwhile stays.
    short marker[6] = {7, 7, 7, 7, 7, 7};
    m.base->getPositions()->set(2, marker);
    m.weights(0.011f, 0.f);
    EXPECT_EQ(m.positions(), (Shorts{7, 7, 7, 7, 7, 7}));
}

TEST_F(MorphingMeshTest, LargeDisplacementsDoNotWrapAndBoundsFollow)
{
    // Base -30000, target 30000: a displacement of 60000 does not fit 16 bits
    // but the blend does: -30000 + 60000 = 30000.
    Ref<VertexBuffer> base = render_test::vertexBuffer({-30000, 0, 0});
    Ref<VertexBuffer> far = render_test::vertexBuffer({30000, 0, 0});
    core::Vector<Ref<VertexBuffer>> targets;
    targets.add(far);
    Ref<MorphingMesh> mesh =
        VORNA3D_NEW MorphingMesh(base.get(), render_test::triangleList({0, 0, 0}).get(), nullptr, targets);
    short p[3];
    const float one = 1.f;
    mesh->setWeights(&one, 1);
    base->getPositions()->get(0, 1, p);
    EXPECT_EQ(p[0], 30000);
    // Weight 2 goes beyond the range: the position saturates.
    const float two = 2.f;
    mesh->setWeights(&two, 1);
    base->getPositions()->get(0, 1, p);
    EXPECT_EQ(p[0], 32767);

    // The bounds follow the morphed positions.
    slmath::vec3 lo, hi;
    mesh->getBoundingBox(&lo, &hi, nullptr);
    EXPECT_EQ(hi.x, 32767.f);
    const float half = 0.5f;
    mesh->setWeights(&half, 1);
    mesh->getBoundingBox(&lo, &hi, nullptr);
    EXPECT_EQ(hi.x, 0.f); // -30000 + 30000

    // A position array that grew is written at its new place.
    short more[3 * 20] = {};
    base->getPositions()->set(20, more);
    mesh->setWeights(&one, 1);
    base->getPositions()->get(0, 1, p);
    EXPECT_EQ(p[0], 30000);
}

TEST_F(MorphingMeshTest, WeightsTrackAndDuplicate)
{
    Morph m;
    // A MORPH_WEIGHTS track with one component: the second target gets 0.
    Ref<KeyframeSequence> seq = VORNA3D_NEW KeyframeSequence(1, 1, KeyframeSequence::STEP);
    const float w = 1.f;
    seq->setKeyframe(0, 0, &w, 1);
    seq->setDuration(100);
    Ref<AnimationController> c = VORNA3D_NEW AnimationController();
    Ref<AnimationTrack> t = VORNA3D_NEW AnimationTrack(seq.get(), AnimationTrack::MORPH_WEIGHTS);
    t->setController(c.get());
    m.mesh->addAnimationTrack(t.get());
    m.mesh->animate(0);
    EXPECT_EQ(m.positions(), (Shorts{100, 0, 0, 10, 10, 10}));
    EXPECT_EQ(m.mesh->getWeights()[1], 0.f);

    // Three values for two targets: the third is ignored.
    const float three[3] = {0.f, 1.f, 5.f};
    m.mesh->setWeights(three, 3);
    EXPECT_EQ(m.positions(), (Shorts{0, 100, 0, 20, 10, 10}));

    // The walk lists the targets after the mesh's own references.
    core::Vector<Object3D*> refs;
    const int count = m.mesh->getReferences(&refs);
    ASSERT_GE(count, 2);
    EXPECT_EQ(refs[count - 2], m.t1.get());
    EXPECT_EQ(refs[count - 1], m.t2.get());

    // A duplicate is a morphing mesh with the targets, the weights and the
    // base shape, morphing its own copy of the positions.
    Ref<MorphingMesh> copy = m.mesh->duplicate();
    EXPECT_EQ(copy->getMorphTargetCount(), 2);
    EXPECT_EQ(copy->getMorphTarget(0), m.t1.get());
    EXPECT_EQ(copy->getWeights()[1], 1.f);
    EXPECT_NE(copy->getVertexBuffer(), m.base.get());
    copy->setWeights(nullptr, 0);
    short p[6];
    copy->getVertexBuffer()->getPositions()->get(0, 2, p);
    EXPECT_EQ(Shorts(p, p + 6), (Shorts{0, 0, 0, 10, 10, 10}));
    EXPECT_EQ(m.positions(), (Shorts{0, 100, 0, 20, 10, 10}));
}

TEST_F(MorphingMeshTest, Checks)
{
    Morph m;
    core::Vector<float> one;
    one.add(1.f);
    EXPECT_TRUE(failsWith([&] { m.mesh->setWeights(one); },
                          "MorphingMesh setWeights failed because weights.size < getMorphTargetCount()",
                          "render::MorphingMesh::setWeights"));
    one.add(1.f);
    one.add(1.f);
    EXPECT_TRUE(failsWith([&] { m.mesh->setWeights(one); }, " weights.size() == m_targets.size() ",
                          "render::MorphingMesh::setWeights"));
    EXPECT_TRUE(failsWith([&] { m.mesh->getMorphTarget(2); },
                          "MorphingMesh getMorphTarget failed because index is invalid",
                          "render::MorphingMesh::getMorphTarget"));

    Ref<IndexBuffer> triangles = render_test::triangleList({0, 1, 0});
    core::Vector<Ref<VertexBuffer>> none;
    EXPECT_TRUE(failsWith([&] { MorphingMesh(m.base.get(), triangles.get(), nullptr, none); },
                          "MorphingMesh failed because targets size is 0",
                          "render::MorphingMesh::initMorphingMeshBuffers"));
    core::Vector<Ref<VertexBuffer>> withNull;
    withNull.add(Ref<VertexBuffer>());
    EXPECT_TRUE(failsWith([&] { MorphingMesh(m.base.get(), triangles.get(), nullptr, withNull); },
                          "targets element is 0", "render::MorphingMesh::initMorphingMeshBuffers"));
    // A target of another vertex count is refused at set-up.
    core::Vector<Ref<VertexBuffer>> shorter;
    shorter.add(render_test::vertexBuffer({1, 2, 3}));
    EXPECT_TRUE(failsWith([&] { MorphingMesh(m.base.get(), triangles.get(), nullptr, shorter); },
                          "MorphingMesh target positions do not match the base positions",
                          "render::MorphingMesh::initMorphingMeshBuffers"));
    core::Vector<Ref<VertexBuffer>> empty;
    empty.add(Ref<VertexBuffer>(VORNA3D_NEW VertexBuffer()));
    EXPECT_TRUE(failsWith([&] { MorphingMesh(m.base.get(), triangles.get(), nullptr, empty); },
                          "MorphingMesh target positions do not match the base positions",
                          "render::MorphingMesh::initMorphingMeshBuffers"));
}
