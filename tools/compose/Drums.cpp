#include "Drums.h"

#include "Synth.h"
#include "Voices.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace compose {

namespace {

constexpr double kDt = 1.0 / kSampleRate;

// Six square waves at inharmonic ratios: the metallic core of hats, rides
// and crashes (the classic analogue drum-machine recipe). They are left
// naive (not band-limited): their aliases are as inharmonic as the rest and
// the high-pass that follows keeps only the top of the spectrum anyway.
class Metal {
public:
    explicit Metal(double scale)
    {
        static constexpr std::array<double, 6> kHz = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
        for (std::size_t i = 0; i < kHz.size(); ++i) {
            m_increment[i] = kHz[i] * scale / kSampleRate;
            m_phase[i] = 0.137 * static_cast<double>(i);
        }
    }
    float next()
    {
        double sum = 0.0;
        for (std::size_t i = 0; i < m_phase.size(); ++i) {
            sum += m_phase[i] < 0.5 ? 1.0 : -1.0;
            m_phase[i] += m_increment[i];
            if (m_phase[i] >= 1.0)
                m_phase[i] -= 1.0;
        }
        return static_cast<float>(sum * (1.0 / 6.0));
    }

private:
    std::array<double, 6> m_phase{};
    std::array<double, 6> m_increment{};
};

// Calls fn(t) for every frame of a hit lasting `seconds` and writes the
// returned stereo pair, stopping early at the end of the canvas window.
template <typename Fn> void play(const Note& note, double seconds, Canvas& canvas, Fn&& fn)
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
    Decay sweep(soft ? 0.04 : 0.026);
    Decay snap(0.0035);
    Decay body(soft ? 0.42 : 0.3);
    Decay click(0.004);
    double phase = 0.0;
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        const double hz = soft ? 40.0 + 70.0 * sweep.next() : 46.0 + 125.0 * sweep.next() + 320.0 * snap.next();
        phase += hz * kDt;
        const double amp = std::min(1.0, t / 0.0012) * body.next();
        const double tone = bodyTone.lowpass(softClip(1.7 * sinCycles(phase) * amp));
        const double hit = clickTone.lowpass(noise.next()) * click.next() * (soft ? 0.15 : 0.6);
        const float s = static_cast<float>((0.95 * tone + hit) * v);
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
    Decay sweep(0.011), toneA(0.065), toneB(0.04), rattle(0.12);
    double phaseA = 0.0;
    double phaseB = 0.0;
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        const double hz = 180.0 + 95.0 * sweep.next();
        phaseA += hz * kDt;
        phaseB += hz * 1.72 * kDt;
        const double tone = sinCycles(phaseA) * 0.55 * toneA.next() + sinCycles(phaseB) * 0.25 * toneB.next();
        const double x = noise.next();
        high.process(x);
        band.process(x);
        const double noisy = (0.5 * high.high() + 0.6 * band.band()) * rattle.next() * std::min(1.0, t / 0.0008);
        const float s = static_cast<float>(softClip(1.4 * (tone + noisy)) * 1.1 * v);
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
    // Three quick bursts, then the room's tail.
    const double bursts[] = {0.0, 0.011, 0.022};
    play(n, drumSoundingTime(n), c, [&](double t) {
        double env = 0.0;
        for (double b : bursts)
            if (t >= b && t < b + 0.04)
                env = std::max(env, std::exp(-(t - b) / 0.0065));
        if (t >= 0.031)
            env = std::max(env, 0.85 * std::exp(-(t - 0.031) / 0.11));
        bandL.process(noiseL.next());
        bandR.process(noiseR.next());
        const float g = static_cast<float>(env * std::min(1.0, t / 0.0005) * 1.8 * v);
        return Pair{static_cast<float>(bandL.band()) * g, static_cast<float>(bandR.band()) * g};
    });
}

void rim(const Note& n, Canvas& c)
{
    Noise noise(noteSeed(n));
    Svf band;
    band.set(3200.0, 2.0);
    Decay high(0.012), low(0.02), click(0.004);
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        band.process(noise.next());
        const double tone = sinCycles(1650.0 * t) * high.next() + 0.6 * sinCycles(520.0 * t) * low.next();
        const double hit = band.band() * click.next() * 1.5;
        const float s = static_cast<float>((0.5 * tone + hit) * v);
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
    Decay decay(open ? 0.16 : 0.028);
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        const double x = 0.65 * metal.next() + 0.55 * noise.next();
        high.process(x);
        tone.process(high.high());
        const double env = std::min(1.0, t / 0.0006) * decay.next();
        const float s = static_cast<float>(tone.low() * env * 0.9 * v);
        return Pair{s * p.left, s * p.right};
    });
}

