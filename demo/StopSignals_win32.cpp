#include "demo/StopSignals.h"

#include <windows.h>

#include <atomic>
#include <csignal>

#include "core/Assert.h"

namespace {

std::atomic<int> g_received{0};
std::atomic<bool> g_installed{false};

// Runs on a thread the console starts. TRUE: handled, the process goes on
// (the default handling would end it at once).
BOOL WINAPI record(DWORD event)
{
    int signal = 0;
    if (event == CTRL_C_EVENT)
        signal = SIGINT;
    else if (event == CTRL_BREAK_EVENT)
        signal = SIGTERM;
    else
        return FALSE; // closing the console or logging off: the default handling
    int none = 0;
    g_received.compare_exchange_strong(none, signal);
    return TRUE;
}

} // namespace

StopSignals::StopSignals()
{
    const bool another = g_installed.exchange(true);
    ASSERT_MSG(!another, "StopSignals: one at a time");
    g_received = 0;
    SetConsoleCtrlHandler(record, TRUE);
}

StopSignals::~StopSignals()
{
    SetConsoleCtrlHandler(record, FALSE);
    g_installed = false;
}

int StopSignals::received() const
{
    return g_received;
}
