#pragma once
// FfmpegEncoder: a video file made by an ffmpeg child process. The frames
// go down a pipe as raw RGBA (bottom row first, flipped by ffmpeg), are
// encoded as H.264 (yuv420p) and muxed with the soundtrack as AAC, the
// sound cut to the video's length. ffmpeg runs as a FfmpegChild, apart
// from the terminal's Ctrl+C, so that the capture can close the pipe and
// let ffmpeg finish a playable file.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "demo/FrameSink.h"

class FfmpegChild;

class FfmpegEncoder final : public FrameSink {
public:
    struct Settings {
        std::string output; // the video file; its extension picks the container
        std::string soundtrack; // muxed as the audio stream; empty: no audio
        uint32_t soundtrackStartMs = 0; // where in the soundtrack the video starts
        int width = 0; // frame size (an odd side is padded to even for yuv420p)
        int height = 0;
        int fps = 60;
        std::string program = "ffmpeg"; // looked up on PATH unless it names a folder
    };

    // ffmpeg's command line for `settings` (the program name first).
    static std::vector<std::string> commandLine(const Settings& settings);

    // The full path of `name` on PATH (`name` itself when it names a folder
    // and is executable); empty when there is none. See FfmpegChild.
    static std::string findProgram(const std::string& name);

    // Starts ffmpeg with a pipe on its standard input. On POSIX systems
    // SIGPIPE is ignored while the encoder exists (a vanished ffmpeg shows up
    // as EPIPE). Throws CaptureException when the program is missing or
    // cannot start.
    explicit FfmpegEncoder(const Settings& settings);
    // Without finish: closes the pipe and waits for ffmpeg (never throws).
    ~FfmpegEncoder() override;
    FfmpegEncoder(const FfmpegEncoder&) = delete;
    FfmpegEncoder& operator=(const FfmpegEncoder&) = delete;

    // Writes one frame down the pipe. Requires the settings' size. Throws
    // CaptureException when ffmpeg has gone (its exit status in the message).
    void writeFrame(const uint8_t* rgbaBottomUp, int width, int height) override;
    // Closes the pipe and waits for ffmpeg. Throws CaptureException when it
    // fails (a non-zero exit status, a signal).
    void finish() override;

    // ffmpeg's CPU time (user + system, seconds), known once it has ended.
    double getChildCpuSeconds() const;

private:
    Settings m_settings;
    std::unique_ptr<FfmpegChild> m_child;
};
