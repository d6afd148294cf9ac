#pragma once
// The effects' motion that does not touch the renderer: the twin sprites'
// flight, the lattice's flash timer, the helix segments and the engine
// logo's turn. The effects apply them to their transforms and sprites.

#include <cstdint>

#include "core/Vector.h"

// Two sprites flying from z = 0 toward the camera to z = 360 in about 7.2 s,
// fading in and out on the way, half a cycle apart.
struct TwinSpriteMotion {
    static constexpr float SPEED = 49.965f; // units (and degrees of the fade) per second
    static constexpr float END = 360.f;

    float angleA = 0.f;
    float angleB = 180.f;
    uint8_t alphaA = 0;
    uint8_t alphaB = 0;

    // Moves both on by `seconds`; an angle that reaches 360 starts again at
    // 0. The alphas are sin(angle / 2) x 255, truncated.
    void advance(float seconds);
};

// The lattice flight's flash: `timer` counts the seconds since the last
// flash. Returns whether the frame being drawn is white: once the timer has
// passed 1.3 s, until (and including) the frame in which it passes 1.35 s,
// where it restarts from 0.
bool latticeFlashFrame(float& timer);

// One bar of the helix: its place on the screen and its turn in degrees.
struct HelixSegment {
    float x = 0.f;
    float y = 0.f;
    float rotation = 0.f;
};

// The 20 bars, stacked evenly from y = -350 upward; bar k turned 18 k degrees.
void createHelixSegments(core::Vector<HelixSegment>& segments);
// At music time `t`, bar i turns (i + 1) x 20 x sin(0.965 t) degrees and
// sways in x with a wave running up the stack.
void updateHelixSegments(core::Vector<HelixSegment>& segments, float t);

// The engine logo turning slowly while the camera backs away.
struct EngineLogoMotion {
    float turn = 0.f; // degrees turned so far
    float drift = 0.f; // units the camera has backed away
    float angle = 0.f; // the camera's angle about the y axis: 120 - turn

    void advance(float seconds);
};
