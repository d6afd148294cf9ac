#pragma once
// The music system's one channel on SDL: plays a stream on the audio device
// (a decoder thread fills a ring that the audio callback empties) or on a
// silent clock. ClockedMusicChannel answers the position and checks the calls.
//
// Threads: every MusicChannel operation and start()/advance()/stopPlayback()
// run on the caller's thread; fillDevice() runs on SDL's audio thread. The
// playback the callback sees is swapped only while the device is locked.

#include <cstdint>

#include "HAL/General/ClockedMusicChannel.h"
#include "HAL/sdl/Mpg123Decoder.h"

namespace HAL {

class SDLMusicSystem;

// A stream: its open decoder (rewound for each playback) and its length.
class SDLMusicStream final : public TimedMusicStream {
public:
    Mpg123Decoder decoder;
};

class SDLMusicChannel final : public ClockedMusicChannel {
public:
    explicit SDLMusicChannel(SDLMusicSystem& system);
    ~SDLMusicChannel();

    // Fixes the DEVICE output: `deviceId` is the open SDL device, `rate` its
    // frames per second and `latencyFrames` its buffer.
    void configureDevice(uint32_t deviceId, uint32_t rate, uint32_t latencyFrames);

    // Requires an SDLMusicStream (see ClockedMusicChannel::start).
    int start(TimedMusicStream& stream, bool paused, uint64_t fromUs) override;
    void stopPlayback() override;

    // Audio thread: writes `frames` stereo frames of what the listener should
    // hear next (silence while paused, idle or starved).
    void fillDevice(int16_t* out, size_t frames);

private:
    struct Playback;

    // Decoder thread body: keeps the ring filled until the stream ends or quit is set.
    static void decode(Playback* playback);
    Playback* playing() const;

    void pauseDevice(bool paused) override;
    // Reports, once, a decoding failure the decoder thread left behind.
    void reportWorkerFailure() override;

    uint32_t m_deviceId = 0;
    uint32_t m_rate = 44100;
    uint32_t m_latencyFrames = 0;

    Playback* m_live = nullptr; // what fillDevice() plays; set with the device locked
};

} // namespace HAL
