#include "TruePeak.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace compose {

namespace {

constexpr int kTaps = 16; // taps per interpolation phase
constexpr int kBefore = 7; // taps before the frame, kTaps - kBefore - 1 after
constexpr std::size_t kBlock = 4096;

using Phase = std::array<float, kTaps>;

// Interpolation filters for the positions 1/4, 1/2 and 3/4 of a sample
// after each frame: Hann-windowed sinc, normalised to unity gain at DC.
std::array<Phase, 3> makePhases()
{
    constexpr double pi = 3.14159265358979323846;
    std::array<Phase, 3> phases{};
    for (int p = 0; p < 3; ++p) {
        const double frac = (p + 1) / 4.0;
        double sum = 0.0;
        std::array<double, kTaps> h{};
        for (int k = 0; k < kTaps; ++k) {
            const double t = (k - kBefore) - frac;
            const double sinc = std::sin(pi * t) / (pi * t);
            const double window = 0.5 * (1.0 + std::cos(pi * t / (kTaps / 2.0 + 0.5)));
            h[static_cast<std::size_t>(k)] = sinc * window;
            sum += h[static_cast<std::size_t>(k)];
        }
        for (int k = 0; k < kTaps; ++k)
            phases[static_cast<std::size_t>(p)][static_cast<std::size_t>(k)] =
                static_cast<float>(h[static_cast<std::size_t>(k)] / sum);
    }
    return phases;
}

void accumulate(const std::vector<float>& channel, std::vector<float>& envelope)
{
    static const std::array<Phase, 3> phases = makePhases();
    const std::size_t n = channel.size();
    // Zero-padded copy so that every tap has a sample to read.
    std::vector<float> padded(n + kTaps, 0.0f);
    std::copy(channel.begin(), channel.end(), padded.begin() + kBefore);

    std::array<float, kBlock> acc{};
    for (std::size_t b = 0; b < n; b += kBlock) {
        const std::size_t len = std::min(kBlock, n - b);
        for (std::size_t i = 0; i < len; ++i)
            envelope[b + i] = std::max(envelope[b + i], std::fabs(channel[b + i]));
        for (const Phase& h : phases) {
            std::fill(acc.begin(), acc.begin() + static_cast<std::ptrdiff_t>(len), 0.0f);
            // Loop over taps outside, frames inside: each frame's sum is
            // built in the same order and the inner loop vectorises.
            for (int k = 0; k < kTaps; ++k) {
                const float c = h[static_cast<std::size_t>(k)];
                const float* x = padded.data() + b + static_cast<std::size_t>(k);
                for (std::size_t i = 0; i < len; ++i)
                    acc[i] += c * x[i];
            }
            for (std::size_t i = 0; i < len; ++i)
                envelope[b + i] = std::max(envelope[b + i], std::fabs(acc[i]));
        }
    }
}

} // namespace

std::vector<float> truePeakEnvelope(const StereoBuffer& signal)
{
    std::vector<float> envelope(signal.frames(), 0.0f);
    accumulate(signal.left, envelope);
    accumulate(signal.right, envelope);
    return envelope;
}

double truePeak(const StereoBuffer& signal)
{
    const std::vector<float> envelope = truePeakEnvelope(signal);
    double peak = 0.0;
    for (float v : envelope)
        peak = std::max(peak, static_cast<double>(v));
    return peak;
}

} // namespace compose
