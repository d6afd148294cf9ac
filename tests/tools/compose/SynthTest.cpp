// Oscillators, envelopes, filters and helpers of the synthesiser.
#include "Synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace compose;

namespace {

// Amplitude of a steady sine after filtering (peak over the last half).
double filteredAmplitude(double toneHz, double cutoffHz)
{
    Svf f;
    f.set(cutoffHz, 0.7071);
    double peak = 0.0;
    const int n = kSampleRate;
    for (int i = 0; i < n; ++i) {
        f.process(std::sin(kTwoPi * toneHz * i / kSampleRate));
        if (i > n / 2)
            peak = std::max(peak, std::fabs(f.low()));
    }
    return peak;
}

} // namespace

TEST(Synth, ConversionsAndShapers)
{
    EXPECT_DOUBLE_EQ(midiToHz(69), 440.0);
    EXPECT_NEAR(midiToHz(57), 220.0, 1e-9);
    EXPECT_NEAR(midiToHz(60), 261.6256, 1e-4);
    EXPECT_NEAR(dbToGain(-6.0206), 0.5, 1e-4);
    EXPECT_NEAR(gainToDb(0.1), -20.0, 1e-12);
    EXPECT_TRUE(std::isinf(gainToDb(0.0)));

    // The fast sine agrees with std::sin everywhere, including far from 0.
    double worst = 0.0;
    for (double c = -3.0; c < 3.0; c += 0.000731)
        worst = std::max(worst, std::fabs(sinCycles(c) - std::sin(kTwoPi * c)));
    for (double c = 12345.0; c < 12346.0; c += 0.0137)
        worst = std::max(worst, std::fabs(sinCycles(c) - std::sin(kTwoPi * c)));
    EXPECT_LT(worst, 1e-6);

    // Soft clipping: odd, monotonic, close to x near zero, never beyond 1.
    double last = -1.0;
    for (double x = -5.0; x <= 5.0; x += 0.01) {
        const double y = softClip(x);
        EXPECT_GE(y, last - 1e-12);
        EXPECT_LE(std::fabs(y), 1.0);
        EXPECT_NEAR(softClip(-x), -y, 1e-12);
        last = y;
    }
    EXPECT_NEAR(softClip(0.1), std::tanh(0.1), 1e-4);
    EXPECT_NEAR(softClip(1.0), std::tanh(1.0), 0.025);

    // The decay equals exp(-t / tau) sample by sample.
    Decay d(0.05);
    double v = 0.0;
    for (int i = 0; i <= 2205; ++i)
        v = d.next();
    EXPECT_NEAR(v, std::exp(-1.0), 1e-9);
}

TEST(Synth, NoiseIsRepeatableAndInRange)
{
    Noise a(42), b(42), c(43);
    double sum = 0.0;
    bool differs = false;
    for (int i = 0; i < 100000; ++i) {
        const float x = a.next();
        EXPECT_EQ(x, b.next());
        differs = differs || x != c.next();
        ASSERT_GE(x, -1.0f);
        ASSERT_LT(x, 1.0f);
        sum += x;
    }
    EXPECT_TRUE(differs);
    EXPECT_NEAR(sum / 100000.0, 0.0, 0.01);
    // A zero seed still gives noise, not a stuck zero.
    Noise z(0);
    EXPECT_NE(z.next(), z.next());
    EXPECT_NE(hashSeed(1, 2, 3), hashSeed(1, 2, 4));
}

TEST(Synth, OscillatorsHaveTheirPitchAndLevel)
{
    for (auto shape :
         {Oscillator::Shape::Sine, Oscillator::Shape::Saw, Oscillator::Shape::Square, Oscillator::Shape::Triangle}) {
        Oscillator osc(shape, 441.0, 0.1);
        int upward = 0;
        float prev = osc.next();
        double sum = 0.0;
        double peak = 0.0;
        for (int i = 1; i < kSampleRate; ++i) {
            const float x = osc.next();
            upward += (prev < 0.0f && x >= 0.0f) ? 1 : 0;
            prev = x;
            sum += x;
            peak = std::max(peak, static_cast<double>(std::fabs(x)));
        }
        // One upward zero crossing per cycle; no DC; about unit amplitude
        // (the band-limiting corrections may overshoot a little).
        EXPECT_NEAR(upward, 441, 1) << static_cast<int>(shape);
        EXPECT_NEAR(sum / kSampleRate, 0.0, 0.01) << static_cast<int>(shape);
        EXPECT_GT(peak, 0.95) << static_cast<int>(shape);
        EXPECT_LT(peak, 1.1) << static_cast<int>(shape);
    }
}

TEST(Synth, EnvelopeShape)
{
    const Adsr env{0.01, 0.1, 0.5, 0.2};
    EXPECT_EQ(env.at(-0.1, 1.0), 0.0);
    EXPECT_NEAR(env.at(0.005, 1.0), 0.5, 1e-12); // halfway up the attack
    EXPECT_NEAR(env.at(0.01, 1.0), 1.0, 1e-12); // top of the attack
    EXPECT_NEAR(env.at(0.9, 1.0), 0.5, 1e-3); // settled on the sustain
    // Release starts where the held level was and ends in silence.
    EXPECT_NEAR(env.at(1.0, 1.0), env.at(0.999999, 1.0), 1e-5);
    EXPECT_LT(env.at(1.1, 1.0), env.at(1.0, 1.0));
    EXPECT_NEAR(env.at(env.end(1.0), 1.0), 0.0, 1e-12);
    EXPECT_EQ(env.at(env.end(1.0) + 1e-6, 1.0), 0.0);
    // A note released during its attack falls from where it got to.
    EXPECT_NEAR(env.at(0.005, 0.005), 0.5, 1e-6);
}

TEST(Synth, FiltersPassAndStopWhereTheyShould)
{
    // Low-pass at 1 kHz, second order: unity well below, -3 dB at the
    // cutoff, -12 dB per octave above (a quarter at 2 kHz is too strict so
    // compare against the textbook 1 / sqrt(1 + (f/fc)^4)).
    EXPECT_NEAR(filteredAmplitude(100.0, 1000.0), 1.0, 0.01);
    EXPECT_NEAR(filteredAmplitude(1000.0, 1000.0), 0.7071, 0.02);
    EXPECT_NEAR(filteredAmplitude(4000.0, 1000.0), 1.0 / std::sqrt(1.0 + 256.0), 0.01);

    OnePole smooth;
    smooth.setCutoff(10.0);
    double y = 0.0;
    for (int i = 0; i < kSampleRate; ++i)
        y = smooth.lowpass(1.0);
    EXPECT_NEAR(y, 1.0, 1e-6);
    OnePole block;
    block.setCutoff(10.0);
    for (int i = 0; i < kSampleRate; ++i)
        y = block.highpass(1.0);
    EXPECT_NEAR(y, 0.0, 1e-6);
}
