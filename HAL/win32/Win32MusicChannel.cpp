#include "HAL/win32/Win32MusicChannel.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "HAL/win32/Win32MusicSystem.h"

namespace HAL {

namespace {

// Four device buffers of about 90 ms each (at 44.1 kHz): the decoder works
// ahead by up to a third of a second, so a slow moment on the playback
// thread never reaches the listener.
constexpr size_t BUFFERS = 4;
constexpr size_t BUFFER_FRAMES = 4096;
constexpr DWORD BYTES_PER_FRAME = AcmMp3Decoder::CHANNELS * sizeof(int16_t);
// The playback thread looks at its flags at least this often, even when
// waveOut signals nothing (a paused device finishes no buffers).
constexpr DWORD WAIT_MS = 50;

HWAVEOUT deviceOf(void* handle)
{
    return static_cast<HWAVEOUT>(handle);
}

// The header's flags as the device left them (it sets WHDR_DONE on its own thread).
DWORD flagsOf(const WAVEHDR& header)
{
    return __atomic_load_n(&header.dwFlags, __ATOMIC_ACQUIRE);
}

std::string waveOutError(const char* call, MMRESULT result)
{
    char text[MAXERRORLENGTH] = {};
    std::string why = std::string(call) + " error " + std::to_string(result);
    if (waveOutGetErrorTextA(result, text, sizeof text) == MMSYSERR_NOERROR && text[0] != '\0') {
        std::string said(text);
        said.erase(std::remove_if(said.begin(), said.end(), [](char c) { return c == '\r' || c == '\n'; }), said.end());
        why += ": " + said;
    }
    return why;
}

} // namespace

struct Win32MusicChannel::Playback : ClockedMusicChannel::Playback {
    Playback(MusicClock::Kind kind, Win32MusicStream& stream, bool paused, int64_t now)
        : ClockedMusicChannel::Playback(kind, stream.rate, 0, stream, paused, now), decoder(stream.decoder)
    {
    }

    AcmMp3Decoder& decoder; // the playback thread's alone while it runs
    HWAVEOUT device = nullptr; // null on the silent clocks
    HANDLE event = nullptr;
    std::vector<int16_t> samples[BUFFERS];
    WAVEHDR headers[BUFFERS] = {};
    std::thread thread;
    std::atomic<bool> quit{false};
    std::atomic<bool> done{false}; // the playback thread has finished with the decoder
    const char* deviceFailure = nullptr; // written by the playback thread before done
    bool failureReported = false; // caller's thread only
};

Win32MusicChannel::Win32MusicChannel(Win32MusicSystem& system) : ClockedMusicChannel(system)
{
}

Win32MusicChannel::~Win32MusicChannel()
{
    closeDevice();
}

Win32MusicChannel::Playback* Win32MusicChannel::playing() const
{
    return static_cast<Playback*>(m_playback.get());
}

bool Win32MusicChannel::openDevice(uint32_t rate, std::string& why)
{
    closeDevice();
    if (waveOutGetNumDevs() == 0) {
        why = "no waveOut device";
        return false;
    }
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!event) {
        why = "CreateEvent error " + std::to_string(GetLastError());
        return false;
    }
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = AcmMp3Decoder::CHANNELS;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(BYTES_PER_FRAME);
    format.nAvgBytesPerSec = rate * BYTES_PER_FRAME;
    HWAVEOUT device = nullptr;
    const MMRESULT result =
        waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR) {
        CloseHandle(event);
        why = waveOutError("waveOutOpen", result);
        return false;
    }
    m_device = device;
    m_event = event;
    m_deviceRate = rate;
    return true;
}

void Win32MusicChannel::closeDevice()
{
    stopPlayback();
    if (m_device) {
        waveOutReset(deviceOf(m_device));
        waveOutClose(deviceOf(m_device));
    }
    if (m_event)
        CloseHandle(m_event);
    m_device = nullptr;
    m_event = nullptr;
    m_deviceRate = 0;
}

