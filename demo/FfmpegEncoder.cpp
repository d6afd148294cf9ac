#include "demo/FfmpegEncoder.h"

#include <cstdio>

#include "demo/CaptureException.h"
#include "demo/FfmpegChild.h"

namespace {

// ffmpeg would read a path that starts with '-' as an option.
std::string asPathArgument(const std::string& path)
{
    return !path.empty() && path[0] == '-' ? "./" + path : path;
}

} // namespace

std::vector<std::string> FfmpegEncoder::commandLine(const Settings& settings)
{
    const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
    std::vector<std::string> args = {settings.program, "-hide_banner", "-nostdin", "-loglevel", "error", "-y",
                                     // The frames: raw RGBA at the capture rate, the bottom row first.
                                     "-f", "rawvideo", "-pix_fmt", "rgba", "-video_size", size, "-framerate",
                                     std::to_string(settings.fps), "-i", "pipe:0"};
    if (!settings.soundtrack.empty()) {
        if (settings.soundtrackStartMs > 0) {
            // Seeking an input decodes up to the exact sample.
            char start[32];
            std::snprintf(start, sizeof start, "%u.%03u", settings.soundtrackStartMs / 1000,
                          settings.soundtrackStartMs % 1000);
            args.insert(args.end(), {"-ss", start});
        }
        args.insert(args.end(), {"-i", asPathArgument(settings.soundtrack)});
    }
    args.insert(args.end(), {"-map", "0:v:0"});
    if (!settings.soundtrack.empty())
        args.insert(args.end(), {"-map", "1:a:0"});
    // yuv420p needs an even size: an odd picture gets one black row or column.
    std::string filter = "vflip";
    if (settings.width % 2 != 0 || settings.height % 2 != 0)
        filter += ",pad=" + std::to_string(settings.width + settings.width % 2) + ":" +
            std::to_string(settings.height + settings.height % 2);
    args.insert(args.end(),
                {"-vf", filter, "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p"});
    if (!settings.soundtrack.empty())
        args.insert(args.end(), {"-c:a", "aac", "-b:a", "192k", "-shortest"});
    args.push_back(asPathArgument(settings.output));
    return args;
}

std::string FfmpegEncoder::findProgram(const std::string& name)
{
    return FfmpegChild::findProgram(name);
}

FfmpegEncoder::FfmpegEncoder(const Settings& settings) : m_settings(settings)
{
    const std::string program = findProgram(settings.program);
    if (program.empty())
        throw CaptureException(settings.program + " not found on PATH (it encodes the video)");
    m_child = std::make_unique<FfmpegChild>(program, commandLine(settings));
}

FfmpegEncoder::~FfmpegEncoder() = default;

double FfmpegEncoder::getChildCpuSeconds() const
{
    return m_child ? m_child->cpuSeconds() : 0.0;
}

void FfmpegEncoder::writeFrame(const uint8_t* rgbaBottomUp, int width, int height)
{
    if (width != m_settings.width || height != m_settings.height)
        throw CaptureException("frame of " + std::to_string(width) + "x" + std::to_string(height) + " for a video of " +
                               std::to_string(m_settings.width) + "x" + std::to_string(m_settings.height));
    m_child->write(rgbaBottomUp, static_cast<size_t>(width) * static_cast<size_t>(height) * 4u);
}

void FfmpegEncoder::finish()
{
    const std::string failure = m_child->finish();
    if (!failure.empty())
        throw CaptureException("ffmpeg failed writing " + m_settings.output + " (" + failure + ")");
}
