// The BS.1770 meter against signals whose loudness can be worked out by hand.
#include "AudioBuffer.h"
#include "Loudness.h"
#include "TruePeak.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace compose;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Appends `seconds` of a sine at `dbfs` peak level to the chosen channels.
void appendSine(StereoBuffer& b, double rate, double hz, double dbfs, double seconds, bool left = true,
                bool right = true)
{
    const double amp = std::pow(10.0, dbfs / 20.0);
    const auto n = static_cast<std::size_t>(seconds * rate);
    for (std::size_t i = 0; i < n; ++i) {
        const auto v = static_cast<float>(amp * std::sin(2.0 * kPi * hz * static_cast<double>(i) / rate));
        b.left.push_back(left ? v : 0.0f);
        b.right.push_back(right ? v : 0.0f);
    }
}

} // namespace

TEST(Loudness, KWeightingAt48kHzMatchesTheTabulatedFilters)
{
    // The coefficients printed in BS.1770 for 48 kHz.
    const Biquad shelf = kWeightingShelf(48000.0);
    EXPECT_NEAR(shelf.b0, 1.53512485958697, 1e-8);
    EXPECT_NEAR(shelf.b1, -2.69169618940638, 1e-8);
    EXPECT_NEAR(shelf.b2, 1.19839281085285, 1e-8);
    EXPECT_NEAR(shelf.a1, -1.69065929318241, 1e-8);
    EXPECT_NEAR(shelf.a2, 0.73248077421585, 1e-8);
    const Biquad high = kWeightingHighPass(48000.0);
    EXPECT_EQ(high.b0, 1.0);
    EXPECT_EQ(high.b1, -2.0);
    EXPECT_EQ(high.b2, 1.0);
    EXPECT_NEAR(high.a1, -1.99004745483398, 1e-8);
    EXPECT_NEAR(high.a2, 0.99007225036621, 1e-8);
}

TEST(Loudness, SinesReadTheirCalibratedLevels)
{
    // The -0.691 dB offset cancels the K-filter's gain near 1 kHz, so a sine
    // there reads its mean square: 0 dBFS in one channel is 10 log10(1/2) =
    // -3.01 LUFS; -20 dBFS in both channels is 10 log10(2 * 0.01 / 2) = -20.
    for (double rate : {44100.0, 48000.0}) {
        StereoBuffer mono;
        appendSine(mono, rate, 1000.0, 0.0, 5.0, true, false);
        EXPECT_NEAR(integratedLoudness(mono, rate), -3.01, 0.05) << rate;

        StereoBuffer stereo;
        appendSine(stereo, rate, 997.0, -20.0, 5.0);
        EXPECT_NEAR(integratedLoudness(stereo, rate), -20.0, 0.05) << rate;
    }
    // Treble counts more: the shelf lifts 10 kHz by its full 4 dB, and the
    // -0.691 dB offset stays: -20 + 4.0 - 0.69 = -16.7 LUFS.
    StereoBuffer bright;
    appendSine(bright, 44100.0, 10000.0, -20.0, 5.0);
    EXPECT_NEAR(integratedLoudness(bright, 44100.0), -16.7, 0.1);
}

TEST(Loudness, GatesIgnoreSilenceAndQuietPassages)
{
    // -36 / -23 / -36 dBFS for 10 s, 60 s, 10 s (EBU Tech 3341 case 3): the
    // mean power of all blocks is (20 * 10^-3.6 + 60 * 10^-2.3) / 80, about
    // -24.2 LUFS, so the relative gate at -34.2 drops the -36 dB parts. Only
    // the few blocks straddling a change (6 of 606) pull the result down,
    // by about 0.02 LU.
    StereoBuffer relative;
    appendSine(relative, 44100.0, 1000.0, -36.0, 10.0);
    appendSine(relative, 44100.0, 1000.0, -23.0, 60.0);
    appendSine(relative, 44100.0, 1000.0, -36.0, 10.0);
    EXPECT_NEAR(integratedLoudness(relative, 44100.0), -23.0, 0.1);
    // With only 6 s of the loud part the straddling blocks weigh more:
    // (57 + 2 * (1/4 + 2/4 + 3/4)) / 63 of the power, -0.21 LU.
    StereoBuffer shortLoud;
    appendSine(shortLoud, 44100.0, 1000.0, -36.0, 2.0);
    appendSine(shortLoud, 44100.0, 1000.0, -23.0, 6.0);
    appendSine(shortLoud, 44100.0, 1000.0, -36.0, 2.0);
    EXPECT_NEAR(integratedLoudness(shortLoud, 44100.0), -23.21, 0.05);

    // Passages below -70 LUFS and silence fall to the absolute gate.
    StereoBuffer absolute;
    appendSine(absolute, 44100.0, 1000.0, -72.0, 10.0);
    appendSine(absolute, 44100.0, 1000.0, -23.0, 60.0);
    appendSine(absolute, 44100.0, 1000.0, -200.0, 10.0);
    EXPECT_NEAR(integratedLoudness(absolute, 44100.0), -23.0, 0.1);

    StereoBuffer silence(44100 * 2);
    EXPECT_TRUE(std::isinf(integratedLoudness(silence, 44100.0)));
    StereoBuffer tooShort;
    appendSine(tooShort, 44100.0, 1000.0, 0.0, 0.39);
    EXPECT_TRUE(std::isinf(integratedLoudness(tooShort, 44100.0)));
}

TEST(Loudness, BlocksAreFourHundredMillisecondsEveryHundred)
{
    StereoBuffer oneSecond;
    appendSine(oneSecond, 44100.0, 1000.0, -20.0, 1.0);
    // Blocks start at 0, 0.1, ... 0.6 s: seven of them.
    const auto blocks = blockLoudness(oneSecond, 44100.0);
    ASSERT_EQ(blocks.size(), 7u);
    // The filters settle within the first block, so all read about the same.
    for (double l : blocks)
        EXPECT_NEAR(l, -20.0, 0.1);
}

TEST(TruePeak, FindsPeaksBetweenSamples)
{
    // A full-scale sine at a quarter of the sample rate, sampled 45 degrees
    // off its crests: every sample is +-0.7071 but the waveform reaches 1.
    StereoBuffer b;
    for (int i = 0; i < 4000; ++i) {
        const auto v = static_cast<float>(std::sin(kPi / 2.0 * i + kPi / 4.0));
        b.left.push_back(v);
        b.right.push_back(0.0f);
    }
    EXPECT_NEAR(samplePeak(b), 0.7071, 1e-3);
    // The short interpolation filter may overshoot slightly (a safe error
    // for a limiter), never undershoot much.
    EXPECT_GE(truePeak(b), 0.99);
    EXPECT_LE(truePeak(b), 1.02);

    // A low sine's true peak is its sample peak.
    StereoBuffer low;
    appendSine(low, 44100.0, 100.0, -6.0, 0.5);
    EXPECT_NEAR(truePeak(low), samplePeak(low), 1e-3);
}
