#pragma once
// Transform: a 4x4 matrix with the operations the scene graph needs. The
// matrix is stored by rows and multiplies column vectors (M * p), so the
// translation sits in the last column; the "post" operations multiply on the
// right (M = M * X), i.e. X applies to points before the old M. Whatever
// hands the matrix to OpenGL transposes it (mat4::toColumnMajor).
// Every value is checked to be a finite number; a failed operation leaves the
// matrix as it was.

#include "core/Object.h"
#include "slmath/slmath.h"

namespace render {

class Transform : public core::Object {
public:
    // The identity.
    Transform();
    explicit Transform(const slmath::mat4& matrix);
    Transform(const Transform& other);
    Transform& operator=(const Transform& other);
    ~Transform() noexcept(false) override;

    void setIdentity();
    // Copies the 16 values of `transform`.
    void set(const Transform& transform);
    // Copies `matrix`; asserts when a row holds a value that is not finite.
    void set(const slmath::mat4& matrix);
    // Copies 16 values given row by row. Requires matrix (" matrix ") and
    // finite values.
    void set(const float* matrix);
    // Writes the 16 values row by row. Requires matrix (" matrix ").
    void get(float* matrix) const;
    const slmath::mat4& getMatrix() const { return m_matrix; }

    // Replaces the matrix by its inverse, computed here in float. Throws
    // ArithmeticException "Transform not invertible" when the determinant
    // lies strictly between -FLT_MIN and FLT_MIN or the inverse does not fit
    // a float, and "Components of the matrix are not valid numbers so
    // transform not invertible" for a matrix that is not finite; the matrix
    // is unchanged then.
    void invert();
    // Replaces the matrix by its transpose.
    void transpose();

    // M = M * R, R the rotation by `angle` degrees about (ax, ay, az), which
    // is normalised first. A zero axis with a zero angle changes nothing;
    // with a non-zero angle it asserts "the rotation axis (ax ay az) is zero
    // and angle is nonzero". A non-zero axis shorter than FLT_MIN fails
    // " len >= FLT_MIN " in slmath::normalize.
    void postRotate(float angle, float ax, float ay, float az);
    // M = M * diag(sx, sy, sz, 1).
    void postScale(float sx, float sy, float sz);
    // M = M * T(tx, ty, tz).
    void postTranslate(float tx, float ty, float tz);
    // M = M * transform.
    void postMultiply(const Transform& transform);

    // M * v for the column vector v.
    slmath::vec4 transform(const slmath::vec4& v) const { return m_matrix * v; }

private:
    slmath::mat4 m_matrix;
};

} // namespace render
