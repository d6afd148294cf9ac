#pragma once
// Inter-sample ("true") peak estimation: the signal is interpolated at
// quarter-sample positions with a windowed-sinc filter, the way a DAC or a
// decoder's reconstruction sees it. Peaks between samples are what make an
// MP3 of a hard-limited signal overshoot its sample ceiling.

#include "AudioBuffer.h"

#include <vector>

namespace compose {

// For every frame n: the largest magnitude of either channel at n, n + 1/4,
// n + 1/2 and n + 3/4 (samples outside the signal count as 0).
std::vector<float> truePeakEnvelope(const StereoBuffer& signal);

// Largest value of truePeakEnvelope (0 for an empty signal).
double truePeak(const StereoBuffer& signal);

} // namespace compose
