#pragma once
// The platform's small services: the millisecond clock, sleeping, console
// output, screen and memory defaults and the OS message pump. The engine
// globals own one System; the frame loop reads time and pumps messages only
// through it, so tests can drive the loop with a clock of their own.

#include <cstdint>

#include "core/PlatformServices.h"

namespace HAL {

struct SystemInfo {
    int16_t screenWidth;
    int16_t screenHeight;
    uint8_t colorDepth;
    int32_t memorySize;
};

class System {
public:
    // The console takes texts shorter than this many characters.
    static constexpr int MAX_PRINTF_DATA_SIZE = core::PlatformServices::MAX_CONSOLE_TEXT;
    // The pool size when the configuration asks for the default.
    static constexpr int32_t DEFAULT_MEMORY_SIZE = 10240000;

    // Creates the platform's system object on the general heap (the memory
    // manager does not exist yet). `createConsole` asks for a console window
    // where the platform has such a thing. Installs the platform's services
    // for core first (installCoreServices).
    static System* create(bool createConsole);
    virtual ~System() = default;

    // Milliseconds from a monotonic clock, modulo 2^32: subtract as unsigned.
    virtual uint32_t getTime() = 0;
    // Sleeps `ms` milliseconds. Requires ms > 0.
    virtual void sleep(int32_t ms) = 0;
    // Dispatches every waiting OS message; false once a quit was seen (and
    // from then on: a quit is never lost). SIGINT, SIGTERM and SIGHUP while a
    // window is open count as a quit.
    virtual bool pumpMessages() = 0;

    // Writes `length` bytes of already formatted text to the console
    // (standard output). Requires 0 <= length < 1025 and a text.
    static void printf(int length, const char* text);

    // Screen size and colour depth of the desktop, and the default pool
    // size. Works without a display: 1024 x 768 x 24 when video is not up.
    static SystemInfo getSystemInfo();
};

} // namespace HAL
