#pragma once
// MP3 encoding with LAME, with settings fixed so that the same samples
// always give the same bytes: 192 kbps constant bit rate, joint stereo,
// 44.1 kHz, no ID3 tag. The first frame is LAME's info tag, which holds the
// encoder delay and padding so that gapless decoders return exactly the
// input samples (the music's time 0 stays at the file's start).

#include "AudioBuffer.h"

#include <string>
#include <vector>

namespace compose {

struct Mp3Settings {
    int bitrateKbps = 192;
    int quality = 2; // LAME's algorithm quality, 0 (best) .. 9 (fastest)
};

// Encodes samples in [-1, 1] at the composer's sample rate. Throws
// std::runtime_error when LAME cannot be set up or fails to encode.
std::vector<unsigned char> encodeMp3(const StereoBuffer& pcm, const Mp3Settings& settings = {});

// Writes bytes to path through a temporary file and a rename, so a failed
// run never leaves a truncated file behind. Throws std::runtime_error.
void writeFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace compose
