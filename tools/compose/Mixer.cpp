#include "Mixer.h"

#include "Delay.h"
#include "Reverb.h"
#include "Synth.h"
#include "Voices.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace compose {

namespace {

constexpr double kDt = 1.0 / kSampleRate;
// Filters and automation are updated once per block of this many frames.
constexpr std::size_t kControlBlock = 32;
// Echo time: a dotted eighth, three sixteenths of the 1.35 s bar.
constexpr double kEchoSeconds = 1.35 * 3.0 / 16.0;
constexpr double kDuckSeconds = 0.35;

} // namespace

Mixer::Mixer(const Song& song) : m_song(song)
{
}

StereoBuffer Mixer::render(double from, double to) const
{
    if (!(from >= 0.0) || !(to > from))
        throw std::invalid_argument("render range must satisfy 0 <= from < to");
    const int64_t first = frameAt(from);
    const auto frames = static_cast<std::size_t>(frameAt(to) - first);

    StereoBuffer mix(frames);
    StereoBuffer reverbSend(frames);
    StereoBuffer delaySend(frames);
    StereoBuffer bus(frames);
    const std::vector<float> kick = kickEnvelope(first, frames);

    for (std::size_t b = 0; b < kBusCount; ++b) {
        std::fill(bus.left.begin(), bus.left.end(), 0.0f);
        std::fill(bus.right.begin(), bus.right.end(), 0.0f);
        renderBus(b, first, bus);
        const BusMix& busMix = m_song.mix[b];
        applyBusMix(busMix, first, kick, bus);
        for (std::size_t i0 = 0; i0 < frames; i0 += kControlBlock) {
            const double t = static_cast<double>(first + static_cast<int64_t>(i0)) * kDt;
            const auto rev = static_cast<float>(busMix.reverbSend.at(t));
            const auto del = static_cast<float>(busMix.delaySend.at(t));
            const std::size_t i1 = std::min(frames, i0 + kControlBlock);
            for (std::size_t i = i0; i < i1; ++i) {
                const float l = bus.left[i];
                const float r = bus.right[i];
                mix.left[i] += l;
                mix.right[i] += r;
                reverbSend.left[i] += l * rev;
                reverbSend.right[i] += r * rev;
                delaySend.left[i] += l * del;
                delaySend.right[i] += r * del;
            }
        }
    }

    PingPongDelay delay(kEchoSeconds, 0.42);
    delay.process(delaySend);
    for (std::size_t i = 0; i < frames; ++i) {
        mix.left[i] += delaySend.left[i];
        mix.right[i] += delaySend.right[i];
        // The echoes sit in the same room as the dry sound.
        reverbSend.left[i] += 0.3f * delaySend.left[i];
        reverbSend.right[i] += 0.3f * delaySend.right[i];
    }
    Reverb reverb(0.86, 0.45, 0.025);
    reverb.process(reverbSend);
    for (std::size_t i0 = 0; i0 < frames; i0 += kControlBlock) {
        const double t = static_cast<double>(first + static_cast<int64_t>(i0)) * kDt;
        const auto fade = static_cast<float>(m_song.fade.at(t));
        const std::size_t i1 = std::min(frames, i0 + kControlBlock);
        for (std::size_t i = i0; i < i1; ++i) {
            mix.left[i] = (mix.left[i] + reverbSend.left[i]) * fade;
            mix.right[i] = (mix.right[i] + reverbSend.right[i]) * fade;
        }
    }
    return mix;
}

void Mixer::renderBus(std::size_t bus, int64_t firstFrame, StereoBuffer& busBuffer) const
{
    Canvas canvas(busBuffer, firstFrame);
    const double from = static_cast<double>(canvas.begin()) * kDt;
    const double to = static_cast<double>(canvas.end()) * kDt;
    for (const Note& note : m_song.notes[bus]) {
        if (note.start >= to || note.start + soundingTime(note) <= from)
            continue;
        renderNote(note, canvas);
    }
}

void Mixer::applyBusMix(const BusMix& mix, int64_t firstFrame, const std::vector<float>& kick, StereoBuffer& buf) const
{
    const auto gain = static_cast<float>(dbToGain(mix.gainDb));
    Svf highL, highR, lowL, lowR;
    highL.set(mix.highpassHz, 0.7071);
    highR.set(mix.highpassHz, 0.7071);
    // Below 40 Hz the bus's own voices carry nothing to remove.
    const bool lowCut = mix.highpassHz > 40.0;
    const std::size_t frames = buf.frames();
    for (std::size_t i0 = 0; i0 < frames; i0 += kControlBlock) {
        const double t = static_cast<double>(firstFrame + static_cast<int64_t>(i0)) * kDt;
        const double cutoff = mix.lowpassHz.at(t);
        lowL.set(cutoff, 0.9);
        lowR.set(cutoff, 0.9);
        const auto level = static_cast<float>(mix.level.at(t)) * gain;
        const auto duck = static_cast<float>(mix.duck.at(t));
        const std::size_t i1 = std::min(frames, i0 + kControlBlock);
        for (std::size_t i = i0; i < i1; ++i) {
            double l = buf.left[i];
            double r = buf.right[i];
            if (lowCut) {
                highL.process(l);
                highR.process(r);
                l = highL.high();
                r = highR.high();
            }
            lowL.process(l);
            lowR.process(r);
            const float g = level * (1.0f - duck * kick[i]);
            buf.left[i] = static_cast<float>(lowL.low()) * g;
            buf.right[i] = static_cast<float>(lowR.low()) * g;
        }
    }
}

std::vector<float> Mixer::kickEnvelope(int64_t firstFrame, std::size_t frames) const
{
    std::vector<float> env(frames, 0.0f);
    const int64_t end = firstFrame + static_cast<int64_t>(frames);
    const auto span = frameAt(kDuckSeconds);
    for (const Note& note : m_song.bus(Bus::Drums)) {
        if (note.voice != Voice::Kick && note.voice != Voice::SoftKick)
            continue;
        const int64_t start = frameAt(note.start);
        if (start >= end || start + span <= firstFrame)
            continue;
        const float depth = (note.voice == Voice::Kick ? 1.0f : 0.6f) * std::min(1.0f, note.velocity);
        for (int64_t f = std::max(start, firstFrame); f < std::min(start + span, end); ++f) {
            const double t = static_cast<double>(f - start) * kDt;
            // Quick dip, then a smooth recovery: the familiar pumping.
            const double shape = t < 0.004 ? t / 0.004 : std::exp(-(t - 0.004) / 0.085);
            const double fadeOut = std::min(1.0, (kDuckSeconds - t) / 0.05);
            auto& e = env[static_cast<std::size_t>(f - firstFrame)];
            e = std::max(e, static_cast<float>(shape * fadeOut) * depth);
        }
    }
    return env;
}

} // namespace compose
