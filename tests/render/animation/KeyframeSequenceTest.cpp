// KeyframeSequence: keyframes and their checks, sequence time (rounding,
// wrapping in both repeat modes, times before the reference), keyframe
// pairs over valid ranges, and every interpolation type against values
// computed by hand (noted at each expectation).

#include <gtest/gtest.h>

#include <cmath>

#include "core/Ref.h"
#include "render/animation/KeyframeInterpolation.h"
#include "render/animation/KeyframeSequence.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"

using core::Ref;
using render::KeyframeSequence;
using render_test::failsWith;

namespace {

class KeyframeSequenceTest : public render_test::SceneTest { };

// A sequence of one-component keyframes (time, value) with the whole
// valid range and `duration`.
Ref<KeyframeSequence> scalarSequence(int interpolation, std::initializer_list<std::pair<int, float>> keys, int duration)
{
    Ref<KeyframeSequence> seq = VORNA3D_NEW KeyframeSequence(static_cast<int>(keys.size()), 1, interpolation);
    int i = 0;
    for (const auto& key : keys) {
        seq->setKeyframe(i++, key.first, &key.second, 1);
    }
    seq->setValidRange(0, seq->getKeyframeCount() - 1);
    seq->setDuration(duration);
    return seq;
}

float at(const KeyframeSequence& seq, float sequenceTime)
{
    float out = -999.f;
    seq.evaluate(sequenceTime, &out);
    return out;
}

// A rotation of `degrees` about z as the quaternion (x, y, z, w).
void zRotation(float degrees, float* q)
{
    const float half = degrees * 0.5f * 3.14159265358979f / 180.f;
    q[0] = 0.f;
    q[1] = 0.f;
    q[2] = std::sin(half);
    q[3] = std::cos(half);
}

// The angle in degrees of a rotation about z given as a quaternion.
float zAngle(const float* q)
{
    EXPECT_NEAR(q[0], 0.f, 1e-6f);
    EXPECT_NEAR(q[1], 0.f, 1e-6f);
    return 2.f * std::atan2(q[2], q[3]) * 180.f / 3.14159265358979f;
}

} // namespace

