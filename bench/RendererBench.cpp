// The renderer's cost per frame on examples/viewer's scene (a lit, textured
// torus of 2,304 triangles over a background image), drawn the way the
// viewer draws it: bindTarget, camera, clear with the background image,
// the torus, releaseTarget.
//
// BM_ViewerFrameGL: through the OpenGL renderer on SDL's offscreen driver
// at 1024 x 768 (Mesa's software rasteriser unless the environment says
// otherwise), glFinish before each present so that the GL's work is in
// the figure: frames per second, and pool allocations per frame (0 in a
// steady frame).
//
// BM_ViewerFrameEngine: the same frames through a back end that makes no GL
// calls (the tests' recording back end with recording off, on a display
// without a window): the engine's own CPU time per frame, scene traversal,
// camera, lights and appearance logic, apart from the driver's. Its
// counter gl_ops_per_frame is the number of GL operations the frame asked for.
//
// Google Benchmark prints the table; the program then repeats each
// benchmark's milliseconds per frame and frames per second on one line.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "HAL/Display.h"
#include "bench/BenchSupport.h"
#include "core/Globals.h"
#include "core/MemoryManager.h"
#include "core/Ref.h"
#include "examples/viewer/ViewerScene.h"
#include "framework/FrameworkConfig.h"
#include "render/Graphics3DConfig.h"
#include "render/OGLES/OGLES1_Graphics3D.h"
#include "tests/render/OGLES/RecordingOGLES.h"

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;
constexpr float FRAME_SECONDS = 1.f / 60.f;

int poolAllocations()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount;
}

// The viewer's renderer configuration: no overlay, no camera light.
render::Graphics3DConfig viewerGraphics()
{
    render::Graphics3DConfig config;
    config.showStatistics = false;
    config.printFps = false;
    config.cameraLight = false;
    return config;
}

void BM_ViewerFrameGL(benchmark::State& state)
{
    HAL::DisplayConfig displayConfig;
    displayConfig.width = WIDTH;
    displayConfig.height = HEIGHT;
    displayConfig.color = 32;
    displayConfig.title = "Vorna3D renderer benchmark";
    core::Ref<HAL::Display> display = HAL::Display::createDisplayHandle(displayConfig);
    {
        core::Ref<render::OGLES1_Graphics3D> g3d = VORNA3D_NEW render::OGLES1_Graphics3D();
        g3d->configGraphics3D(display.get(), viewerGraphics());
        core::Ref<viewer::ViewerScene> scene = VORNA3D_NEW viewer::ViewerScene(*g3d);

        const auto drawFrame = [&] {
            scene->advance(FRAME_SECONDS);
            g3d->bindTarget(nullptr);
            scene->draw(*g3d);
            glFinish();
            g3d->releaseTarget();
        };
        for (int i = 0; i < 10; ++i) // textures uploaded, caches warm
            drawFrame();
        const int allocationsBefore = poolAllocations();
        for (auto _ : state)
            drawFrame();
        const int allocations = poolAllocations() - allocationsBefore;
        if (glGetError() != GL_NO_ERROR)
            state.SkipWithError("OpenGL reported an error");
        state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
        state.counters["pool_allocs_per_frame"] = double(allocations) / double(state.iterations());

        scene = nullptr;
        // The globals hold the renderer too; it must go (with its context)
        // before the window.
        core::Globals::get()->m_g3d.clear();
    }
}
BENCHMARK(BM_ViewerFrameGL)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_ViewerFrameEngine(benchmark::State& state)
{
    HAL::DisplayConfig displayConfig;
    displayConfig.width = WIDTH;
    displayConfig.height = HEIGHT;
    core::Ref<HAL::Display> display = HAL::Display::createWindowless(displayConfig);
    {
        core::Ref<render_test::RecordingOGLES> g3d = VORNA3D_NEW render_test::RecordingOGLES();
        g3d->registerInstance();
        g3d->recording = false; // count the operations only
        g3d->configGraphics3D(display.get(), viewerGraphics());
        core::Ref<viewer::ViewerScene> scene = VORNA3D_NEW viewer::ViewerScene(*g3d);

        const auto drawFrame = [&] {
            scene->advance(FRAME_SECONDS);
            g3d->bindTarget(nullptr);
            scene->draw(*g3d);
            g3d->releaseTarget();
        };
        for (int i = 0; i < 10; ++i)
            drawFrame();
        const int allocationsBefore = poolAllocations();
        const long long operationsBefore = g3d->operations;
        for (auto _ : state)
            drawFrame();
        const double frames = double(state.iterations());
        state.counters["gl_ops_per_frame"] = double(g3d->operations - operationsBefore) / frames;
        state.counters["pool_allocs_per_frame"] = double(poolAllocations() - allocationsBefore) / frames;
        state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);

        scene = nullptr;
        core::Globals::get()->m_g3d.clear();
    }
}
BENCHMARK(BM_ViewerFrameEngine)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    // Offscreen unless told otherwise; no window system needed.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);

    const framework::EngineScope engineServices = bench::startEngine(32 * 1024 * 1024);

    bench::FigureReporter reporter;
    bench::runBenchmarks(argc, argv, reporter);

    std::printf("\nviewer scene at %d x %d, per frame (with repetitions, their mean and median too):\n", WIDTH, HEIGHT);
    for (const auto& [name, figures] : reporter.all())
        bench::printFrame(name, figures.real, 40);

    return 0;
}
