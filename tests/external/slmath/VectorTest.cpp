// vec2, vec3 and vec4: finite checks, arithmetic, products, length and normalisation.

#include <cfloat>
#include <cmath>
#include <limits>
#include <type_traits>

#include "tests/external/slmath/SlmathTestSupport.h"

using namespace slmath;
using slmath_test::failsWith;
using slmath_test::near;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();
const float Inf = std::numeric_limits<float>::infinity();

// Engine containers copy these by bytes.
static_assert(std::is_trivially_copyable_v<vec2> && std::is_trivially_copyable_v<vec3> &&
              std::is_trivially_copyable_v<vec4> && std::is_trivially_copyable_v<quat> &&
              std::is_trivially_copyable_v<mat4>);

} // namespace

TEST(SlmathVector, NonFiniteComponentsAreRejectedByEveryConstructor)
{
    EXPECT_TRUE(failsWith([] { vec3(NaN, 0.f, 0.f); }, " check(*this) ", "slmath::vec3::vec3"));
    EXPECT_TRUE(failsWith([] { vec3(0.f, 0.f, -Inf); }, " check(*this) ", "slmath::vec3::vec3"));
    EXPECT_TRUE(failsWith([] { vec2(Inf, 1.f); }, " check(*this) ", "slmath::vec2::vec2"));
    EXPECT_TRUE(failsWith([] { vec4(1.f, 2.f, 3.f, NaN); }, " check(*this) ", "slmath::vec4::vec4"));
    EXPECT_TRUE(failsWith([] { vec4(vec3(1.f, 2.f, 3.f), Inf); }, " check(*this) ", "slmath::vec4::vec4"));

    // The extremes of the float range are valid values.
    EXPECT_NO_THROW(vec3(FLT_MAX, -FLT_MAX, FLT_MIN));
    EXPECT_NO_THROW(vec4(-FLT_MAX, 0.f, 1e-45f, FLT_MAX));
    EXPECT_TRUE(check(vec3(FLT_MAX, 0.f, 0.f)));
    EXPECT_FALSE(check(NaN));
    EXPECT_FALSE(check(-Inf));
}

TEST(SlmathVector, OperationsCheckOperandsScalarsAndResults)
{
    // A component written directly is caught by the next operation; the
    // operand is checked before the value itself.
    vec3 bad(1.f, 2.f, 3.f);
    bad.y = NaN;
    const vec3 good(1.f, 1.f, 1.f);
    EXPECT_TRUE(failsWith([&] { (void)(bad + good); }, " check(*this) ", "slmath::vec3::operator+"));
    EXPECT_TRUE(failsWith([&] { (void)(good + bad); }, " check(o) ", "slmath::vec3::operator+"));
    EXPECT_TRUE(failsWith([&] { (void)(good - bad); }, " check(o) ", "slmath::vec3::operator-"));
    EXPECT_TRUE(failsWith([&] { (void)dot(bad, good); }, " check(a) ", "slmath::dot"));
    EXPECT_TRUE(failsWith([&] { (void)cross(good, bad); }, " check(b) ", "slmath::cross"));
    EXPECT_TRUE(failsWith([&] { (void)length(bad); }, " check(v) ", "slmath::length"));
    EXPECT_TRUE(failsWith([&] { (void)(good * NaN); }, " check(s) ", "slmath::vec3::operator*"));
    EXPECT_TRUE(failsWith([&] { (void)(vec4() * Inf); }, " check(s) ", "slmath::vec4::operator*"));
    EXPECT_TRUE(failsWith([&] { (void)(vec2() * NaN); }, " check(s) ", "slmath::vec2::operator*"));

    // Results that overflow are reported by the constructor that builds them.
    const vec3 big(FLT_MAX, 0.f, 0.f);
    EXPECT_TRUE(failsWith([&] { (void)(big + big); }, " check(*this) ", "slmath::vec3::vec3"));
    EXPECT_TRUE(failsWith([&] { (void)(big * 2.f); }, " check(*this) ", "slmath::vec3::vec3"));

    // A failed compound assignment leaves the value as it was.
    vec4 v(FLT_MAX, 1.f, 2.f, 3.f);
    EXPECT_TRUE(failsWith([&] { v += v; }, " check(*this) ", "slmath::vec4::vec4"));
    EXPECT_TRUE(failsWith([&] { v *= 10.f; }, " check(*this) ", "slmath::vec4::vec4"));
    EXPECT_TRUE(v == vec4(FLT_MAX, 1.f, 2.f, 3.f));

    // Division by a scalar below the smallest normal float.
    EXPECT_TRUE(failsWith([&] { (void)(good / 0.f); }, " fabsf(s) >= FLT_MIN ", "slmath::vec3::operator/"));
    EXPECT_TRUE(failsWith([&] { v /= 1e-39f; }, " fabsf(s) >= FLT_MIN ", "slmath::vec4::operator/="));
    EXPECT_TRUE(v == vec4(FLT_MAX, 1.f, 2.f, 3.f));
    EXPECT_TRUE(vec3(0.5f, 1.f, 2.f) / FLT_MIN == vec3(0.5f / FLT_MIN, 1.f / FLT_MIN, 2.f / FLT_MIN));
}

