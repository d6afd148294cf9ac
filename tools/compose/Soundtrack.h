#pragma once
// The whole pipeline short of file output: build the song, render it and
// master it to the loudness target.

#include "AudioBuffer.h"
#include "Master.h"

namespace compose {

struct SoundtrackReport {
    double seconds = 0.0;   // length of the result
    MasterReport master;
};

// Renders the finished soundtrack, ready for encoding. Deterministic.
StereoBuffer renderSoundtrack(SoundtrackReport* report = nullptr);

} // namespace compose
