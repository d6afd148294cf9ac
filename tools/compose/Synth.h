#pragma once
// Small DSP building blocks shared by the instruments, drums and effects:
// unit conversions, a repeatable noise source, band-limited oscillators,
// envelopes and filters. Everything is plain arithmetic on doubles/floats with
// no global state, so the same call sequence always gives the same samples.

#include <cmath>
#include <cstdint>

namespace compose {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

// Frequency in Hz of a (possibly fractional) MIDI note number; 69 is A4 = 440 Hz.
double midiToHz(double midi);
// Linear gain of a level in decibels.
double dbToGain(double db);
// Level in decibels of a linear gain; a gain of 0 gives -infinity.
double gainToDb(double gain);
// Soft saturation: a rational approximation of tanh (within 2.5 % of it),
// exactly +-1 beyond |x| = 3.
inline double softClip(double x)
{
    if (x >= 3.0)
        return 1.0;
    if (x <= -3.0)
        return -1.0;
    const double x2 = x * x;
    return x * (27.0 + x2) / (27.0 + 9.0 * x2);
}

// sin(2 pi cycles) by range reduction and a polynomial, accurate to about
// 1e-6 and much cheaper than std::sin; plain arithmetic, so repeatable.
inline double sinCycles(double cycles)
{
    // Reduce to x in [-0.25, 0.25] cycles with the same sine.
    double x = cycles - std::floor(cycles) - 0.5; // sin(2 pi c) = -sin(2 pi x)
    if (x > 0.25)
        x = 0.5 - x;
    else if (x < -0.25)
        x = -0.5 - x;
    const double y = kTwoPi * x;
    const double y2 = y * y;
    const double s = y *
        (1.0 + y2 * (-1.0 / 6.0 + y2 * (1.0 / 120.0 + y2 * (-1.0 / 5040.0 + y2 * (1.0 / 362880.0 - y2 / 39916800.0)))));
    return -s;
}

// Exponential decay from 1 with time constant tau seconds, one sample per
// call: a multiplication instead of an exp() per sample.
class Decay {
public:
    explicit Decay(double tauSeconds);
    // The current level; advances by one sample.
    double next()
    {
        const double v = m_level;
        m_level *= m_factor;
        return v;
    }

private:
    double m_level = 1.0;
    double m_factor;
};

// White noise from a 32-bit xorshift generator. Each voice seeds its own
// generator from its note, so results never depend on rendering order.
class Noise {
public:
    // Requires nothing; a seed of 0 is replaced by a fixed non-zero value.
    explicit Noise(uint32_t seed);
    // Next sample, uniform in [-1, 1).
    float next() { return unit() * 2.0f - 1.0f; }
    // Next value, uniform in [0, 1).
    float unit()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        // Top 24 bits give an exactly representable float in [0, 1).
        return static_cast<float>(m_state >> 8) * (1.0f / 16777216.0f);
    }

private:
    uint32_t m_state;
};

// Mixes the bits of several integers into a noise seed.
uint32_t hashSeed(uint32_t a, uint32_t b = 0, uint32_t c = 0);

// Oscillator with polyBLEP-corrected saw and square waves (no audible
// aliasing at the pitches used here), plus sine and triangle.
class Oscillator {
public:
    enum class Shape { Sine, Saw, Square, Triangle };

    // A silent-frequency sine; set the frequency before use.
    Oscillator() : Oscillator(Shape::Sine, 0.0) { }
    // hz must be below half the sample rate; phase is in cycles [0, 1).
    Oscillator(Shape shape, double hz, double phase = 0.0);
    // Changes the frequency from the next sample on.
    void setFrequency(double hz);
    // Next sample in about [-1, 1].
    float next();

private:
    Shape m_shape;
    double m_phase;
    double m_increment;
};

// Attack/decay/sustain/release envelope evaluated as a function of the time
// since the note started, so no per-sample state is needed.
struct Adsr {
    double attack = 0.005; // seconds to reach 1
    double decay = 0.1; // time constant of the fall toward sustain
    double sustain = 0.7; // level held while the gate is on
    double release = 0.2; // seconds from gate off to silence

    // Level at t seconds after the note start for a gate of gate seconds.
    double at(double t, double gate) const;
    // Seconds after the note start at which the level reaches 0 for good.
    double end(double gate) const { return gate + release; }
};

// Zero-delay-feedback state-variable filter (trapezoidal integration): stable
// under fast cutoff modulation, which the sweeps rely on.
class Svf {
public:
    // Sets cutoff (clamped to 10 Hz .. 0.45 * sample rate) and resonance Q (> 0).
    void set(double cutoffHz, double q);
    // Filters one sample; the three outputs are available afterwards.
    void process(double in)
    {
        const double v3 = in - m_ic2;
        const double v1 = m_a1 * m_ic1 + m_a2 * v3;
        const double v2 = m_ic2 + m_a2 * m_ic1 + m_a3 * v3;
        m_ic1 = 2.0 * v1 - m_ic1;
        m_ic2 = 2.0 * v2 - m_ic2;
        m_low = v2;
        m_band = v1;
        m_high = in - m_k * v1 - v2;
    }
    double low() const { return m_low; }
    double band() const { return m_band; }
    double high() const { return m_high; }

private:
    double m_a1 = 1.0, m_a2 = 0.0, m_a3 = 0.0, m_k = 1.4142;
    double m_ic1 = 0.0, m_ic2 = 0.0;
    double m_low = 0.0, m_band = 0.0, m_high = 0.0;
};

// One-pole low-pass, used for smoothing and gentle tone control.
class OnePole {
public:
    // Sets the -3 dB frequency (> 0).
    void setCutoff(double hz);
    // Filters one sample and returns the low-passed value.
    double lowpass(double in);
    // Filters one sample and returns the input minus its low-passed value.
    double highpass(double in) { return in - lowpass(in); }

private:
    double m_coef = 1.0;
    double m_state = 0.0;
};

} // namespace compose