int Win32MusicChannel::start(TimedMusicStream& timedStream, bool paused, uint64_t fromUs)
{
    // The system plays only the streams it opened, all of this type.
    Win32MusicStream& stream = static_cast<Win32MusicStream&>(timedStream);
    fromUs = std::min(fromUs, stream.lengthUs);
    stopPlayback();
    if (m_output == MusicOutput::DEVICE && m_deviceRate != stream.rate) {
        std::string why;
        if (!openDevice(stream.rate, why)) {
            m_output = MusicOutput::SILENT;
            m_system.warn("Music: the audio device does not play " + std::to_string(stream.rate) + " Hz (" + why +
                          "), playing silently on the system clock\n");
        }
    }
    if (m_output != MusicOutput::DEVICE) {
        // Silent clocks decode nothing: the stream's length is all they need.
        m_playback = std::make_unique<Playback>(silentClockKind(), stream, paused, nowNs());
        m_playback->clock.seek(fromUs, nowNs());
        return MUSIC_OK;
    }

    // The first frame to play: the clock counts from the same frame, so the
    // position heard is exactly the stream time of the sound.
    const uint64_t fromFrame = fromUs * stream.rate / 1000000u;
    if (!stream.decoder.seek(static_cast<int64_t>(fromFrame)))
        return MUSIC_ERR_DECODER;
    auto playback = std::make_unique<Playback>(MusicClock::Kind::PLAYED_COUNT, stream, paused, nowNs());
    playback->clock.seek(fromUs, nowNs());
    playback->device = deviceOf(m_device);
    playback->event = m_event;
    for (std::vector<int16_t>& samples : playback->samples)
        samples.resize(BUFFER_FRAMES * AcmMp3Decoder::CHANNELS);
    // The device's played count starts at 0 with this playback; a paused
    // device queues the buffers written to it without playing them.
    waveOutReset(playback->device);
    if (paused)
        waveOutPause(playback->device);
    else
        waveOutRestart(playback->device);
    playback->thread = std::thread(&Win32MusicChannel::play, playback.get());
    m_playback = std::move(playback);
    return MUSIC_OK;
}

void Win32MusicChannel::stopPlayback()
{
    Playback* playback = playing();
    if (!playback)
        return;
    playback->quit.store(true);
    if (playback->event)
        SetEvent(playback->event);
    if (playback->thread.joinable())
        playback->thread.join();
    if (playback->device) {
        // Every queued buffer comes back marked done; then none is the device's.
        waveOutReset(playback->device);
        for (WAVEHDR& header : playback->headers) {
            if (header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(playback->device, &header, sizeof header);
        }
    }
    m_playback.reset();
}

void Win32MusicChannel::play(Playback* playback)
{
    // The thread wakes briefly a few times a second; ahead of the renderer,
    // so that a busy frame never starves the device.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    // Buffers are written in turn, so the next to reuse is always the oldest.
    size_t next = 0;
    while (!playback->quit.load(std::memory_order_acquire)) {
        WAVEHDR& header = playback->headers[next];
        const DWORD flags = flagsOf(header);
        if ((flags & WHDR_PREPARED) && !(flags & WHDR_DONE)) {
            WaitForSingleObject(playback->event, WAIT_MS);
            continue;
        }
        if (flags & WHDR_PREPARED)
            waveOutUnprepareHeader(playback->device, &header, sizeof header);
        int16_t* samples = playback->samples[next].data();
        const size_t frames = playback->decoder.read(samples, BUFFER_FRAMES);
        if (frames > 0) {
            header = WAVEHDR();
            header.lpData = reinterpret_cast<LPSTR>(samples);
            header.dwBufferLength = static_cast<DWORD>(frames) * BYTES_PER_FRAME;
            if (waveOutPrepareHeader(playback->device, &header, sizeof header) != MMSYSERR_NOERROR ||
                waveOutWrite(playback->device, &header, sizeof header) != MMSYSERR_NOERROR) {
                playback->deviceFailure = "the audio device refused a buffer";
                break;
            }
            playback->clock.framesHanded(static_cast<uint32_t>(frames), nowNs());
            next = (next + 1) % BUFFERS;
        }
        if (frames == 0 || playback->decoder.atEnd())
            break;
    }
    // Whatever ended the stream early (quit aside), what was handed is all there is.
    if (!playback->quit.load(std::memory_order_acquire))
        playback->clock.streamEnded();
    playback->done.store(true, std::memory_order_release);
}

void Win32MusicChannel::refreshClock()
{
    Playback* playback = playing();
    if (!playback || !playback->device)
        return;
    MMTIME time = {};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(playback->device, &time, sizeof time) != MMSYSERR_NOERROR)
        return;
    if (time.wType == TIME_SAMPLES)
        playback->clock.framesPlayed(time.u.sample);
    else if (time.wType == TIME_BYTES)
        playback->clock.framesPlayed(time.u.cb / BYTES_PER_FRAME);
}

void Win32MusicChannel::reportWorkerFailure()
{
    Playback* playback = playing();
    if (!playback || playback->failureReported || !playback->done.load(std::memory_order_acquire))
        return;
    // The playback thread has finished with the decoder once done is set.
    if (playback->deviceFailure) {
        playback->failureReported = true;
        m_system.warn(std::string("Music: playback stopped early: ") + playback->deviceFailure + "\n");
    } else if (const char* failure = playback->decoder.failure()) {
        playback->failureReported = true;
        m_system.warn(std::string("Music: decoding stopped early: ") + failure + "\n");
    }
}

void Win32MusicChannel::pauseDevice(bool paused)
{
    HWAVEOUT device = playing()->device;
    if (paused) {
        // The count stops with the device: the clock holds what it had played.
        waveOutPause(device);
        refreshClock();
        m_playback->clock.setPaused(true, nowNs());
    } else {
        m_playback->clock.setPaused(false, nowNs());
        waveOutRestart(device);
    }
}

} // namespace HAL
