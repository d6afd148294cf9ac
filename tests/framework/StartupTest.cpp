// Engine start-up and shut-down order, and the globals' checks.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/Debug.h"
#include "core/Globals.h"
#include "core/MemoryManager.h"
#include "framework/App_helpers.h"
#include "framework/EngineScope.h"
#include "framework/FrameworkConfig.h"
#include "tests/support/LogCapture.h"

using testing_support::LogCapture;

namespace {

framework::FrameworkConfig quietConfig()
{
    framework::FrameworkConfig config;
    config.createConsole = 0;
    config.memorySize = 1024 * 1024;
    return config;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text.substr(start, end - start));
    return result;
}

} // namespace

TEST(Startup, LogsEachStepInOrder)
{
    framework::FrameworkConfig config = quietConfig();
    LogCapture capture;
    framework::initEngineClasses(&config);
    const std::vector<std::string> expected = {
        "START: debug initialized : ok",  "START: system initialized : ok",
        "START: MemoryManager init",      "START: MemoryManager pool allocated",
        "START: memory initialized : ok", "START: dummy Graphics3D object initialized : ok",
        "START: initEngineClasses : ok",
    };
    EXPECT_EQ(lines(capture.text()), expected);
    framework::deInitEngineClasses();
    EXPECT_FALSE(core::Globals::exists());
}

TEST(Startup, FrameworkLevelShowsTheMemoryConfigurationAndDefaultSize)
{
    framework::FrameworkConfig config = quietConfig();
    config.memorySize = 0; // the platform default
    config.debugLevel = 0x10000;
    LogCapture capture;
    framework::initEngineClasses(&config);
    const std::string log = capture.text();
    EXPECT_NE(log.find("configure memory manager : MemoryManager (10240000 bytes)\n"), std::string::npos) << log;
    EXPECT_GE(core::MemoryManager::getMemoryInfoPtr()->getStatistics().dataBlockSize, 10240000 - 32);

    LogCapture stop;
    framework::deInitEngineClasses();
    EXPECT_EQ(stop.text().rfind("STOP: deInitEngineClasses\n", 0), 0u);
}

TEST(Startup, StartingTwiceAndStoppingTwiceAreAssertions)
{
    framework::FrameworkConfig config = quietConfig();
    {
        LogCapture quiet;
        framework::initEngineClasses(&config);
    }
    try {
        core::Globals::initClass();
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), " !globals ");
        EXPECT_STREQ(e.getFunction(), "core::Globals::initClass");
    }
    {
        LogCapture quiet;
        framework::deInitEngineClasses();
    }
    try {
        core::Globals::get();
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), " globals ");
        EXPECT_STREQ(e.getFunction(), "core::Globals::get");
    }
    EXPECT_THROW(framework::deInitEngineClasses(), AssertationFailedException);
}

TEST(Startup, GlobalsRecordRefusesToDieWithLiveServices)
{
    core::Globals::initClass();
    core::Debug::initClass();
    core::DebugInfo* log = core::Globals::get()->m_debug;
    // The record goes (the pointer is cleared first), its check reports the live log.
    try {
        core::Globals::deInitClass();
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), " !m_debug ");
        EXPECT_STREQ(e.getFunction(), "core::Globals::~Globals");
    }
    EXPECT_FALSE(core::Globals::exists());
    delete log;
}

TEST(Startup, LibraryBuildCheckReportsAllOk)
{
    framework::FrameworkConfig config = quietConfig();
    {
        LogCapture quiet;
        framework::initEngineClasses(&config);
    }
    LogCapture capture;
    framework::printLibraryBuildInfo();
    const std::string log = capture.text();
    EXPECT_EQ(log.rfind("Check library build information:\n Framework library : ", 0), 0u) << log;
    EXPECT_NE(log.find(" HAL library       : "), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 53), "Check library and library build information : ALL OK\n");
    LogCapture quiet;
    framework::deInitEngineClasses();
}

TEST(Startup, FailedStartLeavesNoEngineBehind)
{
    framework::FrameworkConfig config = quietConfig();
    config.myAlloc = [](size_t size) { return ::operator new(size); };
    config.myFree = nullptr; // half a pair: the memory manager refuses it
    {
        LogCapture quiet;
        EXPECT_THROW(framework::initEngineClasses(&config), AssertationFailedException);
    }
    EXPECT_FALSE(core::Globals::exists());

    config.myAlloc = nullptr; // a correct configuration starts afterwards
    LogCapture quiet;
    framework::initEngineClasses(&config);
    framework::deInitEngineClasses();
    EXPECT_FALSE(core::Globals::exists());
}

TEST(Startup, EngineScopeStopsOnceAndKeepsTheFirstError)
{
    framework::FrameworkConfig config = quietConfig();
    LogCapture quiet;
    {
        framework::EngineScope engine(&config);
        EXPECT_TRUE(core::Globals::exists());
    }
    EXPECT_FALSE(core::Globals::exists());

    // A failed shut-down is thrown by stop(); the scope is stopped all the same.
    {
        framework::EngineScope engine(&config);
        framework::deInitEngineClasses(); // behind the scope's back
        EXPECT_THROW(engine.stop(), AssertationFailedException);
    }

    // While another exception unwinds the scope, that one is what arrives.
    try {
        framework::EngineScope engine(&config);
        framework::deInitEngineClasses();
        throw std::runtime_error("the run failed");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "the run failed");
    }
    EXPECT_FALSE(core::Globals::exists());
}
