#include "SongWriter.h"

#include "Arrangement.h"
#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace compose {

namespace {

// A repeatable "played by hand" velocity variation of about +-8 %.
float humanise(int bar, int step, Voice voice)
{
    const uint32_t h = hashSeed(static_cast<uint32_t>(bar), static_cast<uint32_t>(step), static_cast<uint32_t>(voice));
    return 0.92f + 0.16f * static_cast<float>(h % 1000u) / 1000.0f;
}

} // namespace

SongWriter::SongWriter(Song& song) : m_song(song)
{
}

double SongWriter::time(double bar, double step)
{
    return (bar * 16.0 + step) * kStepSeconds;
}

void SongWriter::note(Bus bus, Voice voice, double start, double length, double pitch, float velocity, float pan)
{
    Note n;
    n.start = start;
    n.length = length;
    n.pitch = pitch;
    n.velocity = velocity;
    n.pan = pan;
    n.voice = voice;
    m_song.bus(bus).push_back(n);
}

void SongWriter::drums(int bar0, int bars, const DrumPattern& a, const DrumPattern& b, double swing, float gain,
                       int lastBarSteps)
{
    for (int i = 0; i < bars; ++i) {
        const int bar = bar0 + i;
        const DrumPattern& pattern = (i % 2 == 0) ? a : b;
        const int steps = (i == bars - 1) ? lastBarSteps : kStepsPerBar;
        for (const DrumLine& line : pattern) {
            for (int s = 0; s < steps; ++s) {
                const float v = line.velocity[static_cast<std::size_t>(s)];
                if (v <= 0.0f)
                    continue;
                const double late = (line.swung && s % 2 == 1) ? swing : 0.0;
                const float human = line.voice == Voice::Kick ? 1.0f : humanise(bar, s, line.voice);
                note(Bus::Drums, line.voice, time(bar, s + late), line.length, 60.0, v * gain * human, line.pan);
            }
        }
    }
}

void SongWriter::snareRoll(int bar, int fromStep, int toStep, float v0, float v1, int stride)
{
    const int span = std::max(1, toStep - fromStep - 1);
    for (int s = fromStep; s < toStep; s += stride) {
        const float u = static_cast<float>(s - fromStep) / static_cast<float>(span);
        note(Bus::Drums, Voice::Snare, time(bar, s), 0.1, 60.0, v0 + (v1 - v0) * u, 0.1f * ((s % 2) ? 1.0f : -1.0f));
    }
}

void SongWriter::tomFill(int bar, int fromStep, float gain)
{
    static constexpr int kPitches[] = {55, 52, 48, 45, 43, 40, 38, 36};
    int k = 0;
    for (int s = fromStep; s < kStepsPerBar - 1; ++s, ++k) {
        const float pan = 0.5f - 0.15f * static_cast<float>(k);
        note(Bus::Drums, Voice::Tom, time(bar, s), 0.2, kPitches[std::min(k / 1, 7)], gain * (0.7f + 0.04f * k),
             std::clamp(pan, -0.6f, 0.6f));
    }
    note(Bus::Drums, Voice::Snare, time(bar, kStepsPerBar - 1), 0.1, 60.0, gain, 0.0f);
}

void SongWriter::bass(int bar0, int bars, const Progression& progression, int progBar0, const BassPattern& pattern,
                      Voice voice, float gain, int transpose)
{
    for (int bar = bar0; bar < bar0 + bars; ++bar) {
        const int root = bassRoot(chordAt(progression, bar - progBar0)) + transpose;
        for (const BassStep& b : pattern)
            note(Bus::Bass, voice, time(bar, b.step), b.length * kStepSeconds * 0.92, root + b.offset,
                 b.velocity * gain);
    }
}

