// musicplay: plays one MP3 through the engine's music player and prints the
// position it reports once a second, the clock a demo would follow.
//
//   musicplay [--silent] [file.mp3]
//
// Without a file it plays override.mp3 beside the program. --silent plays on
// the system clock without opening a device. Ctrl-C or the end of the music
// stops it. Exit code 0 after playing, 1 when the file cannot be played.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "HAL/Music.h"

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

void onSignal(int)
{
    g_stopRequested = 1;
}

void printClock(const char* label, uint32_t ms)
{
    std::printf("%s%u:%02u.%03u\n", label, ms / 60000, ms / 1000 % 60, ms % 1000);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    uint32_t flags = HAL::MUSIC_INIT_NORMAL;
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--silent") == 0) {
            flags = HAL::MUSIC_INIT_SILENT;
        } else if (argv[i][0] == '-' || !path.empty()) {
            std::fprintf(stderr, "usage: musicplay [--silent] [file.mp3]\n");
            return 1;
        } else {
            path = argv[i];
        }
    }
    if (path.empty())
        path = HAL::pathBesideProgram("override.mp3");

    // Installed before the audio subsystem starts, which then leaves them be.
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    const HAL::MusicStart music = HAL::startMusicPaused(path.c_str(), 1, flags);
    if (music.result != HAL::MUSIC_OK) {
        std::fprintf(stderr, "musicplay: %s: %s\n", path.c_str(), HAL::musicResultText(music.result));
        return 1;
    }
    HAL::MusicOutput output = HAL::MusicOutput::NONE;
    music.system->getOutput(&output);
    std::printf("Playing %s on %s\n", path.c_str(),
                output == HAL::MusicOutput::DEVICE ? "the audio device" : "the system clock, silently");
    printClock("Length ", music.stream->getLength());

    music.channel->setPaused(false);
    uint32_t position = 0;
    uint32_t nextPrint = 0;
    bool playing = true;
    while (playing && !g_stopRequested) {
        music.channel->getPosition(&position);
        music.channel->isPlaying(&playing);
        if (position >= nextPrint) {
            printClock("  ", position);
            nextPrint = (position / 1000 + 1) * 1000;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    printClock(g_stopRequested ? "Stopped at " : "Ended at ", position);
    music.channel->stop();
    music.system->release();
    return 0;
}
