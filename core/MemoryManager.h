#pragma once
// The engine's memory pool: one block of memory taken from the system at
// start-up serves every engine allocation, first fit from an address-ordered
// free list, joining free neighbours when memory is returned. Every block
// carries a validity mark so that overruns and foreign frees are detected.
// Alternatively all requests can be forwarded to user-supplied functions.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Assert.h"

namespace core {

class MemoryManager {
public:
    using AllocFunction = void* (*)(size_t size);
    using FreeFunction = void (*)(void* ptr);

    // The manager's part of the framework configuration.
    struct Config {
        const char* name = "MemoryManager";
        AllocFunction myAlloc = nullptr; // replaces the pool for every allocation
        FreeFunction myFree = nullptr; // counterpart of myAlloc
        AllocFunction myPoolAlloc = nullptr; // obtains the pool itself
        FreeFunction myPoolFree = nullptr; // counterpart of myPoolAlloc
        int32_t debug_monitor_table_size = 0; // -1 disables the (unbuilt) allocation monitor
    };

    // Statistics, all in bytes with block headers included.
    struct Statistics {
        int32_t dataBlockSize; // size of the data area
        int32_t allocatedBlocks; // blocks currently allocated
        int32_t allocationCount; // allocations since start
        int32_t freeMem;
        int32_t peakMem;
        int32_t allocatedMem;
        bool forwarding; // true when myAlloc/myFree serve every request
    };

    // Creates the manager and, unless myAlloc forwards, its pool of `poolSize`
    // bytes (rounded down to 16). Asserts on a bad configuration; throws
    // MemoryManagerException when the pool cannot be obtained.
    MemoryManager(const Config& config, int32_t poolSize);
    // Returns the pool. Blocks still allocated are the caller's leak.
    ~MemoryManager() noexcept(false);
    MemoryManager(const MemoryManager&) = delete;
    MemoryManager& operator=(const MemoryManager&) = delete;

    // Allocates `size` bytes, 16-byte aligned, from the manager in the
    // globals. `user` and `line` tag the trace. Throws MemoryManagerException
    // "MemoryManager: memory full" when no free block fits.
    static void* memAlloc(const char* user, long size, int line);
    // Returns *ptr to the manager in the globals and clears *ptr. Asserts on
    // a foreign, corrupted or already freed block.
    static void memFree(void** ptr, const char* user, int line);
    // The manager in the globals; asserts when there is none.
    static MemoryManager* getMemoryInfoPtr();

    // Allocates from this manager (see memAlloc). Requires size > 0; asserts
    // "hwMemAlloc : allocated block size is too big" for a request of the
    // data size or more; throws MemoryManagerException when no block fits.
    void* hwMemAlloc(long size, const char* user, int line);
    // Returns *ptr to this manager and clears *ptr (see memFree).
    void hwMemFree(void** ptr, const char* user, int line);

    // A consistent snapshot of the counters (all zero when forwarding).
    Statistics getStatistics() const;
    const char* getName() const { return m_name; }

    // One block of the pool, as the invariant walk saw it.
    struct BlockInfo {
        uint32_t offset; // header position from the pool base (the data area starts at 16)
        uint32_t size; // whole block, header included
        bool free;
    };
    // Walks the whole pool and checks its structure: the blocks tile the data
    // area, the free list is ascending and doubly linked, no two free blocks
    // touch, the counters match the blocks. Asserts with a sentence naming the
    // first broken rule; returns the blocks in address order (empty when
    // forwarding). For tests and diagnostics: linear in the number of blocks.
    std::vector<BlockInfo> checkInvariants() const;
    // The pool's first byte (its start mark); null when forwarding.
    const void* getPoolBase() const;

private:
    struct Impl;
    const char* m_name;
    std::unique_ptr<Impl> m_impl;
};

} // namespace core

// Engine allocation tagged with the calling function and line.
#define VORNA3D_ALLOC(size) ::core::MemoryManager::memAlloc(VORNA3D_FUNCTION, static_cast<long>(size), __LINE__)
// Engine free; clears the pointer variable.
#define VORNA3D_FREE(ptr) ::core::MemoryManager::memFree(reinterpret_cast<void**>(&(ptr)), VORNA3D_FUNCTION, __LINE__)
