#include "HAL/Music.h"

namespace HAL {

const char* musicResultText(int result)
{
    switch (result) {
    case MUSIC_OK:
        return "OK";
    case MUSIC_ERR_INVALID_PARAM:
        return "invalid parameter";
    case MUSIC_ERR_NOT_INITIALIZED:
        return "music system not initialised";
    case MUSIC_ERR_INITIALIZED:
        return "music system already initialised";
    case MUSIC_ERR_FILE_NOT_FOUND:
        return "file not found";
    case MUSIC_ERR_FORMAT:
        return "not a playable MP3 stream";
    case MUSIC_ERR_NO_DEVICE:
        return "no audio device";
    case MUSIC_ERR_DECODER:
        return "MP3 decoder failure";
    case MUSIC_ERR_CHANNEL_STOPPED:
        return "channel stopped";
    case MUSIC_ERR_NOT_STEPPED:
        return "clock is not stepped";
    case MUSIC_ERR_INTERNAL:
        return "internal error";
    default:
        return "unknown result";
    }
}

MusicStart startMusicPaused(const char* path, int maxChannels, uint32_t flags)
{
    MusicStart start;
    start.result = MusicSystem::create(&start.system);
    if (start.result == MUSIC_OK)
        start.result = start.system->init(maxChannels, flags);
    if (start.result != MUSIC_OK) {
        start.failedStep = MusicStart::SYSTEM;
    } else {
        start.result = start.system->createStream(path, &start.stream);
        if (start.result != MUSIC_OK) {
            start.failedStep = MusicStart::STREAM;
        } else {
            start.result = start.system->playSound(start.stream, true, &start.channel);
            if (start.result != MUSIC_OK)
                start.failedStep = MusicStart::PLAY;
        }
    }
    if (start.result != MUSIC_OK) {
        if (start.system)
            start.system->release();
        start.system = nullptr;
        start.stream = nullptr;
        start.channel = nullptr;
    }
    return start;
}

} // namespace HAL