void shaker(const Note& n, Canvas& c)
{
    Noise noise(noteSeed(n));
    Svf band;
    band.set(7800.0, 1.1);
    Decay decay(0.035);
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        band.process(noise.next());
        const double env = std::min(1.0, t / 0.012) * decay.next();
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
    Decay stick(0.02), wash(0.45), ping(0.25);
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        const double x = 0.8 * metal.next() + 0.25 * noise.next();
        band.process(x);
        high.process(band.band());
        const double bell = sinCycles(3150.0 * t) * 0.12 * ping.next();
        const double env = std::min(1.0, t / 0.0008) * (0.3 * stick.next() + 0.7 * wash.next());
        const float s = static_cast<float>((high.high() * env + bell) * 1.1 * v);
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
    toneL.set(16000.0, 0.6);
    toneR.set(16000.0, 0.6);
    Decay attack(0.05), wash(0.75);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        highL.process(0.6 * noiseL.next() + 0.5 * metalL.next());
        highR.process(0.6 * noiseR.next() + 0.5 * metalR.next());
        toneL.process(highL.high());
        toneR.process(highR.high());
        const double env = std::min(1.0, t / 0.001) * (0.35 * attack.next() + 0.65 * wash.next());
        const float g = static_cast<float>(env * 1.6 * v);
        return Pair{static_cast<float>(toneL.low()) * g, static_cast<float>(toneR.low()) * g};
    });
}

void tom(const Note& n, Canvas& c)
{
    const double base = midiToHz(n.pitch);
    Decay sweep(0.045), body(0.18);
    double phase = 0.0;
    const PanGains p = panGains(n.pan);
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        phase += base * (1.0 + 0.6 * sweep.next()) * kDt;
        const double env = std::min(1.0, t / 0.001) * body.next();
        const float s = static_cast<float>(softClip(1.5 * sinCycles(phase) * env) * 0.8 * v);
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
        const double x2 = x * x;
        const float g = static_cast<float>(x2 * x2 * 0.9 * v);
        return Pair{static_cast<float>(highL.high()) * g, static_cast<float>(highR.high()) * g};
    });
}

// Deep falling boom with a muffled noise burst: marks a section's first beat.
void impact(const Note& n, Canvas& c)
{
    Noise noise(noteSeed(n));
    OnePole tone;
    tone.setCutoff(400.0);
    Decay sweep(0.35), boomDecay(0.7), rumbleDecay(0.35);
    double phase = 0.0;
    const float v = n.velocity;
    play(n, drumSoundingTime(n), c, [&](double t) {
        phase += (30.0 + 42.0 * sweep.next()) * kDt;
        const double boom = sinCycles(phase) * std::min(1.0, t / 0.002) * boomDecay.next();
        const double rumble = tone.lowpass(noise.next()) * rumbleDecay.next() * 1.2;
        const float s = static_cast<float>(softClip(1.2 * (boom + rumble)) * v);
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
    case Voice::Kick:
        kick(note, canvas, false);
        break;
    case Voice::SoftKick:
        kick(note, canvas, true);
        break;
    case Voice::Snare:
        snare(note, canvas);
        break;
    case Voice::Clap:
        clap(note, canvas);
        break;
    case Voice::Rim:
        rim(note, canvas);
        break;
    case Voice::HatClosed:
        hat(note, canvas, false);
        break;
    case Voice::HatOpen:
        hat(note, canvas, true);
        break;
    case Voice::Shaker:
        shaker(note, canvas);
        break;
    case Voice::Ride:
        ride(note, canvas);
        break;
    case Voice::Crash:
        crash(note, canvas);
        break;
    case Voice::Tom:
        tom(note, canvas);
        break;
    case Voice::Riser:
        riser(note, canvas);
        break;
    case Voice::Swell:
        swell(note, canvas);
        break;
    case Voice::Impact:
        impact(note, canvas);
        break;
    default:
        break;
    }
}

double drumSoundingTime(const Note& note)
{
    switch (note.voice) {
    case Voice::Kick:
        return 0.5;
    case Voice::SoftKick:
        return 0.7;
    case Voice::Snare:
        return 0.38;
    case Voice::Clap:
        return 0.4;
    case Voice::Rim:
        return 0.12;
    case Voice::HatClosed:
        return 0.12;
    case Voice::HatOpen:
        return std::min(0.8, std::max(0.12, note.length));
    case Voice::Shaker:
        return 0.12;
    case Voice::Ride:
        return 1.1;
    case Voice::Crash:
        return 2.6;
    case Voice::Tom:
        return 0.5;
    case Voice::Riser:
        return std::max(0.05, note.length) + 0.02;
    case Voice::Swell:
        return std::max(0.05, note.length) + 0.012;
    case Voice::Impact:
        return 2.4;
    default:
        return 0.0;
    }
}

} // namespace compose
