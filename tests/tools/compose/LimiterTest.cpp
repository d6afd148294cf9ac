// The limiter keeps its ceiling and leaves alone what does not need limiting.
#include "AudioBuffer.h"
#include "Limiter.h"
#include "Loudness.h"
#include "Synth.h"
#include "TruePeak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace compose;

namespace {

// Noise with bursts up to +12 dBFS, hard transients and a loud low sine.
StereoBuffer punishingSignal()
{
    Noise noise(1234);
    StereoBuffer b(kSampleRate * 3);
    for (std::size_t i = 0; i < b.frames(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double burst = (i / 4410) % 3 == 0 ? 4.0 : 0.3;
        const double low = 2.0 * std::sin(2.0 * kPi * 55.0 * t);
        const double click = (i % 10000 == 0) ? 3.5 : 0.0;
        b.left[i] = static_cast<float>(noise.next() * burst + low + click);
        b.right[i] = static_cast<float>(noise.next() * burst - low);
    }
    return b;
}

} // namespace

TEST(Limiter, NeverExceedsItsCeiling)
{
    for (double ceilingDb : {-1.5, -6.0}) {
        const Limiter limiter(ceilingDb);
        StereoBuffer b = punishingSignal();
        const double reduction = limiter.process(b, 1.0);
        EXPECT_LE(samplePeak(b), dbToGain(ceilingDb)) << ceilingDb;
        // The loudest parts reach about +12 dBFS.
        EXPECT_GT(reduction, 10.0 - ceilingDb - 1.0);

        // With input gain too, and the peak really is used (not just clamped
        // down to some lower level).
        StereoBuffer louder = punishingSignal();
        limiter.process(louder, 3.0);
        EXPECT_LE(samplePeak(louder), dbToGain(ceilingDb));
        EXPECT_GT(samplePeak(louder), dbToGain(ceilingDb - 0.5));
    }
}

TEST(Limiter, TruePeakModeAlsoHoldsBetweenSamples)
{
    const Limiter limiter(-2.0, Limiter::Detection::TruePeak);
    StereoBuffer b = punishingSignal();
    limiter.process(b, 1.0);
    EXPECT_LE(samplePeak(b), dbToGain(-2.0));
    // The gain moves slowly, so the interpolated waveform stays within a
    // hair of the ceiling too.
    EXPECT_LE(gainToDb(truePeak(b)), -2.0 + 0.05);
}

TEST(Limiter, LeavesQuietSignalsUntouchedAndRecovers)
{
    const Limiter limiter(-1.0);
    // A -6 dBFS tone: no limiting, bit-exact output.
    StereoBuffer quiet(kSampleRate);
    for (std::size_t i = 0; i < quiet.frames(); ++i)
        quiet.left[i] = quiet.right[i] = static_cast<float>(0.5 * std::sin(0.05 * static_cast<double>(i)));
    StereoBuffer copy = quiet;
    EXPECT_EQ(limiter.process(copy, 1.0), 0.0);
    EXPECT_EQ(copy.left, quiet.left);
    EXPECT_EQ(copy.right, quiet.right);

    // A single loud click pulls the gain down around it only: 0.8 s later
    // (eight release time constants) the tone is back to unity gain.
    StereoBuffer clicked = quiet;
    clicked.left[1000] = 4.0f;
    limiter.process(clicked, 1.0);
    EXPECT_LE(std::fabs(clicked.left[1000]), dbToGain(-1.0));
    EXPECT_LT(std::fabs(clicked.left[1100]), std::fabs(quiet.left[1100]));
    EXPECT_EQ(clicked.left[1000 - 300], quiet.left[1000 - 300]); // before the look-ahead window
    for (std::size_t i = 1000 + kSampleRate * 8 / 10; i < quiet.frames(); ++i)
        ASSERT_NEAR(clicked.left[i], quiet.left[i], 1e-3) << i;
}

TEST(Limiter, RejectsImpossibleSettings)
{
    EXPECT_THROW(Limiter(0.5), std::invalid_argument);
    EXPECT_THROW(Limiter(-1.0, Limiter::Detection::SamplePeak, 0.0), std::invalid_argument);
    const Limiter limiter(-1.0);
    StereoBuffer b(100);
    EXPECT_THROW(limiter.apply(b, 1.0, std::vector<float>(99, 0.0f)), std::invalid_argument);
}
