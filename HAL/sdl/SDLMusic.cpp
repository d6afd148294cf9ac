#include "HAL/sdl/SDLMusic.h"

#include <SDL.h>

#include <algorithm>
#include <exception>
#include <filesystem>

#include "HAL/sdl/AlsaMessages.h"
#include "core/Debug.h"

namespace HAL {

namespace {

constexpr uint32_t KNOWN_FLAGS = MUSIC_INIT_SILENT | MUSIC_INIT_STEPPED_CLOCK | MUSIC_INIT_REQUIRE_DEVICE;

void SDLCALL audioCallback(void* userdata, Uint8* stream, int length)
{
    auto* channel = static_cast<SDLMusicChannel*>(userdata);
    const size_t frames = static_cast<size_t>(length) / (Mpg123Decoder::CHANNELS * sizeof(int16_t));
    channel->fillDevice(reinterpret_cast<int16_t*>(stream), frames);
}

} // namespace

int MusicSystem::create(MusicSystem** system)
{
    if (!system)
        return MUSIC_ERR_INVALID_PARAM;
    try {
        *system = new SDLMusicSystem();
    } catch (const std::exception&) {
        return MUSIC_ERR_INTERNAL;
    }
    return MUSIC_OK;
}

std::string pathBesideProgram(const char* fileName)
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !fileName)
        return fileName ? fileName : "";
    return (program.parent_path() / fileName).string();
}

SDLMusicSystem::SDLMusicSystem() : m_channel(*this)
{
}

SDLMusicSystem::~SDLMusicSystem()
{
    m_channel.stopPlayback();
    closeDevice();
}

void SDLMusicSystem::warn(std::string text)
{
    m_warnings.push_back({core::DEBUG_LEVEL_WARNING, std::move(text)});
    flushWarnings();
}

void SDLMusicSystem::flushWarnings()
{
    if (AlsaMessages::pending())
        takeAlsaMessages();
    if (m_warnings.empty() || !core::Debug::exists())
        return;
    for (const Warning& warning : m_warnings)
        core::Debug::printf(warning.level, "%s", warning.text.c_str());
    m_warnings.clear();
}

void SDLMusicSystem::takeAlsaMessages()
{
    const bool logging = core::Debug::exists() && m_warnings.empty();
    char line[AlsaMessages::MAX_LENGTH];
    while (AlsaMessages::takeOne(line, sizeof line)) {
        if (logging)
            core::Debug::printf(core::DEBUG_LEVEL_PLATFORM, "Music: %s\n", line);
        else
            m_warnings.push_back({core::DEBUG_LEVEL_PLATFORM, std::string("Music: ") + line + "\n"});
    }
    if (const uint32_t dropped = AlsaMessages::takeDropped()) {
        if (logging)
            core::Debug::printf(core::DEBUG_LEVEL_PLATFORM, "Music: %u more ALSA messages left out\n", dropped);
        else
            m_warnings.push_back(
                {core::DEBUG_LEVEL_PLATFORM, "Music: " + std::to_string(dropped) + " more ALSA messages left out\n"});
    }
}

bool SDLMusicSystem::openDevice(std::string& why)
{
    // Before SDL loads ALSA: its failures go to the log, not the terminal.
    AlsaMessages::install();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = SDL_GetError();
        return false;
    }
    m_audioStarted = true;

    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = static_cast<int>(OUTPUT_RATE);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Mpg123Decoder::CHANNELS;
    wanted.samples = DEVICE_BUFFER_FRAMES;
    wanted.callback = audioCallback;
    wanted.userdata = &m_channel;
    SDL_AudioSpec obtained;
    SDL_zero(obtained);
    // No allowed changes: SDL converts to the hardware's format itself.
    m_deviceId = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_deviceId == 0) {
        why = SDL_GetError();
        closeDevice();
        return false;
    }
    m_channel.configure(MusicOutput::DEVICE, m_deviceId, OUTPUT_RATE, obtained.samples);
    SDL_PauseAudioDevice(m_deviceId, 0);
    return true;
}

