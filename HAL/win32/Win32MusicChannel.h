#pragma once
// The Windows music system's one channel: plays a stream through waveOut (a
// playback thread keeps a few device buffers filled from the decoder) or on a
// silent clock; ClockedMusicChannel answers the position and checks the
// calls. On the device the position is the count of frames waveOut has
// played since its last reset, which is what the listener hears.
//
// Threads: every MusicChannel operation and openDevice()/start()/advance()/
// stopPlayback() run on the caller's thread; the playback thread only
// decodes, writes device buffers and reports them to the clock.

#include <cstdint>
#include <string>

#include "HAL/General/ClockedMusicChannel.h"
#include "HAL/win32/AcmMp3Decoder.h"

namespace HAL {

class Win32MusicSystem;

// A stream: its open decoder (sought for each playback), its rate and length.
class Win32MusicStream final : public TimedMusicStream {
public:
    AcmMp3Decoder decoder;
    uint32_t rate = 0;
};

class Win32MusicChannel final : public ClockedMusicChannel {
public:
    explicit Win32MusicChannel(Win32MusicSystem& system);
    ~Win32MusicChannel();

    // Opens the default waveOut device for 16-bit stereo at `rate` Hz,
    // closing the one open before. On failure `why` says why (one line) and
    // no device stays open.
    bool openDevice(uint32_t rate, std::string& why);
    // Stops playback and closes the device; nothing when none is open.
    void closeDevice();

    // Requires a Win32MusicStream (see ClockedMusicChannel::start). On the
    // device, a stream of another rate reopens the device at that rate
    // first; if that fails, the output falls back to the silent clock with
    // a warning.
    int start(TimedMusicStream& stream, bool paused, uint64_t fromUs) override;
    // Also takes the buffers back from the device (waveOutReset).
    void stopPlayback() override;

private:
    struct Playback;

    // Playback thread body: keeps the device's buffers filled until the
    // stream is all handed or quit is set.
    static void play(Playback* playback);
    Playback* playing() const;

    void pauseDevice(bool paused) override;
    // Device: tells the clock how many frames waveOut has played.
    void refreshClock() override;
    // Reports, once, a failure the playback thread left behind.
    void reportWorkerFailure() override;

    void* m_device = nullptr; // HWAVEOUT
    void* m_event = nullptr; // set by waveOut as each buffer finishes
    uint32_t m_deviceRate = 0;
};

} // namespace HAL
