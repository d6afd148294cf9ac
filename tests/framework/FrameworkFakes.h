#pragma once
// Stand-ins for the frame loop's collaborators: a clock, sleep and message
// pump driven by the test, an application and a renderer that record what
// the framework asks of them, and a fixture that runs one framework at a time
// with the fake system swapped in.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HAL/System.h"
#include "framework/App.h"
#include "framework/FrameworkConfig.h"
#include "framework/Vorna3DFramework.h"
#include "render/Graphics3D.h"
#include "tests/support/NullGraphics3D.h"

namespace framework_fakes {

// The system object under the test's control. Sleeping advances the clock by
// the time slept, as a real sleep would.
class FakeSystem : public HAL::System {
public:
    uint32_t getTime() override;
    void sleep(int32_t ms) override;
    bool pumpMessages() override;

    uint32_t now = 1000;
    uint32_t advancePerRead = 0; // added to the clock after every read
    std::vector<int32_t> sleeps; // every sleep, in ms
    int pumpCalls = 0;
    bool quit = false; // a latched quit, like the real pump
    int quitOnlyAtPumpCall = -1; // a quit reported by that one call only
    int pumpLimit = 100000; // fail-safe: a loop that never ends reports quit here
    bool pumpLimitReached = false;
};

// Calls in the order the framework made them, shared by the fakes.
using Journal = std::vector<std::string>;

class FakeApp : public framework::App {
public:
    explicit FakeApp(Journal* journal) : m_journal(journal) { }
    ~FakeApp() noexcept(false) override;

    bool update(float seconds) override;
    void render(render::Graphics3D& g3d) override;
    void createDevice(render::Graphics3D& g3d) override;
    void lostDevice() override;
    void resetDevice(render::Graphics3D& g3d) override;

    std::vector<float> updates; // every update's seconds
    int renders = 0;
    int createDevices = 0;
    int lostDevices = 0;
    int resetDevices = 0;
    size_t stopAtUpdate = 0; // update number n returns false (0: never)
    std::function<void(FakeApp&)> onUpdate;
    std::function<void()> onDestroy; // runs inside the destructor

private:
    Journal* m_journal;
};

class FakeGraphics3D : public testing_support::NullGraphics3D {
public:
    explicit FakeGraphics3D(Journal* journal) : m_journal(journal) { }
    ~FakeGraphics3D() noexcept(false) override;

    void configGraphics3D(HAL::Display* display, const render::Graphics3DConfig& config) override;
    void resetGraphics3D() override;

    HAL::Display* display = nullptr;
    render::Graphics3DConfig config;
    int configures = 0;
    int resets = 0;
    std::function<void()> onDestroy;

private:
    Journal* m_journal;
};

// Runs a framework with the fake system: start() builds it (small pool, no
// console, a small headless display, framework log lines on), stop() puts
// the real system back, checks that the test left nothing in the pool and
// destroys the framework.
class FrameworkTest : public ::testing::Test {
public:
    // The configuration start() begins with.
    static framework::FrameworkConfig testConfig();

protected:
    void TearDown() override;

    // Builds the framework after `adjust` has edited the test configuration.
    void start(const std::function<void(framework::FrameworkConfig&)>& adjust = {});
    // Creates the recording renderer and application and sets them, the
    // renderer first; the clock then starts at fake.now.
    void attach();
    void stop();
    // Puts the real system back and hands the framework over, still holding
    // its application and renderer, for the test to destroy.
    framework::Vorna3DFramework* releaseFramework();
    // Advances the fake clock by `ms` and runs one iteration.
    int stepBy(uint32_t ms);
    void push(int32_t type, int32_t value1 = 0, int32_t value2 = 0);

    static int allocatedBlocks();

    FakeSystem fake;
    Journal journal;
    std::unique_ptr<framework::Vorna3DFramework> fw;
    FakeApp* app = nullptr; // owned by the framework
    FakeGraphics3D* g3d = nullptr; // owned by the framework

private:
    HAL::System* m_realSystem = nullptr;
    int m_baselineBlocks = 0;
};

} // namespace framework_fakes