TEST_F(KeyframeSequenceTest, KeyframesAndTheirChecks)
{
    Ref<KeyframeSequence> seq = VORNA3D_NEW KeyframeSequence(3, 2, KeyframeSequence::LINEAR);
    EXPECT_EQ(seq->getKeyframeCount(), 3);
    EXPECT_EQ(seq->getComponentCount(), 2);
    EXPECT_EQ(seq->getInterpolationType(), KeyframeSequence::LINEAR);
    EXPECT_EQ(seq->getRepeatMode(), KeyframeSequence::LOOP);
    EXPECT_EQ(seq->getValidRangeFirst(), 0);
    EXPECT_EQ(seq->getValidRangeLast(), 0);

    const float v[3] = {1.f, 2.f, 99.f};
    seq->setKeyframe(1, 40, v, 3);
    float got[2] = {};
    EXPECT_EQ(seq->getKeyframe(1, got, 2), 40);
    EXPECT_EQ(got[0], 1.f);
    EXPECT_EQ(got[1], 2.f);
    EXPECT_EQ(seq->getKeyframe(1, nullptr, 0), 40);

    EXPECT_TRUE(failsWith([&] { seq->getKeyframe(0, got, 2); }, "Keyframe not set for given index.",
                          "render::KeyframeSequence::getKeyframe"));
    EXPECT_TRUE(
        failsWith([&] { seq->getKeyframe(1, got, 1); }, "Invalid argument.", "render::KeyframeSequence::getKeyframe"));
    EXPECT_TRUE(failsWith([&] { seq->getKeyframe(3, got, 2); }, "Index out of bounds.",
                          "render::KeyframeSequence::getKeyframe"));
    EXPECT_TRUE(failsWith([&] { seq->setKeyframe(-1, 0, v, 2); }, "Index out of bounds.",
                          "render::KeyframeSequence::setKeyframe"));
    EXPECT_TRUE(failsWith([&] { seq->setKeyframe(0, -1, v, 2); }, "Time not positive.",
                          "render::KeyframeSequence::setKeyframe"));
    EXPECT_TRUE(failsWith([&] { seq->setKeyframe(0, 0, nullptr, 2); }, "NULL value pointer",
                          "render::KeyframeSequence::setKeyframe"));
    EXPECT_TRUE(
        failsWith([&] { seq->setKeyframe(0, 0, v, 1); }, "Small bufSize", "render::KeyframeSequence::setKeyframe"));
    const float notFinite[2] = {NAN, 0.f};
    EXPECT_TRUE(failsWith([&] { seq->setKeyframe(0, 0, notFinite, 2); }, " slmath::check(value[i]) ",
                          "render::KeyframeSequence::setKeyframe"));
    EXPECT_TRUE(failsWith([&] { seq->getDuration(); }, "Keyframe sequence duration not set.",
                          "render::KeyframeSequence::getDuration"));
    EXPECT_TRUE(failsWith([&] { seq->setDuration(0); }, "Invalid argument.", "render::KeyframeSequence::setDuration"));
    EXPECT_TRUE(failsWith([&] { seq->setRepeatMode(194); }, "Repeat mode not CONSTANT or LOOP.",
                          "render::KeyframeSequence::setRepeatMode"));
    EXPECT_TRUE(failsWith([&] { seq->setValidRange(0, 3); }, "Index out of bounds.",
                          "render::KeyframeSequence::setValidRange"));

    EXPECT_TRUE(failsWith([] { KeyframeSequence(-1, 1, KeyframeSequence::LINEAR); },
                          "Number of key frames less than zero.", "render::KeyframeSequence::KeyframeSequence"));
    EXPECT_TRUE(failsWith([] { KeyframeSequence(1, 1, 181); }, "Invalid interpolation mode.",
                          "render::KeyframeSequence::KeyframeSequence"));
    EXPECT_TRUE(failsWith([] { KeyframeSequence(1, 0, KeyframeSequence::STEP); },
                          "Number of components less than or equal to zero.",
                          "render::KeyframeSequence::KeyframeSequence"));

    // Quaternion sequences need four components and store unit values.
    Ref<KeyframeSequence> quats = VORNA3D_NEW KeyframeSequence(1, 4, KeyframeSequence::SLERP);
    const float q[4] = {0.f, 0.f, 3.f, 4.f};
    quats->setKeyframe(0, 0, q, 4);
    float unit[4];
    quats->getKeyframe(0, unit, 4);
    EXPECT_FLOAT_EQ(unit[2], 0.6f);
    EXPECT_FLOAT_EQ(unit[3], 0.8f);
    Ref<KeyframeSequence> badQuats = VORNA3D_NEW KeyframeSequence(1, 3, KeyframeSequence::SQUAD);
    EXPECT_TRUE(failsWith([&] { badQuats->setKeyframe(0, 0, q, 4); }, " getComponentCount() == 4 ",
                          "render::KeyframeSequence::setKeyframe"));
    const float zero[4] = {0.f, 0.f, 0.f, 0.f};
    EXPECT_TRUE(failsWith([&] { quats->setKeyframe(0, 5, zero, 4); }, " n > FLT_MIN ", "slmath::normalize"));
    EXPECT_EQ(quats->getKeyframe(0, nullptr, 0), 0); // unchanged by the failed call

    // A duplicate is independent.
    Ref<KeyframeSequence> copy = seq->duplicate();
    seq->setKeyframe(1, 50, v, 2);
    EXPECT_EQ(copy->getKeyframe(1, nullptr, 0), 40);
}

