// quat: finite checks, normalisation, slerp (including q and -q) and the
// conversion to angle and axis.

#include <cfloat>
#include <cmath>
#include <limits>

#include "tests/external/slmath/SlmathTestSupport.h"

using namespace slmath;
using slmath_test::failsWith;
using slmath_test::near;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();
const float PI = 3.14159265f;

// The rotation by `radians` about the unit axis (x, y, z).
quat rotationQuat(float radians, float x, float y, float z)
{
    const float s = std::sin(radians / 2.f);
    return quat(x * s, y * s, z * s, std::cos(radians / 2.f));
}

} // namespace

TEST(SlmathQuat, ConstructionArithmeticAndNormalize)
{
    EXPECT_TRUE(quat() == quat(0.f, 0.f, 0.f, 1.f));
    EXPECT_TRUE(failsWith([] { (void)quat(0.f, NaN, 0.f, 1.f); }, " check(*this) ", "slmath::quat::quat"));
    quat bad;
    bad.w = -std::numeric_limits<float>::infinity();
    EXPECT_TRUE(failsWith([&] { (void)(quat() + bad); }, " check(o) ", "slmath::quat::operator+"));
    EXPECT_TRUE(failsWith([&] { (void)(bad * 2.f); }, " check(*this) ", "slmath::quat::operator*"));
    EXPECT_TRUE(failsWith([&] { (void)dot(quat(), bad); }, " check(b) ", "slmath::dot"));

    const quat a(1.f, 2.f, 3.f, 4.f), b(0.5f, 0.5f, -1.f, 2.f);
    EXPECT_TRUE(a + b == quat(1.5f, 2.5f, 2.f, 6.f));
    EXPECT_TRUE(a - b == quat(0.5f, 1.5f, 4.f, 2.f));
    EXPECT_TRUE(-a == quat(-1.f, -2.f, -3.f, -4.f));
    EXPECT_TRUE(2.f * b == quat(1.f, 1.f, -2.f, 4.f));
    EXPECT_EQ(dot(a, b), 6.5f);

    EXPECT_TRUE(normalize(quat(1.f, 1.f, 1.f, 1.f)) == quat(0.5f, 0.5f, 0.5f, 0.5f));
    // Summing squares in float would underflow here.
    EXPECT_TRUE(near(normalize(quat(0.f, 3e-30f, 0.f, 4e-30f)), quat(0.f, 0.6f, 0.f, 0.8f), 1e-6f));
    EXPECT_TRUE(failsWith([] { (void)normalize(quat(0.f, 0.f, 0.f, 0.f)); }, " n > FLT_MIN ", "slmath::normalize"));
    EXPECT_TRUE(failsWith([] { (void)normalize(quat(0.f, 0.f, 0.f, FLT_MIN)); }, " n > FLT_MIN ", "slmath::normalize"));
}

TEST(SlmathQuat, SlerpEndpointsAndMidpoint)
{
    const quat id;
    const quat z90 = rotationQuat(PI / 2.f, 0.f, 0.f, 1.f);
    EXPECT_TRUE(slerp(id, z90, 0.f) == id);
    EXPECT_TRUE(slerp(id, z90, 1.f) == z90);
    EXPECT_TRUE(slerp(z90, z90, 0.3f) == z90);
    // Half of 90 degrees about z is 45 degrees: (0, 0, sin 22.5, cos 22.5).
    EXPECT_TRUE(near(slerp(id, z90, 0.5f), quat(0.f, 0.f, 0.38268343f, 0.92387953f), 1e-6f));
    EXPECT_TRUE(near(slerp(id, z90, 1.f / 3.f), rotationQuat(PI / 6.f, 0.f, 0.f, 1.f), 1e-6f));

    // Close inputs still interpolate (no snapping to a).
    const quat tiny = rotationQuat(0.002f, 1.f, 0.f, 0.f);
    EXPECT_TRUE(near(slerp(id, tiny, 0.5f), rotationQuat(0.001f, 1.f, 0.f, 0.f), 1e-7f));
}

TEST(SlmathQuat, SlerpRequiresUnitQuaternions)
{
    const quat id;
    const char* aText = " fabsf(norm(a)-1.f) < UNIT_QUATERNION_EPS ";
    const char* bText = " fabsf(norm(b)-1.f) < UNIT_QUATERNION_EPS ";
    EXPECT_TRUE(failsWith([&] { (void)slerp(quat(0.f, 0.f, 0.f, 1.002f), id, 0.5f); }, aText, "slmath::slerp"));
    EXPECT_TRUE(failsWith([&] { (void)slerp(id, quat(0.f, 0.f, 0.f, 0.998f), 0.5f); }, bText, "slmath::slerp"));
    EXPECT_NO_THROW(slerp(quat(0.f, 0.f, 0.f, 1.0005f), id, 0.5f));
    EXPECT_TRUE(failsWith([&] { (void)slerp(id, id, NaN); }, " check(t) ", "slmath::slerp"));
}

