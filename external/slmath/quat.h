#pragma once
// Quaternion (x, y, z, w), w the scalar part: a rotation by angle a about the
// unit axis u is (u sin(a/2), cos(a/2)). Every constructor and operation
// checks that its operands and its result are finite numbers; a failure
// throws AssertationFailedException. Copies are plain (trivially copyable).

#include "slmath/vec3.h"

namespace slmath {

struct quat {
    float x = 0.f;
    float y = 0.f;
    float z = 0.f;
    float w = 1.f;

    // The identity rotation (0, 0, 0, 1).
    constexpr quat() = default;

    // (x, y, z, w); asserts " check(*this) ".
    quat(float x_, float y_, float z_, float w_);

    // Component-wise sum and difference; assert " check(o) ", " check(*this) "
    // and, through the constructor, that the result is finite. A failed
    // compound assignment leaves the value unchanged.
    quat operator+(const quat& o) const;
    quat operator-(const quat& o) const;
    quat& operator+=(const quat& o);
    // Negation (the same rotation); asserts " check(*this) ".
    quat operator-() const;

    // Scaling; asserts " check(s) ", " check(*this) " and the result.
    quat operator*(float s) const;

    // Exact component-wise comparison; asserts " check(o) " and " check(*this) ".
    bool operator==(const quat& o) const;
};

// True when every component is finite.
inline bool check(const quat& q)
{
    return check(q.x) && check(q.y) && check(q.z) && check(q.w);
}

inline quat::quat(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_)
{
    ASSERT(check(*this));
}

inline quat quat::operator+(const quat& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return quat(x + o.x, y + o.y, z + o.z, w + o.w);
}

inline quat quat::operator-(const quat& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return quat(x - o.x, y - o.y, z - o.z, w - o.w);
}

inline quat& quat::operator+=(const quat& o)
{
    ASSERT(check(o));
    ASSERT(check(*this));
    *this = quat(x + o.x, y + o.y, z + o.z, w + o.w);
    return *this;
}

inline quat quat::operator-() const
{
    ASSERT(check(*this));
    return quat(-x, -y, -z, -w);
}

inline quat quat::operator*(float s) const
{
    ASSERT(check(s));
    ASSERT(check(*this));
    return quat(x * s, y * s, z * s, w * s);
}

inline bool quat::operator==(const quat& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return x == o.x && y == o.y && z == o.z && w == o.w;
}

// s * q, the same as q * s.
inline quat operator*(float s, const quat& q)
{
    return q * s;
}

// a . b over all four components; asserts " check(a) ", " check(b) " and
// that the sum is finite (" res >= -FLT_MAX && res <= FLT_MAX ").
inline float dot(const quat& a, const quat& b)
{
    ASSERT(check(a));
    ASSERT(check(b));
    const float res = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    ASSERT(res >= -FLT_MAX && res <= FLT_MAX);
    return res;
}

// sqrt(q . q); asserts " check(q) " and " res >= 0.f && res <= FLT_MAX ".
// Squares are summed in double, so tiny and huge quaternions get their true norm.
inline float norm(const quat& q)
{
    ASSERT(check(q));
    const double sum = double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z + double(q.w) * q.w;
    const double res = std::sqrt(sum);
    ASSERT(res >= 0.f && res <= FLT_MAX);
    return float(res);
}

// q scaled to unit norm; asserts " n > FLT_MIN ".
inline quat normalize(const quat& q)
{
    const float n = norm(q);
    ASSERT(n > FLT_MIN);
    return quat(q.x / n, q.y / n, q.z / n, q.w / n);
}

// Spherical interpolation from a (t = 0) to b (t = 1) in single precision.
// Asserts " check(t) " and that both are unit length within
// UNIT_QUATERNION_EPS (" fabsf(norm(a)-1.f) < UNIT_QUATERNION_EPS ", likewise
// for b). The arc is not flipped to the shorter side: a negative dot product
// interpolates the long way round. When a and b are equal, or b is -a (the
// same rotation, where the arc is undefined), a is returned unchanged.
quat slerp(const quat& a, const quat& b, float t);

// The rotation of q as an angle in radians, in [0, 2 pi], and an axis. The
// axis is (x, y, z) scaled to unit length, or (x, y, z) unscaled when its
// length is at most FLT_MIN (no rotation: the identity gives angle 0 and axis
// (0, 0, 0)). Asserts " fabsf(norm(q)-1.f) < UNIT_QUATERNION_EPS ".
void toAngleAxis(const quat& q, vec3& axis, float& angle);

} // namespace slmath
