#pragma once
// Renders a song (or any time range of it) to a stereo mix: every bus's notes
// are synthesised, filtered, ducked under the kick and summed, with shared
// ping-pong delay and hall reverb sends. The result is the pre-master mix.

#include "AudioBuffer.h"
#include "Score.h"

namespace compose {

class Mixer {
public:
    // Keeps a reference to song, which must outlive the mixer.
    explicit Mixer(const Song& song);

    // Renders song time [from, to). Effects start silent at `from`, so a
    // range rendered alone lacks the echoes of what came before it. The same
    // range always renders to the same samples. Requires 0 <= from < to;
    // throws std::invalid_argument otherwise.
    StereoBuffer render(double from, double to) const;

private:
    void renderBus(std::size_t bus, int64_t firstFrame, StereoBuffer& busBuffer) const;
    void applyBusMix(const BusMix& mix, int64_t firstFrame, const std::vector<float>& kickEnvelope,
                     StereoBuffer& busBuffer) const;
    std::vector<float> kickEnvelope(int64_t firstFrame, std::size_t frames) const;

    const Song& m_song;
};

} // namespace compose
