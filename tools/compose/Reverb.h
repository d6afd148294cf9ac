#pragma once
// Stereo hall reverb: eight damped feedback combs in parallel followed by
// four series all-passes per channel, the right channel's delays slightly
// longer for width; a pre-delay and a low cut keep the mix clear.

#include "AudioBuffer.h"

#include <array>
#include <vector>

namespace compose {

class Reverb {
public:
    // roomSize and damping in [0, 1]; larger rooms ring longer, more damping
    // darkens the tail.
    Reverb(double roomSize, double damping, double preDelaySeconds);

    // Replaces the buffer's contents (the send signal) with the wet reverb
    // signal. The reverb keeps its state, so consecutive calls continue.
    void process(StereoBuffer& buffer);

private:
    struct Comb {
        std::vector<float> line;
        std::size_t pos = 0;
        float store = 0.0f;
    };
    struct AllPass {
        std::vector<float> line;
        std::size_t pos = 0;
    };
    struct Channel {
        std::array<Comb, 8> combs;
        std::array<AllPass, 4> allPasses;
    };
    float processChannel(Channel& ch, float in);

    float m_feedback;
    float m_damp;
    std::array<Channel, 2> m_channels;
    std::vector<float> m_preDelay[2];
    std::size_t m_prePos = 0;
    double m_lowCutState[2] = {0.0, 0.0};
    double m_lowCutCoef;
};

} // namespace compose
