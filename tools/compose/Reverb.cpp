#include "Reverb.h"

#include "Synth.h"

#include <cmath>

namespace compose {

namespace {

// Mutually prime delay lengths in frames at 44.1 kHz.
constexpr std::array<std::size_t, 8> kCombFrames = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<std::size_t, 4> kAllPassFrames = {556, 441, 341, 225};
constexpr std::size_t kStereoSpread = 23;
constexpr float kInputGain = 0.015f;

} // namespace

Reverb::Reverb(double roomSize, double damping, double preDelaySeconds)
    : m_feedback(static_cast<float>(0.7 + 0.28 * roomSize)), m_damp(static_cast<float>(0.4 * damping)),
      m_lowCutCoef(1.0 - std::exp(-kTwoPi * 180.0 / kSampleRate))
{
    for (std::size_t c = 0; c < 2; ++c) {
        const std::size_t spread = c == 0 ? 0 : kStereoSpread;
        for (std::size_t i = 0; i < kCombFrames.size(); ++i)
            m_channels[c].combs[i].line.assign(kCombFrames[i] + spread, 0.0f);
        for (std::size_t i = 0; i < kAllPassFrames.size(); ++i)
            m_channels[c].allPasses[i].line.assign(kAllPassFrames[i] + spread, 0.0f);
        m_preDelay[c].assign(static_cast<std::size_t>(preDelaySeconds * kSampleRate) + 1, 0.0f);
    }
}

float Reverb::processChannel(Channel& ch, float in)
{
    float out = 0.0f;
    for (Comb& comb : ch.combs) {
        const float y = comb.line[comb.pos];
        comb.store = y * (1.0f - m_damp) + comb.store * m_damp;
        comb.line[comb.pos] = in + comb.store * m_feedback;
        if (++comb.pos == comb.line.size())
            comb.pos = 0;
        out += y;
    }
    for (AllPass& ap : ch.allPasses) {
        const float buffered = ap.line[ap.pos];
        const float y = buffered - out;
        ap.line[ap.pos] = out + buffered * 0.5f;
        if (++ap.pos == ap.line.size())
            ap.pos = 0;
        out = y;
    }
    return out;
}

void Reverb::process(StereoBuffer& buffer)
{
    for (std::size_t i = 0; i < buffer.frames(); ++i) {
        float in[2] = {buffer.left[i], buffer.right[i]};
        float delayed[2];
        for (int c = 0; c < 2; ++c) {
            delayed[c] = m_preDelay[c][m_prePos];
            m_preDelay[c][m_prePos] = in[c];
            m_lowCutState[c] += m_lowCutCoef * (delayed[c] - m_lowCutState[c]);
            delayed[c] -= static_cast<float>(m_lowCutState[c]);
        }
        if (++m_prePos == m_preDelay[0].size())
            m_prePos = 0;
        // Both channels are fed the mono sum; the tails decorrelate through
        // the different delay lengths.
        const float mono = (delayed[0] + delayed[1]) * kInputGain;
        const float l = processChannel(m_channels[0], mono);
        const float r = processChannel(m_channels[1], mono);
        // Mild cross-feed keeps the image wide but not detached.
        buffer.left[i] = l * 0.9f + r * 0.1f;
        buffer.right[i] = r * 0.9f + l * 0.1f;
    }
}

} // namespace compose
