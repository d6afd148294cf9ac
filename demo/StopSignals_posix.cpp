#include "demo/StopSignals.h"

#include <signal.h>

#include "core/Assert.h"

namespace {

volatile sig_atomic_t g_received = 0;
volatile sig_atomic_t g_installed = 0;
struct sigaction g_oldInt = {};
struct sigaction g_oldTerm = {};

void record(int signal)
{
    if (g_received == 0)
        g_received = signal;
}

} // namespace

StopSignals::StopSignals()
{
    ASSERT_MSG(!g_installed, "StopSignals: one at a time");
    g_installed = 1;
    g_received = 0;
    struct sigaction action = {};
    action.sa_handler = record;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a blocking write returns, the loop looks at the flag
    sigaction(SIGINT, &action, &g_oldInt);
    sigaction(SIGTERM, &action, &g_oldTerm);
}

StopSignals::~StopSignals()
{
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGTERM, &g_oldTerm, nullptr);
    g_installed = 0;
}

int StopSignals::received() const
{
    return g_received;
}
