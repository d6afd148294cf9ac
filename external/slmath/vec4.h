#pragma once
// Four-component float vector: homogeneous points and directions, colours and
// the rows of mat4. Every constructor and operation checks that its operands
// and its result are finite numbers; a failure throws
// AssertationFailedException. Copies are plain (trivially copyable), so a
// value edited through its public fields is caught by the next operation.

#include <cstddef>

#include "slmath/vec3.h"

namespace slmath {

struct vec4 {
    float x = 0.f;
    float y = 0.f;
    float z = 0.f;
    float w = 0.f;

    // The zero vector.
    constexpr vec4() = default;

    // (x, y, z, w); asserts " check(*this) ".
    vec4(float x_, float y_, float z_, float w_);
    // (v.x, v.y, v.z, w); asserts " check(*this) ".
    vec4(const vec3& v, float w_);

    // (x, y, z), dropping w; asserts " check(*this) ".
    vec3 xyz() const;

    // Component i (0 x, 1 y, 2 z, 3 w); asserts " i < 4 " and " check(*this) ".
    float& operator[](size_t i);
    float operator[](size_t i) const;

    // Component-wise sum and difference; assert " check(o) ", " check(*this) "
    // and, through the constructor, that the result is finite. A failed
    // compound assignment leaves the value unchanged.
    vec4 operator+(const vec4& o) const;
    vec4 operator-(const vec4& o) const;
    vec4& operator+=(const vec4& o);
    vec4& operator-=(const vec4& o);
    // Negation; asserts " check(*this) ".
    vec4 operator-() const;

    // Scaling; asserts " check(s) ", " check(*this) " and the result.
    vec4 operator*(float s) const;
    vec4& operator*=(float s);
    // Division by s; additionally asserts " fabsf(s) >= FLT_MIN ".
    vec4 operator/(float s) const;
    vec4& operator/=(float s);

    // Exact component-wise comparison; asserts " check(o) " and " check(*this) ".
    bool operator==(const vec4& o) const;
};

// True when every component is finite.
inline bool check(const vec4& v)
{
    return check(v.x) && check(v.y) && check(v.z) && check(v.w);
}

inline vec4::vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_)
{
    ASSERT(check(*this));
}

inline vec4::vec4(const vec3& v, float w_) : x(v.x), y(v.y), z(v.z), w(w_)
{
    ASSERT(check(*this));
}

inline vec3 vec4::xyz() const
{
    ASSERT(check(*this));
    return vec3(x, y, z);
}

namespace detail {
// Member pointers give indexed access without stepping a pointer past x.
inline constexpr float vec4::*VEC4_COMPONENTS[4] = {&vec4::x, &vec4::y, &vec4::z, &vec4::w};
} // namespace detail

inline float& vec4::operator[](size_t i)
{
    ASSERT(i < 4);
    ASSERT(check(*this));
    return this->*detail::VEC4_COMPONENTS[i];
}

inline float vec4::operator[](size_t i) const
{
    ASSERT(i < 4);
    ASSERT(check(*this));
    return this->*detail::VEC4_COMPONENTS[i];
}

inline vec4 vec4::operator+(const vec4& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return vec4(x + o.x, y + o.y, z + o.z, w + o.w);
}

inline vec4 vec4::operator-(const vec4& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return vec4(x - o.x, y - o.y, z - o.z, w - o.w);
}

inline vec4& vec4::operator+=(const vec4& o)
{
    ASSERT(check(o));
    ASSERT(check(*this));
    *this = vec4(x + o.x, y + o.y, z + o.z, w + o.w);
    return *this;
}

inline vec4& vec4::operator-=(const vec4& o)
{
    ASSERT(check(o));
    ASSERT(check(*this));
    *this = vec4(x - o.x, y - o.y, z - o.z, w - o.w);
    return *this;
}

inline vec4 vec4::operator-() const
{
    ASSERT(check(*this));
    return vec4(-x, -y, -z, -w);
}

inline vec4 vec4::operator*(float s) const
{
    ASSERT(check(s));
    ASSERT(check(*this));
    return vec4(x * s, y * s, z * s, w * s);
}

inline vec4& vec4::operator*=(float s)
{
    ASSERT(check(s));
    ASSERT(check(*this));
    *this = vec4(x * s, y * s, z * s, w * s);
    return *this;
}

inline vec4 vec4::operator/(float s) const
{
    ASSERT(check(s));
    ASSERT(fabsf(s) >= FLT_MIN);
    ASSERT(check(*this));
    return vec4(x / s, y / s, z / s, w / s);
}

inline vec4& vec4::operator/=(float s)
{
    ASSERT(check(s));
    ASSERT(fabsf(s) >= FLT_MIN);
    ASSERT(check(*this));
    *this = vec4(x / s, y / s, z / s, w / s);
    return *this;
}

inline bool vec4::operator==(const vec4& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return x == o.x && y == o.y && z == o.z && w == o.w;
}

// s * v, the same as v * s.
inline vec4 operator*(float s, const vec4& v)
{
    return v * s;
}

// a . b over all four components; asserts " check(a) ", " check(b) " and
// that the sum is finite (" res >= -FLT_MAX && res <= FLT_MAX ").
inline float dot(const vec4& a, const vec4& b)
{
    ASSERT(check(a));
    ASSERT(check(b));
    const float res = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    ASSERT(res >= -FLT_MAX && res <= FLT_MAX);
    return res;
}

// Euclidean length over all four components; asserts " check(v) " and
// " res >= 0.f && res <= FLT_MAX ". Squares are summed in double (see vec3).
inline float length(const vec4& v)
{
    ASSERT(check(v));
    const double sum = double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z + double(v.w) * v.w;
    const double res = std::sqrt(sum);
    ASSERT(res >= 0.f && res <= FLT_MAX);
    return float(res);
}

// v scaled to unit length; asserts " check(v) " and " len >= FLT_MIN ".
inline vec4 normalize(const vec4& v)
{
    ASSERT(check(v));
    const float len = length(v);
    ASSERT(len >= FLT_MIN);
    return vec4(v.x / len, v.y / len, v.z / len, v.w / len);
}

} // namespace slmath
