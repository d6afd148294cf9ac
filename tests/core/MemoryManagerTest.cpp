// The pool memory manager: block sizes and placement, joining, exhaustion,
// detection of corrupted and repeated frees, forwarding, and the structural
// invariants after every step. Sizes and offsets in the expectations are
// worked out by hand from the block rule: a block is a 16-byte header plus
// the request rounded up to 16, and blocks start at pool offset 0x10.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/Debug.h"
#include "core/Exception.h"
#include "core/MemoryManager.h"
#include "tests/core/MemoryManagerTestUtil.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::MemoryManager;
using core::MemoryManagerException;
using testing_support::LogCapture;
using namespace mm_test;

namespace {

class MemoryManagerTest : public testing_support::EngineTest { };

const char* const USER = "void Foo::bar(int)"; // what VORNA3D_ALLOC passes; traces print "Foo::bar"

} // namespace

TEST_F(MemoryManagerTest, ConstructionValidatesConfigurationAndPoolSize)
{
    MemoryManager::Config config;
    EXPECT_EQ(assertionText([&] { (void)(MemoryManager(config, 0)); }), "MemoryManager constructor: size <= 0");
    EXPECT_EQ(assertionText([&] { (void)(MemoryManager(config, 31)); }), "allocMemoryPool : size < 32");

    MemoryManager::Config noName;
    noName.name = nullptr;
    EXPECT_EQ(assertionText([&] { (void)(MemoryManager(noName, 1024)); }), "MemoryManager constructor: name == 0");

    MemoryManager::Config halfForward;
    halfForward.myAlloc = &std::malloc;
    EXPECT_EQ(assertionText([&] { (void)(MemoryManager(halfForward, 1024)); }),
              "MemoryManager constructor : myFree/myAlloc configuration error");

    MemoryManager::Config halfPool;
    halfPool.myPoolFree = &std::free;
    EXPECT_EQ(assertionText([&] { (void)(MemoryManager(halfPool, 1024)); }),
              "MemoryManager constructor : myPoolFree/myPoolAlloc configuration error");

    MemoryManager::Config badMonitor;
    badMonitor.debug_monitor_table_size = -2;
    EXPECT_EQ(assertionText([&] { (void)(MemoryManager(badMonitor, 1024)); }),
              "MemoryManager constructor: debug_monitor_table_size < 0 or -1 (disabled)");

    // The smallest pool holds exactly one block of 16 bytes; 47 rounds down to 32.
    MemoryManager tiny(config, 47);
    EXPECT_EQ(layout(tiny), "f32");
    void* p = tiny.hwMemAlloc(16, USER, 1);
    EXPECT_EQ(layout(tiny), "a32");
    EXPECT_THROW(tiny.hwMemAlloc(1, USER, 2), MemoryManagerException);
    tiny.hwMemFree(&p, USER, 3);
    EXPECT_EQ(layout(tiny), "f32");
}

TEST_F(MemoryManagerTest, BlocksAreHeaderPlusRequestRoundedToSixteen)
{
    MemoryManager mm(MemoryManager::Config{}, 1030); // data area 1024
    MemoryManager::Statistics s = mm.getStatistics();
    EXPECT_EQ(s.dataBlockSize, 1024);
    EXPECT_EQ(s.freeMem, 1024);
    EXPECT_FALSE(s.forwarding);
    EXPECT_EQ(layout(mm), "f1024");

    // 1, 4 and 16 bytes -> 16 + 16 = 32; 17 -> 16 + 32 = 48; 100 -> 16 + 112 = 128.
    const long sizes[] = {1, 4, 16, 17, 100};
    const uint32_t offsets[] = {0x10, 0x30, 0x50, 0x70, 0xA0};
    void* p[5];
    for (int i = 0; i < 5; ++i) {
        p[i] = mm.hwMemAlloc(sizes[i], USER, i);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p[i]) % 16, 0u) << "request " << sizes[i];
        EXPECT_EQ(blockOffset(mm, p[i]), offsets[i]) << "request " << sizes[i];
        std::memset(p[i], 0xAB, static_cast<size_t>(sizes[i]));
    }
    EXPECT_EQ(layout(mm), "a32 a32 a32 a48 a128 f752");
    s = mm.getStatistics();
    EXPECT_EQ(s.allocatedMem, 272);
    EXPECT_EQ(s.freeMem, 752);
    EXPECT_EQ(s.allocatedBlocks, 5);
    EXPECT_EQ(s.allocationCount, 5);
    EXPECT_EQ(s.peakMem, 272);

    for (void*& ptr : p) {
        mm.hwMemFree(&ptr, USER, 9);
        EXPECT_EQ(ptr, nullptr);
        checkInvariants(mm);
    }
    s = mm.getStatistics();
    EXPECT_EQ(layout(mm), "f1024");
    EXPECT_EQ(s.peakMem, 272);
    EXPECT_EQ(s.allocationCount, 5);
}

