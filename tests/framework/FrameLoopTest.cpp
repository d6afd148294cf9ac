// One iteration of the frame loop under a fake clock: minimum frame time,
// fixed steps, wrap-around, sleep mode, device reset, close and quit.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/framework/FrameworkFakes.h"
#include "tests/support/LogCapture.h"

using framework::FrameworkConfig;
using framework::Vorna3DFramework;
using framework_fakes::FrameworkTest;
using testing_support::LogCapture;

namespace {

class FrameLoopTest : public FrameworkTest { };

// The demo's timing: 5 ms steps, at least 5 ms per iteration.
void demoTiming(FrameworkConfig& config)
{
    config.fixedTimeStep = 0.005f;
    config.minFrameTime = 0.005f;
}

constexpr int RENDER = Vorna3DFramework::UPDATE_RENDER;
constexpr int IDLE = Vorna3DFramework::UPDATE_IDLE;
constexpr int STOP = Vorna3DFramework::UPDATE_STOP;

} // namespace

TEST_F(FrameLoopTest, MinimumFrameTimeLetsTimeAccumulate)
{
    start([](FrameworkConfig& c) { c.minFrameTime = 0.005f; });
    attach();
    const uint32_t t0 = fake.now;
    EXPECT_EQ(fw->getOSInfo().startTime, t0);

    // 3 ms < 5 ms: nothing happens and the start time stays.
    EXPECT_EQ(stepBy(3), IDLE);
    EXPECT_TRUE(app->updates.empty());
    EXPECT_EQ(fw->getOSInfo().startTime, t0);

    // 3 more: 6 ms since the last accepted iteration, all of it passed on.
    EXPECT_EQ(stepBy(3), RENDER);
    EXPECT_EQ(app->updates, std::vector<float>{0.006f});
    EXPECT_EQ(fw->getOSInfo().startTime, t0 + 6);
    stop();

    // 0.004f is a hair above 0.004; compared in float milliseconds 4 ms is enough.
    start([](FrameworkConfig& c) { c.minFrameTime = 0.004f; });
    attach();
    EXPECT_EQ(stepBy(3), IDLE);
    EXPECT_EQ(stepBy(1), RENDER);
    EXPECT_EQ(app->updates, std::vector<float>{0.004f});
}

TEST_F(FrameLoopTest, FixedStepsOfFiveMillisecondsDropTheRemainder)
{
    start(demoTiming);
    attach();
    const std::vector<float> one(1, 0.005f);

    // 5 ms: 5 > 5 is false, so no step runs; the final update gets 5 ms.
    EXPECT_EQ(stepBy(5), RENDER);
    EXPECT_EQ(app->updates, one);

    // 10 ms: one step (10 -> 5); 5 ms left after a step is <= 10: dropped.
    // A step truncated to 4 ms would run twice (10 -> 6 -> 2).
    app->updates.clear();
    EXPECT_EQ(stepBy(10), RENDER);
    EXPECT_EQ(app->updates, one);

    // 17 ms: steps at 17, 12 and 7 leave 2 ms, dropped: three updates.
    app->updates.clear();
    EXPECT_EQ(stepBy(17), RENDER);
    EXPECT_EQ(app->updates, std::vector<float>(3, 0.005f));

    // 30 ms: steps at 30, 25, 20, 15, 10 leave 5 ms, dropped: five updates.
    app->updates.clear();
    const int pumpsBefore = fake.pumpCalls;
    EXPECT_EQ(stepBy(30), RENDER);
    EXPECT_EQ(app->updates, std::vector<float>(5, 0.005f));
    EXPECT_EQ(fake.pumpCalls - pumpsBefore, 6); // one per step and one after
}

TEST_F(FrameLoopTest, RemainderAboveTenMillisecondsGetsAFinalUpdate)
{
    start([](FrameworkConfig& c) { c.fixedTimeStep = 0.02f; });
    attach();

    // 35 ms: one 20 ms step leaves 15 ms > 10: passed on as 0.015 s.
    EXPECT_EQ(stepBy(35), RENDER);
    EXPECT_EQ(app->updates, (std::vector<float>{0.02f, 0.015f}));

    // 30 ms: one step leaves exactly 10 ms: dropped.
    app->updates.clear();
    EXPECT_EQ(stepBy(30), RENDER);
    EXPECT_EQ(app->updates, std::vector<float>{0.02f});
}