TEST(SlmathVector, ArithmeticAndComparison)
{
    vec3 a(1.f, 2.f, 3.f);
    const vec3 b(0.5f, -1.f, 4.f);
    EXPECT_TRUE(a + b == vec3(1.5f, 1.f, 7.f));
    EXPECT_TRUE(a - b == vec3(0.5f, 3.f, -1.f));
    EXPECT_TRUE(-a == vec3(-1.f, -2.f, -3.f));
    EXPECT_TRUE(2.f * a == a * 2.f);
    a += b;
    a -= vec3(0.5f, 0.f, 0.f);
    a *= 2.f;
    a /= 4.f;
    EXPECT_TRUE(a == vec3(0.5f, 0.5f, 3.5f));

    const vec2 p(1.f, 2.f);
    EXPECT_TRUE(p + vec2(3.f, 4.f) == vec2(4.f, 6.f));
    EXPECT_TRUE(p - vec2(3.f, 4.f) == vec2(-2.f, -2.f));

    // Equality is exact: one unit in the last place differs.
    const vec4 v(1.f, 2.f, 3.f, 4.f);
    EXPECT_TRUE(v == vec4(1.f, 2.f, 3.f, 4.f));
    EXPECT_FALSE(v == vec4(1.f, 2.f, 3.f, std::nextafter(4.f, 5.f)));
    EXPECT_TRUE(v != vec4(0.f, 2.f, 3.f, 4.f));
    EXPECT_TRUE(vec4(vec3(1.f, 2.f, 3.f), 4.f) == v);
    EXPECT_TRUE(v.xyz() == vec3(1.f, 2.f, 3.f));
}

TEST(SlmathVector, Vec4IndexingIsBoundsChecked)
{
    vec4 v(1.f, 2.f, 3.f, 4.f);
    EXPECT_EQ(v[0], 1.f);
    EXPECT_EQ(v[1], 2.f);
    EXPECT_EQ(v[2], 3.f);
    EXPECT_EQ(v[3], 4.f);
    v[2] = 7.f;
    EXPECT_EQ(v.z, 7.f);

    EXPECT_TRUE(failsWith([&] { v[4] = 0.f; }, " i < 4 ", "slmath::vec4::operator[]"));
    const int negative = -1; // converts to a huge index
    EXPECT_TRUE(failsWith([&] { (void)v[negative]; }, " i < 4 ", "slmath::vec4::operator[]"));
    const vec4& cv = v;
    EXPECT_TRUE(failsWith([&] { (void)cv[4]; }, " i < 4 ", "slmath::vec4::operator[]"));
    v.w = Inf;
    EXPECT_TRUE(failsWith([&] { (void)cv[0]; }, " check(*this) ", "slmath::vec4::operator[]"));
}

