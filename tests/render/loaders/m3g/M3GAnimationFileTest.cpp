// The shared skinned and animated scene file, test.m3g: it loads whole,
// animates over its whole duration, moves the skinned mesh's vertices, and
// comes back from the writer animating to the same vertex positions. (A
// file keeps a skinned mesh in the pose it was written in: that pose is
// the rest pose of the reloaded mesh, so vertices bound to several bones
// blend slightly differently at other times.) The counts come from a dump
// of the file's records (a small Python reader).

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "core/MemoryStream.h"
#include "render/animation/AnimationTrack.h"
#include "render/scene/Group.h"
#include "render/animation/KeyframeSequence.h"
#include "render/loaders/m3g/M3G_Writer.h"
#include "render/scene/SkinnedMesh.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"
#include "tests/render/loaders/m3g/M3GTestSupport.h"

using namespace m3g_test;
using namespace render;
using core::Ref;

namespace {

class M3GAnimationFileTest : public M3GTest {
protected:
    void SetUp() override
    {
        M3GTest::SetUp();
        if (!std::filesystem::exists(testData() / "test.m3g"))
            GTEST_SKIP() << "test.m3g not present";
        roots = VORNA3D_NEW core::Vector<Ref<Object3D>>(loadBytes(readFile(testData() / "test.m3g"), "test.m3g"));
        ASSERT_EQ(roots->size(), 1);
        world = dynamic_cast<World*>((*roots)[0].get());
        ASSERT_TRUE(world);
        mesh = findSkinned(world);
        ASSERT_TRUE(mesh);
    }

    void TearDown() override
    {
        delete roots; // before the engine stops
        roots = nullptr;
        M3GTest::TearDown();
    }

    static SkinnedMesh* findSkinned(Group* group)
    {
        for (int i = 0; i < group->getChildCount(); ++i) {
            if (SkinnedMesh* skinned = dynamic_cast<SkinnedMesh*>(group->getChild(i)))
                return skinned;
            if (Group* child = dynamic_cast<Group*>(group->getChild(i)))
                if (SkinnedMesh* skinned = findSkinned(child))
                    return skinned;
        }
        return nullptr;
    }

    // Every object reachable from `root` through the reference walk.
    static void reach(Object3D* root, std::set<Object3D*>& seen)
    {
        if (!seen.insert(root).second)
            return;
        core::Vector<Object3D*> refs;
        root->getReferences(&refs);
        for (Object3D* ref : refs)
            reach(ref, seen);
    }

    // The decoded positions of the skinned mesh.
    static std::vector<float> positions(SkinnedMesh* skinned)
    {
        float sb[4];
        VertexArray* va = skinned->getVertexBuffer()->getPositions(sb);
        const int n = va->getVertexCount();
        std::vector<short> raw(3 * size_t(n));
        va->get(0, n, raw.data());
        std::vector<float> out(raw.size());
        for (size_t i = 0; i < raw.size(); ++i)
            out[i] = raw[i] * sb[0] + sb[1 + i % 3];
        return out;
    }

    // Held by pointer: the fixture's destructor must not throw.
    core::Vector<Ref<Object3D>>* roots = nullptr;
    World* world = nullptr;
    SkinnedMesh* mesh = nullptr;
};

} // namespace

TEST_F(M3GAnimationFileTest, LoadsEveryGroupTrackAndBone)
{
    std::set<Object3D*> all;
    reach(world, all);
    int groups = 0, tracks = 0, sequences = 0;
    for (Object3D* object : all) {
        groups += dynamic_cast<Group*>(object) && !dynamic_cast<World*>(object) ? 1 : 0;
        tracks += dynamic_cast<AnimationTrack*>(object) ? 1 : 0;
        sequences += dynamic_cast<KeyframeSequence*>(object) ? 1 : 0;
    }
    EXPECT_EQ(groups, 40);
    EXPECT_EQ(tracks, 23);
    EXPECT_EQ(sequences, 23);
    // 1657 vertices, 2249 transform references; the 8-bit positions were
    // widened for skinning.
    EXPECT_EQ(mesh->getVertexBuffer()->getVertexCount(), 1657);
    EXPECT_EQ(mesh->getTransformReferenceCount(), 2249);
    EXPECT_EQ(mesh->getVertexBuffer()->getPositions()->getComponentType(), 2);
    EXPECT_GT(mesh->getBoneCount(), 10);
}

TEST_F(M3GAnimationFileTest, AnimatesOverItsWholeDurationAndMovesTheVertices)
{
    // Duration 8833 ms; the controllers start at world time 33. Times before
    // it wrap to the end of the sequences.
    std::vector<float> first;
    bool moved = false;
    for (int t = 0; t <= 9000; t += 37) {
        ASSERT_NO_THROW(world->animate(t)) << t;
        std::vector<float> now = positions(mesh);
        if (first.empty())
            first = now;
        else if (now != first)
            moved = true;
        for (float v : now)
            ASSERT_TRUE(std::isfinite(v)) << t;
    }
    EXPECT_TRUE(moved);
    // Frames after the first allocate nothing.
    world->animate(100);
    const int before = allocatedBlocks();
    for (int t = 200; t < 2000; t += 16)
        world->animate(t);
    EXPECT_EQ(allocatedBlocks(), before);
}

TEST_F(M3GAnimationFileTest, WrittenAtAPoseAnimatesBackToTheSamePositions)
{
    for (bool compress : {false, true}) {
        SCOPED_TRACE(compress);
        world->animate(2000);
        const std::vector<float> expected = positions(mesh);
        float sb[4];
        mesh->getVertexBuffer()->getPositions(sb);
        const float step = sb[0];

        M3G_Writer::Options options;
        options.compress = compress;
        Ref<core::MemoryStream> out = VORNA3D_NEW core::MemoryStream();
        M3G_Writer::save(out.get(), *roots, options);
        core::Vector<Ref<Object3D>> again =
            loadBytes(Bytes(out->getData(), out->getData() + out->getSize()), "written.m3g");
        ASSERT_EQ(again.size(), 1);
        World* world2 = dynamic_cast<World*>(again[0].get());
        ASSERT_TRUE(world2);
        SkinnedMesh* mesh2 = findSkinned(world2);
        ASSERT_TRUE(mesh2);
        world2->animate(2000);
        const std::vector<float> got = positions(mesh2);
        ASSERT_EQ(got.size(), expected.size());
        // Each position was rounded to the 16-bit grid twice on the way.
        float worst = 0.f;
        for (size_t i = 0; i < got.size(); ++i)
            worst = std::fmax(worst, std::fabs(got[i] - expected[i]));
        EXPECT_LE(worst, 3.f * step);
    }
}
