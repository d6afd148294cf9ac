// mat4: layout and product order, finite checks, determinant and inverse,
// and the translation, scaling and rotation builders.

#include <cfloat>
#include <cmath>
#include <limits>

#include "tests/external/slmath/SlmathTestSupport.h"

using namespace slmath;
using slmath_test::failsWith;
using slmath_test::near;

namespace {

const float NaN = std::numeric_limits<float>::quiet_NaN();

// Rows (1..4), (5..8), (9..12), (13..16).
mat4 counting()
{
    return mat4(vec4(1.f, 2.f, 3.f, 4.f), vec4(5.f, 6.f, 7.f, 8.f), vec4(9.f, 10.f, 11.f, 12.f),
                vec4(13.f, 14.f, 15.f, 16.f));
}

// The OpenGL-style perspective projection for fovy 60 degrees, aspect 4/3,
// near 1 and far 100.
mat4 perspective()
{
    const float t = std::tan(60.f * DEG_TO_RAD / 2.f);
    const float a = 4.f / 3.f, n = 1.f, f = 100.f;
    return mat4(vec4(1.f / (t * a), 0.f, 0.f, 0.f), vec4(0.f, 1.f / t, 0.f, 0.f),
                vec4(0.f, 0.f, -(f + n) / (f - n), -2.f * n * f / (f - n)), vec4(0.f, 0.f, -1.f, 0.f));
}

} // namespace

TEST(SlmathMat4, RowLayoutAndColumnVectors)
{
    EXPECT_TRUE(mat4() == mat4(1.f));
    const mat4 two(2.f);
    EXPECT_TRUE(two[0] == vec4(2.f, 0.f, 0.f, 0.f));
    EXPECT_TRUE(two[3] == vec4(0.f, 0.f, 0.f, 2.f));

    // Translation sits in the fourth column and moves points, not directions.
    const mat4 t = translation(vec3(1.f, 2.f, 3.f));
    EXPECT_EQ(t[0].w, 1.f);
    EXPECT_EQ(t[1].w, 2.f);
    EXPECT_EQ(t[2].w, 3.f);
    EXPECT_TRUE(t * vec4(0.f, 0.f, 0.f, 1.f) == vec4(1.f, 2.f, 3.f, 1.f));
    EXPECT_TRUE(t * vec4(1.f, 0.f, 0.f, 0.f) == vec4(1.f, 0.f, 0.f, 0.f));

    // Row-major in and out; the column-major copy for OpenGL is the transpose.
    const mat4 m = counting();
    float rows[16], columns[16];
    m.toRowMajor(rows);
    m.toColumnMajor(columns);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(rows[i], float(i + 1));
    const float firstColumn[4] = {1.f, 5.f, 9.f, 13.f};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(columns[i], firstColumn[i]);
    EXPECT_EQ(columns[7], 14.f); // column 1, row 3
    EXPECT_TRUE(mat4::fromRowMajor(rows) == m);
    EXPECT_TRUE(mat4::fromRowMajor(columns) == transpose(m));
    EXPECT_TRUE(transpose(transpose(m)) == m);

    EXPECT_TRUE(failsWith([&] { m.toColumnMajor(nullptr); }, " out ", "slmath::mat4::toColumnMajor"));
    EXPECT_TRUE(failsWith([] { (void)mat4::fromRowMajor(nullptr); }, " values ", "slmath::mat4::fromRowMajor"));
}

TEST(SlmathMat4, ProductOrderMatters)
{
    // Products worked out by hand: with B = rows (2,0,0,1), (0,1,0,0),
    // (1,0,1,0), (0,0,0,1), row i of A * B is 2 A[i][0] + A[i][2] in column 0
    // and A[i][0] + A[i][3] in column 3; B * A mixes the rows of A instead.
    const mat4 a = counting();
    const mat4 b(vec4(2.f, 0.f, 0.f, 1.f), vec4(0.f, 1.f, 0.f, 0.f), vec4(1.f, 0.f, 1.f, 0.f),
                 vec4(0.f, 0.f, 0.f, 1.f));
    EXPECT_TRUE(a * b ==
                mat4(vec4(5.f, 2.f, 3.f, 5.f), vec4(17.f, 6.f, 7.f, 13.f), vec4(29.f, 10.f, 11.f, 21.f),
                     vec4(41.f, 14.f, 15.f, 29.f)));
    EXPECT_TRUE(b * a ==
                mat4(vec4(15.f, 18.f, 21.f, 24.f), vec4(5.f, 6.f, 7.f, 8.f), vec4(10.f, 12.f, 14.f, 16.f),
                     vec4(13.f, 14.f, 15.f, 16.f)));

    // T R rotates first, then translates; R T rotates the translated point.
    const mat4 t = translation(vec3(5.f, 0.f, 0.f));
    const mat4 r = rotation(90.f, vec3(0.f, 0.f, 1.f));
    const vec4 p(1.f, 0.f, 0.f, 1.f);
    EXPECT_TRUE(near((t * r) * p, vec4(5.f, 1.f, 0.f, 1.f), 1e-6f));
    EXPECT_TRUE(near((r * t) * p, vec4(0.f, 6.f, 0.f, 1.f), 1e-5f));
    EXPECT_TRUE(near((t * r) * p, t * (r * p), 1e-6f));

    // Post operations multiply on the right: translate by (1, 2, 3), then
    // scale by 2, maps (1, 0, 0) to (1, 2, 3) + 2 (1, 0, 0) = (3, 2, 3).
    mat4 m;
    m = m * translation(vec3(1.f, 2.f, 3.f));
    m = m * scaling(vec3(2.f, 2.f, 2.f));
    EXPECT_TRUE(m * vec4(0.f, 0.f, 0.f, 1.f) == vec4(1.f, 2.f, 3.f, 1.f));
    EXPECT_TRUE(m * vec4(1.f, 0.f, 0.f, 1.f) == vec4(3.f, 2.f, 3.f, 1.f));
}

