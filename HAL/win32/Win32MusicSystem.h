#pragma once
// The music system on waveOut and the Audio Compression Manager's MP3 codec.
// init() opens the default device (WAVE_MAPPER) for 44.1 kHz 16-bit stereo;
// a stream of another rate reopens it at that rate when it plays. Without a
// device (no waveOut device, or waveOutOpen fails) the output is the silent
// real-time clock, after one warning.
//
// Warnings are queued and written to the engine log by the caller's thread
// at the next call that finds the log; the playback thread never logs.

#include <memory>
#include <string>
#include <vector>

#include "HAL/Music.h"
#include "HAL/win32/Win32MusicChannel.h"

namespace HAL {

class Win32MusicSystem final : public MusicSystem {
public:
    static constexpr uint32_t OUTPUT_RATE = 44100;

    Win32MusicSystem();

    int init(int maxChannels, uint32_t flags) override;
    int getOutput(MusicOutput* output) override;
    int createStream(const char* path, MusicStream** stream) override;
    int playSound(MusicStream* stream, bool paused, MusicChannel** channel) override;
    int advanceClock(uint32_t ms) override;
    int release() override;

    // Queues a warning for the engine log (caller's thread only).
    void warn(std::string text);
    // Writes queued warnings when the engine log exists.
    void flushWarnings();

private:
    ~Win32MusicSystem() override;

    std::vector<std::unique_ptr<Win32MusicStream>> m_streams;
    Win32MusicChannel m_channel;
    std::vector<std::string> m_warnings;
};

} // namespace HAL
