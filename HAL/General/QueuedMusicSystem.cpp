#include "HAL/General/QueuedMusicSystem.h"

#include <algorithm>
#include <exception>

#include "HAL/General/ClockedMusicChannel.h"
#include "core/Debug.h"

namespace HAL {

namespace {

constexpr uint32_t KNOWN_FLAGS = MUSIC_INIT_SILENT | MUSIC_INIT_STEPPED_CLOCK | MUSIC_INIT_REQUIRE_DEVICE;

} // namespace

int MusicSystem::create(MusicSystem** system)
{
    if (!system)
        return MUSIC_ERR_INVALID_PARAM;
    try {
        *system = QueuedMusicSystem::newForPlatform();
    } catch (const std::exception&) {
        return MUSIC_ERR_INTERNAL;
    }
    return MUSIC_OK;
}

void QueuedMusicSystem::warn(std::string text)
{
    queueMessage(core::DEBUG_LEVEL_WARNING, std::move(text));
    flushWarnings();
}

void QueuedMusicSystem::flushWarnings()
{
    takePlatformMessages();
    if (m_warnings.empty() || !core::Debug::exists())
        return;
    for (const Warning& warning : m_warnings)
        core::Debug::printf(warning.level, "%s", warning.text.c_str());
    m_warnings.clear();
}

bool QueuedMusicSystem::canLogNow() const
{
    return core::Debug::exists() && m_warnings.empty();
}

void QueuedMusicSystem::queueMessage(uint32_t level, std::string text)
{
    m_warnings.push_back({level, std::move(text)});
}

int QueuedMusicSystem::init(int maxChannels, uint32_t flags)
{
    flushWarnings();
    if (ownChannel().output() != MusicOutput::NONE)
        return MUSIC_ERR_INITIALIZED;
    const bool silent = (flags & (MUSIC_INIT_SILENT | MUSIC_INIT_STEPPED_CLOCK)) != 0;
    if (maxChannels < 1 || (flags & ~KNOWN_FLAGS) != 0 || (silent && (flags & MUSIC_INIT_REQUIRE_DEVICE)))
        return MUSIC_ERR_INVALID_PARAM;
    try {
        if (flags & MUSIC_INIT_STEPPED_CLOCK) {
            ownChannel().configure(MusicOutput::STEPPED);
        } else if (flags & MUSIC_INIT_SILENT) {
            ownChannel().configure(MusicOutput::SILENT);
        } else {
            std::string why;
            if (openDevice(why))
                return MUSIC_OK;
            if (flags & MUSIC_INIT_REQUIRE_DEVICE)
                return MUSIC_ERR_NO_DEVICE;
            ownChannel().configure(MusicOutput::SILENT);
            // The libraries' own account of the failure goes ahead of the one warning.
            takePlatformMessages();
            warn("Music: no audio device (" + why + "), playing silently on the system clock\n");
        }
    } catch (const std::exception&) {
        closeDevice();
        ownChannel().configure(MusicOutput::NONE);
        return MUSIC_ERR_INTERNAL;
    }
    return MUSIC_OK;
}

int QueuedMusicSystem::getOutput(MusicOutput* output)
{
    flushWarnings();
    if (!output)
        return MUSIC_ERR_INVALID_PARAM;
    *output = ownChannel().output();
    return MUSIC_OK;
}

int QueuedMusicSystem::createStream(const char* path, MusicStream** stream)
{
    flushWarnings();
    if (!path || !stream)
        return MUSIC_ERR_INVALID_PARAM;
    if (ownChannel().output() == MusicOutput::NONE)
        return MUSIC_ERR_NOT_INITIALIZED;
    try {
        std::unique_ptr<TimedMusicStream> created;
        const int result = openStream(path, created);
        if (result != MUSIC_OK)
            return result;
        m_streams.push_back(std::move(created));
    } catch (const std::exception&) {
        return MUSIC_ERR_INTERNAL;
    }
    *stream = m_streams.back().get();
    return MUSIC_OK;
}

int QueuedMusicSystem::playSound(MusicStream* stream, bool paused, MusicChannel** channel)
{
    flushWarnings();
    if (!stream || !channel)
        return MUSIC_ERR_INVALID_PARAM;
    if (ownChannel().output() == MusicOutput::NONE)
        return MUSIC_ERR_NOT_INITIALIZED;
    const auto own = std::find_if(m_streams.begin(), m_streams.end(),
                                  [stream](const std::unique_ptr<TimedMusicStream>& s) { return s.get() == stream; });
    if (own == m_streams.end())
        return MUSIC_ERR_INVALID_PARAM; // not one of ours
    try {
        const int result = ownChannel().start(**own, paused, 0);
        if (result != MUSIC_OK)
            return result;
    } catch (const std::exception&) {
        ownChannel().stopPlayback();
        return MUSIC_ERR_INTERNAL;
    }
    *channel = &ownChannel();
    return MUSIC_OK;
}

int QueuedMusicSystem::advanceClock(uint32_t ms)
{
    flushWarnings();
    if (ownChannel().output() != MusicOutput::STEPPED)
        return MUSIC_ERR_NOT_STEPPED;
    ownChannel().advance(ms);
    return MUSIC_OK;
}

int QueuedMusicSystem::release()
{
    flushWarnings();
    delete this;
    return MUSIC_OK;
}

} // namespace HAL
