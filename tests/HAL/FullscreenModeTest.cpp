// Which display mode full screen takes, from a screen's list of modes.

#include <gtest/gtest.h>

#include <vector>

#include "HAL/sdl/FullscreenMode.h"

using HAL::ScreenMode;

namespace {

// Two pixel-format codes; the choice only compares them.
constexpr uint32_t XRGB = 0x16161804; // what SDL reports for a 24-bit X screen
constexpr uint32_t RGB565 = 0x15151002;

int choose(const std::vector<ScreenMode>& modes, int width, int height, const ScreenMode& desktop)
{
    return HAL::chooseFullscreenMode(modes.data(), static_cast<int>(modes.size()), width, height, desktop);
}

} // namespace

TEST(FullscreenMode, OnlyAModeOfExactlyTheSizeIsTakenNeverALargerOne)
{
    const ScreenMode desktop{1280, 1024, XRGB, 60};
    // A 1280 x 1024 Xvfb screen lists its desktop mode alone.
    EXPECT_EQ(choose({desktop}, 1024, 768, desktop), -1);
    // Larger and smaller modes around the size, and modes matching it in one
    // direction only: the picture would be stretched or cut, so the desktop.
    const std::vector<ScreenMode> around = {
        {1920, 1080, XRGB, 60}, {1280, 1024, XRGB, 60}, {1024, 600, XRGB, 60},
        {768, 1024, XRGB, 60},  {800, 768, XRGB, 60},   {800, 600, XRGB, 60},
    };
    EXPECT_EQ(choose(around, 1024, 768, desktop), -1);
    EXPECT_EQ(choose({}, 1024, 768, desktop), -1);
    EXPECT_EQ(HAL::chooseFullscreenMode(nullptr, 0, 1024, 768, desktop), -1);

    // Among them, the exact one.
    std::vector<ScreenMode> withExact = around;
    withExact.insert(withExact.begin() + 3, ScreenMode{1024, 768, XRGB, 60});
    EXPECT_EQ(choose(withExact, 1024, 768, desktop), 3);
    // The desktop's own size has a mode: it is taken like any other.
    EXPECT_EQ(choose(withExact, 1280, 1024, desktop), 1);
}

TEST(FullscreenMode, OfSeveralModesOfTheSizeTheDesktopsFormatThenRefreshRateWins)
{
    const ScreenMode desktop{1920, 1080, XRGB, 60};
    // Listed as SDL lists them: deepest format first, fastest refresh first.
    const std::vector<ScreenMode> modes = {
        {1024, 768, XRGB, 85}, // 0: the desktop's format
        {1024, 768, XRGB, 60}, // 1: the desktop's format and rate
        {1024, 768, RGB565, 60}, // 2: the desktop's rate only
        {1024, 768, RGB565, 75}, // 3: neither
    };
    EXPECT_EQ(choose(modes, 1024, 768, desktop), 1);
    // Format before rate.
    EXPECT_EQ(choose({modes[2], modes[0]}, 1024, 768, desktop), 1);
    // Nothing in common with the desktop: the first listed.
    EXPECT_EQ(choose({modes[3], modes[2]}, 1024, 768, ScreenMode{1920, 1080, 0, 144}), 0);
    // A screen that does not know its rates (0 everywhere) still matches.
    EXPECT_EQ(choose({{1024, 768, RGB565, 0}, {1024, 768, XRGB, 0}}, 1024, 768, {1920, 1080, XRGB, 0}), 1);
}
