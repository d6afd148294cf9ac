#pragma once
// Storage policies for core::Vector. An allocator hands out raw, zero-filled
// storage for n elements and takes it back; it never constructs elements.
// deallocate(p, n) destroys exactly the n constructed elements it is told
// about (the caller's live ones, never the whole capacity), last first.

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

#include "core/Assert.h"
#include "core/MemoryManager.h"

namespace core {

namespace allocator_detail {

// Bytes for n elements of T, computed in 64 bits. Asserts when the request
// does not fit the engine's signed 32-bit sizes.
template <class T> long bytesFor(int n)
{
    const int64_t bytes = static_cast<int64_t>(n) * static_cast<int64_t>(sizeof(T));
    ASSERT_MSG(bytes <= INT_MAX, "allocation size exceeds INT_MAX");
    return static_cast<long>(bytes);
}

// Runs the destructors of p[n-1] down to p[0].
template <class T> void destroyBackwards(T* p, int n)
{
    if constexpr (!std::is_trivially_destructible_v<T>) {
        for (int i = n - 1; i >= 0; --i)
            p[i].~T();
    }
}

} // namespace allocator_detail

// Storage from the engine's memory pool, zero-filled. The default for engine
// containers; requires a running memory manager.
template <class T> struct Vorna3dAllocator {
    static_assert(alignof(T) <= 16, "the pool aligns blocks to 16 bytes");

    // Storage for n elements. Requires n > 0 and n * sizeof(T) <= INT_MAX;
    // throws MemoryManagerException when the pool is full.
    static T* allocate(int n)
    {
        ASSERT(n > 0);
        const long bytes = allocator_detail::bytesFor<T>(n);
        void* p = VORNA3D_ALLOC(bytes);
        std::memset(p, 0, static_cast<size_t>(bytes));
        return static_cast<T*>(p);
    }

    // Destroys the first n elements of p (constructed ones), last first, and
    // returns the storage. Requires p != 0 and n >= 0.
    static void deallocate(T* p, int n)
    {
        ASSERT(p != 0);
        ASSERT(n >= 0);
        try {
            allocator_detail::destroyBackwards(p, n);
        } catch (...) {
            VORNA3D_FREE(p); // an element's destructor asserted: still return the block
            throw;
        }
        VORNA3D_FREE(p);
    }

    // Runs the destructor of one element. Requires p != 0.
    static void destroy(T* p)
    {
        ASSERT(p != 0);
        p->~T();
    }
};

// Storage from the general-purpose heap, zero-filled. For containers that
// must work before the memory manager starts or after it stops.
template <class T> struct NativeAllocator {
    // Storage for n elements. Requires n > 0 and n * sizeof(T) <= INT_MAX;
    // throws std::bad_alloc when the heap is exhausted.
    static T* allocate(int n)
    {
        ASSERT(n > 0);
        const long bytes = allocator_detail::bytesFor<T>(n);
        void* p = std::calloc(1, static_cast<size_t>(bytes));
        if (!p)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }

    // Destroys the first n elements of p (constructed ones), last first, and
    // returns the storage. Requires p != 0 and n >= 0.
    static void deallocate(T* p, int n)
    {
        ASSERT(p != 0);
        ASSERT(n >= 0);
        try {
            allocator_detail::destroyBackwards(p, n);
        } catch (...) {
            std::free(p);
            throw;
        }
        std::free(p);
    }

    // Runs the destructor of one element. Requires p != 0.
    static void destroy(T* p)
    {
        ASSERT(p != 0);
        p->~T();
    }
};

} // namespace core
