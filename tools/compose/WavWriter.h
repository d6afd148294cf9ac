#pragma once
// 32-bit float stereo WAV output, for listening to and inspecting the exact
// samples that go into the MP3 encoder.

#include "AudioBuffer.h"

#include <vector>

namespace compose {

// The complete WAV file (RIFF header, fmt, fact and data chunks).
std::vector<unsigned char> encodeWav(const StereoBuffer& pcm);

} // namespace compose
