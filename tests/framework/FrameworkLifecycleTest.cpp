// Creating and destroying the framework: the device is created once whatever
// the order, destruction releases in order and stops the engine, and
// construction errors are printed and propagate.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Globals.h"
#include "tests/framework/FrameworkFakes.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using framework::FrameworkConfig;
using framework::Vorna3DFramework;
using framework_fakes::FakeApp;
using framework_fakes::FakeGraphics3D;
using framework_fakes::FrameworkTest;
using testing_support::LogCapture;

namespace {

class FrameworkLifecycleTest : public FrameworkTest { };

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Constructs a framework from `config` expecting it to throw E; returns
// what it printed.
template <class E> std::string constructionFailure(const FrameworkConfig& config, std::string* message)
{
    LogCapture log;
    try {
        Vorna3DFramework framework(&config);
        ADD_FAILURE() << "no exception";
    } catch (const E& e) {
        *message = e.what();
    }
    return log.text();
}

} // namespace

TEST_F(FrameworkLifecycleTest, DeviceIsCreatedOnceWhicheverIsSetSecond)
{
    // Renderer first: setApp creates the device.
    start([](FrameworkConfig& c) { c.graphics.showStatistics = false; });
    g3d = VORNA3D_NEW FakeGraphics3D(&journal);
    fw->setGraphics3D(g3d);
    EXPECT_EQ(g3d->configures, 1);
    EXPECT_EQ(g3d->display, fw->getDisplay());
    EXPECT_FALSE(g3d->config.showStatistics);
    app = VORNA3D_NEW FakeApp(&journal);
    {
        LogCapture log;
        fw->setApp(app);
        const std::string text = log.text();
        EXPECT_TRUE(contains(text, "Check library build information:\n")) << text;
        EXPECT_TRUE(contains(text, "Check library and library build information : ALL OK\n")) << text;
    }
    EXPECT_EQ(app->createDevices, 1);
    EXPECT_EQ(app->m_deviceCreated, 1);
    // Setting either again creates nothing new.
    {
        LogCapture quiet;
        fw->setApp(app);
    }
    FakeGraphics3D* other = VORNA3D_NEW FakeGraphics3D(&journal);
    fw->setGraphics3D(other);
    EXPECT_EQ(other->configures, 1);
    EXPECT_EQ(app->createDevices, 1);
    stop();

    // Application first: setGraphics3D creates the device and restarts the
    // clock, so loading time is not handed to the first frame.
    start();
    app = VORNA3D_NEW FakeApp(&journal);
    {
        LogCapture quiet;
        fw->setApp(app);
    }
    EXPECT_EQ(app->createDevices, 0);
    fake.now += 5000;
    g3d = VORNA3D_NEW FakeGraphics3D(&journal);
    fw->setGraphics3D(g3d);
    EXPECT_EQ(journal, (std::vector<std::string>{"configGraphics3D", "createDevice"}));
    EXPECT_EQ(app->createDevices, 1);
    EXPECT_EQ(fw->getOSInfo().startTime, fake.now);
}

TEST_F(FrameworkLifecycleTest, DestructionReleasesApplicationRendererDisplayThenStopsTheEngine)
{
    start();
    attach();
    HAL::Display* display = fw->getDisplay();
    journal.clear();
    std::vector<int> displayRefs;
    std::vector<bool> engineUp;
    auto observe = [&] {
        displayRefs.push_back(display->getNumOfRefs());
        engineUp.push_back(core::Globals::exists());
    };
    app->onDestroy = observe;
    g3d->onDestroy = observe;

    Vorna3DFramework* framework = releaseFramework();
    {
        LogCapture quiet;
        delete framework;
    }
    EXPECT_EQ(journal, (std::vector<std::string>{"~app", "~g3d"}));
    // Both died while the framework still held the display and the engine ran.
    EXPECT_EQ(displayRefs, (std::vector<int>{1, 1}));
    EXPECT_EQ(engineUp, (std::vector<bool>{true, true}));
    EXPECT_FALSE(core::Globals::exists());
}

TEST_F(FrameworkLifecycleTest, FailingApplicationStillLeavesTheEngineStopped)
{
    start();
    attach();
    journal.clear();
    app->onDestroy = [] { throw Vorna3DException("FakeApp.cpp", "FakeApp::~FakeApp", 3, "cannot release"); };
    Vorna3DFramework* framework = releaseFramework();
    LogCapture log;
    try {
        delete framework;
        FAIL() << "no exception";
    } catch (const Vorna3DException& e) {
        EXPECT_STREQ(e.getMessage(), "cannot release");
    }
    EXPECT_TRUE(contains(log.text(), "FATAL UNKNOWN DEINIT ERROR\n"));
    // The renderer, the display and the engine went all the same.
    EXPECT_EQ(journal, (std::vector<std::string>{"~app", "~g3d"}));
    EXPECT_FALSE(core::Globals::exists());
}

TEST(FrameworkInit, ErrorsArePrintedAndTheStartedEngineStopsAgain)
{
    try {
        Vorna3DFramework framework(nullptr);
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), "vorna3DFramework failed because config parameter is 0");
    }
    EXPECT_FALSE(core::Globals::exists());

    std::string message;
    FrameworkConfig config = FrameworkTest::testConfig();
    config.display.title = "";
    std::string text = constructionFailure<HAL::HALException>(config, &message);
    EXPECT_EQ(message, "Display constructor can not init a display because title length is 0");
    EXPECT_TRUE(contains(text,
                         "INIT ERROR : Display constructor can not init a display because title length is 0"
                         " FILE : UNKNOWN LINE : 0\n"))
        << text;
    EXPECT_FALSE(core::Globals::exists());

    config = FrameworkTest::testConfig();
    config.sleepTimeIfGameFocusIsLost = -1;
    text = constructionFailure<AssertationFailedException>(config, &message);
    EXPECT_EQ(message, "m_sleepTimeIfGameFocusIsLost has invalid value");
    EXPECT_TRUE(contains(text, "INIT ERROR : m_sleepTimeIfGameFocusIsLost has invalid value FILE : ")) << text;
    EXPECT_TRUE(contains(text, "Vorna3DFramework.cpp LINE : ")) << text;
    EXPECT_FALSE(core::Globals::exists());

    // 0.4 ms is 0 ms on the clock: steps that never use up any time.
    config = FrameworkTest::testConfig();
    config.fixedTimeStep = 0.0004f;
    text = constructionFailure<AssertationFailedException>(config, &message);
    EXPECT_EQ(message, "fixedTimeStep has invalid value");
    EXPECT_FALSE(core::Globals::exists());
}

namespace {
class FrameworkOnRunningEngineTest : public testing_support::EngineTest { };
} // namespace

TEST_F(FrameworkOnRunningEngineTest, SecondEngineStartIsAnInitErrorThatLeavesTheFirstAlone)
{
    std::string message;
    const std::string text = constructionFailure<AssertationFailedException>(FrameworkTest::testConfig(), &message);
    EXPECT_EQ(message, " !globals ");
    EXPECT_TRUE(contains(text, "INIT ERROR :  !globals  FILE : ")) << text;
    // The running engine is not the failed framework's to stop.
    EXPECT_TRUE(core::Globals::exists());
    EXPECT_EQ(allocatedBlocks(), 0);
}