TEST(SlmathQuat, SlerpOfOppositeQuaternions)
{
    // q and -q are the same rotation; the arc between them is undefined and q
    // comes back unchanged. For this q the rounded dot product is -0.99999988,
    // not -1: taking the angle from acos of it puts the midpoint at (0, 0, 0, 0).
    const quat q = normalize(quat(1.f, 2.f, 3.f, 4.f));
    for (float t : {0.f, 0.25f, 0.5f, 0.75f, 1.f})
        EXPECT_TRUE(slerp(q, -q, t) == q) << "t = " << t;
    const quat id;
    EXPECT_TRUE(slerp(id, -id, 0.5f) == id);

    // -q carrying rounding noise (one ulp, then a few parts in a million, as
    // after a round trip through a file) is still the same rotation: the arc
    // would be set by the noise and end 180 degrees away from q.
    quat nearlyMinus = -q;
    nearlyMinus.y = std::nextafter(nearlyMinus.y, 0.f);
    EXPECT_TRUE(slerp(q, nearlyMinus, 0.5f) == q);
    nearlyMinus.y += 2e-6f;
    nearlyMinus.w -= 1e-6f;
    EXPECT_TRUE(slerp(q, nearlyMinus, 0.5f) == q);

    // Other negative dot products take the long way round, with no hemisphere
    // flip: from the identity to -(90 degrees about z) the arc is 135 degrees,
    // and its middle is (0, 0, -sin 67.5, cos 67.5) (by hand), not the
    // 45 degree rotation of the short way.
    const quat minusZ90 = -rotationQuat(PI / 2.f, 0.f, 0.f, 1.f);
    EXPECT_TRUE(near(slerp(id, minusZ90, 0.5f), quat(0.f, 0.f, -0.92387953f, 0.38268343f), 1e-6f));
    for (float t : {0.1f, 0.5f, 0.9f})
        EXPECT_NEAR(norm(slerp(id, minusZ90, t)), 1.f, 1e-6f) << "t = " << t;

    // Nearly opposite, but clearly apart: the arc from the identity to
    // -(0.5 degrees about y) spans 179.75 degrees in quaternion space, so its
    // middle is (0, -sin 89.875, 0, cos 89.875) (by hand), of unit length.
    const quat almost = -rotationQuat(0.5f * DEG_TO_RAD, 0.f, 1.f, 0.f);
    for (float t : {0.25f, 0.5f, 0.75f})
        EXPECT_NEAR(norm(slerp(id, almost, t)), 1.f, 1e-4f) << "t = " << t;
    EXPECT_TRUE(near(slerp(id, almost, 0.5f), quat(0.f, -0.99999762f, 0.f, 0.00218166f), 1e-4f));
}

TEST(SlmathQuat, ToAngleAxis)
{
    vec3 axis(9.f, 9.f, 9.f);
    float angle = -1.f;
    toAngleAxis(quat(), axis, angle);
    EXPECT_EQ(angle, 0.f);
    EXPECT_TRUE(axis == vec3(0.f, 0.f, 0.f));

    toAngleAxis(rotationQuat(PI / 2.f, 0.f, 0.f, 1.f), axis, angle);
    EXPECT_NEAR(angle, PI / 2.f, 1e-6f);
    EXPECT_TRUE(near(axis, vec3(0.f, 0.f, 1.f), 1e-6f));

    // 270 degrees about (0.6, 0, 0.8): w is negative, the angle above pi.
    toAngleAxis(rotationQuat(1.5f * PI, 0.6f, 0.f, 0.8f), axis, angle);
    EXPECT_NEAR(angle, 1.5f * PI, 1e-5f);
    EXPECT_TRUE(near(axis, vec3(0.6f, 0.f, 0.8f), 1e-6f));

    // -identity is a full turn.
    toAngleAxis(quat(0.f, 0.f, 0.f, -1.f), axis, angle);
    EXPECT_NEAR(angle, 2.f * PI, 1e-6f);

    // |w| above 1 is within the unit tolerance; acos(w) would be NaN.
    toAngleAxis(quat(0.f, 0.f, 0.f, 1.0005f), axis, angle);
    EXPECT_EQ(angle, 0.f);
    EXPECT_TRUE(axis == vec3(0.f, 0.f, 0.f));
    toAngleAxis(quat(0.f, 0.f, 1e-4f, 1.0004f), axis, angle);
    EXPECT_NEAR(angle, 2e-4f, 1e-7f);
    EXPECT_TRUE(near(axis, vec3(0.f, 0.f, 1.f), 1e-6f));

    // Small angles keep their precision: 2 acos(cos 0.0005) in float is 2 % off.
    toAngleAxis(rotationQuat(0.001f, 1.f, 0.f, 0.f), axis, angle);
    EXPECT_NEAR(angle, 0.001f, 1e-9f);
    EXPECT_TRUE(near(axis, vec3(1.f, 0.f, 0.f), 1e-6f));

    EXPECT_TRUE(failsWith([&] { toAngleAxis(quat(0.f, 0.f, 0.f, 1.002f), axis, angle); },
                          " fabsf(norm(q)-1.f) < UNIT_QUATERNION_EPS ", "slmath::toAngleAxis"));
}
