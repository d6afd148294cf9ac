#pragma once
// MP3 decoding with libmpg123 to float samples, gapless (the encoder delay
// and padding recorded in the info tag are removed). The composer uses it to
// check what a player will actually hear; the tests use it too.

#include "AudioBuffer.h"

#include <vector>

namespace compose {

// Decodes a complete 44.1 kHz stereo MP3 held in memory. Throws
// std::runtime_error for data that does not decode or is not 44.1 kHz stereo.
StereoBuffer decodeMp3(const std::vector<unsigned char>& bytes);

} // namespace compose
