#include "slmath/quat.h"

namespace slmath {

namespace {

// Below this sine of the arc between a and -b, b counts as the negation of a
// (the same rotation): the plane of the arc is then set by rounding noise, and
// slerp keeps a instead of interpolating along a random half circle.
constexpr float ANTIPODAL_SINE = 1e-4f;

// |v| of a four-component difference or sum, in float.
float magnitude(float x, float y, float z, float w)
{
    return sqrtf(x * x + y * y + z * z + w * w);
}

} // namespace

quat slerp(const quat& a, const quat& b, float t)
{
    ASSERT(check(t));
    ASSERT(fabsf(norm(a)-1.f) < UNIT_QUATERNION_EPS);
    ASSERT(fabsf(norm(b)-1.f) < UNIT_QUATERNION_EPS);

    // The arc angle from the half-angle tangent |a - b| / |a + b| rather than
    // from acos(a . b): acos cannot resolve angles near pi from a rounded dot
    // product, and b = -a would then collapse the result towards zero.
    const float diff = magnitude(a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w);
    const float sum = magnitude(a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w);
    const float angle = 2.f * atan2f(diff, sum);
    const float s = sinf(angle);

    // Equal inputs give s = 0; b = -a gives angle = pi, whose single precision
    // sine is slightly negative.
    if (s < FLT_MIN)
        return a;
    if (sum < diff && s < ANTIPODAL_SINE)
        return a;

    return b * (sinf(angle * t) / s) + a * (sinf((1.f - t) * angle) / s);
}

void toAngleAxis(const quat& q, vec3& axis, float& angle)
{
    ASSERT(fabsf(norm(q)-1.f) < UNIT_QUATERNION_EPS);

    // sin(angle / 2) is the length of (x, y, z); taking the angle from both
    // halves with atan2 stays defined when |w| rounds above 1 (acos(w) would
    // give NaN) and keeps small angles accurate.
    const double sq = double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z;
    const float s = float(std::sqrt(sq));
    angle = 2.f * atan2f(s, q.w);
    if (s <= FLT_MIN)
        axis = vec3(q.x, q.y, q.z);
    else
        axis = vec3(q.x / s, q.y / s, q.z / s);
}

} // namespace slmath
