// The decoder-to-callback ring under real concurrency: every sample arrives,
// once, in order, however the two sides' piece sizes interleave.

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "HAL/sdl/AudioRing.h"

TEST(AudioRing, CarriesASequenceBetweenTwoThreadsInOrder)
{
    HAL::AudioRing ring(1000); // not a power of two: the index arithmetic must not care
    constexpr int total = 2000000;

    std::thread writer([&ring] {
        std::vector<int16_t> piece(700);
        int next = 0;
        size_t size = 1;
        while (next < total) {
            size = size % 700 + 1;
            const size_t count = std::min(size, static_cast<size_t>(total - next));
            for (size_t i = 0; i < count; ++i)
                piece[i] = static_cast<int16_t>(next + static_cast<int>(i));
            size_t done = 0;
            while (done < count) {
                const size_t wrote = ring.write(piece.data() + done, count - done);
                if (wrote == 0)
                    std::this_thread::yield(); // full: let the reader run
                done += wrote;
            }
            next += static_cast<int>(count);
        }
    });

    std::vector<int16_t> piece(333);
    int expected = 0;
    int wrong = 0;
    size_t size = 1;
    while (expected < total) {
        size = size % 333 + 1;
        const size_t got = ring.read(piece.data(), size);
        if (got == 0)
            std::this_thread::yield();
        for (size_t i = 0; i < got; ++i)
            wrong += piece[i] != static_cast<int16_t>(expected++);
    }
    writer.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(ring.available(), 0u);
    EXPECT_EQ(ring.space(), 1000u);

    int16_t many[1200] = {};
    EXPECT_EQ(ring.write(many, 1200), 1000u) << "a full ring takes no more";
    EXPECT_EQ(ring.read(many, 1200), 1000u);
}
