#include "Drums.h"

#include "Synth.h"
#include "Voices.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace compose {

namespace {

constexpr double kDt = 1.0 / kSampleRate;

// Six detuned square waves at inharmonic ratios: the metallic core of hats,
// rides and crashes (the classic analogue drum-machine recipe).
class Metal {
public:
    explicit Metal(double scale)
    {
        static constexpr std::array<double, 6> kHz = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
        for (std::size_t i = 0; i < kHz.size(); ++i)
            m_osc[i] = Oscillator(Oscillator::Shape::Square, kHz[i] * scale, 0.137 * static_cast<double>(i));
    }
    float next()
    {
        float sum = 0.0f;
        for (auto& o : m_osc)
            sum += o.next();
        return sum * (1.0f / 6.0f);
    }

private:
    std::array<Oscillator, 6> m_osc;
};

// Calls fn(t) for every frame of a hit lasting `seconds` and writes the
// returned stereo pair, stopping early at the end of the canvas window.
template <typename Fn>
void play(const Note& note, double seconds, Canvas& canvas, Fn&& fn)
{
    const int64_t first = frameAt(note.start);
    const int64_t last = std::min(first + frameAt(seconds), canvas.end());
    // A short fade at the very end keeps truncated tails click-free.
    const double fadeStart = seconds - 0.01;
    for (int64_t f = first; f < last; ++f) {
        const double t = static_cast<double>(f - first) * kDt;
        auto [l, r] = fn(t);
        if (t > fadeStart) {
            const float g = static_cast<float>(std::max(0.0, (seconds - t) / 0.01));
            l *= g;
            r *= g;
        }
        canvas.add(f, l, r);
    }
}

struct Pair {
    float l;
    float r;
};

void kick(const Note& n, Canvas& c, bool soft)
{
    Noise noise(noteSeed(n));
    OnePole clickTone;
    clickTone.setCutoff(soft ? 900.0 : 5000.0);
    OnePole bodyTone;
    bodyTone.setCutoff(soft ? 700.0 : 8000.0);
    double phase = 0.0;
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        const double hz = soft ? 40.0 + 70.0 * std::exp(-t / 0.04)
                               : 46.0 + 125.0 * std::exp(-t / 0.026) + 320.0 * std::exp(-t / 0.0035);
        phase += hz * kDt;
        const double attack = std::min(1.0, t / 0.0012);
        const double amp = attack * std::exp(-t / (soft ? 0.42 : 0.3));
        double body = std::tanh(1.7 * std::sin(kTwoPi * phase) * amp);
        body = bodyTone.lowpass(body);
        const double click = clickTone.lowpass(noise.next()) * std::exp(-t / 0.004) * (soft ? 0.15 : 0.6);
        const float s = static_cast<float>((0.95 * body + click) * v);
        return Pair{s * p.left, s * p.right};
    });
}

void snare(const Note& n, Canvas& c)
{
    Noise noise(noteSeed(n));
    Svf high;
    high.set(1700.0, 0.7);
    Svf band;
    band.set(5200.0, 0.8);
    double phaseA = 0.0;
    double phaseB = 0.0;
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        const double hz = 180.0 + 95.0 * std::exp(-t / 0.011);
        phaseA += hz * kDt;
        phaseB += hz * 1.72 * kDt;
        const double tone = std::sin(kTwoPi * phaseA) * 0.55 * std::exp(-t / 0.065) +
                            std::sin(kTwoPi * phaseB) * 0.25 * std::exp(-t / 0.04);
        const double x = noise.next();
        high.process(x);
        band.process(x);
        const double rattle = (0.7 * high.high() + 0.6 * band.band()) * std::exp(-t / 0.12) *
                              std::min(1.0, t / 0.0008);
        const float s = static_cast<float>(std::tanh(1.4 * (tone + rattle)) * 0.9 * v);
        return Pair{s * p.left, s * p.right};
    });
}

void clap(const Note& n, Canvas& c)
{
    Noise noiseL(noteSeed(n));
    Noise noiseR(noteSeed(n) ^ 0x5bd1e995u);
    Svf bandL, bandR;
    bandL.set(1250.0, 1.4);
    bandR.set(1350.0, 1.4);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        double env = 0.0;
        for (double burst : {0.0, 0.011, 0.022})
            if (t >= burst)
                env = std::max(env, std::exp(-(t - burst) / 0.0065));
        if (t >= 0.031)
            env = std::max(env, 0.85 * std::exp(-(t - 0.031) / 0.11));
        bandL.process(noiseL.next());
        bandR.process(noiseR.next());
        const float g = static_cast<float>(env * 1.8 * v);
        return Pair{static_cast<float>(bandL.band()) * g, static_cast<float>(bandR.band()) * g};
    });
}

