#pragma once
// Tempo-synced ping-pong echo: the send enters on the left, each repeat
// crosses to the other side and loses some top and bottom end.

#include "AudioBuffer.h"

#include <vector>

namespace compose {

class PingPongDelay {
public:
    // delaySeconds > 0, feedback in [0, 1).
    PingPongDelay(double delaySeconds, double feedback);

    // Replaces the buffer's contents (the send signal) with the echoes only.
    void process(StereoBuffer& buffer);

private:
    std::vector<float> m_left;
    std::vector<float> m_right;
    std::size_t m_pos = 0;
    float m_feedback;
    double m_lowState[2] = {0.0, 0.0};
    double m_highState[2] = {0.0, 0.0};
    double m_lowCoef;
    double m_highCoef;
};

} // namespace compose
