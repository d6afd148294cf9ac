#include "HAL/win32/Win32Platform.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>

namespace HAL {

namespace {

std::atomic<bool> s_modeChanged{false};
std::atomic<bool> s_quitRequested{false};
std::atomic<bool> s_handlersInstalled{false};
LPTOP_LEVEL_EXCEPTION_FILTER s_previousFilter = nullptr;

void restoreDisplayMode()
{
    if (s_modeChanged.exchange(false))
        ChangeDisplaySettingsW(nullptr, 0);
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS* info)
{
    // The process is dying: the desktop must not stay in the changed mode.
    restoreDisplayMode();
    return s_previousFilter ? s_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        // A quit through the frame loop, which leaves full screen itself.
        s_quitRequested = true;
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // Windows ends the process soon after this returns, whatever the
        // frame loop does: put the mode back now.
        s_quitRequested = true;
        restoreDisplayMode();
        return FALSE;
    default:
        return FALSE;
    }
}

std::string toUtf8(const wchar_t* text, int length)
{
    if (length <= 0)
        return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), bytes, nullptr, nullptr);
    return result;
}

} // namespace

std::string commandLineArgumentsOf(const wchar_t* line)
{
    if (!line)
        return std::string();
    const wchar_t* at = line;
    if (*at == L'"') {
        ++at;
        while (*at && *at != L'"')
            ++at;
        if (*at == L'"')
            ++at;
    } else {
        while (*at && *at != L' ' && *at != L'\t')
            ++at;
    }
    while (*at == L' ' || *at == L'\t')
        ++at;
    return toUtf8(at, static_cast<int>(wcslen(at)));
}

std::string commandLineArguments()
{
    return commandLineArgumentsOf(GetCommandLineW());
}

void setDisplayModeChanged(bool changed)
{
    if (changed)
        installQuitHandlers();
    s_modeChanged = changed;
}

bool isDisplayModeChanged()
{
    return s_modeChanged;
}

void installQuitHandlers()
{
    if (s_handlersInstalled.exchange(true))
        return;
    s_previousFilter = SetUnhandledExceptionFilter(onUnhandledException);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    // exit() and a return from main: a last chance when no destructor ran.
    std::atexit(restoreDisplayMode);
}

bool takeQuitRequest()
{
    return s_quitRequested.exchange(false);
}

} // namespace HAL
