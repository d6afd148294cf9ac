#pragma once
// The playback position a listener hears, for one playing stream. Four
// kinds of clock share one set of rules: the position never goes backwards,
// holds while paused and stops at the stream's length.
//
//  - DEVICE: the audio callback reports each block of stream frames it hands
//    to the device. A block handed at time T starts being heard after the
//    device's buffered latency, at T + latency, and is heard at the stream's
//    rate from then on; between callbacks the position is interpolated.
//  - PLAYED_COUNT: a device that counts the frames it has played since its
//    playback (re)started; the caller reports that count (framesPlayed) and
//    the blocks it hands (framesHanded). The position is the start point
//    plus the count, never beyond what was handed.
//  - REAL_TIME: silent output; the position follows the monotonic clock.
//  - STEPPED: silent output; the position moves only by advance().
//
// Times are nanoseconds of a monotonic clock, passed in by the caller, so the
// rules can be checked without waiting. Thread-safe: the audio thread reports
// blocks while the caller's thread reads.

#include <cstdint>
#include <mutex>

namespace HAL {

class MusicClock {
public:
    enum class Kind { DEVICE, PLAYED_COUNT, REAL_TIME, STEPPED };

    // `rate`: stream frames per second; `latencyFrames`: the device's buffer
    // (DEVICE kind only); `lengthUs`: the stream's length in microseconds, an
    // upper bound of the position (0: bounded only by what was handed).
    // Requires rate > 0.
    MusicClock(Kind kind, uint32_t rate, uint32_t latencyFrames, uint64_t lengthUs, bool paused, int64_t nowNs);

    Kind kind() const { return m_kind; }

    // Audio thread, DEVICE and PLAYED_COUNT kinds: `frames` (> 0) further
    // stream frames went to the device at `nowNs`.
    void framesHanded(uint32_t frames, int64_t nowNs);
    // Audio thread, DEVICE and PLAYED_COUNT kinds: every frame of the stream
    // has been handed.
    void streamEnded();
    // PLAYED_COUNT kind: the device has played `played` frames since the
    // clock's start or its last seek.
    void framesPlayed(uint64_t played);

    // Pausing freezes the position at its value at `nowNs`; resuming lets it
    // move on from there.
    void setPaused(bool paused, int64_t nowNs);
    bool isPaused() const;
    // STEPPED kind: moves an unpaused clock on by `ms` (up to the length).
    void advance(uint32_t ms);

    // Starts the position again at `us` (backwards too) at `nowNs`, the pause
    // state kept. DEVICE and PLAYED_COUNT kinds: only on a clock that has
    // been handed nothing yet; the blocks handed afterwards play from `us`,
    // and the played count starts again at 0.
    void seek(uint64_t us, int64_t nowNs);

    // The heard position in microseconds at `nowNs`. Never less than any
    // value returned before.
    uint64_t positionUs(int64_t nowNs);
    // Whether the whole stream has been heard by `nowNs`.
    bool finished(int64_t nowNs);

private:
    struct Block {
        uint64_t startUs = 0; // stream time of the block's first frame
        uint64_t lengthUs = 0;
        int64_t heardFromNs = 0; // when its first frame reaches the listener
        bool valid = false;
    };

    uint64_t positionLocked(int64_t nowNs);
    uint64_t deviceHeardUs(int64_t nowNs) const;
    uint64_t framesToUs(uint64_t frames) const { return frames * 1000000u / m_rate; }

    mutable std::mutex m_lock;
    const Kind m_kind;
    const uint32_t m_rate;
    const int64_t m_latencyNs;
    const uint64_t m_lengthUs;

    bool m_paused;
    uint64_t m_reportedUs = 0; // the floor of every later answer; the held value while paused

    // REAL_TIME: position = m_baseUs + time since m_resumeNs.
    uint64_t m_baseUs = 0;
    int64_t m_resumeNs;
    // STEPPED
    uint64_t m_steppedUs = 0;
    // DEVICE, PLAYED_COUNT: stream time of the first frame handed
    uint64_t m_originUs = 0;
    uint64_t m_handedFrames = 0;
    uint64_t m_playedFrames = 0; // PLAYED_COUNT
    Block m_previous;
    Block m_current;
    bool m_ended = false;
};

} // namespace HAL
