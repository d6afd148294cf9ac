#include "HAL/sdl/SDLMusicChannel.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "HAL/sdl/AudioRing.h"
#include "HAL/sdl/SDLMusic.h"

namespace HAL {

namespace {

// The decoder works ahead by up to one second and decodes in pieces of about
// 90 ms: a slow moment on the decoder thread never reaches the listener.
constexpr size_t RING_SECONDS = 1;
constexpr size_t CHUNK_FRAMES = 4096;
constexpr auto DECODER_NAP = std::chrono::milliseconds(5);

} // namespace

struct SDLMusicChannel::Playback : ClockedMusicChannel::Playback {
    Playback(MusicClock::Kind kind, uint32_t rate, uint32_t latencyFrames, SDLMusicStream& stream, bool paused,
             int64_t now, size_t ringSamples)
        : ClockedMusicChannel::Playback(kind, rate, latencyFrames, stream, paused, now), ring(ringSamples),
          decoder(stream.decoder), chunk(kind == MusicClock::Kind::DEVICE ? CHUNK_FRAMES * Mpg123Decoder::CHANNELS : 0),
          paused(paused)
    {
    }

    AudioRing ring; // a token size when nothing is decoded
    Mpg123Decoder& decoder; // the decoder thread's alone while it runs
    std::vector<int16_t> chunk; // the decoder thread's buffer
    std::thread decoderThread;
    std::atomic<bool> quit{false};
    std::atomic<bool> decodedAll{false}; // set after the last samples went into the ring
    std::atomic<bool> paused; // read by the audio callback
    bool endHanded = false; // audio thread only
    bool failureReported = false; // caller's thread only
};

SDLMusicChannel::SDLMusicChannel(SDLMusicSystem& system) : ClockedMusicChannel(system)
{
}

SDLMusicChannel::~SDLMusicChannel()
{
    stopPlayback();
}

void SDLMusicChannel::configureDevice(uint32_t deviceId, uint32_t rate, uint32_t latencyFrames)
{
    configure(MusicOutput::DEVICE);
    m_deviceId = deviceId;
    m_rate = rate;
    m_latencyFrames = latencyFrames;
}

SDLMusicChannel::Playback* SDLMusicChannel::playing() const
{
    return static_cast<Playback*>(m_playback.get());
}

int SDLMusicChannel::start(TimedMusicStream& timedStream, bool paused, uint64_t fromUs)
{
    // The system plays only the streams it opened, all of this type.
    SDLMusicStream& stream = static_cast<SDLMusicStream&>(timedStream);
    fromUs = std::min(fromUs, stream.lengthUs);
    stopPlayback();
    if (m_output != MusicOutput::DEVICE) {
        // Silent clocks decode nothing: the stream's length is all they need.
        m_playback = std::make_unique<Playback>(silentClockKind(), m_rate, 0, stream, paused, nowNs(), 1);
        m_playback->clock.seek(fromUs, nowNs());
        return MUSIC_OK;
    }

    // The first frame to play: the clock counts from the same frame, so the
    // position heard is exactly the stream time of the sound.
    const uint64_t fromFrame = fromUs * m_rate / 1000000u;
    if (!stream.decoder.seek(static_cast<int64_t>(fromFrame)))
        return MUSIC_ERR_DECODER;
    const size_t ringSamples = RING_SECONDS * m_rate * Mpg123Decoder::CHANNELS;
    auto playback = std::make_unique<Playback>(MusicClock::Kind::DEVICE, m_rate, m_latencyFrames, stream, paused,
                                               nowNs(), ringSamples);
    playback->clock.seek(fromUs, nowNs());
    playback->decoderThread = std::thread(&SDLMusicChannel::decode, playback.get());
    SDL_LockAudioDevice(m_deviceId);
    m_live = playback.get();
    SDL_UnlockAudioDevice(m_deviceId);
    m_playback = std::move(playback);
    return MUSIC_OK;
}

void SDLMusicChannel::stopPlayback()
{
    if (!m_playback)
        return;
    if (m_live) {
        SDL_LockAudioDevice(m_deviceId);
        m_live = nullptr;
        SDL_UnlockAudioDevice(m_deviceId);
    }
    Playback* playback = playing();
    playback->quit.store(true);
    if (playback->decoderThread.joinable())
        playback->decoderThread.join();
    m_playback.reset();
}

void SDLMusicChannel::decode(Playback* playback)
{
    const size_t chunkSamples = playback->chunk.size();
    while (!playback->quit.load(std::memory_order_acquire)) {
        if (playback->ring.space() < chunkSamples) {
            std::this_thread::sleep_for(DECODER_NAP);
            continue;
        }
        const size_t frames = playback->decoder.read(playback->chunk.data(), CHUNK_FRAMES);
        playback->ring.write(playback->chunk.data(), frames * Mpg123Decoder::CHANNELS);
        if (playback->decoder.atEnd()) {
            playback->decodedAll.store(true, std::memory_order_release);
            return;
        }
    }
}

void SDLMusicChannel::fillDevice(int16_t* out, size_t frames)
{
    const size_t samples = frames * Mpg123Decoder::CHANNELS;
    Playback* playback = m_live;
    size_t got = 0;
    if (playback && !playback->paused.load(std::memory_order_acquire)) {
        // Read the end flag before the ring: when it is set, every sample is
        // already in the ring, so an empty ring afterwards means the end.
        const bool decodedAll = playback->decodedAll.load(std::memory_order_acquire);
        got = playback->ring.read(out, samples) / Mpg123Decoder::CHANNELS;
        if (got > 0)
            playback->clock.framesHanded(static_cast<uint32_t>(got), nowNs());
        if (decodedAll && !playback->endHanded && playback->ring.available() == 0) {
            playback->clock.streamEnded();
            playback->endHanded = true;
        }
    }
    std::memset(out + got * Mpg123Decoder::CHANNELS, 0, (samples - got * Mpg123Decoder::CHANNELS) * sizeof(int16_t));
}

void SDLMusicChannel::reportWorkerFailure()
{
    Playback* playback = playing();
    if (!playback || playback->failureReported || !playback->decodedAll.load(std::memory_order_acquire))
        return;
    // The decoder thread has finished with the decoder once decodedAll is set.
    if (const char* failure = playback->decoder.failure()) {
        playback->failureReported = true;
        m_system.warn(std::string("Music: decoding stopped early: ") + failure + "\n");
    }
}

void SDLMusicChannel::pauseDevice(bool paused)
{
    playing()->paused.store(paused, std::memory_order_release);
    m_playback->clock.setPaused(paused, nowNs());
}

} // namespace HAL
