#pragma once
// The demo's soundtrack: started paused before the engine exists, un-paused
// when loading ends; its playback position is the timeline's clock.

#include <cstdint>

#include "HAL/Music.h"
#include "demo/Timeline.h"

class DemoMusic final : public MusicClock {
public:
    // Opens `fileName` beside the program as a stream and starts it paused;
    // `flags` are the music system's init flags (HAL::MUSIC_INIT_*). On
    // failure prints "FMOD ERROR!" (no music system) or "MUSIC NOT FOUND!"
    // (no playable file) on the console, which works before the engine log
    // exists, and returns null.
    static DemoMusic* start(const char* fileName = "override.mp3", uint32_t flags = HAL::MUSIC_INIT_NORMAL);
    // As start, with `path` used as it is (not looked up beside the program).
    static DemoMusic* startPath(const char* path, uint32_t flags = HAL::MUSIC_INIT_NORMAL);

    // Stops the channel and releases the music system.
    ~DemoMusic();
    DemoMusic(const DemoMusic&) = delete;
    DemoMusic& operator=(const DemoMusic&) = delete;

    // Starts playback.
    void play();
    // Writes what the music system had to say before the engine log existed
    // (the warning that it plays silently without an audio device) to that
    // log, which must exist by now.
    void writeWarnings();
    // The position the listener hears, in milliseconds; when the query fails
    // the last known position stays in use.
    uint32_t getPositionMs() override;
    // The soundtrack's whole length in milliseconds.
    uint32_t getLengthMs() const { return m_music.stream->getLength(); }
    // Moves the soundtrack to `ms` (at most its length), paused or not; the
    // position reads `ms` from then on. Returns the music system's result
    // code.
    int setPositionMs(uint32_t ms);
    // Holds the position the show reads at `ms` (getPositionMs answers it,
    // the channel is not asked) until releasePosition: the show can run
    // ahead of its sound.
    void holdPosition(uint32_t ms)
    {
        m_held = true;
        m_positionMs = ms;
    }
    void releasePosition() { m_held = false; }
    // Stepped clock only: moves the playing channel on by `ms`. Returns the
    // music system's result code.
    int advanceClock(uint32_t ms);

private:
    explicit DemoMusic(const HAL::MusicStart& music) : m_music(music) { }

    HAL::MusicStart m_music;
    uint32_t m_positionMs = 0;
    bool m_held = false;
};
