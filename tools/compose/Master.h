#pragma once
// Mastering: finds the gain that, followed by the limiter, brings the mix to
// the target integrated loudness, and applies both.

#include "AudioBuffer.h"

namespace compose {

struct MasterSettings {
    double targetLufs = -14.0;
    double ceilingDb = -1.5; // true-peak ceiling; leaves room for MP3 overshoot
    double toleranceLu = 0.05;
    int maxIterations = 8;
};

struct MasterReport {
    double gainDb = 0.0; // gain applied before the limiter
    double loudnessLufs = 0.0; // integrated loudness of the result
    double peakDb = 0.0; // sample peak of the result
    double truePeakDb = 0.0; // inter-sample peak of the result
    double maxReductionDb = 0.0; // deepest limiter gain reduction
    int iterations = 0;
};

// Replaces mix by its mastered version. Because limiting lowers loudness a
// little, the gain is refined until the result is within the tolerance of the
// target (or maxIterations is reached). Throws std::runtime_error for a
// silent mix, which has no loudness to adjust.
MasterReport master(StereoBuffer& mix, const MasterSettings& settings = {});

} // namespace compose
