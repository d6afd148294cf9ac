#pragma once
// 4x4 float matrix stored as four rows. Vectors are columns: M * v transforms
// v, a translation sits in the fourth column ([0].w, [1].w, [2].w), and
// A * B applies B first. Building a transform by "post" operations therefore
// multiplies on the right: M = M * translation(t), M = M * rotation(a, axis).
// OpenGL takes columns, so every matrix handed to it goes through
// toColumnMajor (the transpose).
// Every constructor and operation checks that its operands and its result are
// finite numbers; a failure throws AssertationFailedException. Copies are
// plain (trivially copyable).

#include <cstddef>

#include "slmath/vec3.h"
#include "slmath/vec4.h"

namespace slmath {

class mat4 {
public:
    // The identity.
    mat4();
    // s on the diagonal, zero elsewhere (mat4(1) is the identity); asserts " check(*this) ".
    explicit mat4(float s);
    // The matrix with the given rows; asserts " check(*this) ".
    mat4(const vec4& row0, const vec4& row1, const vec4& row2, const vec4& row3);

    // The matrix whose rows are values[0..3], values[4..7], ...; asserts
    // " values " (non-null) and, through the constructor, that all are finite.
    static mat4 fromRowMajor(const float* values);

    // Row i; asserts " i < 4 " and " check(*this) ".
    vec4& operator[](size_t i);
    const vec4& operator[](size_t i) const;

    // The product this * o; asserts " check(o) ", " check(*this) " and " check(res) ".
    mat4 operator*(const mat4& o) const;

    // Scales every element by s; asserts " check(s) ", " check(*this) " and the
    // result (a failure leaves the matrix unchanged).
    mat4& operator*=(float s);

    // Exact element-wise comparison; asserts " check(*this) " and " check(o) ".
    bool operator==(const mat4& o) const;

    // Writes the 16 elements row by row (out[4 * row + column]); asserts " out "
    // and " check(*this) ".
    void toRowMajor(float* out) const;
    // Writes the 16 elements column by column (out[4 * column + row]), the
    // layout glLoadMatrixf expects; asserts " out " and " check(*this) ".
    void toColumnMajor(float* out) const;

private:
    struct Unchecked { };
    // The matrix with the given rows, for results that are checked by the caller.
    mat4(const vec4& row0, const vec4& row1, const vec4& row2, const vec4& row3, Unchecked)
        : m_rows{row0, row1, row2, row3}
    {
    }
    // Row `a` of a product with o: a.x o[0] + a.y o[1] + a.z o[2] + a.w o[3],
    // with no checks (the product checks its operands and result).
    static vec4 combineRows(const vec4& a, const mat4& o);

    friend bool check(const mat4& m);
    friend vec4 operator*(const mat4& m, const vec4& v);
    friend mat4 inverse(const mat4& m);

    vec4 m_rows[4];
};

// True when every element is finite, the same test as check(float) on each.
// x * 0 is zero for every finite x and NaN for infinities and NaN, so one sum
// tells; written column-wise so that the compiler tests four at a time.
inline bool check(const mat4& m)
{
    const vec4* r = m.m_rows;
    const float x = r[0].x * 0.f + r[1].x * 0.f + r[2].x * 0.f + r[3].x * 0.f;
    const float y = r[0].y * 0.f + r[1].y * 0.f + r[2].y * 0.f + r[3].y * 0.f;
    const float z = r[0].z * 0.f + r[1].z * 0.f + r[2].z * 0.f + r[3].z * 0.f;
    const float w = r[0].w * 0.f + r[1].w * 0.f + r[2].w * 0.f + r[3].w * 0.f;
    return (x + y) + (z + w) == 0.f;
}

inline mat4::mat4()
{
    m_rows[0].x = 1.f;
    m_rows[1].y = 1.f;
    m_rows[2].z = 1.f;
    m_rows[3].w = 1.f;
}

inline mat4::mat4(float s)
{
    m_rows[0].x = s;
    m_rows[1].y = s;
    m_rows[2].z = s;
    m_rows[3].w = s;
    ASSERT(check(*this));
}

inline mat4::mat4(const vec4& row0, const vec4& row1, const vec4& row2, const vec4& row3)
    : m_rows{row0, row1, row2, row3}
{
    ASSERT(check(*this));
}

inline vec4& mat4::operator[](size_t i)
{
    ASSERT(i < 4);
    ASSERT(check(*this));
    return m_rows[i];
}

inline const vec4& mat4::operator[](size_t i) const
{
    ASSERT(i < 4);
    ASSERT(check(*this));
    return m_rows[i];
}

inline mat4 mat4::operator*(const mat4& o) const
{
    ASSERT(check(o));
    ASSERT(check(*this));
    const mat4 res(combineRows(m_rows[0], o), combineRows(m_rows[1], o), combineRows(m_rows[2], o),
                   combineRows(m_rows[3], o), Unchecked{});
    ASSERT(check(res));
    return res;
}

inline vec4 mat4::combineRows(const vec4& a, const mat4& o)
{
    const vec4& b0 = o.m_rows[0];
    const vec4& b1 = o.m_rows[1];
    const vec4& b2 = o.m_rows[2];
    const vec4& b3 = o.m_rows[3];
    vec4 r;
    r.x = a.x * b0.x + a.y * b1.x + a.z * b2.x + a.w * b3.x;
    r.y = a.x * b0.y + a.y * b1.y + a.z * b2.y + a.w * b3.y;
    r.z = a.x * b0.z + a.y * b1.z + a.z * b2.z + a.w * b3.z;
    r.w = a.x * b0.w + a.y * b1.w + a.z * b2.w + a.w * b3.w;
    return r;
}

// m * v (v as a column); asserts " check(v) ", " check(m) " and the result.
inline vec4 operator*(const mat4& m, const vec4& v)
{
    ASSERT(check(v));
    ASSERT(check(m));
    const vec4& r0 = m.m_rows[0];
    const vec4& r1 = m.m_rows[1];
    const vec4& r2 = m.m_rows[2];
    const vec4& r3 = m.m_rows[3];
    return vec4(r0.x * v.x + r0.y * v.y + r0.z * v.z + r0.w * v.w, r1.x * v.x + r1.y * v.y + r1.z * v.z + r1.w * v.w,
                r2.x * v.x + r2.y * v.y + r2.z * v.z + r2.w * v.w, r3.x * v.x + r3.y * v.y + r3.z * v.z + r3.w * v.w);
}

// The transpose of m; asserts " check(m) ".
mat4 transpose(const mat4& m);

// The determinant of m, by cofactor expansion in double precision; asserts
// " check(m) " and that it fits a float (" res >= -FLT_MAX && res <= FLT_MAX ").
float det(const mat4& m);

// The inverse of m: the adjugate times 1/D, D the determinant, both computed
// in double so that no intermediate product overflows or underflows. Asserts
// " check(m) ", " D > FLT_MIN || D < -FLT_MIN " (singular) and " check(res) "
// (an inverse too large for float).
mat4 inverse(const mat4& m);

// The translation by t (identity with t in the fourth column); asserts the result.
mat4 translation(const vec3& t);

// The scaling diag(s.x, s.y, s.z, 1); asserts the result.
mat4 scaling(const vec3& s);

// The rotation by `degrees` (converted with DEG_TO_RAD) about `axis`,
// counter-clockwise looking down the axis towards the origin. The axis is
// normalised first, so a zero axis fails " len >= FLT_MIN " in slmath::normalize.
mat4 rotation(float degrees, const vec3& axis);

} // namespace slmath
