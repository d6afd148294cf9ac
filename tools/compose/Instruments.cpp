#include "Instruments.h"

#include "Synth.h"
#include "Voices.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace compose {

namespace {

constexpr double kDt = 1.0 / kSampleRate;

struct Pair {
    float l;
    float r;
};

Adsr envelopeOf(Voice voice)
{
    switch (voice) {
    case Voice::SubBass:
        return {0.004, 0.2, 0.85, 0.07};
    case Voice::ReeseBass:
        return {0.003, 0.3, 0.8, 0.08};
    case Voice::AcidBass:
        return {0.002, 0.15, 0.6, 0.04};
    case Voice::Pad:
        return {0.7, 1.2, 0.8, 1.4};
    case Voice::Stab:
        return {0.002, 0.15, 0.3, 0.12};
    case Voice::Lead:
        return {0.006, 0.3, 0.75, 0.15};
    case Voice::SoftLead:
        return {0.06, 0.5, 0.8, 0.45};
    case Voice::Bell:
        return {0.002, 0.4, 0.0, 0.3};
    default:
        return {0.002, 0.05, 1.0, 0.01};
    }
}

// Runs fn(t) for every frame from the note start to the end of its release
// (or the end of the canvas window) and writes the result scaled by the
// note's envelope and velocity.
template <typename Fn> void play(const Note& note, Canvas& canvas, Fn&& fn)
{
    // The envelope is evaluated every kEnvStep frames and interpolated.
    constexpr int64_t kEnvStep = 8;
    const Adsr env = envelopeOf(note.voice);
    const int64_t first = frameAt(note.start);
    const int64_t last = std::min(first + frameAt(env.end(note.length)), canvas.end());
    double e0 = 0.0;
    double e1 = env.at(0.0, note.length);
    for (int64_t f = first; f < last; ++f) {
        const int64_t i = f - first;
        const double t = static_cast<double>(i) * kDt;
        const int64_t k = i % kEnvStep;
        if (k == 0) {
            e0 = e1;
            e1 = env.at(t + kEnvStep * kDt, note.length);
        }
        const auto [l, r] = fn(t);
        const double e = e0 + (e1 - e0) * (static_cast<double>(k) / kEnvStep);
        const float g = static_cast<float>(e) * note.velocity;
        canvas.add(f, l * g, r * g);
    }
}

void subBass(const Note& n, Canvas& c)
{
    const double hz = midiToHz(n.pitch);
    double phase = 0.0;
    play(n, c, [&](double) {
        phase += hz * kDt;
        const double x = sinCycles(phase) + 0.12 * sinCycles(2.0 * phase);
        const float s = static_cast<float>(softClip(1.3 * x) * 0.75);
        return Pair{s, s};
    });
}

// Two detuned saws beating against each other over a clean sine: the
// rolling drum-and-bass bass.
void reeseBass(const Note& n, Canvas& c)
{
    const double hz = midiToHz(n.pitch);
    Oscillator sawA(Oscillator::Shape::Saw, hz * std::pow(2.0, 13.0 / 1200.0), 0.0);
    Oscillator sawB(Oscillator::Shape::Saw, hz * std::pow(2.0, -13.0 / 1200.0), 0.5);
    double phase = 0.0;
    Svf filter;
    int64_t counter = 0;
    play(n, c, [&](double t) {
        if ((counter++ & 15) == 0)
            filter.set(140.0 + 700.0 * n.velocity * std::exp(-t / 0.16) + 160.0, 0.9);
        filter.process(0.5 * (sawA.next() + sawB.next()));
        phase += hz * kDt;
        const double sub = sinCycles(phase);
        const float s = static_cast<float>(softClip(1.6 * (0.75 * filter.low() + 0.7 * sub)) * 0.62);
        return Pair{s, s};
    });
}

// Resonant saw with a snappy filter envelope (velocity opens it further).
void acidBass(const Note& n, Canvas& c)
{
    const double hz = midiToHz(n.pitch);
    Oscillator saw(Oscillator::Shape::Saw, hz, 0.25);
    Svf filter;
    int64_t counter = 0;
    play(n, c, [&](double t) {
        if ((counter++ & 15) == 0)
            filter.set(170.0 + (500.0 + 2600.0 * n.velocity) * std::exp(-t / 0.1), 4.5);
        filter.process(saw.next());
        const float s = static_cast<float>(softClip(2.2 * filter.low()) * 0.5);
        return Pair{s, s};
    });
}

// Five detuned saws spread across the stereo field plus a faint sub octave.
void pad(const Note& n, Canvas& c)
{
    static constexpr std::array<double, 5> kCents = {-15.0, -6.0, 0.0, 7.0, 16.0};
    static constexpr std::array<float, 5> kPan = {-0.9f, -0.45f, 0.0f, 0.45f, 0.9f};
    const double hz = midiToHz(n.pitch);
    Noise phases(noteSeed(n));
    std::array<Oscillator, 5> saws;
    std::array<PanGains, 5> pans{};
    for (std::size_t i = 0; i < saws.size(); ++i) {
        saws[i] = Oscillator(Oscillator::Shape::Saw, hz * std::pow(2.0, kCents[i] / 1200.0), phases.unit());
        pans[i] = panGains(std::clamp(kPan[i] + n.pan, -1.0f, 1.0f));
    }
    double subPhase = 0.0;
    play(n, c, [&](double) {
        float l = 0.0f;
        float r = 0.0f;
        for (std::size_t i = 0; i < saws.size(); ++i) {
            const float s = saws[i].next();
            l += s * pans[i].left;
            r += s * pans[i].right;
        }
        subPhase += 0.5 * hz * kDt;
        const float sub = static_cast<float>(sinCycles(subPhase) * 0.1);
        return Pair{l * 0.16f + sub, r * 0.16f + sub};
    });
}

// Short plucked chord tone: detuned saws through a fast-closing filter.
void stab(const Note& n, Canvas& c)
{
    const double hz = midiToHz(n.pitch);
    Oscillator sawA(Oscillator::Shape::Saw, hz * std::pow(2.0, 9.0 / 1200.0), 0.1);
    Oscillator sawB(Oscillator::Shape::Saw, hz * std::pow(2.0, -9.0 / 1200.0), 0.6);
    Oscillator square(Oscillator::Shape::Square, hz * 0.5, 0.3);
    Svf filter;
    int64_t counter = 0;
    const PanGains p = panGains(n.pan);
    play(n, c, [&](double t) {
        if ((counter++ & 15) == 0)
            filter.set(300.0 + 5200.0 * n.velocity * std::exp(-t / 0.075), 1.8);
        filter.process(0.45 * (sawA.next() + sawB.next()) + 0.12 * square.next());
        const float s = static_cast<float>(softClip(1.3 * filter.low()) * 0.6);
        return Pair{s * p.left, s * p.right};
    });
}

// Vibrato that fades in after the note's attack.
double vibrato(double t, double rate, double semitones)
{
    const double depth = semitones * std::clamp((t - 0.18) / 0.35, 0.0, 1.0);
    if (depth == 0.0)
        return 1.0;
    // 2^(cents/1200) by its series: the exponent stays below 0.03.
    const double y = depth * sinCycles(rate * t) * (0.69314718055994531 / 12.0);
    return 1.0 + y * (1.0 + y * 0.5 * (1.0 + y / 3.0));
}

// Bright saw lead with a square sub-octave and delayed vibrato.
void lead(const Note& n, Canvas& c)
{
    const double hz = midiToHz(n.pitch);
    Oscillator sawA(Oscillator::Shape::Saw, hz, 0.0);
    Oscillator sawB(Oscillator::Shape::Saw, hz, 0.33);
    Oscillator square(Oscillator::Shape::Square, hz * 0.5, 0.0);
    Svf filter;
    int64_t counter = 0;
    const double detune = std::pow(2.0, 8.0 / 1200.0);
    const PanGains p = panGains(n.pan);
    play(n, c, [&](double t) {
        const double f = hz * vibrato(t, 5.3, 0.22);
        sawA.setFrequency(f);
        sawB.setFrequency(f * detune);
        square.setFrequency(f * 0.5);
        if ((counter++ & 15) == 0)
            filter.set(1300.0 + 1000.0 * n.velocity + 2800.0 * std::exp(-t / 0.2), 1.1);
        filter.process(0.5 * (sawA.next() + sawB.next()) + 0.18 * square.next());
        const float s = static_cast<float>(softClip(1.2 * filter.low()) * 0.55);
        return Pair{s * p.left, s * p.right};
    });
}

// Round, flute-like lead for the mellow part: sine plus a soft octave.
void softLead(const Note& n, Canvas& c)
{
    const double hz = midiToHz(n.pitch);
    double phase = 0.0;
    const PanGains p = panGains(n.pan);
    play(n, c, [&](double t) {
        phase += hz * vibrato(t, 4.6, 0.25) * kDt;
        const double x = sinCycles(phase) + 0.22 * sinCycles(2.0 * phase) + 0.06 * sinCycles(3.0 * phase);
        const float s = static_cast<float>(x * 0.36);
        return Pair{s * p.left, s * p.right};
    });
}

// Two-operator FM bell: a modulator an octave up whose depth dies away
// faster than the tone, so the attack is glassy and the tail pure.
void bell(const Note& n, Canvas& c)
{
    const double hz = midiToHz(n.pitch);
    const PanGains p = panGains(n.pan);
    Decay brightness(0.12);
    double phase = 0.0;
    play(n, c, [&](double) {
        const double index = 2.2 * brightness.next() + 0.35;
        const double x = sinCycles(phase + index / kTwoPi * sinCycles(2.0 * phase));
        phase += hz * kDt;
        const float s = static_cast<float>(x * 0.45);
        return Pair{s * p.left, s * p.right};
    });
}

// A short sine chirp that rises in pitch, like an air bubble popping.
void bubble(const Note& n, Canvas& c)
{
    const double hz = midiToHz(n.pitch);
    const double len = std::max(0.02, n.length);
    double phase = 0.0;
    const PanGains p = panGains(n.pan);
    Decay decay(len * 0.35);
    play(n, c, [&](double t) {
        const double x = std::min(1.0, t / len);
        phase += hz * (1.0 + 1.8 * x * std::sqrt(x)) * kDt;
        const double env = std::min(1.0, t / 0.003) * decay.next();
        const float s = static_cast<float>(sinCycles(phase) * env * 0.6);
        return Pair{s * p.left, s * p.right};
    });
}

} // namespace

void renderInstrument(const Note& note, Canvas& canvas)
{
    switch (note.voice) {
    case Voice::SubBass:
        subBass(note, canvas);
        break;
    case Voice::ReeseBass:
        reeseBass(note, canvas);
        break;
    case Voice::AcidBass:
        acidBass(note, canvas);
        break;
    case Voice::Pad:
        pad(note, canvas);
        break;
    case Voice::Stab:
        stab(note, canvas);
        break;
    case Voice::Lead:
        lead(note, canvas);
        break;
    case Voice::SoftLead:
        softLead(note, canvas);
        break;
    case Voice::Bell:
        bell(note, canvas);
        break;
    case Voice::Bubble:
        bubble(note, canvas);
        break;
    default:
        break;
    }
}

double instrumentSoundingTime(const Note& note)
{
    return envelopeOf(note.voice).end(note.length);
}

} // namespace compose
