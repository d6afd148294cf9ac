#pragma once
// Scalar helpers shared by the slmath value types: the validity test that
// every operation applies, the unit-quaternion tolerance and the degree
// conversion used wherever an API takes degrees.

#include <cfloat>
#include <cmath>

#include "core/Assert.h"

namespace slmath {

// Tolerance on |norm(q) - 1| for quaternions that must be unit length.
constexpr float UNIT_QUATERNION_EPS = 0.001f;

// Degrees to radians, as the engine has always converted them.
constexpr float DEG_TO_RAD = 0.017453292f;

// Radians to degrees.
constexpr float RAD_TO_DEG = 57.29578f;

// True when -FLT_MAX <= s <= FLT_MAX; NaN and both infinities fail.
inline bool check(float s)
{
    // fabsf keeps the test branch-free; a NaN fails the comparison.
    return fabsf(s) <= FLT_MAX;
}

// `degrees` converted to radians with DEG_TO_RAD.
inline float radians(float degrees)
{
    return degrees * DEG_TO_RAD;
}

} // namespace slmath
