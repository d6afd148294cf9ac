// The position rules with hand-made times. A rate of 1000 frames/s makes
// one frame one millisecond, so every expected value is plain arithmetic.

#include <gtest/gtest.h>

#include "HAL/General/MusicClock.h"

using HAL::MusicClock;

namespace {

constexpr int64_t MS = 1000000; // nanoseconds

uint64_t msAt(MusicClock& clock, int64_t ms)
{
    return clock.positionUs(ms * MS) / 1000;
}

} // namespace

TEST(MusicClock, DeviceBlocksAreHeardAfterTheLatencyAndInterpolated)
{
    // 100-frame device buffer: a block handed at T is heard from T + 100 ms.
    MusicClock clock(MusicClock::Kind::DEVICE, 1000, 100, 0, false, 0);
    EXPECT_EQ(msAt(clock, 0), 0u);

    clock.framesHanded(100, 0 * MS);
    EXPECT_EQ(msAt(clock, 50), 0u) << "still in the device's buffer";
    EXPECT_EQ(msAt(clock, 100), 0u);
    EXPECT_EQ(msAt(clock, 130), 30u);

    clock.framesHanded(100, 100 * MS); // heard from 200 ms
    EXPECT_EQ(msAt(clock, 150), 50u) << "the first block is what plays meanwhile";
    EXPECT_EQ(msAt(clock, 199), 99u);
    EXPECT_EQ(msAt(clock, 250), 150u);
    EXPECT_EQ(msAt(clock, 400), 200u) << "no further than what was handed (the device starved)";
    EXPECT_EQ(msAt(clock, 150), 200u) << "never backwards, whatever time is asked";

    // Paused: the position holds; the callback hands nothing meanwhile.
    clock.setPaused(true, 400 * MS);
    EXPECT_EQ(msAt(clock, 900), 200u);
    clock.setPaused(false, 1000 * MS);
    clock.framesHanded(50, 1000 * MS); // heard from 1100 ms
    EXPECT_EQ(msAt(clock, 1050), 200u);
    EXPECT_EQ(msAt(clock, 1120), 220u);

    // The end: finished once the last frame handed has been heard.
    clock.streamEnded();
    EXPECT_FALSE(clock.finished(1140 * MS));
    EXPECT_TRUE(clock.finished(1150 * MS));
    EXPECT_EQ(msAt(clock, 5000), 250u);
}

TEST(MusicClock, DeviceEndIsTheShorterOfTheHandedFramesAndTheScannedLength)
{
    // A decoder that yields a few frames more than the scan counted.
    MusicClock clock(MusicClock::Kind::DEVICE, 1000, 0, 120000, false, 0);
    clock.framesHanded(125, 0);
    clock.streamEnded();
    EXPECT_EQ(msAt(clock, 60), 60u);
    EXPECT_EQ(msAt(clock, 125), 120u);
    EXPECT_TRUE(clock.finished(121 * MS));
}

TEST(MusicClock, RealTimeFollowsTheClockExceptWhilePaused)
{
    MusicClock clock(MusicClock::Kind::REAL_TIME, 44100, 0, 3000000, true, 0);
    EXPECT_EQ(msAt(clock, 5000), 0u) << "starts paused at 0";
    clock.setPaused(false, 5000 * MS);
    EXPECT_EQ(msAt(clock, 6500), 1500u);
    clock.setPaused(true, 7000 * MS);
    EXPECT_EQ(msAt(clock, 9000), 2000u);
    EXPECT_TRUE(clock.isPaused());
    clock.setPaused(false, 10000 * MS);
    EXPECT_EQ(msAt(clock, 10500), 2500u);
    EXPECT_FALSE(clock.finished(10999 * MS));
    EXPECT_TRUE(clock.finished(11000 * MS));
    EXPECT_EQ(msAt(clock, 20000), 3000u) << "stops at the length";
}

TEST(MusicClock, SteppedMovesOnlyWhenAdvancedAndUnpaused)
{
    MusicClock clock(MusicClock::Kind::STEPPED, 44100, 0, 1000000, false, 0);
    clock.advance(5);
    EXPECT_EQ(msAt(clock, 999999), 5u) << "wall time plays no part";
    clock.setPaused(true, 0);
    clock.advance(100);
    EXPECT_EQ(msAt(clock, 0), 5u);
    clock.setPaused(false, 0);
    clock.advance(2000);
    EXPECT_EQ(msAt(clock, 0), 1000u);
    EXPECT_TRUE(clock.finished(0));
}

