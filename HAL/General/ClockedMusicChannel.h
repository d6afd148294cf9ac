#pragma once
// What a music channel does the same on every platform: checks the
// arguments and the state of each call, answers the position through the
// playback's MusicClock (milliseconds outside, microseconds inside) and moves
// it. A back end starts and stops its playback (its device, thread and
// decoder) and derives its own Playback to hold them.
//
// Threads: every MusicChannel operation and configure()/start()/advance()/
// stopPlayback() run on the caller's thread. The hooks are called there too;
// getPosition() and isPlaying() run every frame, so their hooks allocate
// nothing while all is well.

#include <cstdint>
#include <memory>

#include "HAL/General/MusicClock.h"
#include "HAL/General/TimedMusicStream.h"
#include "HAL/Music.h"

namespace HAL {

class QueuedMusicSystem;

class ClockedMusicChannel : public MusicChannel {
public:
    ClockedMusicChannel(const ClockedMusicChannel&) = delete;
    ClockedMusicChannel& operator=(const ClockedMusicChannel&) = delete;

    // Stops what plays and fixes how playback is timed from now on (the
    // system's init(); NONE when init() failed).
    void configure(MusicOutput output);
    MusicOutput output() const { return m_output; }

    // Stops what plays and plays `stream` (one of the back end's own) from
    // `fromUs`, at most its length. Returns a MusicResult. Throws
    // std::bad_alloc / std::system_error when memory or a thread is lacking
    // (nothing plays then).
    virtual int start(TimedMusicStream& stream, bool paused, uint64_t fromUs) = 0;
    // Moves a stepped clock on (see MusicSystem::advanceClock).
    void advance(uint32_t ms);
    // Ends playback and joins the back end's threads; nothing when idle.
    virtual void stopPlayback() = 0;

    int setPaused(bool paused) override;
    int getPaused(bool* paused) override;
    int getPosition(uint32_t* positionMs) override;
    int setPosition(uint32_t positionMs) override;
    int isPlaying(bool* playing) override;
    int stop() override;

protected:
    // One playing stream and its clock; the back end derives its own with
    // the device's and the threads' state.
    struct Playback {
        Playback(MusicClock::Kind kind, uint32_t rate, uint32_t latencyFrames, TimedMusicStream& stream, bool paused,
                 int64_t nowNs);
        virtual ~Playback() = default;

        MusicClock clock;
        TimedMusicStream& stream;
    };

    explicit ClockedMusicChannel(QueuedMusicSystem& system);
    ~ClockedMusicChannel() = default;

    // The monotonic clock's time in nanoseconds.
    static int64_t nowNs();
    // The clock a playback uses on the SILENT or STEPPED output.
    MusicClock::Kind silentClockKind() const;

    // DEVICE output: pauses or resumes the device and the clock, so that the
    // position holds exactly what was heard. Requires a playback.
    virtual void pauseDevice(bool paused) = 0;
    // Brings the clock up to date with the device before it is read;
    // nothing by default.
    virtual void refreshClock() { }
    // Reports, once, a failure the back end's thread left behind (a warning
    // through the system). Allocates only when it reports.
    virtual void reportWorkerFailure() = 0;

    // What every frame's query starts with: reports a failure the worker
    // thread left, writes the warning queue, then checks `out` (not null).
    int beginQuery(const void* out);

    QueuedMusicSystem& m_system;
    MusicOutput m_output = MusicOutput::NONE;
    std::unique_ptr<Playback> m_playback; // owned by the caller's thread
};

} // namespace HAL
