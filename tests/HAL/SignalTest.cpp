// Signals: SIGINT, SIGTERM and SIGHUP recorded as a quit that the message
// pump latches; the crash handlers that put a changed display mode back
// before the process dies.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <memory>

#include "HAL/System.h"
#include "HAL/sdl/CrashRestore.h"
#include "HAL/sdl/QuitSignals.h"

namespace {

void (*handlerOf(int signal))(int)
{
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

// Restores a signal's disposition when the test is done.
class SavedSignal {
public:
    explicit SavedSignal(int signal) : m_signal(signal) { sigaction(signal, nullptr, &m_saved); }
    ~SavedSignal() { sigaction(m_signal, &m_saved, nullptr); }

private:
    int m_signal;
    struct sigaction m_saved = {};
};

// What a crash-restore function may do in a signal handler: write(2).
void writeRestored(void* context)
{
    const char* text = static_cast<const char*>(context);
    size_t length = 0;
    while (text[length])
        ++length;
    [[maybe_unused]] ssize_t written = write(STDERR_FILENO, text, length);
}

int s_sentinel = 0;
void sentinelHandler(int)
{
    s_sentinel = 1;
}

// Deep enough to overflow any stack; the test on `depth` only keeps the
// compiler from seeing an endless recursion.
int overflowStack(int depth)
{
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    if (depth < 0)
        return 0;
    return overflowStack(depth + 1) + frame[0];
}

} // namespace

TEST(QuitSignals, AreRecordedForThePumpAndLeaveIgnoredSignalsIgnored)
{
    SavedSignal savedHup(SIGHUP);
    SavedSignal savedInt(SIGINT);
    SavedSignal savedTerm(SIGTERM);
    std::signal(SIGHUP, SIG_IGN); // as under nohup
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::unique_ptr<HAL::System> system(HAL::System::create(false));

    HAL::installQuitSignals();
    HAL::installQuitSignals(); // a second display
    EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
    std::raise(SIGHUP);
    EXPECT_FALSE(HAL::takeQuitSignal());
    EXPECT_TRUE(system->pumpMessages());

    // Without the handlers these would end the test program.
    std::raise(SIGTERM);
    std::raise(SIGINT);
    EXPECT_TRUE(HAL::takeQuitSignal()); // one quit for both
    EXPECT_FALSE(HAL::takeQuitSignal());
    std::raise(SIGINT);
    EXPECT_FALSE(system->pumpMessages());
    EXPECT_FALSE(system->pumpMessages()); // latched

    // The first display going keeps them; the last one puts the defaults back.
    HAL::uninstallQuitSignals();
    EXPECT_NE(handlerOf(SIGTERM), SIG_DFL);
    HAL::uninstallQuitSignals();
    EXPECT_EQ(handlerOf(SIGTERM), SIG_DFL);
    EXPECT_EQ(handlerOf(SIGINT), SIG_DFL);
    EXPECT_EQ(handlerOf(SIGHUP), SIG_IGN);
}

TEST(QuitSignals, AHandlerSomeoneElseInstalledIsLeftAlone)
{
    SavedSignal savedTerm(SIGTERM);
    std::signal(SIGTERM, sentinelHandler);
    s_sentinel = 0;
    HAL::installQuitSignals();
    std::raise(SIGTERM);
    HAL::uninstallQuitSignals();
    EXPECT_EQ(s_sentinel, 1);
    EXPECT_FALSE(HAL::takeQuitSignal());
    EXPECT_EQ(handlerOf(SIGTERM), sentinelHandler);

    // Nor is one installed over ours while ours were in place.
    SavedSignal savedHup(SIGHUP);
    std::signal(SIGHUP, SIG_DFL);
    HAL::installQuitSignals();
    std::signal(SIGHUP, sentinelHandler);
    HAL::uninstallQuitSignals();
    EXPECT_EQ(handlerOf(SIGHUP), sentinelHandler);
}

// Under AddressSanitizer and UndefinedBehaviorSanitizer the sanitizers own
// the crash signals (they install their own handlers and report a null
// store before it faults), so these tests run in the plain builds only.
class CrashRestoreDeathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef VORNA3D_ASAN
        GTEST_SKIP() << "the sanitizers handle crash signals themselves";
#endif
    }
};

TEST_F(CrashRestoreDeathTest, ACrashPutsTheModeBackThenDiesByItsSignal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    static char restored[] = "display mode put back\n";
    const auto crash = [](int signal) {
        HAL::armCrashRestore(writeRestored, restored);
        std::raise(signal);
    };
    EXPECT_EXIT(crash(SIGSEGV), ::testing::KilledBySignal(SIGSEGV), "display mode put back");
    EXPECT_EXIT(crash(SIGFPE), ::testing::KilledBySignal(SIGFPE), "display mode put back");
    EXPECT_EXIT(crash(SIGBUS), ::testing::KilledBySignal(SIGBUS), "display mode put back");
    EXPECT_EXIT(
        {
            HAL::armCrashRestore(writeRestored, restored);
            std::abort();
        },
        ::testing::KilledBySignal(SIGABRT), "display mode put back");
    // A real fault, and one that leaves no stack to run a handler on.
    EXPECT_EXIT(
        {
            HAL::armCrashRestore(writeRestored, restored);
            *static_cast<volatile int*>(nullptr) = 1;
        },
        ::testing::KilledBySignal(SIGSEGV), "display mode put back");
    EXPECT_EXIT(
        {
            HAL::armCrashRestore(writeRestored, restored);
            overflowStack(0);
        },
        ::testing::KilledBySignal(SIGSEGV), "display mode put back");
}

TEST_F(CrashRestoreDeathTest, RunsOnceAndNotAtAllOnceDisarmed)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    static char restored[] = "restored once\n";
    // A crash inside the restore itself ends the process at once.
    EXPECT_EXIT(
        {
            HAL::armCrashRestore(
                [](void* context) {
                    writeRestored(context);
                    std::raise(SIGFPE);
                },
                restored);
            std::raise(SIGSEGV);
        },
        ::testing::KilledBySignal(SIGFPE), "^restored once\n$");

    // Disarmed by the display that armed it: the handler in place before is
    // back; disarming for another context changes nothing.
    SavedSignal savedFpe(SIGFPE);
    std::signal(SIGFPE, sentinelHandler);
    int display = 0;
    int otherDisplay = 0;
    HAL::armCrashRestore(writeRestored, &display);
    EXPECT_EQ(HAL::crashRestoreContext(), &display);
    HAL::disarmCrashRestore(&otherDisplay);
    EXPECT_EQ(HAL::crashRestoreContext(), &display);
    EXPECT_NE(handlerOf(SIGFPE), sentinelHandler);
    HAL::disarmCrashRestore(&display);
    EXPECT_EQ(HAL::crashRestoreContext(), nullptr);
    EXPECT_EQ(handlerOf(SIGFPE), sentinelHandler);
    EXPECT_EQ(handlerOf(SIGSEGV), SIG_DFL);
    stack_t stack = {};
    sigaltstack(nullptr, &stack);
    EXPECT_TRUE(stack.ss_flags & SS_DISABLE); // its own stack went with it
    EXPECT_EXIT(std::raise(SIGSEGV), ::testing::KilledBySignal(SIGSEGV), "^$");
}
