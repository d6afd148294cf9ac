// The system object's clock, sleep and defaults, and the mutex.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "HAL/Mutex.h"
#include "HAL/System.h"
#include "tests/support/EngineTest.h"

using testing_support::EngineTest;

namespace {
class SystemTest : public EngineTest { };
} // namespace

TEST(SystemInfo, DefaultsWithoutADisplay)
{
    // No video subsystem is up in a unit test: the documented fallback.
    const HAL::SystemInfo info = HAL::System::getSystemInfo();
    EXPECT_EQ(info.screenWidth, 1024);
    EXPECT_EQ(info.screenHeight, 768);
    EXPECT_EQ(info.colorDepth, 24);
    EXPECT_EQ(info.memorySize, 10240000);
}

TEST_F(SystemTest, ClockCountsWholeMillisecondsAndSleepWaits)
{
    std::unique_ptr<HAL::System> system(HAL::System::create(false));
    const uint32_t start = system->getTime();
    system->sleep(20);
    const uint32_t elapsed = system->getTime() - start; // unsigned: correct across wrap-around
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 2000u);

    // The clock resolves single milliseconds: it must take distinct values
    // within a few milliseconds of busy waiting.
    const uint32_t t0 = system->getTime();
    uint32_t t1 = t0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
    while (t1 == t0 && std::chrono::steady_clock::now() < deadline)
        t1 = system->getTime();
    EXPECT_GE(t1 - t0, 1u);
    EXPECT_LE(t1 - t0, 5u);

    try {
        system->sleep(0);
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), " time > 0 ");
    }
}

TEST(Mutex, IsABinarySemaphore)
{
    std::unique_ptr<HAL::Mutex> mutex = HAL::Mutex::create();
    EXPECT_TRUE(mutex->lock(0));
    EXPECT_FALSE(mutex->lock(10)); // not recursive: the holder itself times out
    mutex->unlock();
    mutex->unlock(); // an extra unlock is ignored: the count never exceeds one
    EXPECT_TRUE(mutex->lock(0));
    EXPECT_FALSE(mutex->lock(0));
    mutex->unlock();
}

TEST(Mutex, WaitersWakeWhenReleased)
{
    std::unique_ptr<HAL::Mutex> mutex = HAL::Mutex::create();
    mutex->lock();
    std::atomic<bool> taken{false};
    std::thread waiter([&] {
        taken = mutex->lock(5000);
        mutex->unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(taken);
    mutex->unlock();
    waiter.join();
    EXPECT_TRUE(taken);
}

TEST(Mutex, ExcludesConcurrentHolders)
{
    std::unique_ptr<HAL::Mutex> mutex = HAL::Mutex::create();
    int counter = 0; // plain int: only the mutex protects it
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            mutex->lock();
            ++counter;
            mutex->unlock();
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

TEST(Mutex, DestroyingAHeldMutexIsAnAssertion)
{
    HAL::Mutex* mutex = HAL::Mutex::create().release();
    mutex->lock();
    try {
        delete mutex;
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), " lock( 0 ) ");
    }
}
