#pragma once
// Helpers for the memory manager tests: assertion checks, a compact picture
// of the pool, and pool / forwarding allocators that record their calls.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#ifdef _WIN32
#include <malloc.h>
#endif
#include <string>

#include "core/Exception.h"
#include "core/MemoryManager.h"
#include "tests/support/AssertionText.h"

using testing_support::assertionText;

namespace mm_test {

// Fails the test with the manager's own sentence when an invariant is broken.
inline void checkInvariants(const core::MemoryManager& mm)
{
    try {
        mm.checkInvariants();
    } catch (const AssertationFailedException& e) {
        ADD_FAILURE() << "pool invariant broken: " << e.getMessage();
    }
}

// The pool as "a32 f64 ...": one entry per block in address order, 'a' for
// allocated, 'f' for free, then the block size with its header. Checks the
// invariants on the way.
inline std::string layout(const core::MemoryManager& mm)
{
    std::string text;
    try {
        for (const core::MemoryManager::BlockInfo& b : mm.checkInvariants()) {
            if (!text.empty())
                text += ' ';
            text += (b.free ? 'f' : 'a') + std::to_string(b.size);
        }
    } catch (const AssertationFailedException& e) {
        return std::string("broken: ") + e.getMessage();
    }
    return text;
}

// The pool offset of the header of the block that `userPtr` starts.
inline uint32_t blockOffset(const core::MemoryManager& mm, const void* userPtr)
{
    return static_cast<uint32_t>(static_cast<const unsigned char*>(userPtr) -
                                 static_cast<const unsigned char*>(mm.getPoolBase())) -
        16;
}

// Calls of the allocators below.
struct PoolAllocatorLog {
    static inline int allocs = 0;
    static inline int frees = 0;
    static inline size_t lastSize = 0;
    static inline bool failNext = false;
    static void reset() { allocs = frees = 0, lastSize = 0, failNext = false; }
};

// A pool allocator whose memory is 8 bytes off a 16-byte boundary.
inline void* misalignedPoolAlloc(size_t size)
{
    ++PoolAllocatorLog::allocs;
    PoolAllocatorLog::lastSize = size;
#ifdef _WIN32 // no std::aligned_alloc in Windows' C library
    auto* raw = static_cast<unsigned char*>(_aligned_malloc((size + 8 + 15) / 16 * 16, 16));
#else
    auto* raw = static_cast<unsigned char*>(std::aligned_alloc(16, (size + 8 + 15) / 16 * 16));
#endif
    return raw ? raw + 8 : nullptr;
}

inline void misalignedPoolFree(void* ptr)
{
    ++PoolAllocatorLog::frees;
#ifdef _WIN32
    _aligned_free(static_cast<unsigned char*>(ptr) - 8);
#else
    std::free(static_cast<unsigned char*>(ptr) - 8);
#endif
}

// A forwarding allocator over malloc that can be told to fail once.
inline void* countingAlloc(size_t size)
{
    if (PoolAllocatorLog::failNext) {
        PoolAllocatorLog::failNext = false;
        return nullptr;
    }
    ++PoolAllocatorLog::allocs;
    PoolAllocatorLog::lastSize = size;
    return std::malloc(size);
}

inline void countingFree(void* ptr)
{
    ++PoolAllocatorLog::frees;
    std::free(ptr);
}

} // namespace mm_test
