// The demo's costs, with the built soundtrack and asset archive beside the
// program (the build puts them there) and the soundtrack on its stepped
// clock, so that every effect is reached without waiting for the music:
//
// BM_CreateDevice: MyApplication::createDevice on the OpenGL renderer
//   (SDL's offscreen driver at 1024 x 768; the context is made once,
//   outside the figure): mounting the archive, loading the font, scenes
//   and pictures, uploading the textures, building the procedural data.
// BM_FrameGL/<effect>: one 5 ms step of the show and one frame of the
//   effect through OpenGL, glFinish before the frame is presented: frames
//   per second (Mesa's software rasteriser unless the environment says
//   otherwise), the process's CPU time per frame over all its threads
//   (the rasteriser's included: steadier than the frame rate on a busy
//   machine) and pool allocations per frame.
// BM_FrameEngine/<effect>: the same through the tests' recording back end
//   with recording off (no GL calls, a display without a window): the
//   engine's and the demo's own CPU time per frame.
//
// Google Benchmark prints the table; the program then repeats the figures
// per effect on one line each.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "HAL/Display.h"
#include "core/MemoryManager.h"
#include "core/Ref.h"
#include "demo/DemoMusic.h"
#include "demo/MyApplication.h"
#include "demo/ShowConfig.h"
#include "framework/FrameworkScope.h"
#include "framework/Vorna3DFramework.h"
#include "render/OGLES/OGLES1_Graphics3D.h"
#include "tests/render/OGLES/RecordingOGLES.h"

namespace {

// CPU time of the whole process so far, every thread's, in milliseconds.
double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) * 1e-6;
}

int poolAllocations()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount;
}

DemoMusic* steppedMusic()
{
    DemoMusic* music = DemoMusic::start("override.mp3", HAL::MUSIC_INIT_STEPPED_CLOCK);
    if (!music) {
        std::fprintf(stderr, "DemoBench: override.mp3 must lie beside the program\n");
        std::exit(1);
    }
    return music;
}

// The framework with the demo's configuration and a renderer: OpenGL on
// an offscreen window, or the recording back end on a windowless display.
framework::Vorna3DFramework* makeFramework(bool gl)
{
    framework::FrameworkConfig config;
    applyShowConfig(config, ShowScreen::WINDOW, ShowLog::QUIET);
    HAL::Display::setFactory(gl ? nullptr : &HAL::Display::createWindowless);
    framework::FrameworkScope framework(config);
    if (gl) {
        framework->setGraphics3D(VORNA3D_NEW render::OGLES1_Graphics3D());
    } else {
        auto* recording = VORNA3D_NEW render_test::RecordingOGLES();
        recording->recording = false;
        recording->registerInstance();
        framework->setGraphics3D(recording);
    }
    return framework.release();
}

// Frames measured per effect: one second of the show, one run each, so
// that the show stays inside the effect.
constexpr int FRAMES_PER_RUN = 200;

struct Effect {
    const char* name;
    uint32_t ms; // a music time well inside the effect
    DemoEffect effect;
};

// The scroller's sample lies after the last of its 40 fish has been
// spawned (each new fish grows the sprite batch once).
const Effect EFFECTS[] = {
    {"title", 3000, DemoEffect::TITLE},
    {"logo", 13000, DemoEffect::LOGO},
    {"lattice", 35000, DemoEffect::LATTICE},
    {"torus", 65000, DemoEffect::TORUS},
    {"balls", 90000, DemoEffect::BALLS},
    {"helix", 115000, DemoEffect::HELIX},
    {"twin_sprites", 145000, DemoEffect::TWIN_SPRITES},
    {"scroller", 210000, DemoEffect::SCROLLER},
    {"engine_logo", 252000, DemoEffect::ENGINE_LOGO},
    {"closing", 268000, DemoEffect::CLOSING},
};

// The running show: the framework with the demo set, its music stepped.
struct Show {
    bool gl = false;
    framework::FrameworkScope framework;
    MyApplication* app = nullptr;

    explicit Show(bool withGL) : gl(withGL), framework(makeFramework(gl))
    {
        app = VORNA3D_NEW MyApplication(steppedMusic());
        framework->setApp(app); // loads
    }

