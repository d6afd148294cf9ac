#include "HAL/sdl/SDLMusicChannel.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "HAL/sdl/SDLMusic.h"

namespace HAL {

namespace {

// The decoder works ahead by up to one second and decodes in pieces of about
// 90 ms: a slow moment on the decoder thread never reaches the listener.
constexpr size_t RING_SECONDS = 1;
constexpr size_t CHUNK_FRAMES = 4096;
constexpr auto DECODER_NAP = std::chrono::milliseconds(5);

} // namespace

struct SDLMusicChannel::Playback {
    Playback(MusicClock::Kind kind, uint32_t rate, uint32_t latencyFrames, SDLMusicStream& stream, bool paused,
             int64_t now, size_t ringSamples)
        : clock(kind, rate, latencyFrames, stream.lengthUs, paused, now), ring(ringSamples), stream(stream),
          decoder(stream.decoder), chunk(kind == MusicClock::Kind::DEVICE ? CHUNK_FRAMES * Mpg123Decoder::CHANNELS : 0),
          paused(paused)
    {
    }

    MusicClock clock;
    AudioRing ring; // a token size when nothing is decoded
    SDLMusicStream& stream;
    Mpg123Decoder& decoder; // the decoder thread's alone while it runs
    std::vector<int16_t> chunk; // the decoder thread's buffer
    std::thread decoderThread;
    std::atomic<bool> quit{false};
    std::atomic<bool> decodedAll{false}; // set after the last samples went into the ring
    std::atomic<bool> paused; // read by the audio callback
    bool endHanded = false; // audio thread only
    bool failureReported = false; // caller's thread only
};

SDLMusicChannel::SDLMusicChannel(SDLMusicSystem& system) : m_system(system)
{
}

SDLMusicChannel::~SDLMusicChannel()
{
    stopPlayback();
}

void SDLMusicChannel::configure(MusicOutput output, uint32_t deviceId, uint32_t rate, uint32_t latencyFrames)
{
    stopPlayback();
    m_output = output;
    m_deviceId = deviceId;
    m_rate = rate;
    m_latencyFrames = latencyFrames;
}

int64_t SDLMusicChannel::nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int SDLMusicChannel::start(SDLMusicStream& stream, bool paused, uint64_t fromUs)
{
    fromUs = std::min(fromUs, stream.lengthUs);
    stopPlayback();
    MusicClock::Kind kind = MusicClock::Kind::REAL_TIME;
    if (m_output == MusicOutput::DEVICE)
        kind = MusicClock::Kind::DEVICE;
    else if (m_output == MusicOutput::STEPPED)
        kind = MusicClock::Kind::STEPPED;

    if (kind != MusicClock::Kind::DEVICE) {
        // Silent clocks decode nothing: the stream's length is all they need.
        m_playback = std::make_unique<Playback>(kind, m_rate, 0, stream, paused, nowNs(), 1);
        m_playback->clock.seek(fromUs, nowNs());
        return MUSIC_OK;
    }

    // The first frame to play: the clock counts from the same frame, so the
    // position heard is exactly the stream time of the sound.
    const uint64_t fromFrame = fromUs * m_rate / 1000000u;
    if (!stream.decoder.seek(static_cast<int64_t>(fromFrame)))
        return MUSIC_ERR_DECODER;
    const size_t ringSamples = RING_SECONDS * m_rate * Mpg123Decoder::CHANNELS;
    auto playback = std::make_unique<Playback>(kind, m_rate, m_latencyFrames, stream, paused, nowNs(), ringSamples);
    playback->clock.seek(fromUs, nowNs());
    playback->decoderThread = std::thread(&SDLMusicChannel::decode, playback.get());
    SDL_LockAudioDevice(m_deviceId);
    m_live = playback.get();
    SDL_UnlockAudioDevice(m_deviceId);
    m_playback = std::move(playback);
    return MUSIC_OK;
}

void SDLMusicChannel::advance(uint32_t ms)
{
    if (m_playback)
        m_playback->clock.advance(ms);
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
    m_playback->quit.store(true);
    if (m_playback->decoderThread.joinable())
        m_playback->decoderThread.join();
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

void SDLMusicChannel::reportDecoderFailure()
{
    Playback* playback = m_playback.get();
    if (!playback || playback->failureReported || !playback->decodedAll.load(std::memory_order_acquire))
        return;
    // The decoder thread has finished with the decoder once decodedAll is set.
    if (const char* failure = playback->decoder.failure()) {
        playback->failureReported = true;
        m_system.warn(std::string("Music: decoding stopped early: ") + failure + "\n");
    }
}

int SDLMusicChannel::setPaused(bool paused)
{
    m_system.flushWarnings();
    if (!m_playback)
        return MUSIC_ERR_CHANNEL_STOPPED;
    m_playback->paused.store(paused, std::memory_order_release);
    m_playback->clock.setPaused(paused, nowNs());
    return MUSIC_OK;
}

int SDLMusicChannel::getPaused(bool* paused)
{
    m_system.flushWarnings();
    if (!paused)
        return MUSIC_ERR_INVALID_PARAM;
    if (!m_playback)
        return MUSIC_ERR_CHANNEL_STOPPED;
    *paused = m_playback->clock.isPaused();
    return MUSIC_OK;
}

int SDLMusicChannel::getPosition(uint32_t* positionMs)
{
    reportDecoderFailure();
    m_system.flushWarnings();
    if (!positionMs)
        return MUSIC_ERR_INVALID_PARAM;
    if (!m_playback)
        return MUSIC_ERR_CHANNEL_STOPPED;
    *positionMs = static_cast<uint32_t>(m_playback->clock.positionUs(nowNs()) / 1000);
    return MUSIC_OK;
}

int SDLMusicChannel::setPosition(uint32_t positionMs)
{
    m_system.flushWarnings();
    if (!m_playback)
        return MUSIC_ERR_CHANNEL_STOPPED;
    SDLMusicStream& stream = m_playback->stream;
    // The length in whole milliseconds is the end, though the stream may
    // last a fraction of one longer.
    if (positionMs > stream.getLength())
        return MUSIC_ERR_INVALID_PARAM;
    const uint64_t us = positionMs == stream.getLength() ? stream.lengthUs : static_cast<uint64_t>(positionMs) * 1000u;
    if (m_output != MusicOutput::DEVICE) {
        m_playback->clock.seek(us, nowNs());
        return MUSIC_OK;
    }
    // On the device the decoder starts again from there, with a fresh ring:
    // what was decoded ahead belongs to the old position.
    const bool paused = m_playback->paused.load(std::memory_order_acquire);
    stopPlayback();
    try {
        return start(stream, paused, us);
    } catch (const std::exception&) {
        stopPlayback();
        return MUSIC_ERR_INTERNAL;
    }
}

int SDLMusicChannel::isPlaying(bool* playing)
{
    reportDecoderFailure();
    m_system.flushWarnings();
    if (!playing)
        return MUSIC_ERR_INVALID_PARAM;
    *playing = m_playback && !m_playback->clock.finished(nowNs());
    return MUSIC_OK;
}

int SDLMusicChannel::stop()
{
    m_system.flushWarnings();
    if (!m_playback)
        return MUSIC_ERR_CHANNEL_STOPPED;
    stopPlayback();
    return MUSIC_OK;
}

} // namespace HAL