TEST_F(MemoryManagerTest, FirstFitSplitsOnlyWhenTheRestFormsABlock)
{
    MemoryManager mm(MemoryManager::Config{}, 256);
    void* a = mm.hwMemAlloc(16, USER, 1); // 32 at 0x10
    void* b = mm.hwMemAlloc(48, USER, 2); // 64 at 0x30
    void* c = mm.hwMemAlloc(16, USER, 3); // 32 at 0x70
    EXPECT_EQ(layout(mm), "a32 a64 a32 f128");
    mm.hwMemFree(&b, USER, 4);
    EXPECT_EQ(layout(mm), "a32 f64 a32 f128");

    // Exact fit: the hole, the first free block, not the larger tail.
    b = mm.hwMemAlloc(40, USER, 5);
    EXPECT_EQ(blockOffset(mm, b), 0x30u);
    EXPECT_EQ(layout(mm), "a32 a64 a32 f128");
    mm.hwMemFree(&b, USER, 6);

    // 32 bytes need 48; the 16 left over could not hold a block: the whole 64 goes out.
    b = mm.hwMemAlloc(32, USER, 7);
    EXPECT_EQ(blockOffset(mm, b), 0x30u);
    EXPECT_EQ(layout(mm), "a32 a64 a32 f128");
    EXPECT_EQ(mm.getStatistics().allocatedMem, 128);
    mm.hwMemFree(&b, USER, 8);

    // 16 bytes need 32; the 32 left over become a free block of their own.
    b = mm.hwMemAlloc(16, USER, 9);
    EXPECT_EQ(layout(mm), "a32 a32 f32 a32 f128");

    // 20 bytes need 48: the 32-byte hole is passed over for the tail.
    void* d = mm.hwMemAlloc(20, USER, 10);
    EXPECT_EQ(blockOffset(mm, d), 0x90u);
    EXPECT_EQ(layout(mm), "a32 a32 f32 a32 a48 f80");

    for (void** ptr : {&a, &b, &c, &d})
        mm.hwMemFree(ptr, USER, 11);
    EXPECT_EQ(layout(mm), "f256");
}

TEST_F(MemoryManagerTest, FreeingJoinsNeighboursInEitherOrder)
{
    MemoryManager mm(MemoryManager::Config{}, 256);

    // Lower first, then upper with a free block beyond: three blocks become one.
    void* a = mm.hwMemAlloc(16, USER, 1);
    void* b = mm.hwMemAlloc(16, USER, 2);
    mm.hwMemFree(&a, USER, 3);
    EXPECT_EQ(layout(mm), "f32 a32 f192");
    mm.hwMemFree(&b, USER, 4);
    EXPECT_EQ(layout(mm), "f256");

    // Upper first (joins the tail), then lower (joins the block above it).
    a = mm.hwMemAlloc(16, USER, 5);
    b = mm.hwMemAlloc(16, USER, 6);
    mm.hwMemFree(&b, USER, 7);
    EXPECT_EQ(layout(mm), "a32 f224");
    mm.hwMemFree(&a, USER, 8);
    EXPECT_EQ(layout(mm), "f256");
}

TEST_F(MemoryManagerTest, FreeListMayBeEmptyAndHeadJoinsBelow)
{
    // Three 64-byte blocks fill a 192-byte pool: the free list is empty.
    MemoryManager mm(MemoryManager::Config{}, 192);
    void* a = mm.hwMemAlloc(48, USER, 1);
    void* b = mm.hwMemAlloc(48, USER, 2);
    void* c = mm.hwMemAlloc(48, USER, 3);
    EXPECT_EQ(layout(mm), "a64 a64 a64");
    EXPECT_EQ(mm.getStatistics().freeMem, 0);
    EXPECT_THROW(mm.hwMemAlloc(1, USER, 4), MemoryManagerException);

    // The first free into an empty list becomes the list.
    mm.hwMemFree(&b, USER, 5);
    EXPECT_EQ(layout(mm), "a64 f64 a64");
    // A block right below the head joins it and becomes the head.
    mm.hwMemFree(&a, USER, 6);
    EXPECT_EQ(layout(mm), "f128 a64");
    b = mm.hwMemAlloc(100, USER, 7); // 16 + 112 = 128: exactly the joined block
    EXPECT_EQ(blockOffset(mm, b), 0x10u);
    EXPECT_EQ(layout(mm), "a128 a64");
    mm.hwMemFree(&c, USER, 8);
    mm.hwMemFree(&b, USER, 9);
    EXPECT_EQ(layout(mm), "f192");
}

