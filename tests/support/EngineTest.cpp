#include "tests/support/EngineTest.h"

#include "core/Globals.h"
#include "core/MemoryManager.h"
#include "framework/App_helpers.h"

namespace testing_support {

int EngineTest::s_engineBlocks = 0;

void EngineTest::configure(framework::FrameworkConfig& config)
{
    config.memorySize = 4 * 1024 * 1024;
    config.createConsole = 0;
}

void EngineTest::SetUp()
{
    framework::FrameworkConfig config;
    configure(config);
    framework::initEngineClasses(&config);
    s_engineBlocks = 0;
    s_engineBlocks = allocatedBlocks();
}

void EngineTest::TearDown()
{
    if (!core::Globals::exists())
        return; // the test took the engine down itself
    // The appearance 3D texts share is engine state: the first Text3D (the
    // renderer's debug text too) creates it and the engine keeps it until
    // shut-down.
    core::Globals::get()->m_g3dText3DAppearance = nullptr;
    EXPECT_EQ(allocatedBlocks(), 0) << "pool blocks still allocated at shut-down";
    framework::deInitEngineClasses();
}

int EngineTest::allocatedBlocks()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocatedBlocks - s_engineBlocks;
}

} // namespace testing_support
