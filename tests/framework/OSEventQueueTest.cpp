// The display's OS event queue, which the frame loop drains every iteration.

#include <gtest/gtest.h>

#include "HAL/Display.h"
#include "core/Ref.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

namespace {
class OSEventQueueTest : public testing_support::EngineTest { };
} // namespace

TEST_F(OSEventQueueTest, FirstInFirstOutWithinItsCapacity)
{
    HAL::DisplayConfig config;
    config.width = 64;
    config.height = 48;
    core::Ref<HAL::Display> display = HAL::Display::createDisplayHandle(config);

    const HAL::OSEvent none = display->getOSEvent();
    EXPECT_EQ(none.type, 0);
    EXPECT_EQ(none.value1, 0);
    EXPECT_EQ(none.value2, 0);

    // Fill, drain half, refill: the order holds across the ring's end.
    const int capacity = HAL::Display::MAX_PENDING_EVENTS;
    for (int i = 0; i < capacity; ++i)
        display->pushOSEvent(HAL::OS_EVENT_MOVED, i, -i);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(display->getOSEvent().value1, i);
    for (int i = capacity; i < capacity + 300; ++i)
        display->pushOSEvent(HAL::OS_EVENT_MOVED, i, -i);
    EXPECT_EQ(display->getPendingEventCount(), capacity);

    // One more than 499 pending is a program that does not drain its events.
    {
        testing_support::LogCapture quiet;
        try {
            display->pushOSEvent(HAL::OS_EVENT_CLOSE, 0, 0);
            FAIL() << "no exception";
        } catch (const AssertationFailedException& e) {
            EXPECT_STREQ(e.getMessage(), "your application does not handle os events!");
        }
    }
    for (int i = 300; i < capacity + 300; ++i) {
        const HAL::OSEvent event = display->getOSEvent();
        ASSERT_EQ(event.value1, i);
        ASSERT_EQ(event.value2, -i);
    }
    EXPECT_EQ(display->getOSEvent().type, HAL::OS_EVENT_NONE);
}
