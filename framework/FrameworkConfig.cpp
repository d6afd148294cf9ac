#include "framework/FrameworkConfig.h"

#include "HAL/System.h"

namespace framework {

FrameworkConfig::FrameworkConfig()
{
    const HAL::SystemInfo info = HAL::System::getSystemInfo();
    memorySize = info.memorySize;
    display.width = info.screenWidth;
    display.height = info.screenHeight;
    display.color = static_cast<int8_t>(info.colorDepth);
}

core::MemoryManager::Config FrameworkConfig::memoryConfig() const
{
    core::MemoryManager::Config config;
    config.name = memoryManagerName;
    config.myAlloc = myAlloc;
    config.myFree = myFree;
    config.myPoolAlloc = myPoolAlloc;
    config.myPoolFree = myPoolFree;
    config.debug_monitor_table_size = debug_monitor_table_size;
    return config;
}

} // namespace framework
