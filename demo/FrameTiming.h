#pragma once
// When each captured frame is shown, and how the show is stepped from one
// frame to the next: frame k shows the music time round(k * 1000 / fps) ms;
// between two frames the soundtrack's clock and the show advance together
// in steps of at most the live loop's 5 ms, the last step landing exactly on
// the next frame's time, so no time is dropped or counted twice.

#include <cstdint>

class FrameTiming {
public:
    // The live frame loop's fixed step.
    static constexpr uint32_t STEP_MS = 5;

    // Requires fps >= 1 (assertion).
    explicit FrameTiming(int fps);

    int getFps() const { return m_fps; }

    // The music time frame `k` shows, in milliseconds: k * 1000 / fps rounded
    // to the nearest millisecond (halves up).
    uint32_t frameTimeMs(uint32_t k) const;

    // How many frames cover `seconds` (> 0): the smallest count whose frames
    // last at least that long, at least one.
    uint32_t framesFor(double seconds) const;

    // Calls `step(ms)` for each step from `fromMs` to `toMs`: whole steps of
    // STEP_MS, then the remainder (1 to STEP_MS - 1) last. Stops early, and
    // returns false, when `step` returns false.
    template <class StepFunction> static bool forEachStep(uint32_t fromMs, uint32_t toMs, StepFunction&& step)
    {
        uint32_t at = fromMs;
        while (at < toMs) {
            const uint32_t ms = toMs - at < STEP_MS ? toMs - at : STEP_MS;
            at += ms;
            if (!step(ms))
                return false;
        }
        return true;
    }

private:
    int m_fps;
};
