// The capture's speed at 1024 x 768 over 300 frames (60 fps, five seconds
// of the helix: clouds rendered to a texture, bars, sprites), with the
// built soundtrack and asset archive beside the program, on SDL's offscreen
// driver (Mesa's software rasteriser unless the environment says
// otherwise). Each frame is split into:
//   update    the demo's 5 ms steps up to the frame's music time
//   render    framework.render(): drawing, glFinish, presenting
//   read-back glReadPixels of the finished frame
//   encode    handing the frame to the sink: the write down ffmpeg's pipe
//             (it blocks while ffmpeg is behind), or the PNG file
// and ffmpeg's own CPU time is read from its resource usage once it has
// ended. The same is then done for a PNG sequence over 100 frames.
//   CaptureBench [FRAMES]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "HAL/Music.h"
#include "HAL/GL.h"
#include "demo/DemoMusic.h"
#include "demo/FfmpegEncoder.h"
#include "demo/FrameTiming.h"
#include "demo/MyApplication.h"
#include "demo/PngSequence.h"
#include "demo/ShowConfig.h"
#include "framework/FrameworkScope.h"
#include "framework/Vorna3DFramework.h"
#include "render/FrameReader.h"
#include "render/OGLES/OGLES1_Graphics3D.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

constexpr int FPS = 60;
constexpr uint32_t START_MS = 110000; // well inside the helix

// The OpenGL renderer, timing its frame read-back: first glFinish (the
// drawing still in flight, counted as rendering), then the read itself.
class TimedGraphics3D final : public render::OGLES1_Graphics3D {
public:
    double finishSeconds = 0.0;
    double readSeconds = 0.0;

protected:
    void readScreenPixels(int x, int y, int width, int height, uint8_t* rgba) override
    {
        auto start = Clock::now();
        glFinish();
        finishSeconds += since(start);
        start = Clock::now();
        OGLES1_Graphics3D::readScreenPixels(x, y, width, height, rgba);
        readSeconds += since(start);
    }
};

// Times what the sink takes; the sink is made at the first frame, as the
// capture does, at the size read back.
class TimedReader final : public render::FrameReader {
public:
    std::unique_ptr<FrameSink> sink;
    bool video = true;
    std::string output;
    double encodeSeconds = 0.0;
    FfmpegEncoder* encoder = nullptr;

    void frameDrawn(const uint8_t* rgba, int width, int height) override
    {
        const auto start = Clock::now();
        if (!sink) {
            if (video) {
                FfmpegEncoder::Settings settings;
                settings.output = output;
                settings.soundtrack = HAL::pathBesideProgram("override.mp3");
                settings.width = width;
                settings.height = height;
                settings.fps = FPS;
                auto made = std::make_unique<FfmpegEncoder>(settings);
                encoder = made.get();
                sink = std::move(made);
            } else {
                sink = std::make_unique<PngSequence>(output);
            }
        }
        sink->writeFrame(rgba, width, height);
        encodeSeconds += since(start);
    }
};

void run(bool video, int frames)
{
    DemoMusic* music = DemoMusic::start("override.mp3", HAL::MUSIC_INIT_STEPPED_CLOCK);
    if (!music) {
        std::fprintf(stderr, "CaptureBench: override.mp3 must lie beside the program\n");
        std::exit(1);
    }
    framework::FrameworkConfig config;
    applyShowConfig(config, ShowScreen::OFFSCREEN, ShowLog::SILENT); // quiet: only the figures

    TimedReader reader;
    reader.video = video;
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "capture_bench";
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    reader.output = video ? (out / "bench.mp4").string() : (out / "frames/").string();

    framework::FrameworkScope fw(config);
    auto* g3d = VORNA3D_NEW TimedGraphics3D();
    g3d->setFrameReader(&reader);
    fw->setGraphics3D(g3d);
    auto* app = VORNA3D_NEW MyApplication(music);
    fw->setApp(app);

    // Up to the sample without drawing.
    const FrameTiming timing(FPS);
    uint32_t at = 0;
    FrameTiming::forEachStep(0, START_MS, [&](uint32_t ms) {
        music->advanceClock(ms);
        return app->update(static_cast<float>(ms) / 1000.f);
    });
    at = START_MS;

    double updateSeconds = 0.0;
    double renderCallSeconds = 0.0;
    const double finishBefore = g3d->finishSeconds;
    const double readBefore = g3d->readSeconds;
    const auto start = Clock::now();
    for (int k = 1; k <= frames; ++k) {
        const uint32_t next = START_MS + timing.frameTimeMs(static_cast<uint32_t>(k));
        auto t = Clock::now();
        FrameTiming::forEachStep(at, next, [&](uint32_t ms) {
            music->advanceClock(ms);
            return app->update(static_cast<float>(ms) / 1000.f);
        });
        at = next;
        updateSeconds += since(t);
        t = Clock::now();
        fw->render();
        renderCallSeconds += since(t);
    }
    double total = 0.0;
    {
        const auto t = Clock::now();
        reader.sink->finish(); // ffmpeg drains what is left in its pipe
        reader.encodeSeconds += since(t);
        total = since(start);
    }
    const double finish = g3d->finishSeconds - finishBefore;
    const double read = g3d->readSeconds - readBefore;
    const double render = renderCallSeconds - read - reader.encodeSeconds;
    const double childCpu = reader.encoder ? reader.encoder->getChildCpuSeconds() : 0.0;
    fw.stop();

    const double perFrame = 1000.0 / frames;
    std::printf("%s, %d frames at 1024 x 768: %.1f frames per second (%.1f s)\n",
                video ? "video (ffmpeg libx264 veryfast, crf 18, AAC)" : "PNG sequence (fast compression)", frames,
                frames / total, total);
    std::printf("  update     %7.2f ms/frame\n", updateSeconds * perFrame);
    std::printf("  render     %7.2f ms/frame (of which glFinish %.2f)\n", render * perFrame, finish * perFrame);
    std::printf("  read-back  %7.2f ms/frame\n", read * perFrame);
    std::printf("  encode     %7.2f ms/frame (%s)\n", reader.encodeSeconds * perFrame,
                video ? "pipe writes, waiting for ffmpeg included" : "PNG files written");
    if (video)
        std::printf("  ffmpeg CPU %7.2f ms/frame (user + system, all its threads)\n", childCpu * perFrame);
    std::filesystem::remove_all(out);
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    if (frames < 1) {
        std::fprintf(stderr, "usage: CaptureBench [FRAMES]\n");
        return 2;
    }
    run(true, frames);
    run(false, frames / 3 > 0 ? frames / 3 : 1);
    return 0;
}
