#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace compose {

double midiToHz(double midi)
{
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

double dbToGain(double db)
{
    return std::pow(10.0, db / 20.0);
}

double gainToDb(double gain)
{
    if (gain <= 0.0)
        return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(gain);
}

Decay::Decay(double tauSeconds) : m_factor(std::exp(-1.0 / (tauSeconds * kSampleRate)))
{
}

Noise::Noise(uint32_t seed) : m_state(seed != 0 ? seed : 0x9E3779B9u)
{
}

uint32_t hashSeed(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = 0x811C9DC5u;
    for (uint32_t v : {a, b, c}) {
        h ^= v;
        h *= 0x01000193u;
        h ^= h >> 15;
        h *= 0x2C1B3C6Du;
        h ^= h >> 12;
    }
    return h;
}

namespace {

// Correction that removes the step discontinuity's aliasing: t is the phase,
// dt the phase increment per sample.
double polyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

} // namespace

Oscillator::Oscillator(Shape shape, double hz, double phase)
    : m_shape(shape), m_phase(phase - std::floor(phase)), m_increment(hz / kSampleRate)
{
}

void Oscillator::setFrequency(double hz)
{
    m_increment = hz / kSampleRate;
}

float Oscillator::next()
{
    const double t = m_phase;
    const double dt = m_increment;
    double out = 0.0;
    switch (m_shape) {
    case Shape::Sine:
        out = sinCycles(t);
        break;
    case Shape::Saw:
        out = 2.0 * t - 1.0 - polyBlep(t, dt);
        break;
    case Shape::Square: {
        out = t < 0.5 ? 1.0 : -1.0;
        out += polyBlep(t, dt);
        double t2 = t + 0.5;
        t2 -= std::floor(t2);
        out -= polyBlep(t2, dt);
        break;
    }
    case Shape::Triangle:
        out = t < 0.5 ? 4.0 * t - 1.0 : 3.0 - 4.0 * t;
        break;
    }
    m_phase += dt;
    if (m_phase >= 1.0)
        m_phase -= 1.0;
    return static_cast<float>(out);
}

double Adsr::at(double t, double gate) const
{
    if (t < 0.0)
        return 0.0;
    auto held = [this](double u) {
        if (u < attack)
            return u / attack;
        return sustain + (1.0 - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < gate)
        return held(t);
    const double x = (t - gate) / release;
    if (x >= 1.0)
        return 0.0;
    return held(gate) * (1.0 - x) * std::exp(-3.0 * x);
}

void Svf::set(double cutoffHz, double q)
{
    const double fc = std::clamp(cutoffHz, 10.0, 0.45 * kSampleRate);
    const double g = std::tan(kPi * fc / kSampleRate);
    m_k = 1.0 / q;
    m_a1 = 1.0 / (1.0 + g * (g + m_k));
    m_a2 = g * m_a1;
    m_a3 = g * m_a2;
}

void OnePole::setCutoff(double hz)
{
    m_coef = 1.0 - std::exp(-kTwoPi * hz / kSampleRate);
}

double OnePole::lowpass(double in)
{
    m_state += m_coef * (in - m_state);
    return m_state;
}

} // namespace compose
