#include "render/scene/Transform.h"

#include "render/ArithmeticException.h"

namespace render {

Transform::Transform() = default;

Transform::Transform(const slmath::mat4& matrix) : m_matrix(matrix)
{
    ASSERT(slmath::check(m_matrix));
}

Transform::Transform(const Transform& other) : core::Object(), m_matrix(other.m_matrix)
{
}

Transform& Transform::operator=(const Transform& other)
{
    m_matrix = other.m_matrix;
    return *this;
}

Transform::~Transform() noexcept(false) = default;

void Transform::setIdentity()
{
    m_matrix = slmath::mat4();
}

void Transform::set(const Transform& transform)
{
    m_matrix = transform.m_matrix;
}

void Transform::set(const slmath::mat4& matrix)
{
    // Copying row by row validates each row as a vec4.
    m_matrix = slmath::mat4(matrix[0], matrix[1], matrix[2], matrix[3]);
}

void Transform::set(const float* matrix)
{
    ASSERT(matrix);
    m_matrix = slmath::mat4::fromRowMajor(matrix);
}

void Transform::get(float* matrix) const
{
    ASSERT(matrix);
    m_matrix.toRowMajor(matrix);
}

void Transform::invert()
{
    if (!slmath::check(m_matrix))
        throw ArithmeticException("Components of the matrix are not valid numbers so transform not invertible");
    float a[16];
    m_matrix.toRowMajor(a);
    auto at = [&a](int row, int column) { return a[4 * row + column]; };

    // 2x2 minors of the upper row pair (s) and the lower row pair (c):
    // expanding along the two pairs gives the determinant, and the same
    // minors give every cofactor.
    const float s0 = at(0, 0) * at(1, 1) - at(1, 0) * at(0, 1);
    const float s1 = at(0, 0) * at(1, 2) - at(1, 0) * at(0, 2);
    const float s2 = at(0, 0) * at(1, 3) - at(1, 0) * at(0, 3);
    const float s3 = at(0, 1) * at(1, 2) - at(1, 1) * at(0, 2);
    const float s4 = at(0, 1) * at(1, 3) - at(1, 1) * at(0, 3);
    const float s5 = at(0, 2) * at(1, 3) - at(1, 2) * at(0, 3);
    const float c5 = at(2, 2) * at(3, 3) - at(3, 2) * at(2, 3);
    const float c4 = at(2, 1) * at(3, 3) - at(3, 1) * at(2, 3);
    const float c3 = at(2, 1) * at(3, 2) - at(3, 1) * at(2, 2);
    const float c2 = at(2, 0) * at(3, 3) - at(3, 0) * at(2, 3);
    const float c1 = at(2, 0) * at(3, 2) - at(3, 0) * at(2, 2);
    const float c0 = at(2, 0) * at(3, 1) - at(3, 0) * at(2, 1);
    const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;

    // A determinant that overflowed would give 1/det = 0 and a zero
    // "inverse"; one in the denormal range has no usable reciprocal.
    if (!slmath::check(det) || (det > -FLT_MIN && det < FLT_MIN))
        throw ArithmeticException("Transform not invertible");
    const float k = 1.f / det;

    // The adjugate (transposed cofactors) times 1/det.
    float r[16];
    r[0] = (at(1, 1) * c5 - at(1, 2) * c4 + at(1, 3) * c3) * k;
    r[1] = (-at(0, 1) * c5 + at(0, 2) * c4 - at(0, 3) * c3) * k;
    r[2] = (at(3, 1) * s5 - at(3, 2) * s4 + at(3, 3) * s3) * k;
    r[3] = (-at(2, 1) * s5 + at(2, 2) * s4 - at(2, 3) * s3) * k;

    r[4] = (-at(1, 0) * c5 + at(1, 2) * c2 - at(1, 3) * c1) * k;
    r[5] = (at(0, 0) * c5 - at(0, 2) * c2 + at(0, 3) * c1) * k;
    r[6] = (-at(3, 0) * s5 + at(3, 2) * s2 - at(3, 3) * s1) * k;
    r[7] = (at(2, 0) * s5 - at(2, 2) * s2 + at(2, 3) * s1) * k;

    r[8] = (at(1, 0) * c4 - at(1, 1) * c2 + at(1, 3) * c0) * k;
    r[9] = (-at(0, 0) * c4 + at(0, 1) * c2 - at(0, 3) * c0) * k;
    r[10] = (at(3, 0) * s4 - at(3, 1) * s2 + at(3, 3) * s0) * k;
    r[11] = (-at(2, 0) * s4 + at(2, 1) * s2 - at(2, 3) * s0) * k;

    r[12] = (-at(1, 0) * c3 + at(1, 1) * c1 - at(1, 2) * c0) * k;
    r[13] = (at(0, 0) * c3 - at(0, 1) * c1 + at(0, 2) * c0) * k;
    r[14] = (-at(3, 0) * s3 + at(3, 1) * s1 - at(3, 2) * s0) * k;
    r[15] = (at(2, 0) * s3 - at(2, 1) * s1 + at(2, 2) * s0) * k;

    // An inverse too large for a float is no inverse either.
    for (float value : r)
        if (!slmath::check(value))
            throw ArithmeticException("Transform not invertible");
    m_matrix = slmath::mat4::fromRowMajor(r);
}

void Transform::transpose()
{
    m_matrix = slmath::transpose(m_matrix);
}

void Transform::postRotate(float angle, float ax, float ay, float az)
{
    if (ax == 0.f && ay == 0.f && az == 0.f) {
        ASSERT_MSG(angle == 0.f, "the rotation axis (ax ay az) is zero and angle is nonzero");
        return;
    }
    m_matrix = m_matrix * slmath::rotation(angle, slmath::vec3(ax, ay, az));
}

void Transform::postScale(float sx, float sy, float sz)
{
    const slmath::vec3 s(sx, sy, sz);
    float e[16];
    m_matrix.toRowMajor(e);
    // Scaling on the right scales the first three columns.
    for (int row = 0; row < 4; ++row) {
        e[4 * row + 0] *= s.x;
        e[4 * row + 1] *= s.y;
        e[4 * row + 2] *= s.z;
    }
    m_matrix = slmath::mat4::fromRowMajor(e);
}

void Transform::postTranslate(float tx, float ty, float tz)
{
    const slmath::vec3 t(tx, ty, tz);
    float e[16];
    m_matrix.toRowMajor(e);
    // Translating on the right moves the last column by M * (t, 0).
    for (int row = 0; row < 4; ++row) {
        float* r = e + 4 * row;
        r[3] = r[0] * t.x + r[1] * t.y + r[2] * t.z + r[3];
    }
    m_matrix = slmath::mat4::fromRowMajor(e);
}

void Transform::postMultiply(const Transform& transform)
{
    m_matrix = m_matrix * transform.m_matrix;
}

} // namespace render
