#include "demo/DemoMusic.h"

#include <cstring>
#include <string>

#include "HAL/System.h"

namespace {

void printLine(const char* text)
{
    HAL::System::printf(static_cast<int>(std::strlen(text)), text);
}

} // namespace

DemoMusic* DemoMusic::start(const char* fileName, uint32_t flags)
{
    return startPath(HAL::pathBesideProgram(fileName).c_str(), flags);
}

DemoMusic* DemoMusic::startPath(const char* path, uint32_t flags)
{
    const HAL::MusicStart music = HAL::startMusicPaused(path, 100, flags);
    switch (music.failedStep) {
    case HAL::MusicStart::NONE:
        return new DemoMusic(music);
    case HAL::MusicStart::SYSTEM:
        printLine("FMOD ERROR!\n");
        return nullptr;
    case HAL::MusicStart::STREAM:
    case HAL::MusicStart::PLAY:
        printLine("MUSIC NOT FOUND!\n");
        return nullptr;
    }
    return nullptr;
}

DemoMusic::~DemoMusic()
{
    m_music.channel->stop();
    m_music.system->release();
}

void DemoMusic::play()
{
    m_music.channel->setPaused(false);
}

void DemoMusic::writeWarnings()
{
    // Every call into the music system writes its waiting warnings.
    HAL::MusicOutput output = HAL::MusicOutput::NONE;
    m_music.system->getOutput(&output);
}

uint32_t DemoMusic::getPositionMs()
{
    if (m_held)
        return m_positionMs;
    m_music.channel->getPosition(&m_positionMs); // leaves the value alone on failure
    return m_positionMs;
}

int DemoMusic::advanceClock(uint32_t ms)
{
    return m_music.system->advanceClock(ms);
}

int DemoMusic::setPositionMs(uint32_t ms)
{
    const int result = m_music.channel->setPosition(ms);
    if (result == HAL::MUSIC_OK)
        m_positionMs = ms;
    return result;
}