TEST(SlmathMat4, NonFiniteValuesAreRejected)
{
    EXPECT_TRUE(failsWith([] { (void)mat4(NaN); }, " check(*this) ", "slmath::mat4::mat4"));

    mat4 bad;
    bad[1].y = NaN;
    const mat4 id;
    const vec4 p(1.f, 2.f, 3.f, 1.f);
    EXPECT_TRUE(failsWith([&] { (void)(bad * id); }, " check(*this) ", "slmath::mat4::operator*"));
    EXPECT_TRUE(failsWith([&] { (void)(id * bad); }, " check(o) ", "slmath::mat4::operator*"));
    EXPECT_TRUE(failsWith([&] { (void)(bad * p); }, " check(m) ", "slmath::operator*"));
    EXPECT_TRUE(failsWith([&] { (void)(bad == id); }, " check(*this) ", "slmath::mat4::operator=="));
    EXPECT_TRUE(failsWith([&] { (void)bad[0]; }, " check(*this) ", "slmath::mat4::operator[]"));
    EXPECT_TRUE(failsWith([&] { (void)det(bad); }, " check(m) ", "slmath::det"));
    EXPECT_TRUE(failsWith([&] { (void)inverse(bad); }, " check(m) ", "slmath::inverse"));
    EXPECT_TRUE(failsWith([&] { (void)transpose(bad); }, " check(m) ", "slmath::transpose"));

    vec4 badPoint = p;
    badPoint.w = NaN;
    EXPECT_TRUE(failsWith([&] { (void)(id * badPoint); }, " check(v) ", "slmath::operator*"));
    EXPECT_TRUE(failsWith([&] { (void)id[4]; }, " i < 4 ", "slmath::mat4::operator[]"));

    // The whole-matrix test agrees with the per-value test on every kind of float.
    const float inf = std::numeric_limits<float>::infinity();
    for (float v : {0.f, -0.f, 1e-45f, FLT_MIN, 1.f, FLT_MAX, -FLT_MAX, inf, -inf, NaN, -NaN}) {
        for (size_t row = 0; row < 4; ++row) {
            mat4 m;
            m[row].z = v;
            EXPECT_EQ(check(m), check(v)) << "value " << v << " in row " << row;
        }
    }

    // A product that overflows is reported as the result, not returned.
    const mat4 big(1e20f);
    EXPECT_TRUE(failsWith([&] { (void)(big * big); }, " check(res) ", "slmath::mat4::operator*"));

    // Scaling checks the scalar and the result and leaves the matrix unchanged on failure.
    mat4 m = counting();
    EXPECT_TRUE(failsWith([&] { m *= NaN; }, " check(s) ", "slmath::mat4::operator*="));
    EXPECT_TRUE(failsWith([&] { m *= FLT_MAX; }, " check(*this) ", "slmath::vec4::vec4"));
    EXPECT_TRUE(m == counting());
    m *= 0.5f;
    EXPECT_TRUE(m[3] == vec4(6.5f, 7.f, 7.5f, 8.f));
}

