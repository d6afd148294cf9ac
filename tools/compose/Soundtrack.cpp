#include "Soundtrack.h"

#include "Arrangement.h"
#include "Loudness.h"
#include "Mixer.h"
#include "Mp3Decoder.h"
#include "Mp3Writer.h"
#include "Synth.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace compose {

namespace {

// LAME's constant-bit-rate presets scale the input by 0.97 (20 log10 0.97
// = -0.26 dB) for headroom, so the first pass aims above the target by that
// much and usually no second pass is needed.
constexpr double kEncoderLoudnessLoss = 0.26;
// True-peak ceiling of the first pass. Coding noise adds up to about 1 dB of
// overshoot; LAME's 0.97 scaling takes back a quarter of that.
constexpr double kFirstCeilingDb = -2.0;
constexpr int kMaxPasses = 3;

} // namespace

StereoBuffer renderMix()
{
    const Song song = buildSong();
    return Mixer(song).render(0.0, song.duration);
}

std::vector<unsigned char> encodeSoundtrack(const StereoBuffer& mix, const DeliveryTargets& targets,
                                            SoundtrackReport* report, StereoBuffer* masteredOut)
{
    MasterSettings settings;
    settings.targetLufs = targets.loudnessLufs + kEncoderLoudnessLoss;
    settings.ceilingDb = kFirstCeilingDb;
    for (int pass = 1;; ++pass) {
        StereoBuffer pcm = mix;
        const MasterReport m = master(pcm, settings);
        std::vector<unsigned char> mp3 = encodeMp3(pcm);
        const StereoBuffer decoded = decodeMp3(mp3);
        const double loudness = integratedLoudness(decoded, kSampleRate);
        const double peak = gainToDb(samplePeak(decoded));
        const bool loudnessOk = std::fabs(loudness - targets.loudnessLufs) <= targets.loudnessToleranceLu;
        const bool peakOk = peak <= targets.maxPeakDb;
        if (loudnessOk && peakOk) {
            if (report) {
                report->seconds = static_cast<double>(pcm.frames()) / kSampleRate;
                report->master = m;
                report->decodedLufs = loudness;
                report->decodedPeakDb = peak;
                report->attempts = pass;
            }
            if (masteredOut)
                *masteredOut = std::move(pcm);
            return mp3;
        }
        if (pass == kMaxPasses) {
            char text[160];
            std::snprintf(text, sizeof text,
                          "cannot meet the targets: decoded MP3 at %.2f LUFS with peaks of %.2f dBFS", loudness, peak);
            throw std::runtime_error(text);
        }
        settings.targetLufs += targets.loudnessLufs - loudness;
        if (!peakOk)
            settings.ceilingDb -= peak - targets.maxPeakDb + 0.1;
    }
}

} // namespace compose