void SongWriter::pads(int bar0, int bars, const Progression& progression, int progBar0, float velocity)
{
    static constexpr float kPan[] = {-0.3f, -0.15f, 0.0f, 0.15f, 0.3f};
    int bar = bar0;
    while (bar < bar0 + bars) {
        const Chord& chord = chordAt(progression, bar - progBar0);
        int end = bar + 1;
        while (end < bar0 + bars && &chordAt(progression, end - progBar0) == &chord)
            ++end;
        const double length = (end - bar) * kBarSeconds + 0.05;
        for (std::size_t i = 0; i < chord.tones.size(); ++i)
            note(Bus::Pad, Voice::Pad, time(bar), length, chord.tones[i], velocity, kPan[i]);
        bar = end;
    }
}

void SongWriter::stabs(int bar0, int bars, const Progression& progression, int progBar0,
                       const std::vector<double>& steps, double lengthSteps, float velocity)
{
    static constexpr float kPan[] = {-0.35f, -0.1f, 0.1f, 0.35f};
    for (int bar = bar0; bar < bar0 + bars; ++bar) {
        const Chord& chord = chordAt(progression, bar - progBar0);
        for (double s : steps)
            for (std::size_t i = 1; i < chord.tones.size(); ++i)
                note(Bus::Stab, Voice::Stab, time(bar, s), lengthSteps * kStepSeconds, chord.tones[i], velocity,
                     kPan[i - 1]);
    }
}

void SongWriter::arpeggio(int bar0, int bars, const Progression& progression, int progBar0, int transpose,
                          float velocity, int stride, Voice voice, Bus bus)
{
    const auto& order = arpeggioOrder();
    for (int bar = bar0; bar < bar0 + bars; ++bar) {
        const Chord& chord = chordAt(progression, bar - progBar0);
        for (int s = 0; s < kStepsPerBar; s += stride) {
            const int idx = order[static_cast<std::size_t>(s)];
            const int pitch = chord.tones[static_cast<std::size_t>(idx % 5)] + 12 * (idx / 5) + transpose;
            const float accent = (s % 4 == 0) ? 1.0f : 0.72f;
            const float pan = (s / stride) % 2 == 0 ? -0.35f : 0.35f;
            note(bus, voice, time(bar, s), 1.5 * kStepSeconds, pitch, velocity * accent, pan);
        }
    }
}

void SongWriter::melody(int bar0, const Melody& melody, int transpose, Voice voice, Bus bus, float velocity,
                        int fromStep, int toStep)
{
    for (const MelodyNote& m : melody) {
        if (m.step < fromStep || m.step >= toStep)
            continue;
        note(bus, voice, time(bar0, m.step), m.length * kStepSeconds * 0.94, m.pitch + transpose, velocity);
    }
}

void SongWriter::riser(double from, double to, float velocity)
{
    note(Bus::Fx, Voice::Riser, from, to - from, 60.0, velocity);
}

void SongWriter::swell(double from, double to, float velocity)
{
    if (to - from < 0.05)
        return;
    note(Bus::Fx, Voice::Swell, from, to - from, 60.0, velocity);
}

void SongWriter::crash(double t, float velocity)
{
    note(Bus::Drums, Voice::Crash, t, 2.0, 60.0, velocity, -0.2f);
}

void SongWriter::impact(double t, float velocity)
{
    note(Bus::Fx, Voice::Impact, t, 2.0, 60.0, velocity);
}

void SongWriter::bubbles(double from, double to, double perSecond, uint32_t seed)
{
    Noise rnd(seed);
    double t = from;
    while (true) {
        // Exponential gaps between clusters of one to four bubbles.
        t += -std::log(1.0 - 0.98 * rnd.unit()) * 2.5 / perSecond;
        if (t >= to)
            break;
        const int count = 1 + static_cast<int>(rnd.unit() * 4.0f);
        double bt = t;
        for (int i = 0; i < count && bt < to; ++i) {
            const double pitch = 74.0 + 22.0 * rnd.unit();
            const double length = 0.04 + 0.07 * rnd.unit();
            note(Bus::Fx, Voice::Bubble, bt, length, pitch, 0.25f + 0.35f * rnd.unit(), rnd.next() * 0.8f);
            bt += 0.05 + 0.12 * rnd.unit();
        }
    }
}

} // namespace compose
