#pragma once
// The music system on waveOut and the Audio Compression Manager's MP3 codec.
// init() opens the default device (WAVE_MAPPER) for 44.1 kHz 16-bit stereo;
// a stream of another rate reopens it at that rate when it plays. Without a
// device (no waveOut device, or waveOutOpen fails) the output is the silent
// real-time clock, after one warning. QueuedMusicSystem checks the calls and
// queues the warnings.

#include <memory>
#include <string>

#include "HAL/General/QueuedMusicSystem.h"
#include "HAL/win32/Win32MusicChannel.h"

namespace HAL {

class Win32MusicSystem final : public QueuedMusicSystem {
public:
    static constexpr uint32_t OUTPUT_RATE = 44100;

    Win32MusicSystem();

private:
    ~Win32MusicSystem() override;

    ClockedMusicChannel& ownChannel() override { return m_channel; }
    bool openDevice(std::string& why) override;
    void closeDevice() override;
    int openStream(const char* path, std::unique_ptr<TimedMusicStream>& stream) override;

    Win32MusicChannel m_channel;
};

} // namespace HAL