TEST_F(FrameLoopTest, WithoutFixedStepEachIterationPassesItsWholeTime)
{
    start();
    attach();
    EXPECT_EQ(stepBy(17), RENDER);
    EXPECT_EQ(stepBy(0), IDLE); // no time has passed
    EXPECT_EQ(stepBy(1), RENDER);
    EXPECT_EQ(stepBy(250), RENDER);
    EXPECT_EQ(app->updates, (std::vector<float>{0.017f, 0.001f, 0.25f}));
}

TEST_F(FrameLoopTest, ClockWrapAroundIsOrdinaryElapsedTime)
{
    start(demoTiming);
    fake.now = 0xFFFFFFF0u;
    attach();
    // 0xFFFFFFF0 + 17 wraps to 1; 1 - 0xFFFFFFF0 is 17 in 32 bits: three steps.
    EXPECT_EQ(stepBy(17), RENDER);
    EXPECT_EQ(fw->getOSInfo().startTime, 1u);
    EXPECT_EQ(fw->getOSInfo().endTime, 1u);
    EXPECT_EQ(app->updates, std::vector<float>(3, 0.005f));
}

TEST_F(FrameLoopTest, ExternalTimeStepReplacesTheClock)
{
    start();
    attach();
    // The clock stands still: twice in the same millisecond is fine with an
    // external step (the zero-time check belongs to measured time).
    EXPECT_EQ(fw->update(0.01f), RENDER);
    EXPECT_EQ(fw->update(0.01f), RENDER);
    EXPECT_EQ(fw->update(0.0f), IDLE);
    EXPECT_EQ(app->updates, (std::vector<float>{0.01f, 0.01f}));

    // An external step also ends sleep mode.
    push(HAL::OS_EVENT_FOCUS_LOST);
    EXPECT_EQ(fw->update(0.005f), RENDER);
    EXPECT_FALSE(fw->isSleeping());
    EXPECT_TRUE(fake.sleeps.empty());
}

TEST_F(FrameLoopTest, FocusLossSleepsAndFocusGainRestartsTheClock)
{
    start();
    attach();
    {
        LogCapture log;
        push(HAL::OS_EVENT_FOCUS_LOST);
        EXPECT_EQ(stepBy(6), IDLE);
        EXPECT_TRUE(fw->isSleeping());
        EXPECT_EQ(log.text(), "* sleep mode activated (sleep time = 100 ms) *\n");
    }
    // Asleep, every iteration sleeps 100 ms and updates nothing.
    EXPECT_EQ(stepBy(6), IDLE);
    EXPECT_EQ(fake.sleeps, (std::vector<int32_t>{100, 100}));
    EXPECT_TRUE(app->updates.empty());

    {
        LogCapture log;
        push(HAL::OS_EVENT_FOCUS_GAINED);
        // The clock restarts at the focus gain: no time has passed since.
        EXPECT_EQ(stepBy(7), IDLE);
        EXPECT_EQ(log.text(), "* sleep mode deactivated *\n");
    }
    EXPECT_FALSE(fw->isSleeping());
    EXPECT_EQ(fw->getOSInfo().startTime, fake.now);
    // Only the time after the gain counts, not the 200 ms asleep.
    EXPECT_EQ(stepBy(5), RENDER);
    EXPECT_EQ(app->updates, std::vector<float>{0.005f});
    EXPECT_EQ(fake.sleeps.size(), 2u);
    stop();

    // Sleep time 0 disables sleep mode.
    start([](FrameworkConfig& c) { c.sleepTimeIfGameFocusIsLost = 0; });
    attach();
    push(HAL::OS_EVENT_FOCUS_LOST);
    EXPECT_EQ(stepBy(5), RENDER);
    EXPECT_FALSE(fw->isSleeping());
    EXPECT_TRUE(fake.sleeps.empty());
}

TEST_F(FrameLoopTest, CloseEndsTheIterationEvenWhileAsleep)
{
    start();
    attach();
    push(HAL::OS_EVENT_FOCUS_LOST);
    EXPECT_EQ(stepBy(5), IDLE);
    // A window closed while it lacks the focus: no more sleeping, stop.
    push(HAL::OS_EVENT_CLOSE);
    EXPECT_EQ(stepBy(5), STOP);
    EXPECT_EQ(fake.sleeps.size(), 1u);
    EXPECT_TRUE(fw->isQuitRequested());
    // Moves change nothing; the close request stays.
    push(HAL::OS_EVENT_MOVED, 10, 20);
    EXPECT_EQ(stepBy(5), STOP);
    EXPECT_TRUE(app->updates.empty());
}

