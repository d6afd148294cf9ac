#pragma once
// Test MP3 files made on the spot with LAME, and a scratch folder for them.

#include <cstdint>
#include <string>
#include <vector>

namespace music_test {

// `seconds` of a sine tone of `frequency` Hz at amplitude 0.5, encoded at
// `rate` Hz with `channels` (1 or 2) channels, constant 128 kbit/s, with a
// LAME tag so a gapless decoder can drop the encoder's delay and padding
// (without one when `lameTag` is false: then no Xing/"Info" frame either).
std::vector<uint8_t> encodeTone(int rate, int channels, double seconds, double frequency = 1000.0, bool lameTag = true);

// The same for a tone gliding from 200 Hz to 2 kHz and back every second
// (no two stretches alike, so a decode can be aligned to it unambiguously),
// the right channel at 0.8 times the left.
std::vector<uint8_t> encodeSweep(int rate, int channels, double seconds, bool lameTag = true);

// Writes `bytes` to `path`, replacing any file there.
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A fresh folder under the test temporary directory, removed with everything
// in it when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The path of `name` inside the folder.
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

} // namespace music_test
