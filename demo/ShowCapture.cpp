#include "demo/ShowCapture.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "core/Exception.h"
#include "demo/CaptureException.h"
#include "demo/CaptureProgress.h"
#include "demo/DemoMusic.h"
#include "demo/FfmpegEncoder.h"
#include "demo/FrameTiming.h"
#include "demo/MyApplication.h"
#include "demo/PngSequence.h"
#include "demo/StopSignals.h"
#include "framework/Vorna3DFramework.h"

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
    if (access(folder.c_str(), W_OK) != 0)
        return "cannot write " + m_options.capturePath + ": the folder " + folder.string() + " is not writable";
    return {};
}

std::unique_ptr<FrameSink> ShowCapture::makeSink(int width, int height) const
{
    if (m_options.pngSequence)
        return std::make_unique<PngSequence>(m_options.capturePath);
    FfmpegEncoder::Settings settings;
    settings.output = m_options.capturePath;
    settings.soundtrack = m_soundtrack;
    settings.width = width;
    settings.height = height;
    settings.fps = m_options.fps;
    return std::make_unique<FfmpegEncoder>(settings);
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

int ShowCapture::run(framework::Vorna3DFramework& framework, MyApplication& app)
{
    const StopSignals signals;
    const FrameTiming timing(m_options.fps);
    DemoMusic& music = app.getMusic();
    const uint32_t soundtrackMs = music.getLengthMs();
    const uint32_t frameLimit = m_options.captureSeconds > 0.0 ? timing.framesFor(m_options.captureSeconds) : 0;
    const uint32_t expected =
        frameLimit ? frameLimit : (soundtrackMs ? timing.framesFor(soundtrackMs / 1000.0) : 0);
    CaptureProgress progress(stderr, expected);

    uint32_t frames = 0;
    uint32_t musicMs = 0; // where the clock stands
    while (frameLimit == 0 || frames < frameLimit) {
        const uint32_t frameMs = timing.frameTimeMs(frames);
        if (soundtrackMs && frameMs > soundtrackMs + SOUNDTRACK_END_MARGIN_MS)
            break;
        const bool running = FrameTiming::forEachStep(musicMs, frameMs, [&](uint32_t ms) {
            music.advanceClock(ms);
            return app.update(static_cast<float>(ms) / 1000.f);
        });
        musicMs = frameMs;
        if (!running)
            break; // the show has ended (its last update asked to stop)

        const uint32_t delivered = m_framesDelivered;
        framework.render();
        if (!m_failure && m_framesDelivered != delivered + 1)
            m_failure = std::make_exception_ptr(CaptureException(
                "the renderer presented " + std::to_string(m_framesDelivered - delivered) + " frames for one"));
        if (m_failure)
            break;
        ++frames;
        progress.update(frames);
        if (signals.received())
            break;
    }
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