void SDLMusicSystem::closeDevice()
{
    if (m_deviceId != 0)
        SDL_CloseAudioDevice(m_deviceId); // waits for the callback to return
    m_deviceId = 0;
    if (m_audioStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_audioStarted = false;
}

int SDLMusicSystem::init(int maxChannels, uint32_t flags)
{
    flushWarnings();
    if (m_output != MusicOutput::NONE)
        return MUSIC_ERR_INITIALIZED;
    const bool silent = (flags & (MUSIC_INIT_SILENT | MUSIC_INIT_STEPPED_CLOCK)) != 0;
    if (maxChannels < 1 || (flags & ~KNOWN_FLAGS) != 0 || (silent && (flags & MUSIC_INIT_REQUIRE_DEVICE)))
        return MUSIC_ERR_INVALID_PARAM;
    try {
        if (flags & MUSIC_INIT_STEPPED_CLOCK) {
            m_output = MusicOutput::STEPPED;
        } else if (flags & MUSIC_INIT_SILENT) {
            m_output = MusicOutput::SILENT;
        } else {
            std::string why;
            if (openDevice(why)) {
                m_output = MusicOutput::DEVICE;
                return MUSIC_OK;
            }
            if (flags & MUSIC_INIT_REQUIRE_DEVICE)
                return MUSIC_ERR_NO_DEVICE;
            m_output = MusicOutput::SILENT;
            // ALSA's account of the failure goes ahead of the one warning.
            takeAlsaMessages();
            warn("Music: no audio device (" + why + "), playing silently on the system clock\n");
        }
        m_channel.configure(m_output, 0, OUTPUT_RATE, 0);
    } catch (const std::exception&) {
        closeDevice();
        m_output = MusicOutput::NONE;
        return MUSIC_ERR_INTERNAL;
    }
    return MUSIC_OK;
}

int SDLMusicSystem::getOutput(MusicOutput* output)
{
    flushWarnings();
    if (!output)
        return MUSIC_ERR_INVALID_PARAM;
    *output = m_output;
    return MUSIC_OK;
}

int SDLMusicSystem::createStream(const char* path, MusicStream** stream)
{
    flushWarnings();
    if (!path || !stream)
        return MUSIC_ERR_INVALID_PARAM;
    if (m_output == MusicOutput::NONE)
        return MUSIC_ERR_NOT_INITIALIZED;
    try {
        auto created = std::make_unique<SDLMusicStream>();
        const int result = created->decoder.open(path, OUTPUT_RATE);
        if (result != MUSIC_OK)
            return result;
        const int64_t frames = created->decoder.scanLength();
        if (frames <= 0)
            return MUSIC_ERR_FORMAT;
        created->lengthUs = static_cast<uint64_t>(frames) * 1000000u / OUTPUT_RATE;
        m_streams.push_back(std::move(created));
    } catch (const std::exception&) {
        return MUSIC_ERR_INTERNAL;
    }
    *stream = m_streams.back().get();
    return MUSIC_OK;
}

int SDLMusicSystem::playSound(MusicStream* stream, bool paused, MusicChannel** channel)
{
    flushWarnings();
    if (!stream || !channel)
        return MUSIC_ERR_INVALID_PARAM;
    if (m_output == MusicOutput::NONE)
        return MUSIC_ERR_NOT_INITIALIZED;
    const auto own = std::find_if(m_streams.begin(), m_streams.end(),
                                  [stream](const std::unique_ptr<SDLMusicStream>& s) { return s.get() == stream; });
    if (own == m_streams.end())
        return MUSIC_ERR_INVALID_PARAM; // not one of ours
    try {
        const int result = m_channel.start(**own, paused);
        if (result != MUSIC_OK)
            return result;
    } catch (const std::exception&) {
        m_channel.stopPlayback();
        return MUSIC_ERR_INTERNAL;
    }
    *channel = &m_channel;
    return MUSIC_OK;
}

int SDLMusicSystem::advanceClock(uint32_t ms)
{
    flushWarnings();
    if (m_output != MusicOutput::STEPPED)
        return MUSIC_ERR_NOT_STEPPED;
    m_channel.advance(ms);
    return MUSIC_OK;
}

int SDLMusicSystem::release()
{
    flushWarnings();
    delete this;
    return MUSIC_OK;
}

} // namespace HAL
