#pragma once
// What every loader fuzz target does around the loader it drives: start the
// engine once, quietly, with a pool of the given size, and treat a pool block
// left allocated after one input as a finding.

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "core/MemoryManager.h"
#include "framework/App_helpers.h"
#include "framework/FrameworkConfig.h"

namespace fuzz {

// Starts the engine's classes with a `memorySize`-byte pool, no console and
// the log silenced. The process ends without shutting them down.
inline void startEngine(size_t memorySize)
{
    framework::FrameworkConfig config;
    config.memorySize = memorySize;
    config.createConsole = 0;
    config.debugLevel = 0;
    framework::initEngineClasses(&config);
}

inline int allocatedBlocks()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocatedBlocks;
}

// Remembers the pool's allocated blocks when made; check() aborts (a
// finding for libFuzzer) when the count differs, naming `target`.
class PoolLeakCheck {
public:
    explicit PoolLeakCheck(const char* target) : m_target(target), m_before(allocatedBlocks()) { }

    void check() const
    {
        const int leaked = allocatedBlocks() - m_before;
        if (leaked != 0) {
            std::fprintf(stderr, "%s: %d pool blocks leaked\n", m_target, leaked);
            std::abort();
        }
    }

private:
    const char* m_target;
    int m_before;
};

} // namespace fuzz
