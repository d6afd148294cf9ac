#pragma once
// The music system on SDL2 audio and libmpg123. init() starts SDL's audio
// subsystem on its own (never video) and opens the default device for
// 44.1 kHz 16-bit stereo; SDL converts to whatever the hardware wants. The
// device runs from init() to release(), playing silence while nothing plays.
//
// Warnings (no device, a decoding failure) are queued and written to the
// engine log by the caller's thread at the next call that finds the log; the
// audio and decoder threads never log. So are ALSA's own error messages
// (AlsaMessages), at DEBUG_LEVEL_PLATFORM instead of on standard error.

#include <memory>
#include <string>
#include <vector>

#include "HAL/Music.h"
#include "HAL/sdl/SDLMusicChannel.h"

namespace HAL {

class SDLMusicSystem final : public MusicSystem {
public:
    static constexpr uint32_t OUTPUT_RATE = 44100;
    static constexpr uint16_t DEVICE_BUFFER_FRAMES = 1024;

    SDLMusicSystem();

    int init(int maxChannels, uint32_t flags) override;
    int getOutput(MusicOutput* output) override;
    int createStream(const char* path, MusicStream** stream) override;
    int playSound(MusicStream* stream, bool paused, MusicChannel** channel) override;
    int advanceClock(uint32_t ms) override;
    int release() override;

    // Queues a warning for the engine log (caller's thread only).
    void warn(std::string text);
    // Writes queued warnings, and ALSA's messages kept since the last call,
    // when the engine log exists; queues those messages otherwise. Allocates
    // nothing once the log exists.
    void flushWarnings();

private:
    ~SDLMusicSystem() override;

    // Starts SDL audio and opens the device; on failure `why` says why and
    // nothing stays open.
    bool openDevice(std::string& why);
    void closeDevice();
    // Moves ALSA's kept messages to the log at DEBUG_LEVEL_PLATFORM (into
    // m_warnings, behind what waits there, while the log is missing).
    void takeAlsaMessages();

    MusicOutput m_output = MusicOutput::NONE;
    bool m_audioStarted = false;
    uint32_t m_deviceId = 0;
    std::vector<std::unique_ptr<SDLMusicStream>> m_streams;
    SDLMusicChannel m_channel;
    struct Warning {
        uint32_t level;
        std::string text;
    };
    std::vector<Warning> m_warnings;
};

} // namespace HAL
