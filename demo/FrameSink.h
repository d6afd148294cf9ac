#pragma once
// Where captured frames go: a video encoder or a numbered PNG sequence.
// Sinks are plain heap objects (not from the engine's pool): they may live
// before and after the engine.

#include <cstdint>

class FrameSink {
public:
    virtual ~FrameSink() = default;

    // Takes one frame of `width` x `height` RGBA pixels, rows packed, the
    // bottom row first. Every frame of a capture has the same size. Throws
    // CaptureException or core::IOException when it cannot be stored.
    virtual void writeFrame(const uint8_t* rgbaBottomUp, int width, int height) = 0;

    // Completes the output (a playable file, every frame on disk). Called
    // once, after the last frame; throws as writeFrame does.
    virtual void finish() = 0;
};