TEST_F(MemoryManagerTest, TraceLinesNameTheCallerAndPoolOffsets)
{
    MemoryManager mm(MemoryManager::Config{}, 96);
    core::Debug::setDebugLevel(core::DEBUG_LEVEL_MEMORY_ALLOC | core::DEBUG_LEVEL_MEMORY_FREE |
                               core::DEBUG_LEVEL_MEMORY_JOIN);
    LogCapture capture;
    void* a = mm.hwMemAlloc(16, USER, 12);
    void* b = mm.hwMemAlloc(16, USER, 13);
    void* c = mm.hwMemAlloc(16, USER, 14);
    mm.hwMemFree(&c, USER, 20); // into the empty list
    mm.hwMemFree(&a, USER, 21); // below the head, not touching it
    mm.hwMemFree(&b, USER, 22); // closes the gap: joins both sides
    core::Debug::setDebugLevel(4);
    EXPECT_EQ(capture.text(),
              "MemoryManager: allocate 32 bytes (Foo::bar(12)) 0x10\n"
              "MemoryManager: allocate 32 bytes (Foo::bar(13)) 0x30\n"
              "MemoryManager: allocate 32 bytes (Foo::bar(14)) 0x50\n"
              "MemoryManager: free 32 bytes (Foo::bar(20)) 0x50\n"
              "MemoryManager: free 32 bytes (Foo::bar(21)) 0x10\n"
              "MemoryManager: free 32 bytes (Foo::bar(22)) 0x30\n"
              "MemoryManager: connect blocks first (0x10) -> next (0x30) (new size:32 + 32 = 64)\n"
              "MemoryManager: connect blocks first (0x10) -> next (0x50) (new size:64 + 32 = 96)\n"
              "MemoryManager: double connection!!\n");
    EXPECT_EQ(layout(mm), "f96");
}

TEST_F(MemoryManagerTest, ExhaustionThrowsAndThePoolRecovers)
{
    MemoryManager mm(MemoryManager::Config{}, 1024);
    void* blocks[16];
    for (void*& p : blocks)
        p = mm.hwMemAlloc(48, USER, 1); // 16 blocks of 64 fill 1024 bytes
    {
        LogCapture capture;
        try {
            mm.hwMemAlloc(48, USER, 2);
            ADD_FAILURE() << "allocation from a full pool succeeded";
        } catch (const MemoryManagerException& e) {
            EXPECT_STREQ(e.getMessage(), "MemoryManager: memory full");
        }
        EXPECT_EQ(capture.text(), " ERROR  | ** MEMORY FULL ** \n");
    }
    MemoryManager::Statistics s = mm.getStatistics();
    EXPECT_EQ(s.allocatedBlocks, 16);
    EXPECT_EQ(s.freeMem, 0);
    EXPECT_EQ(s.allocationCount, 16);

    // A freed block is found again; the lock was released by the exception.
    void* fifth = blocks[5];
    mm.hwMemFree(&blocks[5], USER, 3);
    blocks[5] = mm.hwMemAlloc(48, USER, 4);
    EXPECT_EQ(blocks[5], fifth);

    const int order[16] = {7, 0, 15, 3, 8, 1, 14, 2, 9, 13, 4, 12, 6, 11, 5, 10};
    for (int i : order) {
        mm.hwMemFree(&blocks[i], USER, 5);
        checkInvariants(mm);
    }
    EXPECT_EQ(layout(mm), "f1024");

    // The largest request is the data area less one header.
    void* all = mm.hwMemAlloc(1008, USER, 6);
    EXPECT_EQ(layout(mm), "a1024");
    mm.hwMemFree(&all, USER, 7);
    EXPECT_THROW(mm.hwMemAlloc(1009, USER, 8), MemoryManagerException); // needs 1040
    {
        LogCapture capture;
        EXPECT_EQ(assertionText([&] { (void)(mm.hwMemAlloc(1024, USER, 9)); }, false),
                  "hwMemAlloc : allocated block size is too big");
        EXPECT_NE(capture.text().find(" ERROR  |hwMemAlloc failed (too big block size) FUNC:Foo::bar LINE:9 "
                                      "(size = 1024)\n"),
                  std::string::npos);
    }
    EXPECT_EQ(layout(mm), "f1024");
}

