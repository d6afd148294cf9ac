#pragma once
// Look-ahead peak limiter for offline use. The gain reaches its lowest point
// just as a peak arrives (it ramps down over the look-ahead window, never
// instantly) and recovers exponentially, so limiting stays free of clicks.
// Peaks are detected either on the samples or between them (true peaks, see
// TruePeak.h); in both modes no output sample exceeds the ceiling.

#include "AudioBuffer.h"

#include <vector>

namespace compose {

class Limiter {
public:
    enum class Detection { SamplePeak, TruePeak };

    // ceilingDb <= 0; lookAheadSeconds and releaseSeconds > 0. Throws
    // std::invalid_argument otherwise.
    explicit Limiter(double ceilingDb, Detection detection = Detection::SamplePeak, double lookAheadSeconds = 0.005,
                     double releaseSeconds = 0.1);

    // The per-frame peak levels the limiter reacts to, for the signal at
    // unity gain. Computing it once allows several apply() calls.
    std::vector<float> analyse(const StereoBuffer& signal) const;

    // Multiplies the signal by inputGain and limits it in place, using the
    // peaks from analyse() of the same (unscaled) signal; requires
    // peaks.size() == signal.frames() (throws std::invalid_argument).
    // Samples are not delayed. Returns the deepest gain reduction in dB.
    double apply(StereoBuffer& signal, double inputGain, const std::vector<float>& peaks) const;

    // analyse() and apply() in one call.
    double process(StereoBuffer& signal, double inputGain = 1.0) const;

    // The ceiling as a linear gain.
    double ceiling() const { return m_ceiling; }

private:
    double m_ceiling;
    Detection m_detection;
    std::size_t m_window;
    double m_releaseCoef;
};

} // namespace compose