TEST_F(KeyframeSequenceTest, SequenceTimeIsRoundedAndWrapsInBothRepeatModes)
{
    Ref<KeyframeSequence> seq = scalarSequence(KeyframeSequence::LINEAR, {{0, 0.f}, {500, 1.f}}, 1000);
    // Rounded to the nearest millisecond: a half and truncation.
    EXPECT_EQ(seq->wrapTime(249.4f), 249);
    EXPECT_EQ(seq->wrapTime(249.5f), 250);
    // Modulo the duration.
    EXPECT_EQ(seq->wrapTime(1200.f), 200);
    EXPECT_EQ(seq->wrapTime(999.6f), 0);
    // Times before the reference wrap from the end as the loop runs (not a
    // failure for lack of a keyframe at negative time).
    EXPECT_EQ(seq->wrapTime(-250.f), 750);
    EXPECT_EQ(seq->wrapTime(-1000.f), 0);
    // A world time far from the reference.
    EXPECT_EQ(seq->wrapTime(1.0e10f), int(std::fmod(1.0e10, 1000.0)));

    // LOOP at 1200 uses sequence time 200 between the keyframes at 0 and 500:
    // s = 200 / 500 = 0.4.
    EXPECT_FLOAT_EQ(at(*seq, 1200.f), 0.4f);
    // At 750 the pair is (500, 0 + 1000): s = 250 / 500 = 0.5 back towards 0.
    int before = -1, after = -1;
    seq->getKeyFrameIndices(750, &before, &after);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
    EXPECT_FLOAT_EQ(at(*seq, 750.f), 0.5f);
    // CONSTANT wraps exactly like LOOP.
    seq->setRepeatMode(KeyframeSequence::CONSTANT);
    EXPECT_FLOAT_EQ(at(*seq, 1200.f), 0.4f);
    EXPECT_FLOAT_EQ(at(*seq, 750.f), 0.5f);
    EXPECT_FLOAT_EQ(at(*seq, -250.f), 0.5f);
}

TEST_F(KeyframeSequenceTest, KeyframePairsFollowTheValidRange)
{
    Ref<KeyframeSequence> seq =
        scalarSequence(KeyframeSequence::LINEAR, {{0, 0.f}, {100, 10.f}, {200, 20.f}, {300, 30.f}}, 400);
    // Only keyframes 1 and 2: before the first of them there is no pair.
    seq->setValidRange(1, 2);
    EXPECT_FLOAT_EQ(at(*seq, 150.f), 15.f);
    // From 200 on the pair is (2, 1 + 400): s = 100 / 300.
    EXPECT_NEAR(at(*seq, 300.f), 20.f - 10.f / 3.f, 1e-4f);
    EXPECT_TRUE(
        failsWith([&] { at(*seq, 50.f); }, " *indexAfter >= 0 ", "render::KeyframeSequence::getKeyFrameIndices"));

    // A new sequence uses its first keyframe only (range 0 to 0).
    Ref<KeyframeSequence> fresh = VORNA3D_NEW KeyframeSequence(2, 1, KeyframeSequence::LINEAR);
    const float a = 3.f, b = 7.f;
    fresh->setKeyframe(0, 0, &a, 1);
    fresh->setKeyframe(1, 10, &b, 1);
    fresh->setDuration(100);
    EXPECT_FLOAT_EQ(at(*fresh, 50.f), 3.f);

    // A range that wraps: keyframes 3, 0, 1 of a sequence whose keyframe 3
    // comes first in time.
    Ref<KeyframeSequence> wrapped = VORNA3D_NEW KeyframeSequence(4, 1, KeyframeSequence::STEP);
    const float values[4] = {1.f, 2.f, 3.f, 4.f};
    const int times[4] = {100, 200, 300, 0};
    for (int i = 0; i < 4; ++i)
        wrapped->setKeyframe(i, times[i], &values[i], 1);
    wrapped->setDuration(400);
    wrapped->setValidRange(3, 1);
    int before = -1, after = -1;
    wrapped->getKeyFrameIndices(150, &before, &after);
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 1);
    wrapped->getKeyFrameIndices(250, &before, &after);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 3);
    EXPECT_EQ(wrapped->previousInRange(3), 1);
    EXPECT_EQ(wrapped->nextInRange(1), 3);

    // A keyframe of the range without a time.
    Ref<KeyframeSequence> unset = VORNA3D_NEW KeyframeSequence(2, 1, KeyframeSequence::LINEAR);
    unset->setKeyframe(0, 0, &a, 1);
    unset->setValidRange(0, 1);
    unset->setDuration(100);
    EXPECT_TRUE(failsWith([&] { at(*unset, 50.f); }, "Keyframe not set for given index.",
                          "render::KeyframeSequence::getKeyFrameIndices"));
}

