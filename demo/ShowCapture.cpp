#include "demo/ShowCapture.h"

#include <cstdio>
#include <filesystem>

#include "core/Exception.h"
#include "demo/CaptureException.h"
#include "demo/CapturePipeline.h"
#include "demo/CaptureRenderer.h"
#include "demo/CaptureProgress.h"
#include "demo/DemoMusic.h"
#include "demo/FfmpegEncoder.h"
#include "demo/FrameTiming.h"
#include "demo/MyApplication.h"
#include "demo/OutputChecks.h"
#include "demo/PngSequence.h"
#include "demo/StopSignals.h"
#include "framework/Vorna3DFramework.h"
#include "render/Graphics3D.h"

namespace {

// Past the soundtrack's end its clock stands still, and a show still
// waiting for a music time would never end: a capture stops this long
// after the end.
constexpr uint32_t SOUNDTRACK_END_MARGIN_MS = 2000;

void printError(const char* what)
{
    std::fprintf(stderr, "sulvanto: capture failed: %s\n", what);
    std::fflush(stderr);
}

} // namespace

ShowCapture::ShowCapture(const ShowOptions& options, std::string soundtrack)
    : m_options(options), m_soundtrack(std::move(soundtrack))
{
}

ShowCapture::~ShowCapture() = default;

std::string ShowCapture::checkOutput() const
{
    if (m_options.pngSequence) {
        try {
            PngSequence sequence(m_options.capturePath); // makes the folder
        } catch (const CaptureException& e) {
            return e.what();
        }
        return {};
    }
    if (FfmpegEncoder::findProgram("ffmpeg").empty())
        return "ffmpeg not found on PATH (it encodes the video; --capture DIR/ writes PNG files without it)";
    std::filesystem::path folder = std::filesystem::path(m_options.capturePath).parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return "cannot write " + m_options.capturePath + ": no folder " + folder.string();
    if (!isWritableFolder(folder))
        return "cannot write " + m_options.capturePath + ": the folder " + folder.string() + " is not writable";
    return {};
}

std::unique_ptr<FrameSink> ShowCapture::makeSink(int width, int height) const
{
    // Stored while the next frames render: the PNG files encoded on every
    // core, the video's frames written down ffmpeg's pipe by a thread.
    if (m_options.pngSequence)
        return std::make_unique<CapturePipeline>(std::make_unique<PngSequence>(m_options.capturePath, m_firstFrame), 0);
    FfmpegEncoder::Settings settings;
    settings.output = m_options.capturePath;
    settings.soundtrack = m_soundtrack;
    settings.width = width;
    settings.height = height;
    settings.fps = m_options.fps;
    settings.soundtrackStartMs = m_firstFrameMs;
    return std::make_unique<CapturePipeline>(std::make_unique<FfmpegEncoder>(settings));
}

void ShowCapture::frameDrawn(const uint8_t* rgbaBottomUp, int width, int height)
{
    ++m_framesDelivered;
    if (m_failure)
        return;
    try {
        if (!m_sink)
            m_sink = makeSink(width, height);
        m_sink->writeFrame(rgbaBottomUp, width, height);
    } catch (...) {
        m_failure = std::current_exception();
    }
}

uint32_t ShowCapture::firstFrameAt(const FrameTiming& timing, uint32_t ms)
{
    // frameTimeMs grows by at least 4 ms a frame (240 fps at most): a guess
    // from below, then up to the first frame not before `ms`.
    uint32_t k = static_cast<uint32_t>(static_cast<uint64_t>(ms) * static_cast<uint64_t>(timing.getFps()) / 1000u);
    k = k > 1 ? k - 1 : 0;
    while (timing.frameTimeMs(k) < ms)
        ++k;
    return k;
}

