// The display's OS events through handleEvent: what they do to the
// configuration, the queue's order and limits, the range checks, and finding
// a display by its window. Windowless displays: no video needed.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "HAL/Display.h"
#include "core/Globals.h"
#include "core/Ref.h"
#include "core/Vector.h"
#include "tests/support/AssertionText.h"
#include "tests/support/EngineTest.h"

using HAL::Display;
using HAL::DisplayConfig;
using HAL::OSEvent;

namespace {

class DisplayTest : public testing_support::EngineTest { };

// Records the full-screen switches the events ask for.
class RecordingDisplay : public Display {
public:
    using Display::Display;
    void setFullscreen(bool on, int8_t color) override
    {
        calls.push_back(std::to_string(on) + "/" + std::to_string(color));
    }
    std::vector<std::string> calls;
};

DisplayConfig sized(int width, int height)
{
    DisplayConfig config;
    config.width = width;
    config.height = height;
    config.color = 24;
    return config;
}

using testing_support::assertionText;

void expectEvent(Display& display, int type, int value1, int value2)
{
    const OSEvent event = display.getOSEvent();
    EXPECT_EQ(event.type, type);
    EXPECT_EQ(event.value1, value1);
    EXPECT_EQ(event.value2, value2);
}

} // namespace

TEST_F(DisplayTest, EventsUpdateTheConfigurationAndQueueInOrder)
{
    core::Ref<Display> display = Display::createWindowless(sized(640, 480));
    expectEvent(*display, HAL::OS_EVENT_NONE, 0, 0);

    display->handleEvent(HAL::OS_EVENT_MOVED, -32767, 32766);
    display->handleEvent(HAL::OS_EVENT_SIZE_CHANGED, 800, 600);
    // Minimised: the configuration keeps a usable size, the event says 0.
    display->handleEvent(HAL::OS_EVENT_SIZE_CHANGED, 0, 0);
    display->handleEvent(HAL::OS_EVENT_CLOSE, 0, 0);
    EXPECT_EQ(display->getConfig().x, -32767);
    EXPECT_EQ(display->getConfig().y, 32766);
    EXPECT_EQ(display->getConfig().width, 1);
    EXPECT_EQ(display->getConfig().height, 1);

    expectEvent(*display, HAL::OS_EVENT_MOVED, -32767, 32766);
    expectEvent(*display, HAL::OS_EVENT_SIZE_CHANGED, 800, 600);
    expectEvent(*display, HAL::OS_EVENT_SIZE_CHANGED, 0, 0);
    expectEvent(*display, HAL::OS_EVENT_CLOSE, 0, 0);
    expectEvent(*display, HAL::OS_EVENT_NONE, 0, 0);
}

TEST_F(DisplayTest, OutOfRangeSizesAndPositionsAssertAndChangeNothing)
{
    core::Ref<Display> display = Display::createWindowless(sized(640, 480));
    const std::string sizeText = " value1 >= 0 && value2 >= 0 && value1 < SHRT_MAX && value2 < SHRT_MAX ";
    const std::string moveText = " value1 > SHRT_MIN && value2 > SHRT_MIN && value1 < SHRT_MAX && value2 < SHRT_MAX ";
    EXPECT_EQ(assertionText([&] { display->handleEvent(HAL::OS_EVENT_SIZE_CHANGED, -1, 10); }), sizeText);
    EXPECT_EQ(assertionText([&] { display->handleEvent(HAL::OS_EVENT_SIZE_CHANGED, 10, SHRT_MAX); }), sizeText);
    EXPECT_EQ(assertionText([&] { display->handleEvent(HAL::OS_EVENT_MOVED, SHRT_MIN, 0); }), moveText);
    EXPECT_EQ(assertionText([&] { display->handleEvent(HAL::OS_EVENT_MOVED, 0, SHRT_MAX); }), moveText);
    EXPECT_EQ(display->getConfig().width, 640);
    EXPECT_EQ(display->getConfig().x, 0);
    EXPECT_EQ(display->getPendingEventCount(), 0);
}

