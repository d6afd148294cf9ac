#pragma once
// The world time of `vorna3d play`: real time scaled by a speed, which can
// be paused, stepped one 60 Hz frame at a time and restarted. Time is kept
// in whole ticks of 1/60000 s, in which both a 60 Hz frame and a
// millisecond are exact. The world time never goes below 0.

#include <cstdint>

namespace vorna3d_tool {

class AnimationClock {
public:
    static constexpr int64_t TICKS_PER_SECOND = 60000;
    static constexpr int64_t TICKS_PER_FRAME = TICKS_PER_SECOND / 60;
    static constexpr double MIN_SPEED = 0.25;
    static constexpr double MAX_SPEED = 4.0;

    // Advances by `seconds` of real time times the speed (to the nearest
    // tick), unless paused.
    void advance(double seconds);
    // Pauses a running clock, resumes a paused one.
    void togglePause() { m_paused = !m_paused; }
    bool isPaused() const { return m_paused; }
    // Pauses, and moves by `frames` 60 Hz frames (negative: back, stopping at 0).
    void step(int frames);
    // Back to world time 0; paused or running stays as it was.
    void restart() { m_ticks = 0; }
    // Doubles or halves the speed, within MIN_SPEED..MAX_SPEED.
    void faster();
    void slower();
    double getSpeed() const { return m_speed; }

    int64_t getTicks() const { return m_ticks; }
    double getSeconds() const { return double(m_ticks) / double(TICKS_PER_SECOND); }
    // The world time in whole milliseconds (rounded down), as animate takes it.
    int getWorldTime() const { return static_cast<int>(m_ticks / (TICKS_PER_SECOND / 1000)); }

private:
    int64_t m_ticks = 0;
    double m_speed = 1.0;
    bool m_paused = false;
};

} // namespace vorna3d_tool
