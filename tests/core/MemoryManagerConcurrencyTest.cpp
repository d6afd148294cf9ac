// The memory manager under several threads, with a log that allocates from
// the pool it is tracing, and under AddressSanitizer.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

#include "core/Debug.h"
#include "core/MemoryManager.h"
#include "core/Stream.h"
#include "tests/core/MemoryManagerTestUtil.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::MemoryManager;
using namespace mm_test;

namespace {

class MemoryManagerConcurrencyTest : public testing_support::EngineTest { };

const char* const USER = "void Worker::run()";

// A log copy target that allocates from the engine pool on every write.
class AllocatingStream : public core::Stream {
public:
    int write(const void* src, int len) override
    {
        void* copy = VORNA3D_ALLOC(len);
        std::memcpy(copy, src, static_cast<size_t>(len));
        text.append(static_cast<const char*>(copy), static_cast<size_t>(len));
        VORNA3D_FREE(copy);
        ++writes;
        return len;
    }
    int read(void*, int) override { return 0; }
    int peek(void*, int) override { return 0; }
    void setSeek(int) override { }
    void close() override { }
    int getSeek() override { return 0; }
    int available() override { return 0; }
    core::String getName() override { return "allocating stream"; }

    std::string text;
    int writes = 0;
};

} // namespace