TEST_F(KeyframeSequenceTest, LinearSplineAndStepAgainstHandComputedValues)
{
    Ref<KeyframeSequence> linear = VORNA3D_NEW KeyframeSequence(2, 2, KeyframeSequence::LINEAR);
    const float k0[2] = {0.f, 10.f}, k1[2] = {10.f, 30.f};
    linear->setKeyframe(0, 0, k0, 2);
    linear->setKeyframe(1, 1000, k1, 2);
    linear->setValidRange(0, 1);
    linear->setDuration(2000);
    float out[2];
    // s = 0.25: 0.75 * (0, 10) + 0.25 * (10, 30) = (2.5, 15).
    linear->evaluate(250.f, out);
    EXPECT_FLOAT_EQ(out[0], 2.5f);
    EXPECT_FLOAT_EQ(out[1], 15.f);
    // After the last keyframe, back towards the first over the rest of the
    // duration: s = 500 / 1000 gives (5, 20).
    linear->evaluate(1500.f, out);
    EXPECT_FLOAT_EQ(out[0], 5.f);
    EXPECT_FLOAT_EQ(out[1], 20.f);

    // Spline from 0 to 1: -s^3 + 1.5 s^2 + 0.5 s.
    Ref<KeyframeSequence> spline = scalarSequence(KeyframeSequence::SPLINE, {{0, 0.f}, {1000, 1.f}}, 2000);
    EXPECT_FLOAT_EQ(at(*spline, 0.f), 0.f);
    EXPECT_FLOAT_EQ(at(*spline, 250.f), 0.203125f); // -1/64 + 3/32 + 1/8
    EXPECT_FLOAT_EQ(at(*spline, 500.f), 0.5f); // -1/8 + 3/8 + 1/4
    EXPECT_FLOAT_EQ(at(*spline, 750.f), 0.796875f); // -27/64 + 27/32 + 3/8
    EXPECT_FLOAT_EQ(at(*spline, 1000.f), 1.f);
    // Between 2 and 6: 2 + 4 * 0.203125.
    Ref<KeyframeSequence> spline2 = scalarSequence(KeyframeSequence::SPLINE, {{0, 2.f}, {100, 6.f}}, 200);
    EXPECT_FLOAT_EQ(at(*spline2, 25.f), 2.8125f);

    // Step from 0 to 10: the jump at the midpoint.
    Ref<KeyframeSequence> step = scalarSequence(KeyframeSequence::STEP, {{0, 0.f}, {100, 10.f}}, 200);
    EXPECT_EQ(at(*step, 49.f), 0.f);
    EXPECT_EQ(at(*step, 50.f), 10.f);
    EXPECT_EQ(at(*step, 100.f), 10.f);
}