    bool step()
    {
        app->getMusic().advanceClock(5);
        return app->update(0.005f);
    }
    void frame()
    {
        framework->render();
        if (gl)
            glFinish();
    }
};

void BM_CreateDevice(benchmark::State& state)
{
    framework::FrameworkScope framework(makeFramework(true));
    render::Graphics3D& g3d = *framework->getGraphics3D();
    for (auto _ : state) {
        state.PauseTiming();
        core::Ref<MyApplication> app = VORNA3D_NEW MyApplication(steppedMusic());
        state.ResumeTiming();
        app->createDevice(g3d);
        glFinish();
        state.PauseTiming();
        app = nullptr; // the textures and the archive go with it
        state.ResumeTiming();
    }
}

// One benchmark per effect on `show`, run in the show's order.
void registerFrames(const char* family, Show*& show)
{
    for (const Effect& effect : EFFECTS) {
        const std::string name = std::string(family) + "/" + effect.name;
        benchmark::RegisterBenchmark(name.c_str(),
                                     [&show, effect](benchmark::State& state) {
                                         while (show->app->getMusic().getPositionMs() < effect.ms)
                                             show->step();
                                         for (int i = 0; i < 10; ++i) { // batches at their size, textures uploaded
                                             show->step();
                                             show->frame();
                                         }
                                         const int allocationsBefore = poolAllocations();
                                         const double cpuBefore = processCpuMs();
                                         for (auto _ : state) {
                                             show->step();
                                             show->frame();
                                         }
                                         const double frames = double(state.iterations());
                                         if (Timeline::effectOf(show->app->getTimeline().getState()) != effect.effect)
                                             state.SkipWithError("the show left the effect while it was measured");
                                         state.counters["fps"] =
                                             benchmark::Counter(frames, benchmark::Counter::kIsRate);
                                         state.counters["cpu_ms_per_frame"] = (processCpuMs() - cpuBefore) / frames;
                                         state.counters["pool_allocs_per_frame"] =
                                             double(poolAllocations() - allocationsBefore) / frames;
                                     })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(FRAMES_PER_RUN);
    }
}

class FrameReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) {
                msPerIteration[run.benchmark_name()] = run.GetAdjustedRealTime();
                const auto cpu = run.counters.find("cpu_ms_per_frame");
                if (cpu != run.counters.end())
                    cpuMsPerFrame[run.benchmark_name()] = cpu->second.value;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> msPerIteration;
    std::map<std::string, double> cpuMsPerFrame;
};

} // namespace

int main(int argc, char** argv)
{
    // Offscreen unless told otherwise; no window system or sound card needed.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    FrameReporter reporter;

    // createDevice, then the effects through OpenGL.
    benchmark::RegisterBenchmark("BM_CreateDevice", BM_CreateDevice)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(5);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::ClearRegisteredBenchmarks();
    {
        Show* show = new Show(true);
        registerFrames("BM_FrameGL", show);
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::ClearRegisteredBenchmarks();
        delete show;
    }
    // The effects through the recording back end.
    {
        Show* show = new Show(false);
        registerFrames("BM_FrameEngine", show);
        benchmark::RunSpecifiedBenchmarks(&reporter);
        benchmark::ClearRegisteredBenchmarks();
        delete show;
    }
    HAL::Display::setFactory(nullptr);
    benchmark::Shutdown();

    std::printf("\nsulvanto at %d x %d:\n", MyApplication::SCREEN_WIDTH, MyApplication::SCREEN_HEIGHT);
    for (const auto& [name, ms] : reporter.msPerIteration) {
        if (name.rfind("BM_CreateDevice", 0) == 0)
            std::printf("  %-32s %8.1f ms (aim: under 300 ms)\n", name.c_str(), ms);
        else
            std::printf("  %-32s %8.3f ms per frame %8.1f frames/s %8.3f CPU ms per frame\n", name.c_str(), ms,
                        ms > 0.0 ? 1000.0 / ms : 0.0, reporter.cpuMsPerFrame[name]);
    }
    return 0;
}
