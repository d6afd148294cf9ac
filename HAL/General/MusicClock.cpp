#include "HAL/General/MusicClock.h"

#include <algorithm>
#include <limits>

namespace HAL {

MusicClock::MusicClock(Kind kind, uint32_t rate, uint32_t latencyFrames, uint64_t lengthUs, bool paused, int64_t nowNs)
    : m_kind(kind), m_rate(rate > 0 ? rate : 1),
      m_latencyNs(static_cast<int64_t>(latencyFrames) * 1000000000 / (rate > 0 ? rate : 1)), m_lengthUs(lengthUs),
      m_paused(paused), m_resumeNs(nowNs)
{
}

void MusicClock::framesHanded(uint32_t frames, int64_t nowNs)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const uint64_t startUs = framesToUs(m_handedFrames);
    m_handedFrames += frames;
    m_previous = m_current;
    m_current.startUs = m_originUs + startUs;
    m_current.lengthUs = framesToUs(m_handedFrames) - startUs;
    m_current.heardFromNs = nowNs + m_latencyNs;
    m_current.valid = true;
}

void MusicClock::streamEnded()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_ended = true;
}

void MusicClock::framesPlayed(uint64_t played)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_playedFrames = played;
}

void MusicClock::setPaused(bool paused, int64_t nowNs)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (paused == m_paused)
        return;
    if (paused) {
        positionLocked(nowNs); // fixes m_reportedUs, the value held from now on
        m_paused = true;
    } else {
        m_paused = false;
        m_baseUs = m_reportedUs;
        m_resumeNs = nowNs;
    }
}

bool MusicClock::isPaused() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_paused;
}

void MusicClock::advance(uint32_t ms)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_kind != Kind::STEPPED || m_paused)
        return;
    m_steppedUs += static_cast<uint64_t>(ms) * 1000;
    if (m_lengthUs > 0)
        m_steppedUs = std::min(m_steppedUs, m_lengthUs);
}

void MusicClock::seek(uint64_t us, int64_t nowNs)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_lengthUs > 0)
        us = std::min(us, m_lengthUs);
    m_reportedUs = us;
    m_baseUs = us;
    m_resumeNs = nowNs;
    m_steppedUs = us;
    m_originUs = us;
    m_handedFrames = 0;
    m_playedFrames = 0;
    m_previous = Block();
    m_current = Block();
    m_ended = false;
}

uint64_t MusicClock::positionUs(int64_t nowNs)
{
    std::lock_guard<std::mutex> guard(m_lock);
    return positionLocked(nowNs);
}

bool MusicClock::finished(int64_t nowNs)
{
    std::lock_guard<std::mutex> guard(m_lock);
    uint64_t endUs = std::numeric_limits<uint64_t>::max();
    if ((m_kind == Kind::DEVICE || m_kind == Kind::PLAYED_COUNT) && m_ended)
        endUs = m_originUs + framesToUs(m_handedFrames);
    if (m_lengthUs > 0)
        endUs = std::min(endUs, m_lengthUs);
    return positionLocked(nowNs) >= endUs;
}

uint64_t MusicClock::positionLocked(int64_t nowNs)
{
    if (m_paused)
        return m_reportedUs;
    uint64_t heardUs = 0;
    switch (m_kind) {
    case Kind::DEVICE:
        heardUs = deviceHeardUs(nowNs);
        break;
    case Kind::PLAYED_COUNT:
        heardUs = m_originUs + framesToUs(std::min(m_playedFrames, m_handedFrames));
        break;
    case Kind::REAL_TIME:
        heardUs = m_baseUs + static_cast<uint64_t>(std::max<int64_t>(0, nowNs - m_resumeNs) / 1000);
        break;
    case Kind::STEPPED:
        heardUs = m_steppedUs;
        break;
    }
    if (m_lengthUs > 0)
        heardUs = std::min(heardUs, m_lengthUs);
    m_reportedUs = std::max(m_reportedUs, heardUs);
    return m_reportedUs;
}

uint64_t MusicClock::deviceHeardUs(int64_t nowNs) const
{
    if (!m_current.valid)
        return m_originUs;
    // The newest block once it is audible, else the one before it, which is
    // what the device is playing meanwhile.
    const Block& block = (nowNs >= m_current.heardFromNs || !m_previous.valid) ? m_current : m_previous;
    const int64_t intoNs = std::max<int64_t>(0, nowNs - block.heardFromNs);
    return block.startUs + std::min(block.lengthUs, static_cast<uint64_t>(intoNs / 1000));
}

} // namespace HAL
