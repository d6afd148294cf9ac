// The Windows platform layer's small services under Wine: the semaphore
// mutex, the clock, the command line, key codes and joysticks.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "HAL/HALException.h"
#include "HAL/Input.h"
#include "HAL/System.h"
#include "HAL/win32/Win32Input.h"
#include "HAL/win32/Win32Mutex.h"
#include "HAL/win32/Win32Platform.h"
#include "HAL/win32/Win32System.h"
#include "HAL/win32/Win32WindowProc.h"
#include "core/Ref.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

namespace {
class Win32PlatformTest : public testing_support::EngineTest { };
} // namespace

TEST_F(Win32PlatformTest, MutexIsASemaphoreThatTimesOutAndMustBeFreeWhenDestroyed)
{
    auto mutex = HAL::Mutex::create();
    ASSERT_NE(dynamic_cast<HAL::Win32Mutex*>(mutex.get()), nullptr);
    EXPECT_TRUE(mutex->lock(0));
    // Not recursive: the same thread cannot take it again.
    EXPECT_FALSE(mutex->lock(20));
    // Another thread waits until it is released.
    std::atomic<bool> taken{false};
    std::thread other([&] {
        mutex->lock();
        taken = true;
        mutex->unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(taken);
    mutex->unlock();
    other.join();
    EXPECT_TRUE(taken);
    // An extra unlock leaves it free (the semaphore is at its maximum).
    mutex->unlock();
    EXPECT_TRUE(mutex->lock(0));
    EXPECT_FALSE(mutex->lock(0));
    mutex->unlock();

    HAL::Mutex* held = HAL::Mutex::create().release();
    held->lock();
    testing_support::LogCapture quiet;
    try {
        delete held; // not through unique_ptr, whose reset may not throw
        ADD_FAILURE() << "a held mutex was destroyed without an assertion";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), " lock( 0 ) ");
    }
}

TEST(Win32System, MillisecondsFromTicksDoNotOverflow)
{
    // Hand computation: 10^7 ticks a second (a common counter frequency).
    EXPECT_EQ(HAL::Win32System::ticksToMilliseconds(0, 10000000), 0u);
    EXPECT_EQ(HAL::Win32System::ticksToMilliseconds(12345678, 10000000), 1234u);
    // 30 days of uptime at 10 MHz: 2.592e13 ticks, 2,592,000,000 ms.
    EXPECT_EQ(HAL::Win32System::ticksToMilliseconds(25920000000000LL, 10000000), 2592000000u);
    // 2^62 ticks at 3 GHz, where count * 1000 overflows 64 bits:
    // floor(2^62 * 1000 / 3e9) mod 2^32 = 3925348137 (Python's integers).
    EXPECT_EQ(HAL::Win32System::ticksToMilliseconds(int64_t(1) << 62, 3000000000LL), 3925348137u);
}

TEST_F(Win32PlatformTest, ClockAdvancesWithSleep)
{
    std::unique_ptr<HAL::System> system(HAL::System::create(false));
    const uint32_t before = system->getTime();
    system->sleep(30);
    const uint32_t slept = system->getTime() - before;
    EXPECT_GE(slept, 25u); // Sleep may end a little early on coarse timers
    EXPECT_LT(slept, 1000u);
    const HAL::SystemInfo info = HAL::System::getSystemInfo();
    EXPECT_GT(info.screenWidth, 0);
    EXPECT_GT(info.screenHeight, 0);
    EXPECT_GT(info.colorDepth, 0);
    EXPECT_EQ(info.memorySize, 10240000);
    // No window: the pump has nothing, and no quit.
    EXPECT_TRUE(system->pumpMessages());
}

TEST(Win32CommandLine, TheProgramNameIsSkippedAndTheRestComesAsUtf8)
{
    EXPECT_EQ(HAL::commandLineArgumentsOf(L"viewer.exe windowed frame=30"), "windowed frame=30");
    EXPECT_EQ(HAL::commandLineArgumentsOf(L"\"C:\\Program Files\\v.exe\" a  b"), "a  b");
    EXPECT_EQ(HAL::commandLineArgumentsOf(L"\"C:\\v.exe\"a"), "a");
    EXPECT_EQ(HAL::commandLineArgumentsOf(L"v.exe"), "");
    EXPECT_EQ(HAL::commandLineArgumentsOf(L""), "");
    EXPECT_EQ(HAL::commandLineArgumentsOf(nullptr), "");
    // Blanks inside the arguments stay for the framework's split; tabs
    // after the program name are skipped as Windows does.
    EXPECT_EQ(HAL::commandLineArgumentsOf(L"v.exe\t x "), "x ");
    // U+00E9 and U+6F22 in UTF-8: C3 A9, E6 BC A2.
    EXPECT_EQ(HAL::commandLineArgumentsOf(L"v.exe caf\u00e9 \u6f22"), "caf\xc3\xa9 \xe6\xbc\xa2");
    // This process's own line: the test program's name is gone.
    EXPECT_EQ(HAL::commandLineArguments().find("hal_win32_tests"), std::string::npos);
}

TEST(Win32Keys, VirtualKeysAreTheEngineCodesExceptEscapeAndTheArrows)
{
    EXPECT_EQ(HAL::mapVirtualKey(0x1B), HAL::Input::KEY_ESCAPE);
    EXPECT_EQ(HAL::mapVirtualKey(0x25), HAL::Input::KEY_LEFT);
    EXPECT_EQ(HAL::mapVirtualKey(0x26), HAL::Input::KEY_UP);
    EXPECT_EQ(HAL::mapVirtualKey(0x27), HAL::Input::KEY_RIGHT);
    EXPECT_EQ(HAL::mapVirtualKey(0x28), HAL::Input::KEY_DOWN);
    EXPECT_EQ(HAL::mapVirtualKey('Q'), 81);
    EXPECT_EQ(HAL::mapVirtualKey(0x70), 0x70); // F1
    EXPECT_EQ(HAL::mapVirtualKey(0xFE), 0xFE);
    EXPECT_EQ(HAL::mapVirtualKey(300), -1);
}

TEST_F(Win32PlatformTest, AMissingJoystickIsAReadingError)
{
    EXPECT_FLOAT_EQ(HAL::Win32Input::joystickAxis(0), -1.0f);
    EXPECT_FLOAT_EQ(HAL::Win32Input::joystickAxis(65535), 1.0f);
    core::Ref<HAL::Input> stick = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_JOYSTICK_0);
    // Wine has no joystick here: joyGetPos answers JOYERR_PARMS or
    // JOYERR_UNPLUGGED, both "not there".
    try {
        stick->readInput(HAL::Input::AXIS_X);
        ADD_FAILURE() << "a joystick was read";
    } catch (const HAL::HALException& e) {
        EXPECT_STREQ(e.getMessage(), "HAL: gamepad reading error");
    }
}