void rim(const Note& n, Canvas& c)
{
    Noise noise(noteSeed(n));
    Svf band;
    band.set(3200.0, 2.0);
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        band.process(noise.next());
        const double tone = std::sin(kTwoPi * 1650.0 * t) * std::exp(-t / 0.012) +
                            0.6 * std::sin(kTwoPi * 520.0 * t) * std::exp(-t / 0.02);
        const double click = band.band() * std::exp(-t / 0.004) * 1.5;
        const float s = static_cast<float>((0.5 * tone + click) * v);
        return Pair{s * p.left, s * p.right};
    });
}

void hat(const Note& n, Canvas& c, bool open)
{
    Noise noise(noteSeed(n));
    Metal metal(1.0);
    Svf high;
    high.set(7200.0, 0.75);
    Svf tone;
    tone.set(13000.0, 0.6);
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    const double decay = open ? 0.16 : 0.028;
    play(n, drumSoundingTime(n), c, [&](double t) {
        const double x = 0.65 * metal.next() + 0.55 * noise.next();
        high.process(x);
        tone.process(high.high());
        const double env = std::min(1.0, t / 0.0006) * std::exp(-t / decay);
        const float s = static_cast<float>(tone.low() * env * 0.9 * v);
        return Pair{s * p.left, s * p.right};
    });
}

void shaker(const Note& n, Canvas& c)
{
    Noise noise(noteSeed(n));
    Svf band;
    band.set(7800.0, 1.1);
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        band.process(noise.next());
        const double env = std::min(1.0, t / 0.012) * std::exp(-t / 0.035);
        const float s = static_cast<float>(band.band() * env * 1.1 * v);
        return Pair{s * p.left, s * p.right};
    });
}

void ride(const Note& n, Canvas& c)
{
    Noise noise(noteSeed(n));
    Metal metal(1.9);
    Svf band;
    band.set(7600.0, 1.3);
    Svf high;
    high.set(4000.0, 0.7);
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        const double x = 0.8 * metal.next() + 0.25 * noise.next();
        band.process(x);
        high.process(band.band());
        const double ping = std::sin(kTwoPi * 3150.0 * t) * 0.12 * std::exp(-t / 0.25);
        const double env = std::min(1.0, t / 0.0008) * (0.3 * std::exp(-t / 0.02) + 0.7 * std::exp(-t / 0.45));
        const float s = static_cast<float>((high.high() * env + ping) * 0.8 * v);
        return Pair{s * p.left, s * p.right};
    });
}

void crash(const Note& n, Canvas& c)
{
    Noise noiseL(noteSeed(n));
    Noise noiseR(noteSeed(n) ^ 0x27d4eb2du);
    Metal metalL(1.37), metalR(1.41);
    Svf highL, highR, toneL, toneR;
    highL.set(3600.0, 0.7);
    highR.set(3600.0, 0.7);
    toneL.set(12000.0, 0.6);
    toneR.set(12000.0, 0.6);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        highL.process(0.6 * noiseL.next() + 0.5 * metalL.next());
        highR.process(0.6 * noiseR.next() + 0.5 * metalR.next());
        toneL.process(highL.high());
        toneR.process(highR.high());
        const double env = std::min(1.0, t / 0.001) * (0.35 * std::exp(-t / 0.05) + 0.65 * std::exp(-t / 0.75));
        const float g = static_cast<float>(env * 0.85 * v);
        return Pair{static_cast<float>(toneL.low()) * g, static_cast<float>(toneR.low()) * g};
    });
}

void tom(const Note& n, Canvas& c)
{
    const double base = midiToHz(n.pitch);
    double phase = 0.0;
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        phase += base * (1.0 + 0.6 * std::exp(-t / 0.045)) * kDt;
        const double env = std::min(1.0, t / 0.001) * std::exp(-t / 0.18);
        const float s = static_cast<float>(std::tanh(1.5 * std::sin(kTwoPi * phase) * env) * 0.8 * v);
        return Pair{s * p.left, s * p.right};
    });
}

