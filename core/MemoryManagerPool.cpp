// The pool itself: taking and returning it, first-fit allocation, the
// address-ordered free with joining, and the structural walk.
//
// Everything from createBlock on runs under the manager's mutex and reports
// failures with MM_CHECK (see MemoryManagerImpl.h). Each operation checks
// before it writes, so a failed check leaves the pool as it was.
//
// With AddressSanitizer the caller's part of every free block is poisoned;
// headers of live blocks (allocated or free) stay addressable, a header that
// a join swallows is poisoned with the rest of the free block, and a header
// that a split creates is unpoisoned before it is written.

#include <cstdlib>
#include <cstring>

#include "core/Exception.h"
#include "core/MemoryManagerImpl.h"

namespace core {

namespace {
constexpr uint32_t POOL_OVERHEAD = 32; // start mark and end mark, 16 bytes each
} // namespace

bool MemoryManager::Impl::plausible(uint32_t offset) const
{
    if (offset < DATA_START || offset >= dataEnd || offset % BLOCK_ALIGN != 0)
        return false;
#if defined(VORNA3D_MM_ASAN)
    // A poisoned position is free space or rounding slack, never a live
    // header; reading it would be reported by the sanitizer instead of us.
    if (__asan_region_is_poisoned(base + offset, HEADER_SIZE) != nullptr)
        return false;
#endif
    const BlockHeader* h = header(offset);
    return h->mark == BLOCK_MARK && h->size >= HEADER_SIZE && h->size % BLOCK_ALIGN == 0 && h->size <= dataEnd - offset;
}

bool MemoryManager::Impl::isEndMark(uint32_t offset) const
{
    return offset == dataEnd && header(dataEnd)->mark == BLOCK_MARK;
}

void MemoryManager::Impl::allocMemoryPool(int32_t size)
{
    ASSERT_MSG(size > 0, "allocMemoryPool : size <= 0");
    // A smaller pool cannot hold a single block of one header and 16 bytes.
    ASSERT_MSG(size >= static_cast<int32_t>(MIN_BLOCK_SIZE), "allocMemoryPool : size < 32");
    ASSERT_MSG(data_block_size == 0, "allocMemoryPool : data_block_size has value before initialization");
    ASSERT_MSG(free_mem == 0, "allocMemoryPool : free_mem has value before initialization");
    ASSERT_MSG(base == nullptr, "allocMemoryPool : data_block_start value data before initialization");
    ASSERT_MSG(dataEnd == 0, "allocMemoryPool : data_block_end has value before initialization");

    uint32_t dataSize = static_cast<uint32_t>(size) & ~(BLOCK_ALIGN - 1);
    const size_t total = static_cast<size_t>(dataSize) + POOL_OVERHEAD;
    void* raw = config.myPoolAlloc ? config.myPoolAlloc(total) : std::malloc(total);
    if (!raw)
        throw MemoryManagerException("MemoryManager:init failed. can not alloc memory pool.");
    std::memset(raw, 0, total);

    // Every block must start on a 16-byte boundary. A pool allocator that
    // gives less alignment costs the data area one 16-byte unit.
    const uintptr_t address = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (address + BLOCK_ALIGN - 1) & ~uintptr_t(BLOCK_ALIGN - 1);
    if (aligned != address)
        dataSize -= BLOCK_ALIGN;

    rawPool = raw;
    rawSize = total;
    base = reinterpret_cast<unsigned char*>(aligned);
    dataEnd = DATA_START + dataSize;
    header(0)->mark = BLOCK_MARK;
    header(dataEnd)->mark = BLOCK_MARK;

    BlockHeader* whole = header(DATA_START);
    whole->mark = BLOCK_MARK;
    whole->size = dataSize;
    whole->next = 0;
    whole->prev = 0;
    ASAN_POISON_MEMORY_REGION(base + DATA_START + HEADER_SIZE, dataSize - HEADER_SIZE);

    free_list = DATA_START;
    data_block_size = static_cast<int32_t>(dataSize);
    free_mem = data_block_size;
    config_flags |= MEMORY_CONFIG_INITIALIZED;
}

void MemoryManager::Impl::releasePool()
{
    if (!rawPool)
        return;
    ASAN_UNPOISON_MEMORY_REGION(rawPool, rawSize);
    if (config.myPoolFree)
        config.myPoolFree(rawPool);
    else
        std::free(rawPool);
    rawPool = nullptr;
    base = nullptr;
    dataEnd = 0;
    free_list = 0;
    config_flags &= ~MEMORY_CONFIG_INITIALIZED;
}

uint32_t MemoryManager::Impl::createBlock(uint32_t needed)
{
    MM_CHECK(needed >= MIN_BLOCK_SIZE && needed % BLOCK_ALIGN == 0, " size > long(0) ");

    uint32_t prev = 0;
    for (uint32_t cur = free_list; cur != 0;) {
        MM_CHECK(cur > prev && plausible(cur) && header(cur)->prev == prev,
                 "MemoryManager createBlock failed (memory corrupted)");
        BlockHeader* h = header(cur);
        if (h->size >= needed) {
            // Split only when the rest can still form a block; otherwise the
            // whole block goes out and no unusable sliver is left behind.
            if (h->size - needed >= MIN_BLOCK_SIZE) {
                MM_CHECK(h->next == 0 || plausible(h->next), " IS_THIS_BLOCK_VALID(next) ");
                const uint32_t rest = cur + needed;
                ASAN_UNPOISON_MEMORY_REGION(base + rest, HEADER_SIZE);
                BlockHeader* r = header(rest);
                r->mark = BLOCK_MARK;
                r->size = h->size - needed;
                r->prev = cur;
                r->next = h->next;
                if (h->next)
                    header(h->next)->prev = rest;
                h->next = rest;
                h->size = needed;
            }
            return cur;
        }
        prev = cur;
        cur = h->next;
    }
    throw MemoryFailure{MemoryFailure::MEMORY_FULL, __FILE__, VORNA3D_FUNCTION, __LINE__, "MemoryManager: memory full"};
}

void MemoryManager::Impl::removeBlock(uint32_t block)
{
    MM_CHECK(free_list != 0, " *list ");
    MM_CHECK(plausible(block), " IS_THIS_BLOCK_VALID(block) ");
    BlockHeader* h = header(block);
    const uint32_t prev = h->prev;
    const uint32_t next = h->next;
    MM_CHECK(prev != 0 || free_list == block, " IS_THIS_BLOCK_VALID(prev) ");
    MM_CHECK(prev == 0 || plausible(prev), " IS_THIS_BLOCK_VALID(prev) ");
    MM_CHECK(next == 0 || plausible(next), " IS_THIS_BLOCK_VALID(next) ");

    if (prev)
        header(prev)->next = next;
    else
        free_list = next;
    if (next)
        header(next)->prev = prev;
    h->prev = 0;
    h->next = block + h->size;
}

void MemoryManager::Impl::addBlock(uint32_t block, FreeTrace& trace)
{
    // Find the free neighbours below and above the block. The walk also
    // proves that the block does not lie inside a free block, which catches
    // a second free of a block that has since been joined into a neighbour
    // (its old header is still there, mark and all). Nothing of the block
    // itself is read before that: under AddressSanitizer such a header is
    // poisoned.
    uint32_t lower = 0;
    uint32_t upper = free_list;
    while (upper != 0 && upper < block) {
        MM_CHECK(plausible(upper) && header(upper)->prev == lower,
                 "MemoryManager: addBlock : this block is corrupted!");
        const BlockHeader* u = header(upper);
        MM_CHECK(block >= upper + u->size, "MemoryManager: hwMemFree : this block is already free!");
        MM_CHECK(u->next == 0 || u->next > upper,
                 "MemoryManager: addBlock : Next block is corrupted! This block overwrites it!");
        lower = upper;
        upper = u->next;
    }
    if (upper == block)
        throw MemoryFailure{MemoryFailure::ASSERTION, __FILE__, VORNA3D_FUNCTION, __LINE__,
                            lower ? " block != next " : " block != prev "};

    // The block's own header must be intact and in the allocated form.
    BlockHeader* b = header(block);
    MM_CHECK(plausible(block) && b->size >= MIN_BLOCK_SIZE && b->prev == 0 && b->next == block + b->size &&
                 (upper == 0 || block + b->size <= upper),
             "MemoryManager: hwMemFree : this block is corrupted! Prev alloc overwrites this block!");

    // So must whatever follows it: the end mark, the free block above, or
    // another allocated block.
    const uint32_t after = block + b->size;
    bool afterIntact;
    if (after == dataEnd)
        afterIntact = isEndMark(after);
    else if (after == upper)
        afterIntact = plausible(upper) && header(upper)->prev == lower;
    else
        afterIntact =
            plausible(after) && header(after)->prev == 0 && header(after)->next == after + header(after)->size;
    MM_CHECK(afterIntact, "MemoryManager: hwMemFree : Next block is corrupted! This block overwrites it!");
    MM_CHECK(upper == 0 || (plausible(upper) && header(upper)->prev == lower),
             "MemoryManager: addBlock : Next block is corrupted! This block overwrites it!");

    const uint32_t size = b->size;
    MM_CHECK(allocated_blocks - 1 >= 0, " mem->allocated_blocks >= 0 ");
    MM_CHECK(allocated_mem - static_cast<int32_t>(size) >= 0, " mem->allocated_mem >= 0 ");

    trace.blockSize = size;
    trace.offset = block;
    ASAN_POISON_MEMORY_REGION(base + block + HEADER_SIZE, size - HEADER_SIZE);

    BlockHeader* lo = lower ? header(lower) : nullptr;
    BlockHeader* up = upper ? header(upper) : nullptr;
    const bool joinLower = lo && lower + lo->size == block;
    const bool joinUpper = up && after == upper;

    if (joinLower) {
        // The free block below absorbs this one.
        trace.join[trace.joins++] = {true, lower, block, lo->size, size};
        lo->size += size;
        ASAN_POISON_MEMORY_REGION(b, HEADER_SIZE);
        if (joinUpper) {
            // ... and the free block above: the gap between them is closed.
            trace.join[trace.joins++] = {true, lower, upper, lo->size, up->size};
            trace.doubleConnection = true;
            lo->size += up->size;
            lo->next = up->next;
            if (up->next)
                header(up->next)->prev = lower;
            ASAN_POISON_MEMORY_REGION(up, HEADER_SIZE);
        }
    } else {
        b->prev = lower;
        if (joinUpper) {
            // This block absorbs the free block above and takes its place.
            trace.join[trace.joins++] = {false, block, upper, size, up->size};
            b->size += up->size;
            b->next = up->next;
            if (up->next)
                header(up->next)->prev = block;
            ASAN_POISON_MEMORY_REGION(up, HEADER_SIZE);
        } else {
            b->next = upper;
            if (up)
                up->prev = block;
        }
        if (lo)
            lo->next = block;
        else
            free_list = block;
    }

    allocated_mem -= static_cast<int32_t>(size);
    free_mem += static_cast<int32_t>(size);
    allocated_blocks -= 1;
}

std::vector<MemoryManager::BlockInfo> MemoryManager::Impl::walk() const
{
    MM_CHECK(header(0)->mark == BLOCK_MARK, "MemoryManager: checkInvariants : the start mark is broken");
    MM_CHECK(isEndMark(dataEnd), "MemoryManager: checkInvariants : the end mark is broken");

    // The free list: intact headers, ascending, doubly linked, never touching.
    uint32_t prev = 0;
    for (uint32_t f = free_list; f != 0; f = header(f)->next) {
        MM_CHECK(f > prev, "MemoryManager: checkInvariants : the free list is not in ascending order");
        MM_CHECK(plausible(f), "MemoryManager: checkInvariants : a free block header is broken");
        MM_CHECK(header(f)->prev == prev, "MemoryManager: checkInvariants : a free block's back link is wrong");
        MM_CHECK(prev == 0 || prev + header(prev)->size < f,
                 "MemoryManager: checkInvariants : two free blocks touch or overlap");
        prev = f;
    }

    // The blocks, in address order, tile the data area exactly.
    std::vector<BlockInfo> blocks;
    int64_t freeSum = 0;
    int64_t allocatedSum = 0;
    int32_t allocatedCount = 0;
    uint32_t nextFree = free_list;
    for (uint32_t offset = DATA_START; offset != dataEnd;) {
        MM_CHECK(plausible(offset), "MemoryManager: checkInvariants : the blocks do not tile the data area");
        MM_CHECK(nextFree == 0 || offset <= nextFree,
                 "MemoryManager: checkInvariants : a free block does not start on a block boundary");
        const BlockHeader* h = header(offset);
        const bool isFree = offset == nextFree;
        if (isFree) {
            nextFree = h->next;
            freeSum += h->size;
        } else {
            MM_CHECK(h->prev == 0 && h->next == offset + h->size,
                     "MemoryManager: checkInvariants : an allocated block header is broken");
            allocatedSum += h->size;
            ++allocatedCount;
        }
        blocks.push_back({offset, h->size, isFree});
        offset += h->size;
    }
    MM_CHECK(nextFree == 0, "MemoryManager: checkInvariants : a free block does not start on a block boundary");

    MM_CHECK(freeSum == free_mem, "MemoryManager: checkInvariants : free_mem does not match the free blocks");
    MM_CHECK(allocatedSum == allocated_mem,
             "MemoryManager: checkInvariants : allocated_mem does not match the allocated blocks");
    MM_CHECK(allocatedCount == allocated_blocks,
             "MemoryManager: checkInvariants : allocated_blocks does not match the allocated blocks");
    MM_CHECK(static_cast<int64_t>(free_mem) + allocated_mem == data_block_size,
             "MemoryManager: checkInvariants : free_mem + allocated_mem is not the data size");
    MM_CHECK(peak_mem >= allocated_mem && allocation_count >= allocated_blocks,
             "MemoryManager: checkInvariants : peak_mem or allocation_count is behind");
    return blocks;
}

} // namespace core
