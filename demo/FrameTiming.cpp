#include "demo/FrameTiming.h"

#include <cmath>

#include "core/Assert.h"

FrameTiming::FrameTiming(int fps) : m_fps(fps)
{
    ASSERT(fps >= 1);
}

uint32_t FrameTiming::frameTimeMs(uint32_t k) const
{
    // In integers: floor(k * 1000 / fps + 1/2) = floor((2000 k + fps) / (2 fps)).
    const uint64_t fps = static_cast<uint64_t>(m_fps);
    return static_cast<uint32_t>((2000u * static_cast<uint64_t>(k) + fps) / (2u * fps));
}

uint32_t FrameTiming::framesFor(double seconds) const
{
    // 10 s at 30 fps is 300 frames exactly, not 301 after a rounding error.
    const double frames = std::ceil(seconds * m_fps - 1e-9);
    return frames < 1.0 ? 1u : static_cast<uint32_t>(frames);
}
