// Transform (post-multiplied operations, inversion) and Transformable (the
// T * R * S * M composite, the zero-axis rules and the composite cache).
// Expected points are worked out by hand from the operations' definitions.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/MemoryManager.h"
#include "core/Ref.h"
#include "render/ArithmeticException.h"
#include "render/scene/Transform.h"
#include "render/scene/Transformable.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/EngineTest.h"

using render::Transform;
using render::Transformable;
using render_test::apply;
using render_test::failsWith;
using render_test::near;
using render_test::rows;
using slmath::vec4;

namespace {

// The smallest concrete Transformable.
class Placed : public Transformable {
public:
    Placed() = default;
    Placed* duplicate() const override { return VORNA3D_NEW Placed(*this); }

protected:
    Placed(const Placed& other) = default;
};

class TransformTest : public testing_support::EngineTest { };

Transform composite(const Transformable& t)
{
    Transform out;
    t.getCompositeTransform(&out);
    return out;
}

int allocationCount()
{
    return core::MemoryManager::getMemoryInfoPtr()->getStatistics().allocationCount;
}

const float NaN = std::numeric_limits<float>::quiet_NaN();

} // namespace

TEST_F(TransformTest, PostOperationsMultiplyOnTheRight)
{
    // Translation sits in the last column.
    Transform t;
    t.postTranslate(1.f, 2.f, 3.f);
    float m[16];
    t.get(m);
    EXPECT_EQ(m[3], 1.f);
    EXPECT_EQ(m[7], 2.f);
    EXPECT_EQ(m[11], 3.f);
    EXPECT_EQ(m[12], 0.f);

    // M = T * S scales first: (1,0,0) -> (2,0,0) -> (3,2,3).
    t.postScale(2.f, 2.f, 2.f);
    EXPECT_TRUE(near(apply(t, 1.f, 0.f, 0.f), vec4(3.f, 2.f, 3.f, 1.f)));
    // The other order, S * T, translates first: 2 * ((1,0,0) + (1,2,3)) = (4,4,6).
    Transform st;
    st.postScale(2.f, 2.f, 2.f);
    st.postTranslate(1.f, 2.f, 3.f);
    EXPECT_TRUE(near(apply(st, 1.f, 0.f, 0.f), vec4(4.f, 4.f, 6.f, 1.f)));

    // 90 degrees about z turns x into y, then the translation applies.
    Transform tr;
    tr.postTranslate(1.f, 0.f, 0.f);
    tr.postRotate(90.f, 0.f, 0.f, 3.f); // the axis is normalised
    EXPECT_TRUE(near(apply(tr, 1.f, 0.f, 0.f), vec4(1.f, 1.f, 0.f, 1.f)));
    // Row 1 of R(90, z) is (sin, cos, 0): the +z*s term sits below the diagonal.
    Transform r;
    r.postRotate(90.f, 0.f, 0.f, 1.f);
    r.get(m);
    EXPECT_NEAR(m[1], -1.f, 1e-6f);
    EXPECT_NEAR(m[4], 1.f, 1e-6f);

    // postMultiply is the general form of the same rule.
    Transform a = rows({1, 0, 0, 5, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    a.postMultiply(rows({0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_TRUE(near(apply(a, 7.f, 0.f, 0.f), vec4(5.f, 0.f, 0.f, 1.f)));

    Transform tt = rows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    tt.transpose();
    EXPECT_TRUE(near(tt, rows({1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 4, 8, 12, 16}), 0.f));
}

TEST_F(TransformTest, RotationAxisRulesAndFailedOperationsKeepTheMatrix)
{
    Transform t;
    t.postTranslate(1.f, 2.f, 3.f);
    const Transform before(t);

    EXPECT_TRUE(failsWith([&] { t.postRotate(45.f, 0.f, 0.f, 0.f); },
                          "the rotation axis (ax ay az) is zero and angle is nonzero",
                          "render::Transform::postRotate"));
    EXPECT_TRUE(near(t, before, 0.f));
    t.postRotate(0.f, 0.f, 0.f, 0.f); // nothing to do
    EXPECT_TRUE(near(t, before, 0.f));
    // A denormal axis is not zero, but too short to normalise.
    EXPECT_TRUE(failsWith([&] { t.postRotate(10.f, 1e-39f, 0.f, 0.f); }, " len >= FLT_MIN ", "slmath::normalize"));
    EXPECT_TRUE(near(t, before, 0.f));

    EXPECT_TRUE(failsWith([&] { t.postScale(NaN, 1.f, 1.f); }, " check(*this) ", "slmath::vec3::vec3"));
    EXPECT_TRUE(failsWith([&] { t.postTranslate(1.f, 1.f, HUGE_VALF); }, " check(*this) ", "slmath::vec3::vec3"));
    EXPECT_TRUE(near(t, before, 0.f));

    // A product too large for a float fails as a whole.
    Transform big;
    big.postScale(1e30f, 1e30f, 1e30f);
    const Transform bigBefore(big);
    EXPECT_THROW(big.postScale(1e10f, 1.f, 1.f), AssertationFailedException);
    EXPECT_TRUE(near(big, bigBefore, 0.f));

    EXPECT_TRUE(failsWith([&] { t.get(nullptr); }, " matrix ", "render::Transform::get"));
    EXPECT_TRUE(failsWith([&] { t.set(static_cast<const float*>(nullptr)); }, " matrix ", "render::Transform::set"));
}

TEST_F(TransformTest, InvertComputesTheInverseOrThrowsArithmeticException)
{
    Transform id;
    id.invert();
    EXPECT_TRUE(near(id, Transform(), 0.f));

    // (T(1,2,3) S(2,4,8))^-1 = S^-1 T^-1: diagonal 1/2, 1/4, 1/8 and the
    // last column -(1/2, 2/4, 3/8).
    Transform ts;
    ts.postTranslate(1.f, 2.f, 3.f);
    ts.postScale(2.f, 4.f, 8.f);
    ts.invert();
    EXPECT_TRUE(near(ts, rows({0.5f, 0, 0, -0.5f, 0, 0.25f, 0, -0.5f, 0, 0, 0.125f, -0.375f, 0, 0, 0, 1})));

    // A general rigid motion times its inverse is the identity.
    Transform m;
    m.postTranslate(-3.f, 0.5f, 7.f);
    m.postRotate(33.f, 1.f, 2.f, -0.5f);
    m.postScale(1.5f, 0.25f, 3.f);
    Transform inv(m);
    inv.invert();
    m.postMultiply(inv);
    EXPECT_TRUE(near(m, Transform(), 1e-5f));

    auto expectNotInvertible = [](Transform t, const char* what) {
        const Transform before(t);
        try {
            t.invert();
            ADD_FAILURE() << what << ": no exception";
        } catch (const render::ArithmeticException& e) {
            EXPECT_STREQ(e.getMessage(), "Transform not invertible") << what;
            EXPECT_STREQ(e.getFunction(), "UNKNOWN") << what;
            EXPECT_STREQ(e.getFile(), "UNKNOWN") << what;
        }
        EXPECT_TRUE(near(t, before, 0.f)) << what;
    };
    expectNotInvertible(rows({1, 2, 3, 4, 0, 0, 0, 0, 5, 6, 7, 8, 0, 0, 0, 1}), "zero row");
    // Determinant 1e-40: non-zero, but below FLT_MIN.
    expectNotInvertible(rows({1e-10f, 0, 0, 0, 0, 1e-10f, 0, 0, 0, 0, 1e-10f, 0, 0, 0, 0, 1e-10f}), "denormal det");
    // Determinant 1e-37 is usable, but the inverse holds -1000 / 1e-37,
    // beyond the float range.
    expectNotInvertible(rows({1e-37f, 1000, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}), "inverse overflows");
    // Elements of 1e10 overflow the determinant itself (1e40).
    expectNotInvertible(rows({1e10f, 0, 0, 0, 0, 1e10f, 0, 0, 0, 0, 1e10f, 0, 0, 0, 0, 1e10f}), "det overflows");
}

TEST_F(TransformTest, CompositeIsTranslationRotationScaleThenMatrix)
{
    core::Ref<Placed> p = VORNA3D_NEW Placed();
    EXPECT_TRUE(near(composite(*p), Transform(), 0.f));
    float angleAxis[4];
    p->getOrientation(angleAxis);
    EXPECT_EQ(angleAxis[0], 0.f);
    EXPECT_EQ(angleAxis[1], 1.f);

    p->setTranslation(1.f, 2.f, 3.f);
    p->setScale(2.f, 2.f, 2.f);
    EXPECT_TRUE(near(apply(composite(*p), 0.f, 0.f, 0.f), vec4(1.f, 2.f, 3.f, 1.f)));
    EXPECT_TRUE(near(apply(composite(*p), 1.f, 0.f, 0.f), vec4(3.f, 2.f, 3.f, 1.f)));

    // All four parts; (1,0,0) through M = T(0,5,0): (1,5,0); S = (2,1,1):
    // (2,5,0); R = 90 about z: (-5,2,0); T = (1,0,0): (-4,2,0). Any other
    // order gives a different point (M last, for one, gives (1,7,0)).
    p->setTranslation(1.f, 0.f, 0.f);
    p->setScale(2.f, 1.f, 1.f);
    p->setOrientation(90.f, 0.f, 0.f, 2.f);
    Transform m;
    m.postTranslate(0.f, 5.f, 0.f);
    p->setTransform(m);
    EXPECT_TRUE(near(apply(composite(*p), 1.f, 0.f, 0.f), vec4(-4.f, 2.f, 0.f, 1.f)));

    // The orientation is stored with a unit axis and read angle first.
    p->getOrientation(angleAxis);
    EXPECT_EQ(angleAxis[0], 90.f);
    EXPECT_EQ(angleAxis[1], 0.f);
    EXPECT_EQ(angleAxis[2], 0.f);
    EXPECT_EQ(angleAxis[3], 1.f);

    Transform back;
    p->getTransform(&back);
    EXPECT_TRUE(near(back, m, 0.f));

    // A duplicate has the same parts and composite, and goes its own way.
    core::Ref<Placed> copy = p->duplicate();
    EXPECT_TRUE(near(composite(*copy), composite(*p), 0.f));
    copy->setTranslation(0.f, 0.f, 0.f);
    EXPECT_EQ(p->getTranslation().x, 1.f);

    EXPECT_TRUE(failsWith([&] { p->getCompositeTransform(nullptr); }, "transform parameter is 0",
                          "render::Transformable::getCompositeTransform"));
}

TEST_F(TransformTest, OrientationZeroAxisRulesAndFailedSettersChangeNothing)
{
    core::Ref<Placed> p = VORNA3D_NEW Placed();
    p->setTranslation(1.f, 2.f, 3.f);
    p->setScale(1.f, 2.f, 3.f);
    p->setOrientation(30.f, 0.f, 1.f, 0.f);
    const Transform before = composite(*p);
    float angleAxis[4];

    auto unchanged = [&](const char* what) {
        EXPECT_TRUE(near(composite(*p), before, 0.f)) << what;
        p->getOrientation(angleAxis);
        EXPECT_EQ(angleAxis[0], 30.f) << what;
        EXPECT_EQ(angleAxis[2], 1.f) << what;
        EXPECT_EQ(p->getTranslation().x, 1.f) << what;
        EXPECT_EQ(p->getScale().y, 2.f) << what;
    };

    EXPECT_TRUE(failsWith([&] { p->setOrientation(45.f, 0.f, 0.f, 0.f); }, "Rotation axis zero and angle nonzero",
                          "render::Transformable::setOrientation"));
    unchanged("zero axis");
    // Components below FLT_MIN count as zero.
    EXPECT_TRUE(failsWith([&] { p->setOrientation(45.f, 1e-39f, 0.f, -1e-39f); },
                          "Rotation axis zero and angle nonzero", "render::Transformable::setOrientation"));
    unchanged("denormal axis");
    EXPECT_TRUE(failsWith([&] { p->setOrientation(NaN, 0.f, 0.f, 1.f); }, " check(*this) ", "slmath::vec4::vec4"));
    unchanged("NaN angle");
    EXPECT_TRUE(failsWith([&] { p->setTranslation(NaN, 0.f, 0.f); }, " check(*this) ", "slmath::vec3::vec3"));
    unchanged("NaN translation");
    EXPECT_TRUE(failsWith([&] { p->setScale(1.f, -HUGE_VALF, 1.f); }, " check(*this) ", "slmath::vec3::vec3"));
    unchanged("infinite scale");
    EXPECT_TRUE(failsWith([&] { p->getOrientation(nullptr); }, " angleAxis ", "render::Transformable::getOrientation"));

    // A zero axis with a zero angle (or one below FLT_MIN) is no rotation.
    p->setOrientation(0.f, 0.f, 0.f, 0.f);
    p->getOrientation(angleAxis);
    EXPECT_EQ(angleAxis[0], 0.f);
    EXPECT_TRUE(near(apply(composite(*p), 1.f, 0.f, 0.f), vec4(2.f, 2.f, 3.f, 1.f)));
    p->setOrientation(1e-39f, 0.f, 0.f, 0.f);
    EXPECT_TRUE(near(apply(composite(*p), 1.f, 0.f, 0.f), vec4(2.f, 2.f, 3.f, 1.f)));
}

TEST_F(TransformTest, EverySetterInvalidatesTheCachedComposite)
{
    core::Ref<Placed> p = VORNA3D_NEW Placed();
    // Read the composite (filling the cache), change one part, read again.
    auto afterChange = [&](auto change) {
        composite(*p);
        change();
        return apply(composite(*p), 1.f, 0.f, 0.f);
    };
    EXPECT_TRUE(near(afterChange([&] { p->setTranslation(0.f, 0.f, 4.f); }), vec4(1.f, 0.f, 4.f, 1.f)));
    EXPECT_TRUE(near(afterChange([&] { p->setScale(3.f, 1.f, 1.f); }), vec4(3.f, 0.f, 4.f, 1.f)));
    EXPECT_TRUE(near(afterChange([&] { p->setOrientation(90.f, 0.f, 0.f, 1.f); }), vec4(0.f, 3.f, 4.f, 1.f)));
    Transform m;
    m.postTranslate(1.f, 0.f, 0.f);
    EXPECT_TRUE(near(afterChange([&] { p->setTransform(m); }), vec4(0.f, 6.f, 4.f, 1.f)));
    // The Transformable keeps its own copy of M.
    m.postTranslate(100.f, 0.f, 0.f);
    EXPECT_TRUE(near(apply(composite(*p), 1.f, 0.f, 0.f), vec4(0.f, 6.f, 4.f, 1.f)));

    // The cached result overwrites whatever the output held.
    Transform out = rows({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
    p->getCompositeTransform(&out);
    EXPECT_TRUE(near(out, composite(*p), 0.f));

    // Neither the cached nor the rebuilt composite allocates.
    const int allocations = allocationCount();
    Transform reused;
    for (int i = 0; i < 100; ++i) {
        p->getCompositeTransform(&reused);
        p->setTranslation(float(i), 0.f, 0.f);
    }
    EXPECT_EQ(allocationCount(), allocations);
}
