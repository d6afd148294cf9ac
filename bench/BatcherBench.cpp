// Sprites through the dynamic buffers.
//
// BM_SpritesThroughBatcher: frames of N sprites (each with its own
// transform, all on one texture) through the tests' recording back end with
// recording off, on a display without a window: the engine's CPU cost of
// choosing a buffer, writing each sprite's quad into its batch item,
// merging the items into the batch mesh and handing the batch to the back
// end, apart from any driver. Counter sprites_per_second; pool allocations
// per frame (0 in a steady frame).
//
// BM_TenThousandSpritesGL: frames of 10,000 sprites through the OpenGL
// renderer on SDL's offscreen driver at 1024 x 768 (Mesa's software
// rasteriser unless the environment says otherwise), glFinish before each
// present: frames per second, draw calls per frame (1: one batch).
//
// The program prints Google Benchmark's table, then one line per benchmark
// with frames per second and sprites per second.

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
#include "framework/FrameworkConfig.h"
#include "render/scene/Camera.h"
#include "render/Graphics3DConfig.h"
#include "render/appearance/Image2D.h"
#include "render/OGLES/OGLES1_Graphics3D.h"
#include "render/scene/Sprite3D.h"
#include "render/appearance/Texture2D.h"
#include "tests/render/OGLES/RecordingOGLES.h"

namespace {

constexpr int WIDTH = 1024;
constexpr int HEIGHT = 768;

int poolAllocations()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount;
}

render::Graphics3DConfig quietGraphics()
{
    render::Graphics3DConfig config;
    config.showStatistics = false;
    config.printFps = false;
    config.cameraLight = false;
    return config;
}

// A field of `count` small sprites on one texture, drawn under a pixel
// camera; every frame moves them a little.
class SpriteField {
public:
    SpriteField(render::Graphics3D& g3d, int count)
    {
        core::Ref<render::Image2D> image = VORNA3D_NEW render::Image2D(render::Image2D::RGBA, 16, 16);
        m_texture = g3d.createNewTexture(0, 0);
        m_texture->setImage(image.get());
        m_camera = VORNA3D_NEW render::Camera();
        m_camera->setParallel(0.f, float(WIDTH), 0.f, float(HEIGHT), 0.f, 100.f);
        for (int i = 0; i < count; ++i) {
            core::Ref<render::Sprite3D> sprite = VORNA3D_NEW render::Sprite3D(m_texture.get());
            sprite->setCrop(0, 0, 6, 6);
            sprite->setColor(uint32_t(i) * 2654435761u | 0xFFu); // 0xRRGGBBAA, opaque
            m_sprites.push_back(sprite);
        }
    }

    void draw(render::Graphics3D& g3d)
    {
        ++m_frame;
        g3d.setCamera(m_camera.get(), render::Transform());
        g3d.clear(nullptr);
        render::Transform placed;
        const int count = static_cast<int>(m_sprites.size());
        for (int i = 0; i < count; ++i) {
            placed.setIdentity();
            placed.postTranslate(float((i * 37 + m_frame) % WIDTH), float((i * 101) % HEIGHT), 0.f);
            g3d.render(render::Graphics3D::RENDER_ALL, m_sprites[size_t(i)].get(), placed);
        }
    }

    void release()
    {
        m_sprites.clear();
        m_camera = nullptr;
        m_texture = nullptr;
    }

private:
    core::Ref<render::Texture2D> m_texture;
    core::Ref<render::Camera> m_camera;
    std::vector<core::Ref<render::Sprite3D>> m_sprites;
    int m_frame = 0;
};

void BM_SpritesThroughBatcher(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    HAL::DisplayConfig displayConfig;
    displayConfig.width = WIDTH;
    displayConfig.height = HEIGHT;
    core::Ref<HAL::Display> display = HAL::Display::createWindowless(displayConfig);
    {
        core::Ref<render_test::RecordingOGLES> g3d = VORNA3D_NEW render_test::RecordingOGLES();
        g3d->registerInstance();
        g3d->recording = false; // count the operations only
        g3d->configGraphics3D(display.get(), quietGraphics());
        SpriteField field(*g3d, count);
        const auto frame = [&] {
            g3d->bindTarget(nullptr);
            field.draw(*g3d);
            g3d->releaseTarget();
        };
        for (int i = 0; i < 5; ++i)
            frame();
        const int allocationsBefore = poolAllocations();
        for (auto _ : state)
            frame();
        const double frames = double(state.iterations());
        state.counters["sprites_per_second"] = benchmark::Counter(frames * count, benchmark::Counter::kIsRate);
        state.counters["pool_allocs_per_frame"] = double(poolAllocations() - allocationsBefore) / frames;
        state.counters["draw_calls"] = g3d->getLastFrameStatistics().drawCalls;
        field.release();
        core::Globals::get()->m_g3d.clear();
    }
}
BENCHMARK(BM_SpritesThroughBatcher)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

void BM_TenThousandSpritesGL(benchmark::State& state)
{
    HAL::DisplayConfig displayConfig;
    displayConfig.width = WIDTH;
    displayConfig.height = HEIGHT;
    displayConfig.color = 32;
    displayConfig.title = "Vorna3D batcher benchmark";
    core::Ref<HAL::Display> display = HAL::Display::createDisplayHandle(displayConfig);
    {
        core::Ref<render::OGLES1_Graphics3D> g3d = VORNA3D_NEW render::OGLES1_Graphics3D();
        g3d->configGraphics3D(display.get(), quietGraphics());
        SpriteField field(*g3d, 10000);
        const auto frame = [&] {
            g3d->bindTarget(nullptr);
            field.draw(*g3d);
            g3d->flushDynamicBuffers();
            glFinish();
            g3d->releaseTarget();
        };
        for (int i = 0; i < 3; ++i)
            frame();
        const int allocationsBefore = poolAllocations();
        for (auto _ : state)
            frame();
        if (glGetError() != GL_NO_ERROR)
            state.SkipWithError("OpenGL reported an error");
        const double frames = double(state.iterations());
        state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
        state.counters["sprites_per_second"] = benchmark::Counter(frames * 10000.0, benchmark::Counter::kIsRate);
        state.counters["pool_allocs_per_frame"] = double(poolAllocations() - allocationsBefore) / frames;
        state.counters["draw_calls"] = g3d->getLastFrameStatistics().drawCalls;
        field.release();
        // The globals hold the renderer too; it must go (with its context)
        // before the window.
        core::Globals::get()->m_g3d.clear();
    }
}
BENCHMARK(BM_TenThousandSpritesGL)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Sprites per frame in a benchmark's name: its argument, the part after
// the first '/' when that is a number; 10,000 for the GL one.
int spritesOf(const std::string& name)
{
    const size_t slash = name.find('/');
    if (slash == std::string::npos || slash + 1 >= name.size() || name[slash + 1] < '0' || name[slash + 1] > '9')
        return 10000;
    return std::atoi(name.c_str() + slash + 1);
}

} // namespace

int main(int argc, char** argv)
{
    // Offscreen unless told otherwise; no window system needed.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);

    const framework::EngineScope engineServices = bench::startEngine(64 * 1024 * 1024);

    bench::FigureReporter reporter;
    bench::runBenchmarks(argc, argv, reporter);

    std::printf("\nsprites at %d x %d, per frame:\n", WIDTH, HEIGHT);
    for (const auto& [name, figures] : reporter.all())
        bench::printFrame(name, figures.real, 36, spritesOf(name), "sprites");

    return 0;
}
