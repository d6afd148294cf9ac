// Reverb, echo and mastering on signals with known answers.
#include "AudioBuffer.h"
#include "Delay.h"
#include "Loudness.h"
#include "Master.h"
#include "Reverb.h"
#include "Synth.h"
#include "TruePeak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace compose;

namespace {

double energy(const std::vector<float>& x, std::size_t from, std::size_t to)
{
    double e = 0.0;
    for (std::size_t i = from; i < to; ++i)
        e += static_cast<double>(x[i]) * x[i];
    return e;
}

} // namespace

TEST(Reverb, ImpulseGivesADecayingStereoTail)
{
    Reverb reverb(0.86, 0.45, 0.025);
    StereoBuffer b(kSampleRate * 6);
    b.left[0] = b.right[0] = 1.0f;
    reverb.process(b);
    // Nothing before the 25 ms pre-delay, then a tail that dies away.
    EXPECT_EQ(energy(b.left, 0, 1100), 0.0);
    const double early = energy(b.left, 0, kSampleRate);
    const double late = energy(b.left, kSampleRate * 4, kSampleRate * 5);
    EXPECT_GT(early, 0.0);
    EXPECT_LT(late, early * 1e-3);
    EXPECT_NE(b.left, b.right);

    // Processing in two calls continues seamlessly.
    Reverb once(0.5, 0.5, 0.01);
    Reverb twice(0.5, 0.5, 0.01);
    StereoBuffer whole(20000);
    Noise noise(7);
    for (std::size_t i = 0; i < whole.frames(); ++i)
        whole.left[i] = whole.right[i] = noise.next();
    StereoBuffer a(12345);
    StereoBuffer c(whole.frames() - 12345);
    std::copy(whole.left.begin(), whole.left.begin() + 12345, a.left.begin());
    std::copy(whole.right.begin(), whole.right.begin() + 12345, a.right.begin());
    std::copy(whole.left.begin() + 12345, whole.left.end(), c.left.begin());
    std::copy(whole.right.begin() + 12345, whole.right.end(), c.right.begin());
    once.process(whole);
    twice.process(a);
    twice.process(c);
    for (std::size_t i = 0; i < c.frames(); ++i)
        ASSERT_EQ(c.left[i], whole.left[12345 + i]) << i;
}

TEST(Delay, EchoesAlternateSidesAndFade)
{
    const double seconds = 0.1;
    const auto d = static_cast<std::size_t>(std::lround(seconds * kSampleRate));
    PingPongDelay delay(seconds, 0.5);
    StereoBuffer b(d * 5);
    b.left[0] = b.right[0] = 1.0f;
    delay.process(b);
    // The first echo is on the left after one delay, the second on the
    // right after two, the third on the left again, each quieter.
    auto peakAround = [&](const std::vector<float>& x, std::size_t at) {
        double p = 0.0;
        for (std::size_t i = at; i < at + 200; ++i)
            p = std::max(p, static_cast<double>(std::fabs(x[i])));
        return p;
    };
    EXPECT_EQ(energy(b.left, 0, d), 0.0);
    EXPECT_EQ(energy(b.right, 0, 2 * d), 0.0);
    const double first = peakAround(b.left, d);
    const double second = peakAround(b.right, 2 * d);
    const double third = peakAround(b.left, 3 * d);
    EXPECT_GT(first, 0.5);
    EXPECT_GT(second, 0.0);
    EXPECT_LT(second, first);
    EXPECT_LT(third, second);
}

TEST(Master, HitsTheLoudnessTargetUnderTheCeiling)
{
    // Ten seconds of a beat-like signal: loud low thumps over quiet noise.
    StereoBuffer mix(kSampleRate * 10);
    Noise noise(99);
    for (std::size_t i = 0; i < mix.frames(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double beat = std::fmod(t, 0.5);
        const double thump = std::sin(kTwoPi * 60.0 * t) * std::exp(-beat / 0.08);
        mix.left[i] = static_cast<float>(0.05 * thump + 0.01 * noise.next());
        mix.right[i] = static_cast<float>(0.05 * thump + 0.01 * noise.next());
    }
    MasterSettings settings;
    settings.targetLufs = -12.0;
    settings.ceilingDb = -3.0;
    StereoBuffer out = mix;
    const MasterReport report = master(out, settings);
    EXPECT_NEAR(integratedLoudness(out, kSampleRate), -12.0, settings.toleranceLu);
    EXPECT_NEAR(report.loudnessLufs, -12.0, settings.toleranceLu);
    EXPECT_LE(samplePeak(out), dbToGain(-3.0));
    EXPECT_LE(report.truePeakDb, -3.0 + 0.05);
    // Getting there took limiting: the thumps alone would peak far higher.
    EXPECT_GT(report.maxReductionDb, 1.0);
    EXPECT_GT(report.gainDb, 0.0);

    StereoBuffer silent(kSampleRate);
    EXPECT_THROW(master(silent), std::runtime_error);
}
