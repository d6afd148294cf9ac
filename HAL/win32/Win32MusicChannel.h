#pragma once
// The Windows music system's one channel: plays a stream through waveOut (a
// playback thread keeps a few device buffers filled from the decoder) or on a
// silent clock, and answers the position through a MusicClock. On the device
// the position is the count of frames waveOut has played since its last
// reset, which is what the listener hears.
//
// Threads: every MusicChannel operation and openDevice()/start()/advance()/
// stopPlayback() run on the caller's thread; the playback thread only
// decodes, writes device buffers and reports them to the clock.

#include <cstdint>
#include <memory>
#include <string>

#include "HAL/General/MusicClock.h"
#include "HAL/Music.h"
#include "HAL/win32/AcmMp3Decoder.h"

namespace HAL {

class Win32MusicSystem;

// A stream: its open decoder (sought for each playback), its rate and length.
class Win32MusicStream final : public MusicStream {
public:
    uint32_t getLength() const override { return static_cast<uint32_t>(lengthUs / 1000); }

    AcmMp3Decoder decoder;
    uint32_t rate = 0;
    uint64_t lengthUs = 0;
};

class Win32MusicChannel final : public MusicChannel {
public:
    explicit Win32MusicChannel(Win32MusicSystem& system);
    ~Win32MusicChannel();
    Win32MusicChannel(const Win32MusicChannel&) = delete;
    Win32MusicChannel& operator=(const Win32MusicChannel&) = delete;

    // Opens the default waveOut device for 16-bit stereo at `rate` Hz,
    // closing the one open before. On failure `why` says why (one line) and
    // no device stays open.
    bool openDevice(uint32_t rate, std::string& why);
    // Stops playback and closes the device; nothing when none is open.
    void closeDevice();

    // How playback is timed, fixed by the system's init(); DEVICE requires
    // an open device.
    void configure(MusicOutput output);
    MusicOutput output() const { return m_output; }

    // Stops what plays and plays `stream` from `fromUs` (its start by
    // default; at most its length). On the device, a stream of another rate
    // reopens the device at that rate first; if that fails, the output falls
    // back to the silent clock with a warning. Returns a MusicResult. Throws
    // std::bad_alloc / std::system_error when memory or a thread is lacking
    // (nothing plays then).
    int start(Win32MusicStream& stream, bool paused, uint64_t fromUs = 0);
    // Moves a stepped clock on (see MusicSystem::advanceClock).
    void advance(uint32_t ms);
    // Ends playback: joins the playback thread and takes the buffers back
    // from the device (waveOutReset). Nothing when idle.
    void stopPlayback();

    int setPaused(bool paused) override;
    int getPaused(bool* paused) override;
    int getPosition(uint32_t* positionMs) override;
    int setPosition(uint32_t positionMs) override;
    int isPlaying(bool* playing) override;
    int stop() override;

private:
    struct Playback;

    static int64_t nowNs();
    // Playback thread body: keeps the device's buffers filled until the
    // stream is all handed or quit is set.
    static void play(Playback* playback);
    // Device: tells the clock how many frames waveOut has played.
    void readPlayedCount();
    // Reports, once, a failure the playback thread left behind.
    void reportPlaybackFailure();

    Win32MusicSystem& m_system;
    MusicOutput m_output = MusicOutput::NONE;
    void* m_device = nullptr; // HWAVEOUT
    void* m_event = nullptr; // set by waveOut as each buffer finishes
    uint32_t m_deviceRate = 0;
    std::unique_ptr<Playback> m_playback;
};

} // namespace HAL
