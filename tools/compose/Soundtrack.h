#pragma once
// The whole pipeline: build the song, render it, master it, encode it, and
// check the decoded MP3 against the delivery targets, re-mastering when the
// encoder moved the loudness or the peaks too far.

#include "AudioBuffer.h"
#include "Master.h"

#include <vector>

namespace compose {

struct DeliveryTargets {
    double loudnessLufs = -14.0;
    double loudnessToleranceLu = 0.2;
    double maxPeakDb = -1.1; // decoded sample peak; 0.1 dB inside the -1 dBFS limit
};

struct SoundtrackReport {
    double seconds = 0.0; // length of the mastered PCM
    MasterReport master; // the accepted mastering pass
    double decodedLufs = 0.0; // loudness of the decoded MP3
    double decodedPeakDb = 0.0; // sample peak of the decoded MP3
    int attempts = 0; // mastering and encoding passes made
};

// Renders the pre-master mix of the whole song. Deterministic.
StereoBuffer renderMix();

// Masters and encodes the mix; returns the MP3 bytes. The decoded result
// meets the targets (checked, not assumed); throws std::runtime_error if
// three passes cannot get there. masteredOut, when given, receives the PCM
// that was encoded.
std::vector<unsigned char> encodeSoundtrack(const StereoBuffer& mix, const DeliveryTargets& targets,
                                            SoundtrackReport* report = nullptr, StereoBuffer* masteredOut = nullptr);

} // namespace compose
