#pragma once
// The music system's one channel: plays a stream on the audio device (a
// decoder thread fills a ring that the audio callback empties) or on a silent
// clock, and answers the position through a MusicClock.
//
// Threads: every MusicChannel operation and start()/advance()/stopPlayback()
// run on the caller's thread; fillDevice() runs on SDL's audio thread. The
// playback the callback sees is swapped only while the device is locked.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "HAL/Music.h"
#include "HAL/sdl/AudioRing.h"
#include "HAL/sdl/Mpg123Decoder.h"
#include "HAL/General/MusicClock.h"

namespace HAL {

class SDLMusicSystem;

// A stream: its open decoder (rewound for each playback) and its length.
class SDLMusicStream final : public MusicStream {
public:
    uint32_t getLength() const override { return static_cast<uint32_t>(lengthUs / 1000); }

    Mpg123Decoder decoder;
    uint64_t lengthUs = 0;
};

class SDLMusicChannel final : public MusicChannel {
public:
    explicit SDLMusicChannel(SDLMusicSystem& system);
    ~SDLMusicChannel();
    SDLMusicChannel(const SDLMusicChannel&) = delete;
    SDLMusicChannel& operator=(const SDLMusicChannel&) = delete;

    // How playback is timed and where it goes, fixed by the system's init().
    // `deviceId` is the open SDL device for the DEVICE output.
    void configure(MusicOutput output, uint32_t deviceId, uint32_t rate, uint32_t latencyFrames);

    // Stops what plays and plays `stream` from `fromUs` (its start by
    // default; at most its length). Returns a
    // MusicResult. Throws std::bad_alloc / std::system_error when memory or
    // a thread is lacking (nothing plays then).
    int start(SDLMusicStream& stream, bool paused, uint64_t fromUs = 0);
    // Moves a stepped clock on (see MusicSystem::advanceClock).
    void advance(uint32_t ms);
    // Ends playback and joins the decoder thread; nothing when idle.
    void stopPlayback();

    // Audio thread: writes `frames` stereo frames of what the listener should
    // hear next (silence while paused, idle or starved).
    void fillDevice(int16_t* out, size_t frames);

    int setPaused(bool paused) override;
    int getPaused(bool* paused) override;
    int getPosition(uint32_t* positionMs) override;
    int setPosition(uint32_t positionMs) override;
    int isPlaying(bool* playing) override;
    int stop() override;

private:
    struct Playback;

    static int64_t nowNs();
    // Decoder thread body: keeps the ring filled until the stream ends or quit is set.
    static void decode(Playback* playback);
    // Reports, once, a decoding failure the decoder thread left behind.
    void reportDecoderFailure();

    SDLMusicSystem& m_system;
    MusicOutput m_output = MusicOutput::NONE;
    uint32_t m_deviceId = 0;
    uint32_t m_rate = 44100;
    uint32_t m_latencyFrames = 0;

    std::unique_ptr<Playback> m_playback; // owned by the caller's thread
    Playback* m_live = nullptr; // what fillDevice() plays; set with the device locked
};

} // namespace HAL
