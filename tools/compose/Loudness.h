#pragma once
// Programme loudness after ITU-R BS.1770 / EBU R128: K-weighting (a high
// shelf and a high-pass), mean square over 400 ms blocks stepped by 100 ms,
// an absolute gate at -70 LUFS and a relative gate 10 LU below the
// absolute-gated loudness. Left and right both have channel weight 1.

#include "AudioBuffer.h"

#include <vector>

namespace compose {

// Coefficients of a normalised biquad (a0 = 1).
struct Biquad {
    double b0, b1, b2, a1, a2;
};

// The two K-weighting stages designed for `sampleRate` (> 0 Hz); at 48 kHz
// they match the coefficients tabulated in BS.1770.
Biquad kWeightingShelf(double sampleRate);
Biquad kWeightingHighPass(double sampleRate);

// Loudness in LUFS of every 400 ms block (100 ms apart) of the signal. A
// signal shorter than one block has none.
std::vector<double> blockLoudness(const StereoBuffer& signal, double sampleRate);

// Gated integrated loudness in LUFS. Returns -infinity when no block passes
// the gates (silence, or a signal shorter than 400 ms).
double integratedLoudness(const StereoBuffer& signal, double sampleRate);

// Largest absolute sample value of either channel.
double samplePeak(const StereoBuffer& signal);

} // namespace compose