TEST(MusicClock, SeekStartsEveryKindAgainFromThePositionBackwardsToo)
{
    // Stepped: the position jumps, moves on only by advance, clamps at the length.
    MusicClock stepped(MusicClock::Kind::STEPPED, 1000, 0, 10000000, false, 0); // 10 s
    stepped.advance(4000);
    stepped.seek(1500000, 0);
    EXPECT_EQ(msAt(stepped, 0), 1500u) << "backwards: the floor starts again";
    stepped.advance(5);
    EXPECT_EQ(msAt(stepped, 0), 1505u);
    stepped.seek(99000000, 0);
    EXPECT_EQ(msAt(stepped, 0), 10000u);

    // Real time, paused: holds at the new place until resumed at 300 ms.
    MusicClock silent(MusicClock::Kind::REAL_TIME, 1000, 0, 0, true, 0);
    silent.seek(7000000, 100 * MS);
    EXPECT_EQ(msAt(silent, 200), 7000u);
    silent.setPaused(false, 300 * MS);
    EXPECT_EQ(msAt(silent, 350), 7050u);

    // Device: the blocks handed after the seek play from there; the end is
    // the seek position plus what was handed.
    MusicClock device(MusicClock::Kind::DEVICE, 1000, 100, 0, false, 0);
    device.seek(60000000, 0);
    EXPECT_EQ(msAt(device, 10), 60000u) << "nothing heard yet: the position stays put";
    device.framesHanded(100, 0); // heard from 100 ms
    EXPECT_EQ(msAt(device, 130), 60030u);
    device.streamEnded();
    EXPECT_FALSE(device.finished(190 * MS));
    EXPECT_TRUE(device.finished(200 * MS));
}

TEST(MusicClock, PlayedCountIsTheStartPointPlusWhatTheDeviceCounted)
{
    // 1000 frames/s: a count of N frames is N ms. The count is the device's
    // own, so wall time plays no part.
    MusicClock clock(MusicClock::Kind::PLAYED_COUNT, 1000, 0, 0, false, 0);
    EXPECT_EQ(msAt(clock, 500), 0u);
    clock.framesHanded(300, 0);
    clock.framesPlayed(120);
    EXPECT_EQ(msAt(clock, 0), 120u);
    EXPECT_EQ(msAt(clock, 999999), 120u);
    clock.framesPlayed(900);
    EXPECT_EQ(msAt(clock, 0), 300u) << "no further than what was handed";
    clock.framesPlayed(100);
    EXPECT_EQ(msAt(clock, 0), 300u) << "never backwards, whatever the device says";

    // Paused: holds even if a late count comes in; resumes from the count.
    clock.framesHanded(300, 0);
    clock.setPaused(true, 0);
    clock.framesPlayed(450);
    EXPECT_EQ(msAt(clock, 0), 300u);
    clock.setPaused(false, 0);
    EXPECT_EQ(msAt(clock, 0), 450u);

    // The end: finished once every handed frame has been played.
    clock.streamEnded();
    clock.framesPlayed(599);
    EXPECT_FALSE(clock.finished(0));
    clock.framesPlayed(600);
    EXPECT_TRUE(clock.finished(0));
}

TEST(MusicClock, PlayedCountStartsAgainAtASeekAndStopsAtTheLength)
{
    // A 10 s stream; the device is reset at the seek, so its count restarts.
    MusicClock clock(MusicClock::Kind::PLAYED_COUNT, 1000, 0, 10000000, true, 0);
    clock.seek(9000000, 0);
    EXPECT_EQ(msAt(clock, 0), 9000u) << "paused at the new place";
    clock.setPaused(false, 0);
    EXPECT_EQ(msAt(clock, 0), 9000u) << "nothing handed or played yet";
    clock.framesHanded(1500, 0); // a decoder that gives a little more than the length
    clock.framesPlayed(400);
    EXPECT_EQ(msAt(clock, 0), 9400u);

    clock.seek(2000000, 0);
    EXPECT_EQ(msAt(clock, 0), 2000u) << "backwards: the floor starts again";
    clock.framesPlayed(400); // a stale count from before the reset
    EXPECT_EQ(msAt(clock, 0), 2000u) << "the new start has handed nothing yet";

    clock.seek(9000000, 0);
    clock.framesHanded(1500, 0);
    clock.streamEnded();
    clock.framesPlayed(1500);
    EXPECT_EQ(msAt(clock, 0), 10000u) << "stops at the length";
    EXPECT_TRUE(clock.finished(0));
}
