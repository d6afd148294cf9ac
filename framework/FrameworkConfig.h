#pragma once
// The program's configuration: compiled-in defaults, filled in by the program
// entry (command line) and overridden by the application entry.

#include <cstdint>

#include "HAL/DisplayConfig.h"
#include "core/MemoryManager.h"
#include "render/Graphics3DConfig.h"

namespace framework {

struct FrameworkConfig {
    static constexpr int MAX_ARGS = 10;

    // Sets the defaults; reads the screen size, colour depth and default
    // pool size from the platform (works without a display).
    FrameworkConfig();

    const char* memoryManagerName = "MemoryManager";
    core::MemoryManager::AllocFunction myAlloc = nullptr;
    core::MemoryManager::FreeFunction myFree = nullptr;
    core::MemoryManager::AllocFunction myPoolAlloc = nullptr;
    core::MemoryManager::FreeFunction myPoolFree = nullptr;
    int32_t debug_monitor_table_size = 0;
    int32_t memorySize = 0; // pool bytes; 0: the platform default
    HAL::DisplayConfig display;
    uint8_t createConsole = 1;
    int32_t debugLevel = 4;
    int32_t sleepTimeIfGameFocusIsLost = 100; // ms; 0 disables sleep mode
    const char* args[MAX_ARGS] = {};
    int32_t argCount = 0;
    float fixedTimeStep = 0.0f; // seconds; > 0: update in steps of this length
    float minFrameTime = 0.0f; // seconds; > 0: wait at least this long per iteration
    render::Graphics3DConfig graphics;

    // The memory manager's part of this configuration.
    core::MemoryManager::Config memoryConfig() const;
};

} // namespace framework
