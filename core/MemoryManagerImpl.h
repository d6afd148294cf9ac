#pragma once
// Internals of core::MemoryManager, shared by its source files only.
//
// Pool layout: [start mark, 16 bytes][data area][end mark, 16 bytes]. The
// data area is tiled by blocks; each starts with a 16-byte header and its
// caller's memory follows at a 16-byte boundary. Every link is a 32-bit
// offset from the pool base; 0 means "none" (the start mark lives there, so
// no block ever does).

#include <cstdint>
#include <memory>

#include "core/PlatformMutex.h"
#include "core/Assert.h"
#include "core/MemoryManager.h"

#if defined(__has_include)
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VORNA3D_MM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORNA3D_MM_ASAN 1
#endif
#endif
#if !defined(ASAN_POISON_MEMORY_REGION)
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

namespace core {

struct BlockHeader {
    uint32_t mark; // BLOCK_MARK while the header is intact
    uint32_t size; // whole block, header included; a multiple of 16
    uint32_t next; // free: next free block or 0; allocated: offset + size
    uint32_t prev; // free: previous free block or 0; allocated: 0
};
static_assert(sizeof(BlockHeader) == 16);

constexpr uint32_t BLOCK_MARK = 0x12A51234;
constexpr uint32_t HEADER_SIZE = 16;
constexpr uint32_t BLOCK_ALIGN = 16;
constexpr uint32_t MIN_BLOCK_SIZE = HEADER_SIZE + BLOCK_ALIGN; // a header and one aligned unit
constexpr uint32_t DATA_START = 16; // offset of the first block
constexpr uint32_t MEMORY_CONFIG_INITIALIZED = 1;

// A check that failed while the manager's mutex was held. It is thrown
// inside the locked region and reported only after the lock is released,
// because reporting logs, and the log may allocate from this very manager.
struct MemoryFailure {
    enum Kind { ASSERTION, MEMORY_FULL };
    Kind kind;
    const char* file;
    const char* function;
    int line;
    const char* text;

    // Logs and throws the engine exception this failure stands for.
    [[noreturn]] void raise() const;
};

// ASSERT for code that runs under the manager's mutex.
#define MM_CHECK(expr, text)                                                                                           \
    do {                                                                                                               \
        if (!(expr))                                                                                                   \
            throw ::core::MemoryFailure{::core::MemoryFailure::ASSERTION, __FILE__, VORNA3D_FUNCTION, __LINE__, text}; \
    } while (0)

// One join of two free blocks, kept for the trace printed after unlocking.
struct JoinTrace {
    bool firstForm; // "first (lower) -> next (upper)" or "next (lower) -> first (upper)"
    uint32_t a, b; // offsets in the order printed
    uint32_t sizeA, sizeB;
};

struct FreeTrace {
    uint32_t blockSize = 0;
    uint32_t offset = 0;
    int joins = 0;
    JoinTrace join[2] = {};
    bool doubleConnection = false;
};

struct MemoryManager::Impl {
    Config config;
    std::unique_ptr<PlatformMutex> mutex;

    void* rawPool = nullptr; // what the pool allocator returned
    size_t rawSize = 0; // and its size
    unsigned char* base = nullptr; // pool base, 16-aligned: start mark at 0
    uint32_t dataEnd = 0; // offset of the end mark (16 + data_block_size)

    int32_t data_block_size = 0;
    int32_t allocated_blocks = 0;
    int32_t allocation_count = 0;
    uint32_t config_flags = 0;
    uint32_t free_list = 0;
    int32_t free_mem = 0;
    int32_t peak_mem = 0;
    int32_t allocated_mem = 0;

    ~Impl();
    bool forwarding() const { return config.myAlloc != nullptr; }

    BlockHeader* header(uint32_t offset) const { return reinterpret_cast<BlockHeader*>(base + offset); }
    // Whether `offset` may hold a block header: aligned, inside the data
    // area, marked, with a size that is a multiple of 16, at least 16 and
    // ends inside the data area. Reads nothing before the position checks.
    bool plausible(uint32_t offset) const;
    // Whether `offset` is where the end mark lies and the mark is intact.
    bool isEndMark(uint32_t offset) const;

    // Takes the pool from the pool allocator (or the general heap) and makes
    // its data area one free block. Runs once, from the constructor.
    void allocMemoryPool(int32_t size);
    // Returns the pool; called with no block in use or at shut-down.
    void releasePool();

    // --- under the mutex ---
    // First fit: the first free block that holds `needed` bytes, split when
    // the rest can still form a block. Throws MEMORY_FULL.
    uint32_t createBlock(uint32_t needed);
    // Unlinks a free block and gives it the allocated form.
    void removeBlock(uint32_t block);
    // Validates `block` as an allocated block of this pool and returns it to
    // the free list in address order, joining free neighbours.
    void addBlock(uint32_t block, FreeTrace& trace);
    std::vector<BlockInfo> walk() const;
};

} // namespace core
