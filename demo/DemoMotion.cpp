#include "demo/DemoMotion.h"

#include <cmath>

namespace {

constexpr float HALF_DEGREES_TO_RADIANS = 3.141f / 360.f;
constexpr int HELIX_SEGMENTS = 20;

} // namespace

void TwinSpriteMotion::advance(float seconds)
{
    angleA += seconds * SPEED;
    angleB += seconds * SPEED;
    if (angleA >= END)
        angleA = 0.f;
    if (angleB >= END)
        angleB = 0.f;
    alphaA = static_cast<uint8_t>(std::sin(angleA * HALF_DEGREES_TO_RADIANS) * 255.f);
    alphaB = static_cast<uint8_t>(std::sin(angleB * HALF_DEGREES_TO_RADIANS) * 255.f);
}

bool latticeFlashFrame(float& timer)
{
    const bool white = timer > 1.3f;
    if (timer > 1.35f)
        timer = 0.f;
    return white;
}

void createHelixSegments(core::Vector<HelixSegment>& segments)
{
    segments.clear();
    segments.reserve(HELIX_SEGMENTS);
    for (int k = 0; k < HELIX_SEGMENTS; ++k) {
        HelixSegment segment;
        segment.x = 0.f;
        segment.y = std::floor(768.f * static_cast<float>(k) / static_cast<float>(HELIX_SEGMENTS)) - 350.f;
        segment.rotation = 18.f * static_cast<float>(k);
        segments.add(segment);
    }
}

void updateHelixSegments(core::Vector<HelixSegment>& segments, float t)
{
    const float n = static_cast<float>(segments.size());
    const float w = std::sin(0.965f * t);
    for (int i = 0; i < segments.size(); ++i) {
        HelixSegment& segment = segments[i];
        segment.rotation = static_cast<float>(i + 1) * n * w;
        segment.x = 50.f * std::cos(segment.y * HALF_DEGREES_TO_RADIANS + 0.965f * t);
    }
}

void EngineLogoMotion::advance(float seconds)
{
    turn += seconds * 19.965f;
    drift += seconds * 1.965f;
    angle = 120.f - turn;
}