TEST_F(DisplayTest, QueueHolds499EventsAndTheNextOneAsserts)
{
    core::Ref<Display> display = Display::createWindowless(sized(640, 480));
    for (int i = 0; i < Display::MAX_PENDING_EVENTS; ++i)
        display->handleEvent(HAL::OS_EVENT_MOVED, i, -i);
    EXPECT_EQ(display->getPendingEventCount(), 499);
    EXPECT_EQ(assertionText([&] { display->handleEvent(HAL::OS_EVENT_CLOSE, 0, 0); }),
              "your application does not handle os events!");
    // Draining one makes room for one, and the order survives the wrap.
    expectEvent(*display, HAL::OS_EVENT_MOVED, 0, 0);
    display->handleEvent(HAL::OS_EVENT_CLOSE, 0, 0);
    for (int i = 1; i < Display::MAX_PENDING_EVENTS; ++i)
        expectEvent(*display, HAL::OS_EVENT_MOVED, i, -i);
    expectEvent(*display, HAL::OS_EVENT_CLOSE, 0, 0);
    expectEvent(*display, HAL::OS_EVENT_NONE, 0, 0);
}

TEST_F(DisplayTest, FocusChangesSwitchFullScreenOnlyForAFullScreenDisplay)
{
    DisplayConfig config = sized(640, 480);
    config.windowed = 0;
    core::Ref<RecordingDisplay> fullScreen = VORNA3D_NEW RecordingDisplay(config);
    fullScreen->handleEvent(HAL::OS_EVENT_FOCUS_LOST, 0, 0);
    fullScreen->handleEvent(HAL::OS_EVENT_FOCUS_GAINED, 0, 0);
    EXPECT_EQ(fullScreen->calls, (std::vector<std::string>{"0/0", "1/24"}));
    expectEvent(*fullScreen, HAL::OS_EVENT_FOCUS_LOST, 0, 0);
    expectEvent(*fullScreen, HAL::OS_EVENT_FOCUS_GAINED, 0, 0);

    core::Ref<RecordingDisplay> windowed = VORNA3D_NEW RecordingDisplay(sized(640, 480));
    windowed->handleEvent(HAL::OS_EVENT_FOCUS_LOST, 0, 0);
    windowed->handleEvent(HAL::OS_EVENT_FOCUS_GAINED, 0, 0);
    EXPECT_TRUE(windowed->calls.empty());
    EXPECT_EQ(windowed->getPendingEventCount(), 2);
}

TEST_F(DisplayTest, DisplaysAreFoundByTheirWindowWhileTheyLive)
{
    int windowA = 0;
    int windowB = 0;
    DisplayConfig configA = sized(640, 480);
    configA.hwnd = &windowA;
    DisplayConfig configB = sized(320, 200);
    configB.hwnd = &windowB;
    core::Ref<Display> a = Display::createWindowless(configA);
    core::Ref<Display> b = Display::createWindowless(configB);
    EXPECT_EQ(core::Globals::get()->m_displays->size(), 2);
    EXPECT_EQ(Display::findDisplayByNativeDisplayHWND(&windowA), a.get());
    EXPECT_EQ(Display::findDisplayByNativeDisplayHWND(&windowB), b.get());

    // An event for a window nobody owns goes nowhere.
    int stranger = 0;
    EXPECT_EQ(Display::findDisplayByNativeDisplayHWND(&stranger), nullptr);
    Display::handleEvent(&stranger, HAL::OS_EVENT_SIZE_CHANGED, 100, 100);
    Display::handleEvent(&windowB, HAL::OS_EVENT_SIZE_CHANGED, 100, 50);
    EXPECT_EQ(a->getPendingEventCount(), 0);
    EXPECT_EQ(a->getConfig().width, 640);
    EXPECT_EQ(b->getConfig().width, 100);
    expectEvent(*b, HAL::OS_EVENT_SIZE_CHANGED, 100, 50);

    a = nullptr;
    EXPECT_EQ(Display::findDisplayByNativeDisplayHWND(&windowA), nullptr);
    EXPECT_EQ(Display::findDisplayByNativeDisplayHWND(&windowB), b.get());
    b = nullptr;
    EXPECT_EQ(core::Globals::get()->m_displays->size(), 0);
}

TEST_F(DisplayTest, ConfigurationChecksOfADisplayWithItsOwnWindow)
{
    DisplayConfig config = sized(640, 480);
    config.title = "";
    try {
        core::Ref<Display> display = Display::createWindowless(config);
        FAIL() << "no exception";
    } catch (const HAL::HALException& e) {
        EXPECT_STREQ(e.getMessage(), "Display constructor can not init a display because title length is 0");
    }
    config.title = nullptr;
    EXPECT_EQ(assertionText([&] { core::Ref<Display> d = Display::createWindowless(config); }), " m_config.title ");
    config = sized(-1, 480);
    EXPECT_EQ(assertionText([&] { core::Ref<Display> d = Display::createWindowless(config); }),
              " m_config.width >= 0 ");
    // A failed display leaves nothing in the list.
    EXPECT_EQ(core::Globals::get()->m_displays->size(), 0);
}
