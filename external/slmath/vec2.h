#pragma once
// Two-component float vector. Every constructor and operation checks that
// its operands and its result are finite numbers; a failure throws
// AssertationFailedException. Copies are plain (trivially copyable), so a
// value edited through its public fields is caught by the next operation.

#include "slmath/scalar.h"

namespace slmath {

struct vec2 {
    float x = 0.f;
    float y = 0.f;

    // The zero vector.
    constexpr vec2() = default;

    // (x, y); asserts " check(*this) ".
    vec2(float x_, float y_);

    // Component-wise sum and difference; assert " check(o) ", " check(*this) "
    // and, through the constructor, that the result is finite.
    vec2 operator+(const vec2& o) const;
    vec2 operator-(const vec2& o) const;
    vec2& operator+=(const vec2& o);
    vec2& operator-=(const vec2& o);
    // Negation; asserts " check(*this) ".
    vec2 operator-() const;

    // Scaling; asserts " check(s) ", " check(*this) " and the result.
    vec2 operator*(float s) const;

    // Exact component-wise comparison; asserts " check(o) " and " check(*this) ".
    bool operator==(const vec2& o) const;
};

// True when both components are finite.
inline bool check(const vec2& v)
{
    return check(v.x) && check(v.y);
}

inline vec2::vec2(float x_, float y_) : x(x_), y(y_)
{
    ASSERT(check(*this));
}

inline vec2 vec2::operator+(const vec2& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return vec2(x + o.x, y + o.y);
}

inline vec2 vec2::operator-(const vec2& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return vec2(x - o.x, y - o.y);
}

inline vec2& vec2::operator+=(const vec2& o)
{
    ASSERT(check(o));
    ASSERT(check(*this));
    *this = vec2(x + o.x, y + o.y);
    return *this;
}

inline vec2& vec2::operator-=(const vec2& o)
{
    ASSERT(check(o));
    ASSERT(check(*this));
    *this = vec2(x - o.x, y - o.y);
    return *this;
}

inline vec2 vec2::operator-() const
{
    ASSERT(check(*this));
    return vec2(-x, -y);
}

inline vec2 vec2::operator*(float s) const
{
    ASSERT(check(s));
    ASSERT(check(*this));
    return vec2(x * s, y * s);
}

inline bool vec2::operator==(const vec2& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    return x == o.x && y == o.y;
}

// s * v, the same as v * s.
inline vec2 operator*(float s, const vec2& v)
{
    return v * s;
}

} // namespace slmath
