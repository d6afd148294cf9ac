#pragma once
// ShowCapture: the show rendered frame by frame at exact music times and
// stored as a video or a PNG sequence. The soundtrack runs on its stepped
// clock: frame k shows the music time round(k * 1000 / fps) ms, and between
// frames the clock and the demo's update advance together in steps of at
// most 5 ms, exactly as the live frame loop drives the demo, so every run
// gives the same frames. The capture is the renderer's FrameReader: each
// presented frame comes here, a frame later through the renderer's pixel
// buffers, and goes to the sink (made at the first frame, at the size read
// back), which stores it on other threads while the next frames render.

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "demo/FrameSink.h"
#include "demo/ShowOptions.h"
#include "render/FrameReader.h"

class FrameTiming;
class MyApplication;

namespace framework {
class Vorna3DFramework;
}

class ShowCapture final : public render::FrameReader {
public:
    // A capture as `options` ask for (Action::CAPTURE), muxing `soundtrack`
    // (a path) into a video.
    ShowCapture(const ShowOptions& options, std::string soundtrack);
    ~ShowCapture();
    ShowCapture(const ShowCapture&) = delete;
    ShowCapture& operator=(const ShowCapture&) = delete;

    // What can go wrong before anything is loaded: no ffmpeg for a video, no
    // folder to write the video into, a PNG folder that cannot be made.
    // Returns the one-line reason, empty when none.
    std::string checkOutput() const;

    // Captures the show of `app`, run by `framework` whose renderer hands
    // its frames to this object; the app is loaded and its music, on the
    // stepped clock, stands at 0. With --start the show first runs ahead,
    // undrawn, to the first frame at or after the start (MyApplication::
    // fastForward), and the capture begins there. Stops when the show
    // ends, after --capture-seconds, or after the frame in hand at SIGINT
    // or SIGTERM; the output is completed in every case. Progress goes to
    // standard error, the result line ("sulvanto: captured N frames (S s)
    // to PATH") to standard output. Returns the exit code: 0 done, 1 when
    // the output failed (one line on standard error), 2 when the show ended
    // before the start, 128 + the signal when stopped by one. Throws what
    // the demo's update and render throw.
    int run(framework::Vorna3DFramework& framework, MyApplication& app);

    // FrameReader: hands the frame to the sink. Never throws: a failure is
    // kept for run, and later frames are dropped.
    void frameDrawn(const uint8_t* rgbaBottomUp, int width, int height) override;

    // The first frame of `timing` whose music time is not before `ms`.
    static uint32_t firstFrameAt(const FrameTiming& timing, uint32_t ms);

private:
    std::unique_ptr<FrameSink> makeSink(int width, int height) const;

    ShowOptions m_options;
    std::string m_soundtrack;
    std::unique_ptr<FrameSink> m_sink;
    std::exception_ptr m_failure;
    uint32_t m_framesDelivered = 0;
    uint32_t m_firstFrame = 0; // the show's frame the capture starts with
    uint32_t m_firstFrameMs = 0; // and its music time
};
