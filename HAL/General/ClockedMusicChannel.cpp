#include "HAL/General/ClockedMusicChannel.h"

#include <chrono>
#include <exception>

#include "HAL/General/QueuedMusicSystem.h"

namespace HAL {

ClockedMusicChannel::Playback::Playback(MusicClock::Kind kind, uint32_t rate, uint32_t latencyFrames,
                                        TimedMusicStream& stream, bool paused, int64_t nowNs)
    : clock(kind, rate, latencyFrames, stream.lengthUs, paused, nowNs), stream(stream)
{
}

ClockedMusicChannel::ClockedMusicChannel(QueuedMusicSystem& system) : m_system(system)
{
}

int64_t ClockedMusicChannel::nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

MusicClock::Kind ClockedMusicChannel::silentClockKind() const
{
    return m_output == MusicOutput::STEPPED ? MusicClock::Kind::STEPPED : MusicClock::Kind::REAL_TIME;
}

int ClockedMusicChannel::beginQuery(const void* out)
{
    reportWorkerFailure();
    m_system.flushWarnings();
    return out ? MUSIC_OK : MUSIC_ERR_INVALID_PARAM;
}

void ClockedMusicChannel::configure(MusicOutput output)
{
    stopPlayback();
    m_output = output;
}

void ClockedMusicChannel::advance(uint32_t ms)
{
    if (m_playback)
        m_playback->clock.advance(ms);
}

int ClockedMusicChannel::setPaused(bool paused)
{
    m_system.flushWarnings();
    if (!m_playback)
        return MUSIC_ERR_CHANNEL_STOPPED;
    if (m_output == MusicOutput::DEVICE)
        pauseDevice(paused);
    else
        m_playback->clock.setPaused(paused, nowNs());
    return MUSIC_OK;
}

int ClockedMusicChannel::getPaused(bool* paused)
{
    m_system.flushWarnings();
    if (!paused)
        return MUSIC_ERR_INVALID_PARAM;
    if (!m_playback)
        return MUSIC_ERR_CHANNEL_STOPPED;
    *paused = m_playback->clock.isPaused();
    return MUSIC_OK;
}

int ClockedMusicChannel::getPosition(uint32_t* positionMs)
{
    if (const int result = beginQuery(positionMs); result != MUSIC_OK)
        return result;
    if (!m_playback)
        return MUSIC_ERR_CHANNEL_STOPPED;
    refreshClock();
    *positionMs = static_cast<uint32_t>(m_playback->clock.positionUs(nowNs()) / 1000);
    return MUSIC_OK;
}

int ClockedMusicChannel::setPosition(uint32_t positionMs)
{
    m_system.flushWarnings();
    if (!m_playback)
        return MUSIC_ERR_CHANNEL_STOPPED;
    TimedMusicStream& stream = m_playback->stream;
    // The length in whole milliseconds is the end, though the stream may
    // last a fraction of one longer.
    if (positionMs > stream.getLength())
        return MUSIC_ERR_INVALID_PARAM;
    const uint64_t us = positionMs == stream.getLength() ? stream.lengthUs : static_cast<uint64_t>(positionMs) * 1000u;
    if (m_output != MusicOutput::DEVICE) {
        m_playback->clock.seek(us, nowNs());
        return MUSIC_OK;
    }
    // On the device what was decoded or queued ahead belongs to the old
    // position: play afresh from the new one, the pause state kept.
    const bool paused = m_playback->clock.isPaused();
    stopPlayback();
    try {
        return start(stream, paused, us);
    } catch (const std::exception&) {
        stopPlayback();
        return MUSIC_ERR_INTERNAL;
    }
}

int ClockedMusicChannel::isPlaying(bool* playing)
{
    if (const int result = beginQuery(playing); result != MUSIC_OK)
        return result;
    refreshClock();
    *playing = m_playback && !m_playback->clock.finished(nowNs());
    return MUSIC_OK;
}

int ClockedMusicChannel::stop()
{
    m_system.flushWarnings();
    if (!m_playback)
        return MUSIC_ERR_CHANNEL_STOPPED;
    stopPlayback();
    return MUSIC_OK;
}

} // namespace HAL
