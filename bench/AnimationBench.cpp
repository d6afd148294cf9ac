// Animation costs: vertices skinned per second by SkinnedMesh::recalcVertices
// (two bones per vertex), and the cost of one frame's World::animate for a
// scene the size of the shared skinned test file (40 groups, 23 tracks of
// 268 keyframes, a skinned mesh of 1657 vertices), with and without the
// skinning. Google Benchmark prints the tables; the program then repeats
// the figures on one line each.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/Globals.h"
#include "core/Ref.h"
#include "framework/App_helpers.h"
#include "framework/FrameworkConfig.h"
#include "render/AnimationController.h"
#include "render/AnimationTrack.h"
#include "render/Graphics3D.h"
#include "render/Group.h"
#include "render/KeyframeSequence.h"
#include "render/SkinnedMesh.h"
#include "render/Texture2D.h"
#include "render/TriangleListArray.h"
#include "render/VertexArray.h"
#include "render/VertexBuffer.h"
#include "render/World.h"

namespace {

// Nodes need a registered renderer; this one draws nothing.
class NullRenderer : public render::Graphics3D {
public:
    using render::Graphics3D::registerInstance;
    void setDepthRange(float, float) override {}
    void setActiveShaderProgram(int) override {}
    int createStaticBuffer(int, int, const void*) override { return 0; }
    void deleteStaticBuffer(int) override {}
    render::Texture2D* createNewTexture(int, int) override { return VORNA3D_NEW render::Texture2D(nullptr); }
    int getActiveShaderProgram() override { return 0; }
    void swapBuffers() override {}
    void makeCurrent() override {}
    void createContext() override {}

protected:
    void lowLevelClear(float, float, float, float, bool, bool) override {}
    void lowLevelRender(render::VertexBuffer*, render::IndexBuffer*, render::Appearance*, const render::Transform&,
                        int) override
    {
    }
    void lowLevelBindTarget() override {}
    void lowLevelReleaseTarget() override {}
    bool sendLightData(const render::LightConfig*) override { return true; }
    void loadProjection() override {}
    void lowLevelSetViewport(int, int, int, int) override {}
    bool checkError(const char*) override { return true; }
    void updateProperties() override { setDeviceLimits(4096, 4096, 4096, 8); }
    void initRenderState() override {}
    void copyScreenToTexture(int, int, int, int) override {}
};

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

// Keeps each run's figures next to the usual console table.
class FigureReporter : public benchmark::ConsoleReporter {
public:
    struct Figures {
        double cpu;
        double itemsPerSecond;
    };
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            Figures f{run.GetAdjustedCPUTime(), 0.0};
            auto items = run.counters.find("items_per_second");
            if (items != run.counters.end())
                f.itemsPerSecond = items->second.value;
            figures[run.benchmark_name()] = f;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Figures> figures;
};

} // namespace

int main(int argc, char** argv)
{
    framework::FrameworkConfig config;
    config.memorySize = 32 * 1024 * 1024;
    config.createConsole = 0;
    config.debugLevel = 3;
    framework::initEngineClasses(&config);
    {
        core::Ref<NullRenderer> renderer = VORNA3D_NEW NullRenderer();
        renderer->registerInstance();

        benchmark::Initialize(&argc, argv);
        FigureReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::Shutdown();

        std::printf("\nSkinning (two bones per vertex), vertices per second:\n");
        for (const auto& [name, f] : reporter.figures)
            if (name.rfind("BM_SkinVertices", 0) == 0)
                std::printf("  %-24s %12.0f\n", name.c_str(), f.itemsPerSecond);
        std::printf("World::animate per frame, microseconds (CPU):\n");
        for (const char* name : {"BM_WorldAnimateSkinned", "BM_WorldAnimateTracksOnly"}) {
            auto it = reporter.figures.find(name);
            if (it != reporter.figures.end())
                std::printf("  %-24s %12.1f\n", name, it->second.cpu);
        }
        core::Globals::get()->m_g3d.clear();
    }
    framework::deInitEngineClasses();
    return 0;
}