TEST_F(KeyframeSequenceTest, SlerpAndSquadAgainstHandComputedRotations)
{
    // Slerp from no rotation to 90 degrees about z: halfway is 45 degrees,
    // (0, 0, sin 22.5, cos 22.5).
    Ref<KeyframeSequence> slerp = VORNA3D_NEW KeyframeSequence(2, 4, KeyframeSequence::SLERP);
    float q[4];
    zRotation(0.f, q);
    slerp->setKeyframe(0, 0, q, 4);
    zRotation(90.f, q);
    slerp->setKeyframe(1, 100, q, 4);
    slerp->setValidRange(0, 1);
    slerp->setDuration(200);
    float out[4];
    slerp->evaluate(50.f, out);
    EXPECT_NEAR(out[2], 0.38268343f, 1e-6f);
    EXPECT_NEAR(out[3], 0.92387953f, 1e-6f);
    slerp->evaluate(25.f, out);
    EXPECT_NEAR(zAngle(out), 22.5f, 1e-4f);

    // Squad about one axis reduces to angles: a_i = q_i - ((q_i+1 - q_i) +
    // (q_i-1 - q_i)) / 4, and the result is lerp(lerp(q1, q2, s), lerp(a1,
    // a2, s), 2s(1 - s)).
    // Evenly turning keyframes 0, 90, 180, 270: a1 = 90, a2 = 180, so the
    // motion between 90 and 180 is even: 112.5 degrees at s = 0.25.
    Ref<KeyframeSequence> even = VORNA3D_NEW KeyframeSequence(4, 4, KeyframeSequence::SQUAD);
    for (int i = 0; i < 4; ++i) {
        zRotation(90.f * i, q);
        even->setKeyframe(i, 100 * i, q, 4);
    }
    even->setValidRange(0, 3);
    even->setDuration(400);
    even->evaluate(125.f, out);
    EXPECT_NEAR(zAngle(out), 112.5f, 1e-3f);
    // Two looping keyframes 0 and 90 (each the other's neighbour): a1 =
    // 0 - (90 + 90) / 4 = -45, a2 = 90 + (90 + 90) / 4 = 135; at s = 0.25
    // lerp(0, 90) = 22.5, lerp(-45, 135) = 0, blended by 0.375: 14.0625.
    Ref<KeyframeSequence> pair = VORNA3D_NEW KeyframeSequence(2, 4, KeyframeSequence::SQUAD);
    zRotation(0.f, q);
    pair->setKeyframe(0, 0, q, 4);
    zRotation(90.f, q);
    pair->setKeyframe(1, 100, q, 4);
    pair->setValidRange(0, 1);
    pair->setDuration(200);
    pair->evaluate(25.f, out);
    EXPECT_NEAR(zAngle(out), 14.0625f, 1e-3f);
    pair->evaluate(50.f, out);
    EXPECT_NEAR(zAngle(out), 45.f, 1e-3f);
    pair->evaluate(0.f, out);
    EXPECT_NEAR(zAngle(out), 0.f, 1e-3f);
}

TEST_F(KeyframeSequenceTest, InterpolationFunctionChecks)
{
    const float a[4] = {0.f, 0.f, 0.f, 1.f};
    const float b[4] = {0.f, 0.f, 1.f, 0.f};
    float out[4];
    const char* times = "Given interpolation times not correct";
    EXPECT_TRUE(
        failsWith([&] { render::interpolateLinear(out, 1, 10, a, 10, b, 10); }, times, "render::interpolateLinear"));
    EXPECT_TRUE(
        failsWith([&] { render::interpolateSlerp(out, 4, -1, a, 10, b, 0); }, times, "render::interpolateSlerp"));
    EXPECT_TRUE(
        failsWith([&] { render::interpolateSpline(out, 1, 5, a, 10, b, 4); }, times, "render::interpolateSpline"));
    EXPECT_TRUE(failsWith([&] { render::interpolateStep(nullptr, 1, 0, a, 10, b, 5); }, "NULL paremeter",
                          "render::interpolateStep"));
    EXPECT_TRUE(failsWith([&] { render::interpolateLinear(out, 0, 0, a, 10, b, 5); },
                          "Invalid component count for linear interpolation", "render::interpolateLinear"));
    EXPECT_TRUE(failsWith([&] { render::interpolateSpline(out, 0, 0, a, 10, b, 5); },
                          "Invalid component count for spline interpolation", "render::interpolateSpline"));
    EXPECT_TRUE(failsWith([&] { render::interpolateStep(out, 0, 0, a, 10, b, 5); },
                          "Invalid component count for step interpolation", "render::interpolateStep"));
    EXPECT_TRUE(failsWith([&] { render::interpolateSlerp(out, 3, 0, a, 10, b, 5); },
                          "Invalid component count for slerp interpolation", "render::interpolateSlerp"));
    EXPECT_TRUE(failsWith([&] { render::interpolateSquad(out, 3, 0, a, a, 10, b, b, 5); },
                          "Invalid component count for squad interpolation", "render::interpolateSquad"));
    EXPECT_TRUE(failsWith([&] { render::interpolateSquad(out, 4, 0, nullptr, a, 10, b, b, 5); }, "NULL paremeter",
                          "render::interpolateSquad"));
}
