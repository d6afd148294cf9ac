#pragma once
// The interpolation functions of keyframe animation. Each writes `count`
// floats to `out` for the sequence time t between the keyframe at tBefore
// (values `before`) and the one at tAfter (values `after`), at
// s = (t - tBefore) / (tAfter - tBefore). Every one asserts "Given
// interpolation times not correct" unless 0 <= tBefore, 0 <= tAfter and
// tBefore <= t < tAfter, and "NULL paremeter" for a missing buffer.

namespace render {

// (1 - s) * before + s * after per component. Asserts "Invalid component
// count for linear interpolation" for count < 1.
void interpolateLinear(float* out, int count, int tBefore, const float* before, int tAfter, const float* after, int t);

// Spherical interpolation of the unit quaternions (x, y, z, w) before and
// after (slmath::slerp: no flip to the shorter arc). Asserts "Invalid
// component count for slerp interpolation" unless count is 4.
void interpolateSlerp(float* out, int count, int tBefore, const float* before, int tAfter, const float* after, int t);

// A cubic Hermite curve between the two keyframes alone, both tangents
// (after - before) / 2: before + (after - before) * (-s^3 + 1.5 s^2 + 0.5 s).
// Asserts "Invalid component count for spline interpolation" for count < 1.
void interpolateSpline(float* out, int count, int tBefore, const float* before, int tAfter, const float* after, int t);

// The before values while s < 0.5, the after values from s = 0.5 on.
// Asserts "Invalid component count for step interpolation" for count < 1.
void interpolateStep(float* out, int count, int tBefore, const float* before, int tAfter, const float* after, int t);

// Spherical quadrangle interpolation of unit quaternions: with q0 the
// keyframe before `before` and q3 the one after `after`, the inner control
// points are a_i = q_i exp(-(log(q_i^-1 q_i+1) + log(q_i^-1 q_i-1)) / 4),
// and the result is slerp(slerp(q1, q2, s), slerp(a1, a2, s), 2s(1 - s)).
// Keyframes count as evenly spaced (the tangents are not scaled by the
// neighbouring intervals). Asserts "Invalid component count for squad
// interpolation" unless count is 4, and "NULL paremeter" for a missing
// neighbour too.
void interpolateSquad(float* out, int count, int tBefore, const float* previous, const float* before, int tAfter,
                      const float* after, const float* next, int t);

} // namespace render
