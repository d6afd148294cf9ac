#pragma once
// The soundtrack's arrangement: which material plays where, the mix
// automation and the closing fade.
//
// Timing: one 4/4 bar lasts exactly 1.35 s (a quarter note is 0.3375 s,
// 177.78 BPM, felt as a half-time 88.9) and bar n starts at n * 1.35 s, so
// the picture's 1.35 s flashes fall on downbeats. The picture changes scenes
// at fixed cue times that are not on the bar grid; at each cue a swell starts
// and the new section enters on the first downbeat at or after the cue (at
// most one bar later), which is also about when the picture's cross-fade
// completes.

#include "Score.h"

#include <array>

namespace compose {

constexpr double kBarSeconds = 1.35;
constexpr double kStepSeconds = kBarSeconds / 16.0;
// Total length of the rendered song; the fade to silence ends at kFadeEnd.
constexpr double kSongSeconds = 285.0;
constexpr double kFadeEnd = 284.6;

// Cue times (seconds) at which the picture changes scene, in order.
constexpr std::array<double, 9> kCueTimes = {6.0, 18.965, 50.0, 80.0, 101.0, 131.0, 161.0, 245.0, 277.0};

// Index of the first bar that starts at or after `seconds`.
int firstBarAtOrAfter(double seconds);

// Builds the complete song. Deterministic: every call returns the same song.
Song buildSong();

} // namespace compose
