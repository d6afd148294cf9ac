#include "HAL/sdl/CrashRestore.h"

#include <atomic>
#include <csignal>
#include <cstdlib>

#include "core/Assert.h"

namespace HAL {

namespace {

constexpr int CRASH_SIGNALS[] = {SIGSEGV, SIGABRT, SIGFPE, SIGBUS};
constexpr int CRASH_SIGNAL_COUNT = sizeof(CRASH_SIGNALS) / sizeof(CRASH_SIGNALS[0]);
constexpr size_t ALTERNATE_STACK_SIZE = 64 * 1024;

std::atomic<CrashRestoreFunction> s_restore{nullptr};
std::atomic<void*> s_context{nullptr};
static_assert(std::atomic<CrashRestoreFunction>::is_always_lock_free);
static_assert(std::atomic<void*>::is_always_lock_free);

bool s_armed = false;
struct sigaction s_previous[CRASH_SIGNAL_COUNT];
// Plain bytes: the handler must run even when the pool or the heap is what
// broke.
alignas(16) char s_alternateStack[ALTERNATE_STACK_SIZE];
bool s_ownStack = false;

void onCrash(int signal)
{
    // Taken once: a crash inside the restore, or on another thread at the
    // same time, goes straight on to the default action.
    const CrashRestoreFunction restore = s_restore.exchange(nullptr);
    if (restore)
        restore(s_context.load());
    // SA_RESETHAND already put the default action back for this signal;
    // raised again, it is delivered as the handler returns. A fault that
    // raised it happens again on return as well.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void useAlternateStack()
{
    stack_t current = {};
    if (sigaltstack(nullptr, &current) != 0 || !(current.ss_flags & SS_DISABLE))
        return; // the thread has one (a sanitizer's, say): use that
    stack_t stack = {};
    stack.ss_sp = s_alternateStack;
    stack.ss_size = sizeof(s_alternateStack);
    s_ownStack = sigaltstack(&stack, nullptr) == 0;
}

void dropAlternateStack()
{
    if (!s_ownStack)
        return;
    stack_t stack = {};
    stack.ss_flags = SS_DISABLE;
    sigaltstack(&stack, nullptr);
    s_ownStack = false;
}

} // namespace

void armCrashRestore(CrashRestoreFunction restore, void* context)
{
    ASSERT(restore);
    s_context.store(context);
    s_restore.store(restore);
    if (s_armed)
        return;
    useAlternateStack();
    for (int i = 0; i < CRASH_SIGNAL_COUNT; ++i) {
        struct sigaction handler = {};
        handler.sa_handler = onCrash;
        sigemptyset(&handler.sa_mask);
        handler.sa_flags = SA_RESETHAND | SA_ONSTACK;
        sigaction(CRASH_SIGNALS[i], &handler, &s_previous[i]);
    }
    s_armed = true;
}

void disarmCrashRestore(void* context)
{
    if (!s_armed || s_context.load() != context)
        return;
    s_restore.store(nullptr);
    s_context.store(nullptr);
    for (int i = 0; i < CRASH_SIGNAL_COUNT; ++i)
        sigaction(CRASH_SIGNALS[i], &s_previous[i], nullptr);
    dropAlternateStack();
    s_armed = false;
}

void* crashRestoreContext()
{
    return s_armed ? s_context.load() : nullptr;
}

} // namespace HAL
