#include "Limiter.h"

#include "Synth.h"
#include "TruePeak.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <stdexcept>
#include <vector>

namespace compose {

Limiter::Limiter(double ceilingDb, Detection detection, double lookAheadSeconds, double releaseSeconds)
    : m_detection(detection)
{
    if (!(ceilingDb <= 0.0) || !(lookAheadSeconds > 0.0) || !(releaseSeconds > 0.0))
        throw std::invalid_argument("limiter needs ceiling <= 0 dB and positive look-ahead and release");
    m_ceiling = dbToGain(ceilingDb);
    m_window = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(lookAheadSeconds * kSampleRate)));
    m_releaseCoef = 1.0 - std::exp(-1.0 / (releaseSeconds * kSampleRate));
}

std::vector<float> Limiter::analyse(const StereoBuffer& signal) const
{
    if (m_detection == Detection::TruePeak)
        return truePeakEnvelope(signal);
    std::vector<float> peaks(signal.frames());
    for (std::size_t i = 0; i < peaks.size(); ++i)
        peaks[i] = std::max(std::fabs(signal.left[i]), std::fabs(signal.right[i]));
    return peaks;
}

double Limiter::process(StereoBuffer& signal, double inputGain) const
{
    return apply(signal, inputGain, analyse(signal));
}

double Limiter::apply(StereoBuffer& signal, double inputGain, const std::vector<float>& peaks) const
{
    if (peaks.size() != signal.frames())
        throw std::invalid_argument("limiter peaks do not match the signal");
    const std::size_t n = signal.frames();
    const std::size_t w = m_window;
    // need[i]: the largest gain that keeps sample i under the ceiling. The
    // signal is padded with w - 1 quiet samples so every window is full.
    std::vector<double> need(n + w - 1, 1.0);
    for (std::size_t i = 0; i < n; ++i) {
        const double peak = peaks[i] * inputGain;
        if (peak > m_ceiling)
            need[i] = m_ceiling / peak;
    }

    // Trailing minimum over w samples, then a release that lets the gain
    // recover only gradually, then a trailing w-sample average. Each averaged
    // value covers samples that all saw need[i] in their minimum, so the gain
    // used for sample i (the average ending at i + w - 1) is at most need[i].
    std::vector<double> smooth(need.size());
    std::deque<std::size_t> window; // indices with increasing need values
    double released = 1.0;
    double runningSum = static_cast<double>(w);
    std::vector<double> recent(w, 1.0);
    double minGain = 1.0;
    for (std::size_t j = 0; j < need.size(); ++j) {
        while (!window.empty() && need[window.back()] >= need[j])
            window.pop_back();
        window.push_back(j);
        if (window.front() + w <= j)
            window.pop_front();
        const double trailingMin = need[window.front()];
        released = std::min(trailingMin, released + m_releaseCoef * (1.0 - released));
        runningSum += released - recent[j % w];
        recent[j % w] = released;
        smooth[j] = runningSum / static_cast<double>(w);
    }

    const auto ceiling = static_cast<float>(m_ceiling);
    for (std::size_t i = 0; i < n; ++i) {
        const double g = std::min(1.0, smooth[i + w - 1]) * inputGain;
        minGain = std::min(minGain, smooth[i + w - 1]);
        // The clamp only catches float rounding at the very ceiling.
        signal.left[i] = std::clamp(static_cast<float>(signal.left[i] * g), -ceiling, ceiling);
        signal.right[i] = std::clamp(static_cast<float>(signal.right[i] * g), -ceiling, ceiling);
    }
    return -gainToDb(minGain);
}

} // namespace compose
