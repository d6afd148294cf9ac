// Frame times of a capture and the steps between them. Frame k shows
// k * 1000 / fps ms rounded: at 60 fps 0, 17, 33, 50, 67, 83, 100 (by hand:
// 16.67 -> 17, 33.33 -> 33, 66.67 -> 67, 83.33 -> 83); at 30 fps 0, 33, 67,
// 100. Over a stretch of frames the steps must add up to the last frame's
// time exactly: nothing dropped, nothing counted twice.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "demo/FrameTiming.h"

namespace {

std::vector<uint32_t> steps(uint32_t from, uint32_t to)
{
    std::vector<uint32_t> out;
    FrameTiming::forEachStep(from, to, [&](uint32_t ms) {
        out.push_back(ms);
        return true;
    });
    return out;
}

} // namespace

TEST(FrameTimingTest, FrameTimesAreRoundedMilliseconds)
{
    const FrameTiming sixty(60);
    const std::vector<uint32_t> expected60 = {0, 17, 33, 50, 67, 83, 100};
    for (uint32_t k = 0; k < expected60.size(); ++k)
        EXPECT_EQ(sixty.frameTimeMs(k), expected60[k]) << k;
    const FrameTiming thirty(30);
    const std::vector<uint32_t> expected30 = {0, 33, 67, 100};
    for (uint32_t k = 0; k < expected30.size(); ++k)
        EXPECT_EQ(thirty.frameTimeMs(k), expected30[k]) << k;
    // Halves round up: 80 fps gives 12.5 -> 13 ms; far into a long show the
    // integer form keeps exact (one hour at 240 fps is 3,600,000 ms).
    EXPECT_EQ(FrameTiming(80).frameTimeMs(1), 13u);
    EXPECT_EQ(FrameTiming(240).frameTimeMs(864000), 3600000u);
    EXPECT_EQ(thirty.frameTimeMs(8550), 285000u);
}

TEST(FrameTimingTest, StepsAreAtMostFiveMillisecondsAndLandOnTheFrame)
{
    EXPECT_EQ(steps(0, 17), (std::vector<uint32_t>{5, 5, 5, 2}));
    EXPECT_EQ(steps(17, 33), (std::vector<uint32_t>{5, 5, 5, 1}));
    EXPECT_EQ(steps(0, 33), (std::vector<uint32_t>{5, 5, 5, 5, 5, 5, 3}));
    EXPECT_EQ(steps(0, 5), (std::vector<uint32_t>{5}));
    EXPECT_TRUE(steps(40, 40).empty());

    // Ten seconds at 30 and at 60 fps, frame after frame: every step 1..5 ms,
    // the sum up to each frame equal to its time.
    for (int fps : {30, 60}) {
        const FrameTiming timing(fps);
        uint64_t total = 0;
        uint32_t previous = 0;
        for (uint32_t k = 1; k <= static_cast<uint32_t>(10 * fps); ++k) {
            const uint32_t at = timing.frameTimeMs(k);
            ASSERT_GT(at, previous) << "frame " << k << " at " << fps << " fps shows no new time";
            for (uint32_t ms : steps(previous, at)) {
                ASSERT_GE(ms, 1u);
                ASSERT_LE(ms, FrameTiming::STEP_MS);
                total += ms;
            }
            ASSERT_EQ(total, at) << "frame " << k << " at " << fps << " fps";
            previous = at;
        }
        EXPECT_EQ(previous, 10000u);
    }
}

TEST(FrameTimingTest, StepsStopWhenTheShowEnds)
{
    std::vector<uint32_t> taken;
    const bool completed = FrameTiming::forEachStep(0, 33, [&](uint32_t ms) {
        taken.push_back(ms);
        return taken.size() < 3;
    });
    EXPECT_FALSE(completed);
    EXPECT_EQ(taken.size(), 3u);
}

TEST(FrameTimingTest, FrameCountsForADuration)
{
    // 10 s at 30 fps is exactly 300 frames (0 .. 9966 ms); a fraction of a
    // frame more needs one frame more; a tiny duration still one frame.
    EXPECT_EQ(FrameTiming(30).framesFor(10.0), 300u);
    EXPECT_EQ(FrameTiming(60).framesFor(10.0), 600u);
    EXPECT_EQ(FrameTiming(30).framesFor(0.1), 3u);
    EXPECT_EQ(FrameTiming(30).framesFor(10.01), 301u);
    EXPECT_EQ(FrameTiming(60).framesFor(0.001), 1u);
    EXPECT_EQ(FrameTiming(30).framesFor(285.048), 8552u);
}
