#pragma once
// Planar stereo sample buffer at the composer's sample rate.

#include <cstddef>
#include <vector>

namespace compose {

struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;

    StereoBuffer() = default;
    // A silent buffer of the given number of frames.
    explicit StereoBuffer(std::size_t frames) : left(frames, 0.0f), right(frames, 0.0f) { }

    // Number of frames (samples per channel).
    std::size_t frames() const { return left.size(); }
};

} // namespace compose