TEST_F(FrameLoopTest, SizeChangeResetsTheDeviceInTheNextIteration)
{
    start(demoTiming);
    attach();
    journal.clear();
    {
        LogCapture log;
        push(HAL::OS_EVENT_SIZE_CHANGED, 800, 600);
        EXPECT_EQ(stepBy(9), IDLE); // nothing to render in this iteration
        EXPECT_EQ(log.text(), "* windows size changedFramework : lostDeviceFramework : resetDevice");
    }
    EXPECT_EQ(journal, (std::vector<std::string>{"lostDevice", "resetGraphics3D", "resetDevice"}));
    EXPECT_TRUE(app->updates.empty());
    EXPECT_EQ(fw->getOSInfo().startTime, fake.now);

    // Back to normal afterwards, once.
    EXPECT_EQ(stepBy(5), RENDER);
    EXPECT_EQ(app->updates, std::vector<float>{0.005f});
    EXPECT_EQ(app->lostDevices, 1);
    EXPECT_EQ(g3d->resets, 1);
}

TEST_F(FrameLoopTest, QuitSeenByThePumpIsNotLost)
{
    start(demoTiming);
    attach();
    // 17 ms: the first step's pump is fine, the second reports a quit once
    // and then never again (a pump that does not latch).
    fake.quitOnlyAtPumpCall = fake.pumpCalls + 2;
    EXPECT_EQ(stepBy(17), STOP);
    EXPECT_EQ(app->updates.size(), 1u);
    EXPECT_TRUE(fw->isQuitRequested());
    EXPECT_EQ(stepBy(6), STOP);
    EXPECT_EQ(app->updates.size(), 1u);
    stop();

    // The same while asleep: the pump after the sleep reports the quit.
    start();
    attach();
    push(HAL::OS_EVENT_FOCUS_LOST);
    fake.quitOnlyAtPumpCall = fake.pumpCalls + 1;
    EXPECT_EQ(stepBy(5), STOP);
    EXPECT_EQ(stepBy(5), STOP);
    EXPECT_EQ(fake.sleeps.size(), 1u);
}

TEST_F(FrameLoopTest, ApplicationStopsTheIteration)
{
    start(demoTiming);
    attach();
    app->stopAtUpdate = 2;
    EXPECT_EQ(stepBy(17), STOP); // the second of three steps says stop
    EXPECT_EQ(app->updates.size(), 2u);
    stop();

    start();
    attach();
    app->stopAtUpdate = 1;
    EXPECT_EQ(stepBy(5), STOP); // the final update says stop
}

TEST_F(FrameLoopTest, GameLoopRendersUntilClosed)
{
    start(demoTiming);
    attach();
    fake.advancePerRead = 1; // every clock read is 1 ms later
    app->onUpdate = [this](framework_fakes::FakeApp& a) {
        if (a.updates.size() == 20)
            push(HAL::OS_EVENT_CLOSE);
    };
    LogCapture log;
    fw->gameLoop();
    EXPECT_EQ(log.text(), "Framework: win32GameLoop started\nFramework: stopped\n");
    EXPECT_EQ(app->updates.size(), 20u);
    // Each iteration that got past the time checks rendered once; with one
    // read per iteration a 5 ms minimum gives one update per frame.
    EXPECT_EQ(app->renders, 20);
}

TEST_F(FrameLoopTest, GameLoopWithoutRendererIsAnAssertion)
{
    start();
    app = VORNA3D_NEW framework_fakes::FakeApp(&journal);
    {
        LogCapture quiet;
        fw->setApp(app);
    }
    EXPECT_EQ(app->createDevices, 0); // no renderer, no device
    fake.advancePerRead = 1;
    LogCapture quiet;
    try {
        fw->gameLoop();
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), "vorna3DFramework render failed because g3d is 0");
    }
}

TEST_F(FrameLoopTest, WithoutApplicationOnlyCloseOrQuitStops)
{
    start();
    EXPECT_EQ(stepBy(5), RENDER);
    push(HAL::OS_EVENT_CLOSE);
    EXPECT_EQ(stepBy(5), STOP);
    stop();

    start();
    fake.quit = true;
    EXPECT_EQ(stepBy(5), STOP);
    stop();

    // No display at all: no events to read, the application still runs.
    start([](FrameworkConfig& c) { c.display.width = 0; });
    EXPECT_EQ(fw->getDisplay(), nullptr);
    app = VORNA3D_NEW framework_fakes::FakeApp(&journal);
    {
        LogCapture quiet;
        fw->setApp(app);
    }
    EXPECT_EQ(stepBy(5), RENDER);
    EXPECT_EQ(app->updates, std::vector<float>{0.005f});
}