// Band-passed noise whose centre climbs from 250 Hz to 9 kHz over the note,
// growing louder toward the end: the tension build before a section.
void riser(const Note& n, Canvas& c)
{
    Noise noiseL(noteSeed(n));
    Noise noiseR(noteSeed(n) ^ 0x165667b1u);
    Svf bandL, bandR;
    const double len = std::max(0.05, n.length);
    const float v = n.velocity;
    int64_t counter = 0;
    play(n, drumSoundingTime(n), c, [&](double t) {
        const double x = std::min(1.0, t / len);
        if ((counter++ & 15) == 0) {
            const double hz = 250.0 * std::pow(36.0, x);
            bandL.set(hz, 2.2);
            bandR.set(hz * 1.06, 2.2);
        }
        bandL.process(noiseL.next());
        bandR.process(noiseR.next());
        const double env = x * x * x;
        const float g = static_cast<float>(env * 1.6 * v);
        return Pair{static_cast<float>(bandL.band()) * g, static_cast<float>(bandR.band()) * g};
    });
}

// A reversed-cymbal-like swell: bright noise rising steeply into its end,
// which lands on a downbeat.
void swell(const Note& n, Canvas& c)
{
    Noise noiseL(noteSeed(n));
    Noise noiseR(noteSeed(n) ^ 0x9e3779b1u);
    Metal metal(1.37);
    Svf highL, highR;
    highL.set(3000.0, 0.7);
    highR.set(3000.0, 0.7);
    const double len = std::max(0.05, n.length);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        const double x = std::min(1.0, t / len);
        const double m = metal.next();
        highL.process(0.6 * noiseL.next() + 0.4 * m);
        highR.process(0.6 * noiseR.next() + 0.4 * m);
        const double env = std::pow(x, 4.0);
        const float g = static_cast<float>(env * 0.9 * v);
        return Pair{static_cast<float>(highL.high()) * g, static_cast<float>(highR.high()) * g};
    });
}

// Deep falling boom with a muffled noise burst: marks a section's first beat.
void impact(const Note& n, Canvas& c)
{
    Noise noise(noteSeed(n));
    OnePole tone;
    tone.setCutoff(400.0);
    double phase = 0.0;
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        phase += (30.0 + 42.0 * std::exp(-t / 0.35)) * kDt;
        const double boom = std::sin(kTwoPi * phase) * std::min(1.0, t / 0.002) * std::exp(-t / 0.7);
        const double rumble = tone.lowpass(noise.next()) * std::exp(-t / 0.35) * 1.2;
        const float s = static_cast<float>(std::tanh(1.2 * (boom + rumble)) * v);
        return Pair{s, s};
    });
}

} // namespace

bool isDrum(Voice voice)
{
    return voice <= Voice::Impact;
}

void renderDrum(const Note& note, Canvas& canvas)
{
    switch (note.voice) {
    case Voice::Kick: kick(note, canvas, false); break;
    case Voice::SoftKick: kick(note, canvas, true); break;
    case Voice::Snare: snare(note, canvas); break;
    case Voice::Clap: clap(note, canvas); break;
    case Voice::Rim: rim(note, canvas); break;
    case Voice::HatClosed: hat(note, canvas, false); break;
    case Voice::HatOpen: hat(note, canvas, true); break;
    case Voice::Shaker: shaker(note, canvas); break;
    case Voice::Ride: ride(note, canvas); break;
    case Voice::Crash: crash(note, canvas); break;
    case Voice::Tom: tom(note, canvas); break;
    case Voice::Riser: riser(note, canvas); break;
    case Voice::Swell: swell(note, canvas); break;
    case Voice::Impact: impact(note, canvas); break;
    default: break;
    }
}

double drumSoundingTime(const Note& note)
{
    switch (note.voice) {
    case Voice::Kick: return 0.5;
    case Voice::SoftKick: return 0.7;
    case Voice::Snare: return 0.38;
    case Voice::Clap: return 0.4;
    case Voice::Rim: return 0.12;
    case Voice::HatClosed: return 0.14;
    case Voice::HatOpen: return std::min(0.8, std::max(0.12, note.length));
    case Voice::Shaker: return 0.12;
    case Voice::Ride: return 1.1;
    case Voice::Crash: return 2.6;
    case Voice::Tom: return 0.5;
    case Voice::Riser: return std::max(0.05, note.length) + 0.02;
    case Voice::Swell: return std::max(0.05, note.length) + 0.012;
    case Voice::Impact: return 2.4;
    default: return 0.0;
    }
}

} // namespace compose
