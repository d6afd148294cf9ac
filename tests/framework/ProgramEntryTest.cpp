// The program entry: command line into the configuration, exit codes, and
// the engine stopped on every way out.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/Globals.h"
#include "framework/ProgramEntry.h"
#include "framework/Vorna3DFramework.h"
#include "tests/framework/FrameworkFakes.h"
#include "tests/support/LogCapture.h"

using framework::FrameworkConfig;
using framework::Vorna3DFramework;
using framework_fakes::FakeApp;
using framework_fakes::FakeGraphics3D;
using framework_fakes::FrameworkTest;
using testing_support::LogCapture;

namespace {

const char* const ARGV[] = {"sulvanto", "a", "", "b"};

// Creates a framework from the test configuration with a renderer and an
// application set up by `prepare`.
Vorna3DFramework* createWithApp(framework_fakes::Journal* journal, const std::function<void(FakeApp&)>& prepare)
{
    FrameworkConfig config = FrameworkTest::testConfig();
    auto* framework = new Vorna3DFramework(&config);
    framework->setGraphics3D(VORNA3D_NEW FakeGraphics3D(journal));
    FakeApp* app = VORNA3D_NEW FakeApp(journal);
    prepare(*app);
    framework->setApp(app);
    return framework;
}

} // namespace

TEST(ProgramEntry, CommandLineReachesTheConfiguration)
{
    std::vector<std::string> args;
    int argCount = -1;
    LogCapture log;
    const int code = framework::runProgram(4, ARGV, [&](FrameworkConfig& config) -> Vorna3DFramework* {
        argCount = config.argCount;
        for (int i = 0; i < config.argCount; ++i)
            args.push_back(config.args[i]);
        throw std::runtime_error("not this time");
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(log.text(), ""); // only memory manager failures are logged
    EXPECT_EQ(argCount, 3);
    EXPECT_EQ(args, (std::vector<std::string>{"a", "", "b"}));
}

TEST(ProgramEntry, CreationFailuresReturnOne)
{
    {
        LogCapture log;
        const int code = framework::runProgram(1, ARGV, [](FrameworkConfig&) -> Vorna3DFramework* {
            throw core::MemoryManagerException("MemoryManager: memory full");
        });
        EXPECT_EQ(code, 1);
        EXPECT_EQ(log.text(), "createFramework failed : Memory manager error (MemoryManager: memory full)\n");
    }
    EXPECT_EQ(framework::runProgram(1, ARGV, [](FrameworkConfig&) { return nullptr; }), 1);
    EXPECT_FALSE(core::Globals::exists());
}

TEST(ProgramEntry, WithoutApplicationTheProgramEndsAtOnce)
{
    LogCapture quiet;
    const int code = framework::runProgram(1, ARGV, [](FrameworkConfig& config) {
        FrameworkConfig test = FrameworkTest::testConfig();
        test.args[0] = config.args[0];
        return new Vorna3DFramework(&test);
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(core::Globals::exists());
}

TEST(ProgramEntry, LoopRunsUntilTheApplicationStops)
{
    framework_fakes::Journal journal;
    size_t updates = 0;
    int renders = 0;
    LogCapture log;
    const int code = framework::runProgram(1, ARGV, [&](FrameworkConfig&) {
        return createWithApp(&journal, [&](FakeApp& app) {
            app.stopAtUpdate = 3;
            app.onDestroy = [&app, &updates, &renders] {
                updates = app.updates.size();
                renders = app.renders;
            };
        });
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(updates, 3u);
    EXPECT_EQ(renders, 2); // the third update stopped its iteration
    EXPECT_NE(log.text().find("Framework: stopped\n"), std::string::npos);
    EXPECT_FALSE(core::Globals::exists());
}

TEST(ProgramEntry, LoopFailureIsPrintedAndTheEngineStillStops)
{
    framework_fakes::Journal journal;
    LogCapture log;
    const int code = framework::runProgram(1, ARGV, [&](FrameworkConfig&) {
        return createWithApp(&journal, [](FakeApp& app) {
            app.onUpdate = [](FakeApp&) { throw Vorna3DException("Effect.cpp", "Effect::update", 7, "boom"); };
        });
    });
    EXPECT_EQ(code, 1);
    EXPECT_NE(log.text().find("RUN ERROR : boom FILE : Effect.cpp LINE : 7\n"), std::string::npos);
    EXPECT_EQ(journal.back(), "~g3d");
    EXPECT_FALSE(core::Globals::exists());
}

TEST(ProgramEntry, AGivenRunFunctionReplacesTheLoopAndItsFailuresAreTheLoops)
{
    framework_fakes::Journal journal;
    LogCapture log;
    const auto create = [&](FrameworkConfig&) { return createWithApp(&journal, [](FakeApp&) {}); };

    int runs = 0;
    EXPECT_EQ(framework::runProgram(1, ARGV, create,
                                    [&](Vorna3DFramework& framework) {
                                        ++runs;
                                        EXPECT_NE(framework.getApp(), nullptr);
                                    }),
              0);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(core::Globals::exists());

    EXPECT_EQ(
        framework::runProgram(1, ARGV, create, [](Vorna3DFramework&) { throw std::runtime_error("encoder gone"); }), 1);
    EXPECT_NE(log.text().find("RUN ERROR : encoder gone FILE : UNKNOWN LINE : 0\n"), std::string::npos);
    EXPECT_FALSE(core::Globals::exists());
}
