#include "HAL/sdl/QuitSignals.h"

#include <atomic>
#include <csignal>

#include "core/Assert.h"

namespace HAL {

namespace {

constexpr int QUIT_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int QUIT_SIGNAL_COUNT = sizeof(QUIT_SIGNALS) / sizeof(QUIT_SIGNALS[0]);

// Lock-free, so the handler may write it.
std::atomic<int> s_pending{0};
static_assert(std::atomic<int>::is_always_lock_free);

int s_installCount = 0;
bool s_ours[QUIT_SIGNAL_COUNT] = {};
struct sigaction s_previous[QUIT_SIGNAL_COUNT];

void recordQuit(int)
{
    s_pending.store(1);
}

} // namespace

void installQuitSignals()
{
    if (s_installCount++ > 0)
        return;
    for (int i = 0; i < QUIT_SIGNAL_COUNT; ++i) {
        s_ours[i] = false;
        struct sigaction current = {};
        if (sigaction(QUIT_SIGNALS[i], nullptr, &current) != 0 || current.sa_handler != SIG_DFL ||
            (current.sa_flags & SA_SIGINFO))
            continue;
        struct sigaction handler = {};
        handler.sa_handler = recordQuit;
        sigemptyset(&handler.sa_mask);
        // The handler stays for later signals; interrupted reads and writes
        // go on.
        handler.sa_flags = SA_RESTART;
        if (sigaction(QUIT_SIGNALS[i], &handler, &s_previous[i]) == 0)
            s_ours[i] = true;
    }
}

void uninstallQuitSignals()
{
    ASSERT(s_installCount > 0);
    if (--s_installCount > 0)
        return;
    for (int i = 0; i < QUIT_SIGNAL_COUNT; ++i) {
        // A handler installed over ours since then is its owner's to undo.
        struct sigaction current = {};
        if (s_ours[i] && sigaction(QUIT_SIGNALS[i], nullptr, &current) == 0 && current.sa_handler == recordQuit)
            sigaction(QUIT_SIGNALS[i], &s_previous[i], nullptr);
        s_ours[i] = false;
    }
}

bool takeQuitSignal()
{
    return s_pending.exchange(0) != 0;
}

} // namespace HAL