TEST_F(MemoryManagerTest, CorruptedBlocksAndForeignPointersAreReported)
{
    MemoryManager mm(MemoryManager::Config{}, 256);
    auto* p = static_cast<unsigned char*>(mm.hwMemAlloc(16, USER, 1));
    auto* q = static_cast<unsigned char*>(mm.hwMemAlloc(32, USER, 2));
    void* ptr = nullptr;

    // One byte past p's 16 is the first byte of q's header (its mark).
    const unsigned char saved = p[16];
    p[16] = 0;
    ptr = p;
    EXPECT_EQ(assertionText([&] { (void)(mm.hwMemFree(&ptr, USER, 3)); }),
              "MemoryManager: hwMemFree : Next block is corrupted! This block overwrites it!");
    EXPECT_EQ(ptr, p); // nothing changed
    p[16] = saved;

    // Writing just below q hits q's own header.
    const unsigned char below = q[-1];
    q[-1] = 0x5A;
    ptr = q;
    EXPECT_EQ(assertionText([&] { (void)(mm.hwMemFree(&ptr, USER, 4)); }),
              "MemoryManager: hwMemFree : this block is corrupted! Prev alloc overwrites this block!");
    q[-1] = below;
    q[-16] ^= 0xFF; // the mark itself
    EXPECT_EQ(assertionText([&] { (void)(mm.hwMemFree(&ptr, USER, 5)); }),
              "MemoryManager: hwMemFree : this block is corrupted! Prev alloc overwrites this block!");
    q[-16] ^= 0xFF;
    checkInvariants(mm);

    // Pointers that are not the start of a block.
    int onStack = 0;
    const char* foreign[] = {"hwMemFree : block address is invalid", "hwMemFree : block address is invalid",
                             "hwMemFree : block address is invalid",
                             "MemoryManager: hwMemFree : this block is corrupted! Prev alloc overwrites this block!"};
    void* bad[] = {&onStack, const_cast<void*>(mm.getPoolBase()), p + 1, q + 16};
    for (int i = 0; i < 4; ++i) {
        ptr = bad[i];
        EXPECT_EQ(assertionText([&] { (void)(mm.hwMemFree(&ptr, USER, 6)); }), foreign[i]);
    }

    // Overrunning the last block of the pool breaks the end mark.
    void* tail = mm.hwMemAlloc(160, USER, 7); // 16 + 160 = the remaining 176
    EXPECT_EQ(layout(mm), "a32 a48 a176");
    auto* end = static_cast<unsigned char*>(tail) + 160;
    end[0] ^= 0xFF;
    EXPECT_EQ(assertionText([&] { (void)(mm.hwMemFree(&tail, USER, 8)); }),
              "MemoryManager: hwMemFree : Next block is corrupted! This block overwrites it!");
    end[0] ^= 0xFF;

    mm.hwMemFree(&tail, USER, 9);
    ptr = p;
    mm.hwMemFree(&ptr, USER, 10);
    ptr = q;
    mm.hwMemFree(&ptr, USER, 11);
    EXPECT_EQ(layout(mm), "f256");
}

