#pragma once
// FfmpegEncoder: a video file made by an ffmpeg child process. The frames
// go down a pipe as raw RGBA (bottom row first, flipped by ffmpeg), are
// encoded as H.264 (yuv420p) and muxed with the soundtrack as AAC, the
// sound cut to the video's length. ffmpeg runs in a process group of its
// own, so a Ctrl+C at the terminal reaches only the capture, which then
// closes the pipe and lets ffmpeg finish a playable file.

#include <sys/types.h>

#include <signal.h>

#include <cstdint>
#include <string>
#include <vector>

#include "demo/FrameSink.h"

class FfmpegEncoder final : public FrameSink {
public:
    struct Settings {
        std::string output; // the video file; its extension picks the container
        std::string soundtrack; // muxed as the audio stream; empty: no audio
        uint32_t soundtrackStartMs = 0; // where in the soundtrack the video starts
        int width = 0; // frame size (an odd side is padded to even for yuv420p)
        int height = 0;
        int fps = 60;
        std::string program = "ffmpeg"; // looked up on PATH unless it holds a '/'
    };

    // ffmpeg's command line for `settings` (the program name first).
    static std::vector<std::string> commandLine(const Settings& settings);

    // The full path of `name` on PATH (`name` itself when it holds a '/' and
    // is executable); empty when there is none.
    static std::string findProgram(const std::string& name);

    // Starts ffmpeg with a pipe on its standard input. SIGPIPE is ignored
    // while the encoder exists (a vanished ffmpeg shows up as EPIPE).
    // Throws CaptureException when the program is missing or cannot start.
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
    double getChildCpuSeconds() const { return m_childCpuSeconds; }

private:
    // Waits for the child; returns its wait status.
    int reap();
    static std::string describeStatus(int status);

    Settings m_settings;
    pid_t m_pid = -1;
    int m_pipe = -1;
    double m_childCpuSeconds = 0.0;
    struct sigaction m_oldSigpipe = {};
};
