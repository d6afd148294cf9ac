#pragma once
// A window of absolute song frames onto a stereo buffer. Voices synthesise
// from their note's start and write only the frames that fall inside the
// window, so any part of the song can be rendered on its own.

#include "AudioBuffer.h"

#include <cmath>
#include <cstdint>

namespace compose {

class Canvas {
public:
    // buffer frame 0 is song frame firstFrame.
    Canvas(StereoBuffer& buffer, int64_t firstFrame)
        : m_buffer(buffer), m_begin(firstFrame), m_end(firstFrame + static_cast<int64_t>(buffer.frames()))
    {
    }

    // First song frame inside the window, and the one just past it.
    int64_t begin() const { return m_begin; }
    int64_t end() const { return m_end; }

    // Adds a stereo sample at song frame `frame`; frames outside the window are dropped.
    void add(int64_t frame, float l, float r)
    {
        if (frame < m_begin || frame >= m_end)
            return;
        const auto i = static_cast<std::size_t>(frame - m_begin);
        m_buffer.left[i] += l;
        m_buffer.right[i] += r;
    }

private:
    StereoBuffer& m_buffer;
    int64_t m_begin;
    int64_t m_end;
};

// Constant-power pan gains for pan in [-1, 1].
struct PanGains {
    float left;
    float right;
};
inline PanGains panGains(float pan)
{
    const double a = (static_cast<double>(pan) + 1.0) * 0.25 * 3.14159265358979323846;
    return {static_cast<float>(std::cos(a) * 1.41421356), static_cast<float>(std::sin(a) * 1.41421356)};
}

// Song frame of a time in seconds (rounded to the nearest frame).
inline int64_t frameAt(double seconds)
{
    return static_cast<int64_t>(std::llround(seconds * 44100.0));
}

} // namespace compose
