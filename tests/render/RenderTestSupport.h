#pragma once
// Helpers for the scene-graph tests: expecting a reported failure with its
// text and function, and comparing matrices and points within a tolerance.

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "tests/support/FailsWith.h"
#include "core/Vector.h"
#include "render/scene/Transform.h"
#include "slmath/slmath.h"

namespace render_test {

using testing_support::failsWith;

// The image of the point (x, y, z) under `t`, as (x, y, z, w).
inline slmath::vec4 apply(const render::Transform& t, float x, float y, float z)
{
    return t.transform(slmath::vec4(x, y, z, 1.f));
}

inline ::testing::AssertionResult near(const slmath::vec4& a, const slmath::vec4& b, float tol = 1e-5f)
{
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol &&
        std::fabs(a.w - b.w) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ") vs (" << b.x
                                         << ", " << b.y << ", " << b.z << ", " << b.w << ")";
}

// Element-wise comparison of two transforms.
inline ::testing::AssertionResult near(const render::Transform& a, const render::Transform& b, float tol = 1e-5f)
{
    float x[16], y[16];
    a.get(x);
    b.get(y);
    for (int i = 0; i < 16; ++i)
        if (!(std::fabs(x[i] - y[i]) <= tol))
            return ::testing::AssertionFailure() << "element " << i << ": " << x[i] << " vs " << y[i];
    return ::testing::AssertionSuccess();
}

// The transform with the given 16 values, row by row.
inline render::Transform rows(std::initializer_list<float> values)
{
    float m[16];
    int i = 0;
    for (float v : values)
        m[i++] = v;
    render::Transform t;
    t.set(m);
    return t;
}

// The elements of an engine vector, for comparisons with EXPECT_EQ.
template <class T> std::vector<T> elements(const core::Vector<T>& v)
{
    return std::vector<T>(v.begin(), v.end());
}

} // namespace render_test
