#include "Master.h"

#include "Limiter.h"
#include "Loudness.h"
#include "Synth.h"
#include "TruePeak.h"

#include <cmath>
#include <stdexcept>

namespace compose {

MasterReport master(StereoBuffer& mix, const MasterSettings& settings)
{
    const double initial = integratedLoudness(mix, kSampleRate);
    if (!std::isfinite(initial))
        throw std::runtime_error("the mix is silent, nothing to master");

    const Limiter limiter(settings.ceilingDb, Limiter::Detection::TruePeak);
    const std::vector<float> peaks = limiter.analyse(mix);
    MasterReport report;
    report.gainDb = settings.targetLufs - initial;
    StereoBuffer out;
    for (int i = 0; i < settings.maxIterations; ++i) {
        out = mix;
        report.maxReductionDb = limiter.apply(out, dbToGain(report.gainDb), peaks);
        report.loudnessLufs = integratedLoudness(out, kSampleRate);
        report.iterations = i + 1;
        const double error = settings.targetLufs - report.loudnessLufs;
        if (std::fabs(error) <= settings.toleranceLu)
            break;
        // Limiting makes the loudness grow slower than the gain: overshoot a
        // little on the way up so the iteration settles quickly.
        report.gainDb += error > 0.0 ? error * 1.2 : error;
    }
    mix = std::move(out);
    report.peakDb = gainToDb(samplePeak(mix));
    report.truePeakDb = gainToDb(truePeak(mix));
    return report;
}

} // namespace compose
