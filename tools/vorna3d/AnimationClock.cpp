#include "AnimationClock.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace vorna3d_tool {

namespace {

// Past this the world time would not fit animate's milliseconds.
constexpr int64_t MAX_TICKS = int64_t(INT_MAX) * (AnimationClock::TICKS_PER_SECOND / 1000);

} // namespace

void AnimationClock::advance(double seconds)
{
    if (m_paused || !(seconds > 0.0) || !(seconds < 1e6))
        return;
    const int64_t ticks = std::llround(seconds * m_speed * double(TICKS_PER_SECOND));
    m_ticks = std::min(m_ticks + ticks, MAX_TICKS);
}

void AnimationClock::step(int frames)
{
    m_paused = true;
    m_ticks = std::clamp(m_ticks + frames * TICKS_PER_FRAME, int64_t(0), MAX_TICKS);
}

void AnimationClock::faster()
{
    m_speed = std::min(m_speed * 2.0, MAX_SPEED);
}

void AnimationClock::slower()
{
    m_speed = std::max(m_speed * 0.5, MIN_SPEED);
}

} // namespace vorna3d_tool
