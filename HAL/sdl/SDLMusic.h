#pragma once
// The music system on SDL2 audio and libmpg123. init() starts SDL's audio
// subsystem on its own (never video) and opens the default device for
// 44.1 kHz 16-bit stereo; SDL converts to whatever the hardware wants. The
// device runs from init() to release(), playing silence while nothing plays.
//
// QueuedMusicSystem checks the calls and queues the warnings; ALSA's own
// error messages (AlsaMessages) join that queue at DEBUG_LEVEL_PLATFORM
// instead of going to standard error.

#include <memory>
#include <string>

#include "HAL/General/QueuedMusicSystem.h"
#include "HAL/sdl/SDLMusicChannel.h"

namespace HAL {

class SDLMusicSystem final : public QueuedMusicSystem {
public:
    static constexpr uint32_t OUTPUT_RATE = 44100;
    static constexpr uint16_t DEVICE_BUFFER_FRAMES = 1024;

    SDLMusicSystem();

private:
    ~SDLMusicSystem() override;

    ClockedMusicChannel& ownChannel() override { return m_channel; }
    // Starts SDL audio and opens the device; on failure `why` says why and
    // nothing stays open.
    bool openDevice(std::string& why) override;
    void closeDevice() override;
    int openStream(const char* path, std::unique_ptr<TimedMusicStream>& stream) override;
    // Moves ALSA's kept messages to the log at DEBUG_LEVEL_PLATFORM (into
    // the queue, behind what waits there, while the log is missing).
    void takePlatformMessages() override;

    bool m_audioStarted = false;
    uint32_t m_deviceId = 0;
    SDLMusicChannel m_channel;
};

} // namespace HAL