int ShowCapture::run(framework::Vorna3DFramework& framework, MyApplication& app)
{
    const StopSignals signals;
    const FrameTiming timing(m_options.fps);
    DemoMusic& music = app.getMusic();
    const uint32_t soundtrackMs = music.getLengthMs();

    // --start: the show runs ahead, undrawn, to the first frame at or after
    // the start, in the steps a capture from the beginning takes.
    m_firstFrame = firstFrameAt(timing, m_options.startMs());
    m_firstFrameMs = timing.frameTimeMs(m_firstFrame);
    uint32_t musicMs = 0; // where the clock stands
    if (m_firstFrame > 0) {
        if (!app.fastForward(timing, m_firstFrame, [&music](uint32_t ms) { music.advanceClock(ms); })) {
            std::fprintf(stderr, "sulvanto: --start %.3f s is past the show's end\n", m_options.startSeconds);
            std::fflush(stderr);
            return 2;
        }
        musicMs = m_firstFrameMs;
    }

    const uint32_t frameLimit = m_options.captureSeconds > 0.0 ? timing.framesFor(m_options.captureSeconds) : 0;
    // The frames the show has left: those before its end.
    const uint32_t showFrames = firstFrameAt(timing, Timeline::SHOW_END_MS);
    const uint32_t left = showFrames > m_firstFrame ? showFrames - m_firstFrame : 0;
    CaptureProgress progress(stderr, frameLimit && frameLimit < left ? frameLimit : left);

    uint32_t frames = 0; // captured
    while (frameLimit == 0 || frames < frameLimit) {
        const uint32_t frameMs = timing.frameTimeMs(m_firstFrame + frames);
        if (soundtrackMs && frameMs > soundtrackMs + SOUNDTRACK_END_MARGIN_MS)
            break;
        const bool running = FrameTiming::forEachStep(musicMs, frameMs, [&](uint32_t ms) {
            music.advanceClock(ms);
            return app.update(static_cast<float>(ms) / 1000.f);
        });
        musicMs = frameMs;
        if (!running)
            break; // the show has ended (its last update asked to stop)

        framework.render();
        ++frames;
        // The read-back runs up to a frame or two behind the drawing.
        if (!m_failure && (m_framesDelivered > frames || m_framesDelivered + CAPTURE_READ_BACK_DEPTH - 1 < frames))
            m_failure =
                std::make_exception_ptr(CaptureException("the renderer presented " + std::to_string(m_framesDelivered) +
                                                         " frames for " + std::to_string(frames)));
        if (m_failure)
            break;
        progress.update(frames);
        if (signals.received())
            break;
    }
    // The frames still in the read-back, also after a signal: every frame
    // drawn is stored.
    if (render::Graphics3D* g3d = framework.getGraphics3D())
        g3d->flushFrameReader();
    if (!m_failure && m_framesDelivered != frames)
        m_failure = std::make_exception_ptr(CaptureException(
            "the renderer presented " + std::to_string(m_framesDelivered) + " frames for " + std::to_string(frames)));
    progress.finish(frames);

    // The output is completed also after a failure or a signal, so that what
    // was captured stays usable.
    try {
        if (m_sink)
            m_sink->finish();
    } catch (...) {
        if (!m_failure)
            m_failure = std::current_exception();
    }
    m_sink.reset();
    if (!m_failure && frames == 0)
        m_failure = std::make_exception_ptr(CaptureException("the show ended before its first frame"));
    if (m_failure) {
        try {
            std::rethrow_exception(m_failure);
        } catch (const std::exception& e) {
            printError(e.what());
        }
        return 1;
    }

    const double seconds = static_cast<double>(frames) / m_options.fps;
    if (const int signal = signals.received()) {
        std::printf("sulvanto: stopped by signal %d: captured %u frames (%.3f s) to %s\n", signal, frames, seconds,
                    m_options.capturePath.c_str());
        std::fflush(stdout);
        return 128 + signal;
    }
    std::printf("sulvanto: captured %u frames (%.3f s) to %s\n", frames, seconds, m_options.capturePath.c_str());
    std::fflush(stdout);
    return 0;
}
