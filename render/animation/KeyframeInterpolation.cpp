#include "render/animation/KeyframeInterpolation.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "core/Assert.h"
#include "slmath/slmath.h"

namespace render {

namespace {

// The checks every interpolation makes, reported from the interpolation
// function itself.
#define CHECK_INTERPOLATION_ARGUMENTS()                                       \
    do {                                                                      \
        ASSERT_MSG(0 <= tBefore && 0 <= tAfter && tBefore <= t && t < tAfter, \
                   "Given interpolation times not correct");                  \
        ASSERT_MSG(out&& before&& after, "NULL paremeter");                   \
    } while (0)

// s of t between the two keyframe times; in double, so that the difference
// of two large times does not round.
float position(int tBefore, int tAfter, int t)
{
    return float(double(t - tBefore) / double(int64_t(tAfter) - tBefore));
}

slmath::quat toQuat(const float* v)
{
    return slmath::quat(v[0], v[1], v[2], v[3]);
}

// Hamilton product a * b.
slmath::quat multiply(const slmath::quat& a, const slmath::quat& b)
{
    return slmath::quat(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                        a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
}

// The inverse of a unit quaternion.
slmath::quat conjugate(const slmath::quat& q)
{
    return slmath::quat(-q.x, -q.y, -q.z, q.w);
}

// log of a unit quaternion: (axis * half angle, 0).
slmath::quat logUnit(const slmath::quat& q)
{
    const float v = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    if (v <= FLT_MIN)
        return slmath::quat(0.f, 0.f, 0.f, 0.f);
    const float k = std::atan2(v, q.w) / v;
    return slmath::quat(q.x * k, q.y * k, q.z * k, 0.f);
}

// exp of a pure quaternion (x, y, z, 0): a unit quaternion.
slmath::quat expPure(const slmath::quat& q)
{
    const float angle = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    if (angle <= FLT_MIN)
        return slmath::quat();
    const float k = std::sin(angle) / angle;
    return slmath::quat(q.x * k, q.y * k, q.z * k, std::cos(angle));
}

// The inner control point of `q` between its neighbours.
slmath::quat controlPoint(const slmath::quat& previous, const slmath::quat& q, const slmath::quat& next)
{
    const slmath::quat inverse = conjugate(q);
    const slmath::quat sum = logUnit(multiply(inverse, next)) + logUnit(multiply(inverse, previous));
    return slmath::normalize(multiply(q, expPure(sum * -0.25f)));
}

void store(float* out, const slmath::quat& q)
{
    out[0] = q.x;
    out[1] = q.y;
    out[2] = q.z;
    out[3] = q.w;
}

} // namespace

void interpolateLinear(float* out, int count, int tBefore, const float* before, int tAfter, const float* after, int t)
{
    CHECK_INTERPOLATION_ARGUMENTS();
    const float s = position(tBefore, tAfter, t);
    ASSERT_MSG(count >= 1, "Invalid component count for linear interpolation");
    for (int i = 0; i < count; ++i)
        out[i] = (1.f - s) * before[i] + s * after[i];
}

void interpolateSlerp(float* out, int count, int tBefore, const float* before, int tAfter, const float* after, int t)
{
    CHECK_INTERPOLATION_ARGUMENTS();
    const float s = position(tBefore, tAfter, t);
    ASSERT_MSG(count == 4, "Invalid component count for slerp interpolation");
    store(out, slmath::slerp(toQuat(before), toQuat(after), s));
}

void interpolateSpline(float* out, int count, int tBefore, const float* before, int tAfter, const float* after, int t)
{
    CHECK_INTERPOLATION_ARGUMENTS();
    const float s = position(tBefore, tAfter, t);
    ASSERT_MSG(count >= 1, "Invalid component count for spline interpolation");
    const float h = -s * s * s + 1.5f * s * s + 0.5f * s;
    for (int i = 0; i < count; ++i)
        out[i] = before[i] + (after[i] - before[i]) * h;
}

void interpolateStep(float* out, int count, int tBefore, const float* before, int tAfter, const float* after, int t)
{
    CHECK_INTERPOLATION_ARGUMENTS();
    const float s = position(tBefore, tAfter, t);
    ASSERT_MSG(count >= 1, "Invalid component count for step interpolation");
    const float* from = s < 0.5f ? before : after;
    for (int i = 0; i < count; ++i)
        out[i] = from[i];
}

void interpolateSquad(float* out, int count, int tBefore, const float* previous, const float* before, int tAfter,
                      const float* after, const float* next, int t)
{
    CHECK_INTERPOLATION_ARGUMENTS();
    const float s = position(tBefore, tAfter, t);
    ASSERT_MSG(previous && next, "NULL paremeter");
    ASSERT_MSG(count == 4, "Invalid component count for squad interpolation");
    const slmath::quat q1 = toQuat(before);
    const slmath::quat q2 = toQuat(after);
    const slmath::quat a1 = controlPoint(toQuat(previous), q1, q2);
    const slmath::quat a2 = controlPoint(q1, q2, toQuat(next));
    const slmath::quat outer = slmath::slerp(q1, q2, s);
    const slmath::quat inner = slmath::slerp(a1, a2, s);
    store(out, slmath::slerp(outer, inner, 2.f * s * (1.f - s)));
}

} // namespace render
