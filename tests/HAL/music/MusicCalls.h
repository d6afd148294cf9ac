#pragma once
// Small helpers for tests of a music system through its public interface,
// shared by the Linux and the Windows back ends' tests.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "HAL/Music.h"

namespace music_test {

using Clock = std::chrono::steady_clock;

// A music system created on construction and released however the test ends.
struct Player {
    HAL::MusicSystem* system = nullptr;
    Player() { EXPECT_EQ(HAL::MusicSystem::create(&system), HAL::MUSIC_OK); }
    ~Player()
    {
        if (system)
            system->release();
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;
    HAL::MusicSystem* operator->() const { return system; }
};

// The channel's position in ms; a failed query fails the test.
inline uint32_t positionOf(HAL::MusicChannel* channel)
{
    uint32_t ms = 0xDEADBEEF;
    EXPECT_EQ(channel->getPosition(&ms), HAL::MUSIC_OK);
    return ms;
}

// Whether the channel plays; a failed query fails the test.
inline bool playing(HAL::MusicChannel* channel)
{
    bool result = false;
    EXPECT_EQ(channel->isPlaying(&result), HAL::MUSIC_OK);
    return result;
}

// How often `what` stands in `text`, overlaps counted.
inline int occurrences(const std::string& text, const std::string& what)
{
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Milliseconds from `start` to now.
inline double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace music_test
