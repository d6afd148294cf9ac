#include "tests/framework/FrameworkFakes.h"

#include "HAL/Display.h"
#include "core/Debug.h"
#include "core/Globals.h"
#include "core/MemoryManager.h"
#include "tests/support/LogCapture.h"

namespace framework_fakes {

namespace {
// The frame-loop tests run without a window: every display they open is the
// windowless one, with the same configuration checks and event queue.
const HAL::Display::Factory previousDisplayFactory = HAL::Display::setFactory(&HAL::Display::createWindowless);
} // namespace

uint32_t FakeSystem::getTime()
{
    const uint32_t time = now;
    now += advancePerRead;
    return time;
}

void FakeSystem::sleep(int32_t ms)
{
    sleeps.push_back(ms);
    now += static_cast<uint32_t>(ms);
}

bool FakeSystem::pumpMessages()
{
    ++pumpCalls;
    if (pumpCalls >= pumpLimit) {
        pumpLimitReached = true;
        return false;
    }
    if (pumpCalls == quitOnlyAtPumpCall)
        return false;
    return !quit;
}

FakeApp::~FakeApp() noexcept(false)
{
    if (m_journal)
        m_journal->push_back("~app");
    if (onDestroy)
        onDestroy();
}

bool FakeApp::update(float seconds)
{
    updates.push_back(seconds);
    if (onUpdate)
        onUpdate(*this);
    return stopAtUpdate == 0 || updates.size() < stopAtUpdate;
}

void FakeApp::render(render::Graphics3D&)
{
    ++renders;
}

void FakeApp::createDevice(render::Graphics3D&)
{
    ++createDevices;
    m_journal->push_back("createDevice");
}

void FakeApp::lostDevice()
{
    ++lostDevices;
    m_journal->push_back("lostDevice");
}

void FakeApp::resetDevice(render::Graphics3D&)
{
    ++resetDevices;
    m_journal->push_back("resetDevice");
}

FakeGraphics3D::~FakeGraphics3D() noexcept(false)
{
    if (m_journal)
        m_journal->push_back("~g3d");
    if (onDestroy)
        onDestroy();
}

void FakeGraphics3D::configGraphics3D(HAL::Display* d, const render::Graphics3DConfig& c)
{
    display = d;
    config = c;
    ++configures;
    m_journal->push_back("configGraphics3D");
}

void FakeGraphics3D::resetGraphics3D()
{
    ++resets;
    m_journal->push_back("resetGraphics3D");
}

framework::FrameworkConfig FrameworkTest::testConfig()
{
    framework::FrameworkConfig config;
    config.memorySize = 1024 * 1024;
    config.createConsole = 0;
    config.debugLevel = core::DEBUG_LEVEL_FRAMEWORK;
    config.display.width = 64;
    config.display.height = 48;
    return config;
}

int FrameworkTest::allocatedBlocks()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocatedBlocks;
}

void FrameworkTest::start(const std::function<void(framework::FrameworkConfig&)>& adjust)
{
    ASSERT_FALSE(fw) << "one framework at a time";
    framework::FrameworkConfig config = testConfig();
    if (adjust)
        adjust(config);
    {
        testing_support::LogCapture quiet;
        fw = std::make_unique<framework::Vorna3DFramework>(&config);
    }
    m_baselineBlocks = allocatedBlocks();
    m_realSystem = core::Globals::get()->m_system;
    core::Globals::get()->m_system = &fake;
    // The fake clock carries on from the reading the framework started with.
    fake.now = fw->getOSInfo().startTime;
}

void FrameworkTest::attach()
{
    g3d = VORNA3D_NEW FakeGraphics3D(&journal);
    app = VORNA3D_NEW FakeApp(&journal);
    fw->setGraphics3D(g3d);
    testing_support::LogCapture quiet; // the library build check
    fw->setApp(app);
}

void FrameworkTest::stop()
{
    if (!fw)
        return;
    core::Globals::get()->m_system = m_realSystem;
    fw->setApp(nullptr);
    fw->setGraphics3D(nullptr);
    app = nullptr;
    g3d = nullptr;
    EXPECT_EQ(allocatedBlocks(), m_baselineBlocks) << "pool blocks left behind";
    EXPECT_FALSE(fake.pumpLimitReached) << "a loop did not end by itself";
    {
        testing_support::LogCapture quiet;
        fw.reset();
    }
    EXPECT_FALSE(core::Globals::exists());
    fake = FakeSystem();
    journal.clear();
}

framework::Vorna3DFramework* FrameworkTest::releaseFramework()
{
    core::Globals::get()->m_system = m_realSystem;
    app = nullptr;
    g3d = nullptr;
    return fw.release();
}

void FrameworkTest::TearDown()
{
    stop();
}

int FrameworkTest::stepBy(uint32_t ms)
{
    fake.now += ms;
    return fw->update(-1.0f);
}

void FrameworkTest::push(int32_t type, int32_t value1, int32_t value2)
{
    fw->getDisplay()->pushOSEvent(type, value1, value2);
}

} // namespace framework_fakes