TEST_F(MemoryManagerConcurrencyTest, RandomAllocFreeFromFourThreadsKeepsThePoolIntact)
{
    constexpr int32_t POOL = 1 << 20;
    constexpr int THREADS = 4;
    constexpr int OPS = 20000;
    constexpr size_t MAX_LIVE = 64; // 4 x 64 x (16 + 512) bytes at most: the pool never fills
    MemoryManager mm(MemoryManager::Config{}, POOL);

    std::atomic<int> failures{0};
    std::atomic<int> allocations{0};
    std::atomic<bool> done{false};

    auto worker = [&](unsigned seed) {
        struct Live {
            unsigned char* p;
            size_t size;
            unsigned char fill;
        };
        std::mt19937 rng(seed);
        std::vector<Live> live;
        // Each block carries its own fill byte; another thread's block
        // overlapping it would change the bytes before they are freed.
        auto release = [&](size_t index) {
            const Live block = live[index];
            for (size_t i = 0; i < block.size; ++i)
                if (block.p[i] != block.fill) {
                    ++failures;
                    break;
                }
            void* ptr = block.p;
            mm.hwMemFree(&ptr, USER, 2);
            live[index] = live.back();
            live.pop_back();
        };
        try {
            for (int op = 0; op < OPS; ++op) {
                const bool allocate = live.empty() || (live.size() < MAX_LIVE && rng() % 2 == 0);
                if (allocate) {
                    const size_t size = 1 + rng() % 512;
                    auto* p = static_cast<unsigned char*>(mm.hwMemAlloc(static_cast<long>(size), USER, 1));
                    if (reinterpret_cast<uintptr_t>(p) % 16 != 0)
                        ++failures;
                    const auto fill = static_cast<unsigned char>(rng());
                    std::memset(p, fill, size);
                    live.push_back({p, size, fill});
                    ++allocations;
                } else {
                    release(rng() % live.size());
                }
            }
            while (!live.empty())
                release(live.size() - 1);
        } catch (...) {
            ++failures;
        }
    };

    // A fifth thread walks the pool while the others work: the walk takes
    // the same lock, so it must always see a consistent pool.
    std::thread checker([&] {
        while (!done)
            try {
                mm.checkInvariants();
            } catch (...) {
                ++failures;
            }
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t)
        threads.emplace_back(worker, 1234u + t);
    for (std::thread& t : threads)
        t.join();
    done = true;
    checker.join();

    EXPECT_EQ(failures.load(), 0);
    const MemoryManager::Statistics s = mm.getStatistics();
    EXPECT_EQ(s.allocationCount, allocations.load());
    EXPECT_EQ(s.allocatedBlocks, 0);
    EXPECT_EQ(s.allocatedMem, 0);
    EXPECT_EQ(s.freeMem, POOL);
    EXPECT_LE(s.peakMem, static_cast<int32_t>(THREADS * MAX_LIVE * (16 + 512)));
    EXPECT_EQ(layout(mm), "f1048576");
}

TEST_F(MemoryManagerConcurrencyTest, LogThatAllocatesFromThePoolDoesNotDeadlock)
{
    core::Ref<AllocatingStream> stream = VORNA3D_NEW AllocatingStream();
    core::Debug::setOutputFile(stream);
    const int32_t countBefore = MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount;
    {
        testing_support::LogCapture console;
        core::Debug::setDebugLevel(core::DEBUG_LEVEL_MEMORY_ALLOC | core::DEBUG_LEVEL_MEMORY_FREE |
                                   core::DEBUG_LEVEL_MEMORY_JOIN);
        void* p = VORNA3D_ALLOC(40); // 16 + 48 = a 64-byte block
        VORNA3D_FREE(p);

        // A failed check is logged (through the allocating stream) too.
        auto* q = static_cast<unsigned char*>(VORNA3D_ALLOC(16));
        q[-16] ^= 0xFF;
        void* bad = q;
        EXPECT_EQ(assertionText([&] { (void)(VORNA3D_FREE(bad)); }, false),
                  "MemoryManager: hwMemFree : this block is corrupted! Prev alloc "
                  "overwrites this block!");
        q[-16] ^= 0xFF;
        VORNA3D_FREE(q);
        core::Debug::setDebugLevel(4);
    }
    core::Debug::setOutputFile(nullptr);

    EXPECT_NE(stream->text.find("MemoryManager: allocate 64 bytes ("), std::string::npos);
    EXPECT_NE(stream->text.find("MemoryManager: free 64 bytes ("), std::string::npos);
    EXPECT_NE(stream->text.find("MSG:MemoryManager: hwMemFree : this block is corrupted!"), std::string::npos);
    // Two allocations of the test plus one per write of the stream.
    const int32_t countAfter = MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount;
    EXPECT_GT(stream->writes, 4);
    EXPECT_EQ(countAfter - countBefore, 2 + stream->writes);
}

TEST_F(MemoryManagerConcurrencyTest, FreeSpaceIsPoisonedForAddressSanitizer)
{
#if !defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "built without AddressSanitizer";
#else
    MemoryManager mm(MemoryManager::Config{}, 256);
    auto* p = static_cast<unsigned char*>(mm.hwMemAlloc(20, USER, 1)); // 48-byte block, 12 bytes of slack
    auto* q = static_cast<unsigned char*>(mm.hwMemAlloc(16, USER, 2)); // 32-byte block right after
    EXPECT_EQ(__asan_region_is_poisoned(p, 20), nullptr);
    EXPECT_TRUE(__asan_address_is_poisoned(p + 20)); // the slack catches small overruns
    EXPECT_TRUE(__asan_address_is_poisoned(p + 31));
    EXPECT_FALSE(__asan_address_is_poisoned(q - 16)); // q's header
    EXPECT_FALSE(__asan_address_is_poisoned(q + 16)); // the free tail's header
    EXPECT_TRUE(__asan_address_is_poisoned(q + 32)); // the free tail itself

    void* ptr = p;
    mm.hwMemFree(&ptr, USER, 3);
    EXPECT_NE(__asan_region_is_poisoned(p, 1), nullptr);
    EXPECT_DEATH(p[0] = 1, "use-after-poison");

    // q joins both neighbours: its header and the tail's are now free space.
    ptr = q;
    mm.hwMemFree(&ptr, USER, 4);
    EXPECT_TRUE(__asan_address_is_poisoned(q - 16));
    EXPECT_TRUE(__asan_address_is_poisoned(q + 16));
    EXPECT_FALSE(__asan_address_is_poisoned(p - 16)); // the joined block's header
    EXPECT_EQ(layout(mm), "f256");

    // A stale pointer into the joined block is rejected without touching its
    // poisoned header.
    ptr = q;
    EXPECT_EQ(assertionText([&] { (void)(mm.hwMemFree(&ptr, USER, 5)); }),
              "MemoryManager: hwMemFree : this block is already free!");
#endif
}
