#include "HAL/win32/Win32System.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <ctime>

#include "HAL/CoreServices.h"
#include "HAL/win32/Win32Platform.h"
#include "HAL/win32/Win32WindowProc.h"
#include "core/Assert.h"
#include "core/Debug.h"

namespace HAL {

System* System::create(bool createConsole)
{
    installCoreServices();
    return new Win32System(createConsole);
}

void System::printf(int len, const char* ptr)
{
    ASSERT((len >= 0) && (len < MAX_PRINTF_DATA_SIZE));
    ASSERT(ptr);
    // The debugger output takes a terminated copy; the console (or the
    // file or pipe standard output goes to) takes the bytes as they are.
    char text[MAX_PRINTF_DATA_SIZE + 1];
    std::memcpy(text, ptr, static_cast<size_t>(len));
    text[len] = '\0';
    OutputDebugStringA(text);
    std::fwrite(ptr, 1, static_cast<size_t>(len), stdout);
    std::fflush(stdout);
}

SystemInfo System::getSystemInfo()
{
    SystemInfo info{1024, 768, 24, DEFAULT_MEMORY_SIZE};
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT(width < SHRT_MAX && width > -SHRT_MAX);
    ASSERT(height < SHRT_MAX && height > -SHRT_MAX);
    if (width > 0 && height > 0) {
        info.screenWidth = static_cast<int16_t>(width);
        info.screenHeight = static_cast<int16_t>(height);
    }
    if (HDC screen = GetDC(nullptr)) {
        const int screenColorDepth = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
        ReleaseDC(nullptr, screen);
        ASSERT(screenColorDepth < 0xFF);
        if (screenColorDepth > 0)
            info.colorDepth = static_cast<uint8_t>(screenColorDepth);
    }
    return info;
}

uint32_t Win32System::ticksToMilliseconds(int64_t count, int64_t frequency)
{
    ASSERT(count >= 0 && frequency > 0);
    const uint64_t whole = static_cast<uint64_t>(count / frequency) * 1000u;
    const uint64_t part = static_cast<uint64_t>(count % frequency) * 1000u / static_cast<uint64_t>(frequency);
    return static_cast<uint32_t>(whole + part);
}

Win32System::Win32System(bool createConsole)
{
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
        m_frequency = frequency.QuadPart;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    installQuitHandlers();
    if (createConsole) {
        const bool ok = AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED || AllocConsole();
        core::Debug::printf(core::DEBUG_LEVEL_PLATFORM,
                            ok ? "HAL::createConsoleWindow ok\n" : "HAL::createConsoleWindow failed\n");
    }
}

uint32_t Win32System::getTime()
{
    if (m_frequency > 0) {
        LARGE_INTEGER count;
        if (QueryPerformanceCounter(&count) && count.QuadPart > 0)
            return ticksToMilliseconds(count.QuadPart, m_frequency);
        m_frequency = 0; // for good: a clock that jumps between sources is worse
    }
    return static_cast<uint32_t>(GetTickCount64());
}

void Win32System::sleep(int32_t time)
{
    ASSERT(time > 0);
    core::Debug::printf(core::DEBUG_LEVEL_PLATFORM, "HAL::sleep %d ms\n", time);
    Sleep(static_cast<DWORD>(time));
}

bool Win32System::pumpMessages()
{
    if (takeQuitRequest())
        m_quitSeen = true;
    // The quit is latched before anything else can throw: it is never lost.
    MSG message;
    while (!m_quitSeen && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            m_quitSeen = true;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        rethrowWindowProcException();
    }
    return !m_quitSeen;
}

} // namespace HAL
