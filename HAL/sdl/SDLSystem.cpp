#include "HAL/sdl/SDLSystem.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "HAL/CoreServices.h"
#include "HAL/sdl/QuitSignals.h"
#include "HAL/sdl/SDLWindowProc.h"
#include "core/Assert.h"
#include "core/Debug.h"

namespace HAL {

System* System::create(bool createConsole)
{
    installCoreServices();
    return new SDLSystem(createConsole);
}

void System::printf(int len, const char* ptr)
{
    ASSERT((len >= 0) && (len < MAX_PRINTF_DATA_SIZE));
    ASSERT(ptr);
    std::fwrite(ptr, 1, static_cast<size_t>(len), stdout);
    // Unbuffered in effect: a log that dies with the process is no log.
    std::fflush(stdout);
}

SystemInfo System::getSystemInfo()
{
    SystemInfo info{1024, 768, 24, DEFAULT_MEMORY_SIZE};
    SDL_DisplayMode mode;
    if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        ASSERT(mode.w < SHRT_MAX && mode.w > -SHRT_MAX);
        ASSERT(mode.h < SHRT_MAX && mode.h > -SHRT_MAX);
        info.screenWidth = static_cast<int16_t>(mode.w);
        info.screenHeight = static_cast<int16_t>(mode.h);
        const int depth = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
        ASSERT(depth < 0xFF);
        if (depth > 0)
            info.colorDepth = static_cast<uint8_t>(depth);
    }
    return info;
}

SDLSystem::SDLSystem(bool createConsole)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    if (createConsole) {
        // Linux programs inherit their console: standard output is it.
        if (fcntl(STDOUT_FILENO, F_GETFD) != -1)
            core::Debug::printf(core::DEBUG_LEVEL_PLATFORM, "HAL::createConsoleWindow ok\n");
        else
            core::Debug::printf(core::DEBUG_LEVEL_PLATFORM, "HAL::createConsoleWindow failed\n");
    }
}

uint32_t SDLSystem::getTime()
{
    // Whole milliseconds of a 64-bit monotonic count, wrapped to 32 bits:
    // no float factor, so the resolution stays 1 ms however long the uptime.
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

void SDLSystem::sleep(int32_t time)
{
    ASSERT(time > 0);
    core::Debug::printf(core::DEBUG_LEVEL_PLATFORM, "HAL::sleep %d ms\n", time);
    std::this_thread::sleep_for(std::chrono::milliseconds(time));
}

bool SDLSystem::pumpMessages()
{
    // SIGINT, SIGTERM and SIGHUP while a display lives (QuitSignals.h).
    if (takeQuitSignal())
        m_quitSeen = true;
    // Windows and their events arrive with the display; until a display has
    // started SDL's event system there is nothing to pump.
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return !m_quitSeen;
    // The quit (last window closed, or SDL's own SIGINT and SIGTERM) is latched before
    // anything else can throw: it is never lost. The events behind it stay
    // queued.
    SDL_Event event;
    while (!m_quitSeen && SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            m_quitSeen = true;
            break;
        }
        sdlWindowProc(event);
    }
    return !m_quitSeen;
}

} // namespace HAL
