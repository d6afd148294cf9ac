// Animation costs: vertices skinned per second by SkinnedMesh::recalcVertices
// (two bones per vertex), and the cost of one frame's World::animate for a
// scene the size of the shared skinned test file (40 groups, 23 tracks of
// 268 keyframes, a skinned mesh of 1657 vertices), with and without the
// skinning. Google Benchmark prints the tables; the program then repeats
// the figures on one line each.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "core/Globals.h"
#include "core/Ref.h"
#include "framework/FrameworkConfig.h"
#include "render/animation/AnimationController.h"
#include "render/animation/AnimationTrack.h"
#include "render/scene/Group.h"
#include "render/animation/KeyframeSequence.h"
#include "render/NullGraphics3D.h"
#include "render/scene/SkinnedMesh.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "render/scene/World.h"

namespace {

// A chain of `bones` groups below a skeleton, each one unit along y from
// its parent, and a skinned column of `vertices` vertices along y, each
// bound to the two bones nearest to it.
struct Column {
    core::Ref<render::Group> skeleton = VORNA3D_NEW render::Group();
    std::vector<core::Ref<render::Group>> bones;
    core::Ref<render::SkinnedMesh> mesh;

    Column(int boneCount, int vertices)
    {
        render::Group* parent = skeleton.get();
        for (int b = 0; b < boneCount; ++b) {
            core::Ref<render::Group> bone = VORNA3D_NEW render::Group();
            if (b > 0)
                bone->setTranslation(0.f, 1.f, 0.f);
            parent->addChild(bone.get());
            parent = bone.get();
            bones.push_back(bone);
        }
        std::vector<short> xyz(3 * size_t(vertices));
        for (int v = 0; v < vertices; ++v) {
            const float height = float(boneCount - 1) * float(v) / float(vertices);
            xyz[3 * v] = short((v % 7) * 100);
            xyz[3 * v + 1] = short(height * 1000.f);
            xyz[3 * v + 2] = short((v % 5) * 100);
        }
        core::Ref<render::VertexArray> positions = VORNA3D_NEW render::VertexArray(vertices, 3, 2, 0);
        positions->set(vertices, xyz.data());
        core::Ref<render::VertexBuffer> vb = VORNA3D_NEW render::VertexBuffer();
        vb->setPositions(positions.get(), 0.001f, nullptr);
        const unsigned short triangle[3] = {0, 1, 2};
        core::Ref<render::TriangleListArray> triangles = VORNA3D_NEW render::TriangleListArray(triangle, 3);
        mesh = VORNA3D_NEW render::SkinnedMesh(vb.get(), triangles.get(), nullptr, skeleton.get());
        const int perBone = vertices / (boneCount - 1);
        for (int b = 0; b + 1 < boneCount; ++b) {
            const int first = b * perBone;
            const int count = b + 2 == boneCount ? vertices - first : perBone;
            mesh->addTransform(bones[size_t(b)].get(), 3, first, count);
            mesh->addTransform(bones[size_t(b) + 1].get(), 1, first, count);
        }
    }
};

// A track of `keyframes` LINEAR orientation keyframes rocking about x.
core::Ref<render::AnimationTrack> rockingTrack(int keyframes, render::AnimationController* controller)
{
    core::Ref<render::KeyframeSequence> seq =
        VORNA3D_NEW render::KeyframeSequence(keyframes, 4, render::KeyframeSequence::LINEAR);
    for (int k = 0; k < keyframes; ++k) {
        const float angle = 0.3f * float(k % 9) / 9.f;
        const float q[4] = {angle, 0.f, 0.f, 1.f};
        seq->setKeyframe(k, 33 * k, q, 4);
    }
    seq->setValidRange(0, keyframes - 1);
    seq->setDuration(33 * keyframes);
    core::Ref<render::AnimationTrack> track =
        VORNA3D_NEW render::AnimationTrack(seq.get(), render::AnimationTrack::ORIENTATION);
    track->setController(controller);
    return track;
}

void BM_SkinVertices(benchmark::State& state)
{
    const int vertices = static_cast<int>(state.range(0));
    Column column(8, vertices);
    float angle = 0.f;
    for (auto _ : state) {
        column.bones[3]->setOrientation(angle, 1.f, 0.f, 0.f);
        column.mesh->recalcVertices();
        angle = angle < 90.f ? angle + 1.f : 0.f;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * vertices);
}
BENCHMARK(BM_SkinVertices)->Arg(1657)->Arg(16384)->Unit(benchmark::kMicrosecond);

// The test file's shape: 40 groups (a 40-bone chain under the skeleton,
// less the one the world holds it in), 23 of them animated by their own
// track of 268 keyframes; with `skinned`, the 1657-vertex mesh as well.
void animateWorld(benchmark::State& state, bool skinned)
{
    core::Ref<render::World> world = VORNA3D_NEW render::World();
    Column column(39, 1657);
    core::Ref<render::Group> holder = VORNA3D_NEW render::Group();
    world->addChild(holder.get());
    core::Ref<render::AnimationController> controller = VORNA3D_NEW render::AnimationController();
    for (int b = 0; b < 23; ++b)
        column.bones[size_t(b)]->addAnimationTrack(rockingTrack(268, controller.get()).get());
    if (skinned) {
        holder->addChild(column.mesh.get());
    } else {
        column.mesh = nullptr; // the skeleton is free again: the world holds it directly
        holder->addChild(column.skeleton.get());
    }
    int time = 0;
    world->animate(time);
    for (auto _ : state) {
        time = (time + 16) % 8833;
        world->animate(time);
        benchmark::ClobberMemory();
    }
}

void BM_WorldAnimateSkinned(benchmark::State& state)
{
    animateWorld(state, true);
}
BENCHMARK(BM_WorldAnimateSkinned)->Unit(benchmark::kMicrosecond);

void BM_WorldAnimateTracksOnly(benchmark::State& state)
{
    animateWorld(state, false);
}
BENCHMARK(BM_WorldAnimateTracksOnly)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    const framework::EngineScope engineServices = bench::startEngine(32 * 1024 * 1024, 3);
    {
        // Nodes need a registered renderer; this one draws nothing.
        core::Ref<render::NullGraphics3D> renderer = VORNA3D_NEW render::NullGraphics3D();
        renderer->registerInstance();

        bench::FigureReporter reporter;
        bench::runBenchmarks(argc, argv, reporter);

        std::printf("\nSkinning (two bones per vertex):\n");
        for (const auto& [name, f] : reporter.all())
            if (name.rfind("BM_SkinVertices", 0) == 0)
                bench::printFigure(name, f.itemsPerSecond, "vertices/s", 0, 26);
        std::printf("World::animate per frame (CPU):\n");
        for (const char* name : {"BM_WorldAnimateSkinned", "BM_WorldAnimateTracksOnly"})
            if (const bench::Figures* f = reporter.find(name))
                bench::printFigure(name, f->cpu, "us", 1, 26);
        core::Globals::get()->m_g3d.clear();
    }
    return 0;
}
