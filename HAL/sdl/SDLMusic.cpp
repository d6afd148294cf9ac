#include "HAL/sdl/SDLMusic.h"

#include <SDL.h>

#include <filesystem>

#include "HAL/sdl/AlsaMessages.h"
#include "core/Debug.h"

namespace HAL {

namespace {

void SDLCALL audioCallback(void* userdata, Uint8* stream, int length)
{
    auto* channel = static_cast<SDLMusicChannel*>(userdata);
    const size_t frames = static_cast<size_t>(length) / (Mpg123Decoder::CHANNELS * sizeof(int16_t));
    channel->fillDevice(reinterpret_cast<int16_t*>(stream), frames);
}

} // namespace

QueuedMusicSystem* QueuedMusicSystem::newForPlatform()
{
    return new SDLMusicSystem();
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

void SDLMusicSystem::takePlatformMessages()
{
    if (!AlsaMessages::pending())
        return;
    const bool logging = canLogNow();
    char line[AlsaMessages::MAX_LENGTH];
    while (AlsaMessages::takeOne(line, sizeof line)) {
        if (logging)
            core::Debug::printf(core::DEBUG_LEVEL_PLATFORM, "Music: %s\n", line);
        else
            queueMessage(core::DEBUG_LEVEL_PLATFORM, std::string("Music: ") + line + "\n");
    }
    if (const uint32_t dropped = AlsaMessages::takeDropped()) {
        if (logging)
            core::Debug::printf(core::DEBUG_LEVEL_PLATFORM, "Music: %u more ALSA messages left out\n", dropped);
        else
            queueMessage(core::DEBUG_LEVEL_PLATFORM,
                         "Music: " + std::to_string(dropped) + " more ALSA messages left out\n");
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
    m_channel.configureDevice(m_deviceId, OUTPUT_RATE, obtained.samples);
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

int SDLMusicSystem::openStream(const char* path, std::unique_ptr<TimedMusicStream>& stream)
{
    auto created = std::make_unique<SDLMusicStream>();
    const int result = created->decoder.open(path, OUTPUT_RATE);
    if (result != MUSIC_OK)
        return result;
    const int64_t frames = created->decoder.scanLength();
    if (frames <= 0)
        return MUSIC_ERR_FORMAT;
    created->lengthUs = static_cast<uint64_t>(frames) * 1000000u / OUTPUT_RATE;
    stream = std::move(created);
    return MUSIC_OK;
}

} // namespace HAL
