#include "Loudness.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace compose {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Block powers (mean square of the K-weighted signal, summed over channels).
std::vector<double> blockPowers(const StereoBuffer& signal, double sampleRate)
{
    const auto hop = static_cast<std::size_t>(std::llround(0.1 * sampleRate));
    const std::size_t block = 4 * hop;
    const std::size_t frames = signal.frames();
    if (hop == 0 || frames < block)
        return {};

    // Energy of each 100 ms hop; a block is four consecutive hops.
    const Biquad shelf = kWeightingShelf(sampleRate);
    const Biquad high = kWeightingHighPass(sampleRate);
    std::vector<double> hopEnergy(frames / hop, 0.0);
    for (const std::vector<float>* channel : {&signal.left, &signal.right}) {
        double s1 = 0, s2 = 0, h1 = 0, h2 = 0; // transposed direct form II states
        for (std::size_t i = 0; i < hopEnergy.size() * hop; ++i) {
            const double x = (*channel)[i];
            const double y = shelf.b0 * x + s1;
            s1 = shelf.b1 * x - shelf.a1 * y + s2;
            s2 = shelf.b2 * x - shelf.a2 * y;
            const double z = high.b0 * y + h1;
            h1 = high.b1 * y - high.a1 * z + h2;
            h2 = high.b2 * y - high.a2 * z;
            hopEnergy[i / hop] += z * z;
        }
    }
    std::vector<double> powers;
    for (std::size_t j = 0; j + 4 <= hopEnergy.size(); ++j)
        powers.push_back((hopEnergy[j] + hopEnergy[j + 1] + hopEnergy[j + 2] + hopEnergy[j + 3]) /
                         static_cast<double>(block));
    return powers;
}

double loudnessOf(double power)
{
    return -0.691 + 10.0 * std::log10(power);
}

} // namespace

Biquad kWeightingShelf(double sampleRate)
{
    // Analogue prototype of the head's acoustic effect: +4 dB above ~1.7 kHz.
    const double f0 = 1681.974450955533;
    const double gainDb = 3.999843853973347;
    const double q = 0.7071752369554196;
    const double k = std::tan(kPi * f0 / sampleRate);
    const double vh = std::pow(10.0, gainDb / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad kWeightingHighPass(double sampleRate)
{
    // Second-order high-pass at ~38 Hz (the revised low-frequency B curve).
    const double f0 = 38.13547087602444;
    const double q = 0.5003270373238773;
    const double k = std::tan(kPi * f0 / sampleRate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

std::vector<double> blockLoudness(const StereoBuffer& signal, double sampleRate)
{
    std::vector<double> out;
    for (double p : blockPowers(signal, sampleRate))
        out.push_back(loudnessOf(p));
    return out;
}

double integratedLoudness(const StereoBuffer& signal, double sampleRate)
{
    const std::vector<double> powers = blockPowers(signal, sampleRate);
    const double none = -std::numeric_limits<double>::infinity();

    double sum = 0.0;
    std::size_t count = 0;
    for (double p : powers)
        if (p > 0.0 && loudnessOf(p) > -70.0) {
            sum += p;
            ++count;
        }
    if (count == 0)
        return none;
    const double relativeGate = loudnessOf(sum / static_cast<double>(count)) - 10.0;

    sum = 0.0;
    count = 0;
    for (double p : powers)
        if (p > 0.0 && loudnessOf(p) > -70.0 && loudnessOf(p) > relativeGate) {
            sum += p;
            ++count;
        }
    if (count == 0)
        return none;
    return loudnessOf(sum / static_cast<double>(count));
}

double samplePeak(const StereoBuffer& signal)
{
    double peak = 0.0;
    for (const std::vector<float>* channel : {&signal.left, &signal.right})
        for (float v : *channel)
            peak = std::max(peak, static_cast<double>(std::fabs(v)));
    return peak;
}

} // namespace compose