TEST(SlmathMat4, DeterminantAndInverse)
{
    // det by exact integer cofactor expansion in Python: -132.
    const mat4 a(vec4(2.f, -1.f, 0.f, 3.f), vec4(1.f, 3.f, -2.f, 0.f), vec4(0.f, 1.f, 4.f, -1.f),
                 vec4(5.f, 0.f, 1.f, 2.f));
    EXPECT_EQ(det(a), -132.f);
    EXPECT_EQ(det(mat4()), 1.f);
    EXPECT_EQ(det(scaling(vec3(2.f, 3.f, 4.f))), 24.f);

    EXPECT_TRUE(inverse(mat4()) == mat4());
    EXPECT_TRUE(inverse(scaling(vec3(2.f, 4.f, 8.f))) == scaling(vec3(0.5f, 0.25f, 0.125f)));

    // inverse(M) * M and M * inverse(M) are the identity within 1e-5.
    const mat4 trs =
        translation(vec3(1.f, -2.f, 3.f)) * rotation(30.f, vec3(1.f, 2.f, 3.f)) * scaling(vec3(2.f, 0.5f, 1.5f));
    const mat4 cases[] = {a, trs, perspective()};
    for (const mat4& m : cases) {
        EXPECT_TRUE(near(inverse(m) * m, mat4(), 1e-5f));
        EXPECT_TRUE(near(m * inverse(m), mat4(), 1e-5f));
    }
    EXPECT_TRUE(near(inverse(inverse(trs)), trs, 1e-5f));
    // The inverse of T R S undoes it point by point.
    const vec4 p(0.25f, -3.f, 7.f, 1.f);
    EXPECT_TRUE(near(inverse(trs) * (trs * p), p, 1e-5f));

    // A uniform scale of 1e10 on all four axes has determinant 1e40, beyond
    // float; the inverse is still exact.
    const mat4 huge(1e10f);
    EXPECT_TRUE(near(inverse(huge) * huge, mat4(), 1e-6f));
    EXPECT_FLOAT_EQ(inverse(huge)[2].z, 1e-10f);
    EXPECT_TRUE(failsWith([&] { (void)det(huge); }, " res >= -FLT_MAX && res <= FLT_MAX ", "slmath::det"));
}

TEST(SlmathMat4, SingularAndUnrepresentableInversesAreRejected)
{
    const char* singular = " D > FLT_MIN || D < -FLT_MIN ";
    mat4 zeroRow = counting();
    zeroRow[2] = vec4();
    EXPECT_TRUE(failsWith([&] { (void)inverse(zeroRow); }, singular, "slmath::inverse"));
    // The counting matrix itself has rank 2.
    EXPECT_TRUE(failsWith([] { (void)inverse(counting()); }, singular, "slmath::inverse"));
    EXPECT_TRUE(failsWith([] { (void)inverse(mat4(0.f)); }, singular, "slmath::inverse"));
    // A determinant below FLT_MIN (here 1e-39) counts as singular.
    EXPECT_TRUE(failsWith([] { (void)inverse(scaling(vec3(1e-13f, 1e-13f, 1e-13f))); }, singular, "slmath::inverse"));
    EXPECT_NO_THROW(inverse(scaling(vec3(1e-12f, 1e-12f, 1e-12f))));

    // Invertible, but 1 / 1e-39 does not fit a float.
    const mat4 tiny = scaling(vec3(1e-39f, 1e30f, 1e30f));
    EXPECT_TRUE(failsWith([&] { (void)inverse(tiny); }, " check(res) ", "slmath::inverse"));
}

TEST(SlmathMat4, RotationTakesDegreesAboutAnyAxis)
{
    EXPECT_EQ(DEG_TO_RAD, 0.017453292f);
    EXPECT_NEAR(radians(180.f), 3.14159265f, 1e-6f);

    // The axis is normalised: (0, 0, 2) is the z axis; 90 degrees turns x into y.
    EXPECT_TRUE(near(rotation(90.f, vec3(0.f, 0.f, 2.f)) * vec4(1.f, 0.f, 0.f, 0.f), vec4(0.f, 1.f, 0.f, 0.f), 1e-6f));
    EXPECT_TRUE(near(rotation(90.f, vec3(1.f, 0.f, 0.f)) * vec4(0.f, 1.f, 0.f, 0.f), vec4(0.f, 0.f, 1.f, 0.f), 1e-6f));
    EXPECT_TRUE(near(rotation(-90.f, vec3(0.f, 1.f, 0.f)) * vec4(1.f, 0.f, 0.f, 1.f), vec4(0.f, 0.f, 1.f, 1.f), 1e-6f));
    // A third of a turn about (1, 1, 1) cycles the axes x -> y -> z.
    EXPECT_TRUE(near(rotation(120.f, vec3(1.f, 1.f, 1.f)) * vec4(1.f, 0.f, 0.f, 0.f), vec4(0.f, 1.f, 0.f, 0.f), 1e-6f));

    // Any rotation is orthonormal with determinant 1.
    const mat4 r = rotation(37.f, vec3(1.f, -1.f, 2.f));
    EXPECT_TRUE(near(r * transpose(r), mat4(), 1e-6f));
    EXPECT_NEAR(det(r), 1.f, 1e-6f);

    EXPECT_TRUE(failsWith([] { (void)rotation(10.f, vec3()); }, " len >= FLT_MIN ", "slmath::normalize"));
    EXPECT_TRUE(failsWith([] { (void)rotation(NAN, vec3(1.f, 0.f, 0.f)); }, " check(degrees) ", "slmath::rotation"));
}
