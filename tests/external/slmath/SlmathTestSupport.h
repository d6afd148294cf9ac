#pragma once
// Helpers for the math tests: expecting a reported assertion, and comparing
// values within a tolerance with a readable failure message.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/Exception.h"
#include "tests/support/FailsWith.h"
#include "slmath/slmath.h"

namespace slmath_test {

using testing_support::failsWith;

inline ::testing::AssertionResult near(const slmath::vec3& a, const slmath::vec3& b, float tol)
{
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs (" << b.x << ", " << b.y
                                         << ", " << b.z << ")";
}

inline ::testing::AssertionResult near(const slmath::vec4& a, const slmath::vec4& b, float tol)
{
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol &&
        std::fabs(a.w - b.w) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w << ") vs (" << b.x
                                         << ", " << b.y << ", " << b.z << ", " << b.w << ")";
}

inline ::testing::AssertionResult near(const slmath::quat& a, const slmath::quat& b, float tol)
{
    return near(slmath::vec4(a.x, a.y, a.z, a.w), slmath::vec4(b.x, b.y, b.z, b.w), tol);
}

inline ::testing::AssertionResult near(const slmath::mat4& a, const slmath::mat4& b, float tol)
{
    for (size_t i = 0; i < 4; ++i) {
        ::testing::AssertionResult row = near(a[i], b[i], tol);
        if (!row)
            return ::testing::AssertionFailure() << "row " << i << ": " << row.message();
    }
    return ::testing::AssertionSuccess();
}

} // namespace slmath_test
