#include "Delay.h"

#include "Synth.h"

#include <cmath>

namespace compose {

PingPongDelay::PingPongDelay(double delaySeconds, double feedback)
    : m_left(static_cast<std::size_t>(std::lround(delaySeconds * kSampleRate)), 0.0f), m_right(m_left.size(), 0.0f),
      m_feedback(static_cast<float>(feedback)), m_lowCoef(1.0 - std::exp(-kTwoPi * 3800.0 / kSampleRate)),
      m_highCoef(1.0 - std::exp(-kTwoPi * 220.0 / kSampleRate))
{
}

void PingPongDelay::process(StereoBuffer& buffer)
{
    for (std::size_t i = 0; i < buffer.frames(); ++i) {
        const float in = 0.5f * (buffer.left[i] + buffer.right[i]);
        const float outL = m_left[m_pos];
        const float outR = m_right[m_pos];
        // Tone-shape the repeats: low-pass then remove the lows.
        double fbR = outR;
        m_lowState[0] += m_lowCoef * (fbR - m_lowState[0]);
        m_highState[0] += m_highCoef * (m_lowState[0] - m_highState[0]);
        fbR = m_lowState[0] - m_highState[0];
        double fbL = outL;
        m_lowState[1] += m_lowCoef * (fbL - m_lowState[1]);
        m_highState[1] += m_highCoef * (m_lowState[1] - m_highState[1]);
        fbL = m_lowState[1] - m_highState[1];
        m_left[m_pos] = in + static_cast<float>(fbR) * m_feedback;
        m_right[m_pos] = static_cast<float>(fbL) * m_feedback;
        if (++m_pos == m_left.size())
            m_pos = 0;
        buffer.left[i] = outL;
        buffer.right[i] = outR;
    }
}

} // namespace compose