TEST(SlmathVector, DotCrossAndLength)
{
    const vec3 x(1.f, 0.f, 0.f), y(0.f, 1.f, 0.f), z(0.f, 0.f, 1.f);
    // Right-handed: x cross y = z, and the product is anti-commutative.
    EXPECT_TRUE(cross(x, y) == z);
    EXPECT_TRUE(cross(y, z) == x);
    EXPECT_TRUE(cross(y, x) == -z);
    // (1,2,3) x (4,5,6) = (2*6-3*5, 3*4-1*6, 1*5-2*4) by hand.
    EXPECT_TRUE(cross(vec3(1.f, 2.f, 3.f), vec3(4.f, 5.f, 6.f)) == vec3(-3.f, 6.f, -3.f));

    EXPECT_EQ(dot(vec3(1.f, 2.f, 3.f), vec3(4.f, -5.f, 6.f)), 12.f);
    EXPECT_EQ(dot(vec4(1.f, 2.f, 3.f, 4.f), vec4(1.f, 1.f, 1.f, -1.f)), 2.f);
    EXPECT_TRUE(failsWith([] { (void)dot(vec3(FLT_MAX, 0.f, 0.f), vec3(2.f, 0.f, 0.f)); },
                          " res >= -FLT_MAX && res <= FLT_MAX ", "slmath::dot"));

    EXPECT_EQ(length(vec3(3.f, 4.f, 0.f)), 5.f);
    EXPECT_EQ(length(vec4(1.f, 1.f, 1.f, 1.f)), 2.f);
    // Lengths whose squares leave the float range are still exact:
    // |(3e-30, 4e-30, 0)| = 5e-30 and |(3e37, 4e37, 0)| = 5e37.
    EXPECT_FLOAT_EQ(length(vec3(3e-30f, 4e-30f, 0.f)), 5e-30f);
    EXPECT_FLOAT_EQ(length(vec3(3e37f, 4e37f, 0.f)), 5e37f);
    // A length beyond FLT_MAX is reported.
    EXPECT_TRUE(failsWith([] { (void)length(vec3(FLT_MAX, FLT_MAX, 0.f)); }, " res >= 0.f && res <= FLT_MAX ",
                          "slmath::length"));
}

TEST(SlmathVector, NormalizeAcceptsLengthsDownToFltMin)
{
    EXPECT_TRUE(failsWith([] { (void)normalize(vec3()); }, " len >= FLT_MIN ", "slmath::normalize"));
    EXPECT_TRUE(failsWith([] { (void)normalize(vec4()); }, " len >= FLT_MIN ", "slmath::normalize"));
    // A denormal vector is shorter than FLT_MIN.
    EXPECT_TRUE(failsWith([] { (void)normalize(vec3(1e-39f, 0.f, 0.f)); }, " len >= FLT_MIN ", "slmath::normalize"));

    // Summing squares in float would underflow to zero for all of these.
    EXPECT_TRUE(near(normalize(vec3(1e-30f, 0.f, 0.f)), vec3(1.f, 0.f, 0.f), 1e-6f));
    EXPECT_TRUE(near(normalize(vec3(3e-30f, 0.f, 4e-30f)), vec3(0.6f, 0.f, 0.8f), 1e-6f));
    EXPECT_TRUE(near(normalize(vec3(FLT_MIN, 0.f, 0.f)), vec3(1.f, 0.f, 0.f), 1e-6f));
    EXPECT_TRUE(near(normalize(vec3(0.f, -2e-38f, 0.f)), vec3(0.f, -1.f, 0.f), 1e-6f));
    EXPECT_TRUE(near(normalize(vec4(0.f, 0.f, 1e-25f, 1e-25f)), vec4(0.f, 0.f, 0.70710678f, 0.70710678f), 1e-6f));

    // Near FLT_MAX a reciprocal would be denormal; the result stays accurate.
    EXPECT_TRUE(near(normalize(vec3(2e38f, 2e38f, 0.f)), vec3(0.70710678f, 0.70710678f, 0.f), 1e-6f));

    const vec3 n = normalize(vec3(1.f, -2.f, 2.f)); // length 3
    EXPECT_TRUE(near(n, vec3(1.f / 3.f, -2.f / 3.f, 2.f / 3.f), 1e-7f));
    EXPECT_NEAR(length(n), 1.f, 1e-7f);
}
