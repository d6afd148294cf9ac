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
// ended. The same is then done for a PNG sequence over 100 frames. Each
// runs twice: sequential (every stage after the other, as the capture
// once did) and overlapped (the capture's CapturePipeline: the frame is
// copied into a slot and stored by other threads while the next renders;
// "encode" is then the copy and any wait for a free slot; "read-back" is
// starting the read into a pixel buffer and mapping it a frame later, which
// waits for whatever drawing is still in flight, so that part of the
// rendering is counted there and glFinish is not called).
// --whole-show captures the whole show overlapped from 0 instead, as a
// video, and reports its speed against the show's length.
//   CaptureBench [FRAMES] [--whole-show]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "HAL/Music.h"
#include "HAL/GL.h"
#include "demo/CapturePipeline.h"
#include "demo/CaptureRenderer.h"
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
    // The deferred read-back: starting the read and mapping its buffer (the
    // wait for the transfer) count as read-back.
    bool startPixelRead(int slot, int x, int y, int width, int height) override
    {
        const auto start = Clock::now();
        const bool started = OGLES1_Graphics3D::startPixelRead(slot, x, y, width, height);
        readSeconds += since(start);
        return started;
    }
    const uint8_t* mapPixelRead(int slot) override
    {
        const auto start = Clock::now();
        const uint8_t* pixels = OGLES1_Graphics3D::mapPixelRead(slot);
        readSeconds += since(start);
        return pixels;
    }
};

// Times what the sink takes; the sink is made at the first frame, as the
// capture does, at the size read back.
class TimedReader final : public render::FrameReader {
public:
    std::unique_ptr<FrameSink> sink;
    bool video = true;
    bool overlapped = false;
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
                if (overlapped)
                    sink = std::make_unique<CapturePipeline>(std::move(made));
                else
                    sink = std::move(made);
            } else if (overlapped) {
                sink = std::make_unique<CapturePipeline>(std::make_unique<PngSequence>(output), 0);
            } else {
                sink = std::make_unique<PngSequence>(output);
            }
        }
        sink->writeFrame(rgba, width, height);
        encodeSeconds += since(start);
    }
};

void run(bool video, int frames, bool overlapped, uint32_t startMs)
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
    reader.overlapped = overlapped;
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "capture_bench";
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    reader.output = video ? (out / "bench.mp4").string() : (out / "frames/").string();

    framework::FrameworkScope fw(config);
    auto* g3d = VORNA3D_NEW TimedGraphics3D();
    g3d->setFrameReader(&reader);
    fw->setGraphics3D(g3d);
    if (overlapped)
        g3d->setFrameReadBackDepth(CAPTURE_READ_BACK_DEPTH);
    auto* app = VORNA3D_NEW MyApplication(music);
    fw->setApp(app);

    // Up to the sample without drawing.
    const FrameTiming timing(FPS);
    uint32_t at = 0;
    FrameTiming::forEachStep(0, startMs, [&](uint32_t ms) {
        music->advanceClock(ms);
        return app->update(static_cast<float>(ms) / 1000.f);
    });
    at = startMs;

    double updateSeconds = 0.0;
    double renderCallSeconds = 0.0;
    const double finishBefore = g3d->finishSeconds;
    const double readBefore = g3d->readSeconds;
    const auto start = Clock::now();
    int k = 1;
    for (; k <= frames; ++k) {
        const uint32_t next = startMs + timing.frameTimeMs(static_cast<uint32_t>(k));
        auto t = Clock::now();
        const bool running = FrameTiming::forEachStep(at, next, [&](uint32_t ms) {
            music->advanceClock(ms);
            return app->update(static_cast<float>(ms) / 1000.f);
        });
        at = next;
        if (!running)
            break; // the whole show: its end
        updateSeconds += since(t);
        t = Clock::now();
        fw->render();
        renderCallSeconds += since(t);
    }
    frames = k - 1;
    double total = 0.0;
    {
        const auto t = Clock::now();
        g3d->flushFrameReader();
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
    std::printf("%s %s, %d frames at 1024 x 768: %.1f frames per second (%.1f s), %.2fx real time\n",
                overlapped ? "overlapped" : "sequential",
                video ? "video (ffmpeg libx264 veryfast, crf 18, AAC)" : "PNG sequence (fast compression)", frames,
                frames / total, total, frames / total / FPS);
    std::printf("  update     %7.2f ms/frame\n", updateSeconds * perFrame);
    std::printf("  render     %7.2f ms/frame (of which glFinish %.2f)\n", render * perFrame, finish * perFrame);
    std::printf("  read-back  %7.2f ms/frame\n", read * perFrame);
    std::printf("  encode     %7.2f ms/frame (%s)\n", reader.encodeSeconds * perFrame,
                overlapped  ? "copy into a slot, waits for a free one, the final drain"
                    : video ? "pipe writes, waiting for ffmpeg included"
                            : "PNG files written");
    if (video)
        std::printf("  ffmpeg CPU %7.2f ms/frame (user + system, all its threads)\n", childCpu * perFrame);
    std::filesystem::remove_all(out);
}

} // namespace

int main(int argc, char** argv)
{
    int frames = 300;
    bool wholeShow = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--whole-show")
            wholeShow = true;
        else
            frames = std::atoi(argv[i]);
    }
    if (frames < 1) {
        std::fprintf(stderr, "usage: CaptureBench [FRAMES] [--whole-show]\n");
        return 2;
    }
    if (wholeShow) {
        run(true, 1 << 30, true, 0); // until the show ends
        return 0;
    }
    for (bool overlapped : {false, true}) {
        run(true, frames, overlapped, START_MS);
        run(false, frames / 3 > 0 ? frames / 3 : 1, overlapped, START_MS);
    }
    return 0;
}
