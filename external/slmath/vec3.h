#pragma once
// Three-component float vector with dot and cross products, length and
// normalisation. Every constructor and operation checks that its operands and
// its result are finite numbers; a failure throws AssertationFailedException.
// Copies are plain (trivially copyable), so a value edited through its public
// fields is caught by the next operation.

#include "slmath/scalar.h"

namespace slmath {

struct vec3 {
    float x = 0.f;
    float y = 0.f;
    float z = 0.f;

    // The zero vector.
    constexpr vec3() = default;

    // (x, y, z); asserts " check(*this) ".
    vec3(float x_, float y_, float z_);

    // Component-wise sum and difference; assert " check(o) ", " check(*this) "
    // and, through the constructor, that the result is finite. A failed
    // compound assignment leaves the value unchanged.
    vec3 operator+(const vec3& o) const;
    vec3 operator-(const vec3& o) const;
    vec3& operator+=(const vec3& o);
    vec3& operator-=(const vec3& o);
    // Negation; asserts " check(*this) ".
    vec3 operator-() const;

    // Scaling; asserts " check(s) ", " check(*this) " and the result.
    vec3 operator*(float s) const;
    vec3& operator*=(float s);
    // Division by s; additionally asserts " fabsf(s) >= FLT_MIN ".
    vec3 operator/(float s) const;
    vec3& operator/=(float s);

    // Exact component-wise comparison; asserts " check(o) " and " check(*this) ".
    bool operator==(const vec3& o) const;
};

// True when every component is finite.
inline bool check(const vec3& v)
{
    return check(v.x) && check(v.y) && check(v.z);
}

inline vec3::vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_)
{
    ASSERT(check(*this));
}

inline vec3 vec3::operator+(const vec3& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return vec3(x + o.x, y + o.y, z + o.z);
}

inline vec3 vec3::operator-(const vec3& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return vec3(x - o.x, y - o.y, z - o.z);
}

inline vec3& vec3::operator+=(const vec3& o)
{
    ASSERT(check(o));
    ASSERT(check(*this));
    *this = vec3(x + o.x, y + o.y, z + o.z);
    return *this;
}

inline vec3& vec3::operator-=(const vec3& o)
{
    ASSERT(check(o));
    ASSERT(check(*this));
    *this = vec3(x - o.x, y - o.y, z - o.z);
    return *this;
}

inline vec3 vec3::operator-() const
{
    ASSERT(check(*this));
    return vec3(-x, -y, -z);
}

inline vec3 vec3::operator*(float s) const
{
    ASSERT(check(s));
    ASSERT(check(*this));
    return vec3(x * s, y * s, z * s);
}

inline vec3& vec3::operator*=(float s)
{
    ASSERT(check(s));
    ASSERT(check(*this));
    *this = vec3(x * s, y * s, z * s);
    return *this;
}

inline vec3 vec3::operator/(float s) const
{
    ASSERT(check(s));
    ASSERT(fabsf(s) >= FLT_MIN);
    ASSERT(check(*this));
    return vec3(x / s, y / s, z / s);
}

inline vec3& vec3::operator/=(float s)
{
    ASSERT(check(s));
    ASSERT(fabsf(s) >= FLT_MIN);
    ASSERT(check(*this));
    *this = vec3(x / s, y / s, z / s);
    return *this;
}

inline bool vec3::operator==(const vec3& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return x == o.x && y == o.y && z == o.z;
}

// s * v, the same as v * s.
inline vec3 operator*(float s, const vec3& v)
{
    return v * s;
}

// a . b; asserts " check(a) ", " check(b) " and that the sum is finite
// (" res >= -FLT_MAX && res <= FLT_MAX ").
inline float dot(const vec3& a, const vec3& b)
{
    ASSERT(check(a));
    ASSERT(check(b));
    const float res = a.x * b.x + a.y * b.y + a.z * b.z;
    ASSERT(res >= -FLT_MAX && res <= FLT_MAX);
    return res;
}

// a x b (right-handed); asserts " check(a) ", " check(b) " and the result.
inline vec3 cross(const vec3& a, const vec3& b)
{
    ASSERT(check(a));
    ASSERT(check(b));
    return vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// Euclidean length; asserts " check(v) " and " res >= 0.f && res <= FLT_MAX ".
// The squares are summed in double, so neither tiny vectors (whose squares
// would underflow in float) nor large ones (whose squares would overflow)
// give a wrong length.
inline float length(const vec3& v)
{
    ASSERT(check(v));
    const double sum = double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z;
    const double res = std::sqrt(sum);
    ASSERT(res >= 0.f && res <= FLT_MAX);
    return float(res);
}

// v scaled to unit length; asserts " check(v) " and " len >= FLT_MIN ", so a
// zero vector, or one shorter than the smallest normal float, is rejected.
// Divides by the length: for lengths above 1/FLT_MIN the reciprocal would be
// a denormal and lose precision.
inline vec3 normalize(const vec3& v)
{
    ASSERT(check(v));
    const float len = length(v);
    ASSERT(len >= FLT_MIN);
    return vec3(v.x / len, v.y / len, v.z / len);
}

} // namespace slmath
