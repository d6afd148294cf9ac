#pragma once
// Look-ahead peak limiter for offline use. The gain reaches its lowest point
// just as a peak arrives (it ramps down over the look-ahead window, never
// instantly) and recovers exponentially, so limiting stays free of clicks.
// The output never exceeds the ceiling.

#include "AudioBuffer.h"

namespace compose {

class Limiter {
public:
    // ceilingDb <= 0; lookAheadSeconds and releaseSeconds > 0. Throws
    // std::invalid_argument otherwise.
    Limiter(double ceilingDb, double lookAheadSeconds = 0.005, double releaseSeconds = 0.1);

    // Multiplies the signal by inputGain, then limits it in place so that no
    // sample of either channel exceeds the ceiling. Samples are not delayed.
    // Returns the largest gain reduction applied, in dB (>= 0).
    double process(StereoBuffer& signal, double inputGain = 1.0) const;

    double ceiling() const { return m_ceiling; }

private:
    double m_ceiling;
    std::size_t m_window;
    double m_releaseCoef;
};

} // namespace compose