TEST_F(MemoryManagerTest, DoubleFreesAreReportedAlsoAfterJoining)
{
    MemoryManager mm(MemoryManager::Config{}, 256);
    void* a = mm.hwMemAlloc(16, USER, 1);
    void* b = mm.hwMemAlloc(16, USER, 2);
    void* c = mm.hwMemAlloc(16, USER, 3);
    void* d = mm.hwMemAlloc(16, USER, 4);
    void* copyA = a;
    void* copyC = c;

    // a is the head of the free list, c the second free block.
    mm.hwMemFree(&a, USER, 5);
    mm.hwMemFree(&c, USER, 6);
    EXPECT_EQ(layout(mm), "f32 a32 f32 a32 f128");
    EXPECT_EQ(assertionText([&] { (void)(mm.hwMemFree(&copyA, USER, 7)); }), " block != prev ");
    EXPECT_EQ(assertionText([&] { (void)(mm.hwMemFree(&copyC, USER, 8)); }), " block != next ");

    // b joins a below and c above; a and c no longer start a free block.
    mm.hwMemFree(&b, USER, 9);
    EXPECT_EQ(layout(mm), "f96 a32 f128");
    EXPECT_EQ(assertionText([&] { (void)(mm.hwMemFree(&copyC, USER, 10)); }),
              "MemoryManager: hwMemFree : this block is already free!");
    void* copyB = static_cast<unsigned char*>(copyA) + 32;
    EXPECT_EQ(assertionText([&] { (void)(mm.hwMemFree(&copyB, USER, 11)); }),
              "MemoryManager: hwMemFree : this block is already free!");
    EXPECT_EQ(layout(mm), "f96 a32 f128");

    // Through the engine's entry points a cleared pointer is caught first.
    void* engine = VORNA3D_ALLOC(24);
    VORNA3D_FREE(engine);
    EXPECT_EQ(engine, nullptr);
    EXPECT_EQ(assertionText([&] { (void)(VORNA3D_FREE(engine)); }), "memFree : *ptr == 0");
    EXPECT_EQ(assertionText([&] { (void)(MemoryManager::memFree(nullptr, USER, 12)); }), "memFree : ptr == 0");
    EXPECT_EQ(assertionText([&] { (void)(MemoryManager::memAlloc(USER, 0, 13)); }), "memAlloc : size <= 0");
    EXPECT_EQ(assertionText([&] { (void)(MemoryManager::memAlloc(nullptr, 8, 14)); }),
              "memAlloc : use VORNA3D_ALLOC macro");

    mm.hwMemFree(&d, USER, 15);
    EXPECT_EQ(layout(mm), "f256");
}

TEST_F(MemoryManagerTest, PoolComesFromAndReturnsToThePoolAllocator)
{
    PoolAllocatorLog::reset();
    {
        MemoryManager::Config config;
        config.myPoolAlloc = &misalignedPoolAlloc;
        config.myPoolFree = &misalignedPoolFree;
        MemoryManager mm(config, 512);
        EXPECT_EQ(PoolAllocatorLog::allocs, 1);
        EXPECT_EQ(PoolAllocatorLog::lastSize, 544u); // data + both marks
        // The allocator's pointer is 8 off a 16-byte boundary: one unit is lost.
        EXPECT_EQ(mm.getStatistics().dataBlockSize, 496);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(mm.getPoolBase()) % 16, 0u);
        void* p = mm.hwMemAlloc(40, USER, 1);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
        EXPECT_EQ(layout(mm), "a64 f432");
        mm.hwMemFree(&p, USER, 2);
        EXPECT_EQ(PoolAllocatorLog::frees, 0);
    }
    EXPECT_EQ(PoolAllocatorLog::frees, 1);

    MemoryManager::Config failing;
    failing.myPoolAlloc = [](size_t) -> void* { return nullptr; };
    failing.myPoolFree = [](void*) {};
    try {
        MemoryManager mm(failing, 512);
        ADD_FAILURE() << "a manager without a pool was created";
    } catch (const MemoryManagerException& e) {
        EXPECT_STREQ(e.getMessage(), "MemoryManager:init failed. can not alloc memory pool.");
    }
}

TEST_F(MemoryManagerTest, ForwardingModeHasNoPoolAndNoStatistics)
{
    PoolAllocatorLog::reset();
    MemoryManager::Config config;
    config.myAlloc = &countingAlloc;
    config.myFree = &countingFree;
    MemoryManager mm(config, 1024);
    MemoryManager::Statistics s = mm.getStatistics();
    EXPECT_TRUE(s.forwarding);
    EXPECT_EQ(s.dataBlockSize, 0);
    EXPECT_EQ(mm.getPoolBase(), nullptr);
    EXPECT_TRUE(mm.checkInvariants().empty());

    void* p = mm.hwMemAlloc(5000, USER, 1); // no pool limit applies
    EXPECT_EQ(PoolAllocatorLog::allocs, 1);
    EXPECT_EQ(PoolAllocatorLog::lastSize, 5000u);
    mm.hwMemFree(&p, USER, 2);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(PoolAllocatorLog::frees, 1);
    s = mm.getStatistics();
    EXPECT_EQ(s.allocationCount, 0);
    EXPECT_EQ(s.allocatedMem, 0);

    // A forwarding allocator that fails means memory is full, not success.
    PoolAllocatorLog::failNext = true;
    EXPECT_THROW(mm.hwMemAlloc(16, USER, 3), MemoryManagerException);
}
