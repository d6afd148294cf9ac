#pragma once
// KeyframeSequence: timed values of one animated property. Each keyframe has
// a time in milliseconds and `componentCount` floats; the sequence has a
// duration, a repeat mode and a valid range of keyframes that animation
// uses. Sequence time wraps at the duration in both repeat modes (CONSTANT
// wraps like LOOP in this engine), and the keyframes of the valid range must
// be in non-decreasing time order.
//
// A new sequence has the valid range 0 to 0: only its first keyframe is
// used until setValidRange widens it.

#include "core/Vector.h"
#include "render/scene/Object3D.h"

namespace render {

class KeyframeSequence : public Object3D {
public:
    // Interpolation types.
    enum { LINEAR = 176, SLERP = 177, SPLINE = 178, SQUAD = 179, STEP = 180 };
    // Repeat modes.
    enum { CONSTANT = 192, LOOP = 193 };

    // A sequence of numKeyframes keyframes (times unset, values 0) of
    // numComponents floats each. Asserts "Number of key frames less than
    // zero.", "Invalid interpolation mode." unless LINEAR..STEP, and "Number
    // of components less than or equal to zero.".
    KeyframeSequence(int numKeyframes, int numComponents, int interpolation);
    ~KeyframeSequence() noexcept(false) override;

    // A new sequence with this one's keyframes, duration, repeat mode and valid range.
    KeyframeSequence* duplicate() const override;

    // Sets keyframe `index` to `time` and the first getComponentCount()
    // floats of `value`. SLERP and SQUAD sequences store the value
    // normalised as a quaternion (x, y, z, w). Asserts "Index out of
    // bounds.", "Time not positive." (time < 0), "NULL value pointer",
    // "Small bufSize" (bufSize < component count), " check(value[i]) " for a
    // value that is not finite; for SLERP and SQUAD " getComponentCount() ==
    // 4 ", " bufSize >= 4 " and a non-zero quaternion (" n > FLT_MIN ").
    // Nothing changes when a check fails.
    void setKeyframe(int index, int time, const float* value, int bufSize);
    // The time of keyframe `index`; copies its values to `value` when it is
    // given. Asserts "Index out of bounds.", "Invalid argument." (a value
    // buffer with count < component count) and "Keyframe not set for given
    // index." while its time is unset.
    int getKeyframe(int index, float* value, int count) const;

    int getKeyframeCount() const { return m_keyframeTimes.size(); }
    int getComponentCount() const { return m_componentCount; }
    int getInterpolationType() const { return m_interpolation; }

    // Asserts "Invalid argument." for a duration <= 0.
    void setDuration(int duration);
    // Asserts "Keyframe sequence duration not set." before setDuration.
    int getDuration() const;
    bool isDurationSet() const { return m_duration > 0; }

    // CONSTANT or LOOP; asserts "Repeat mode not CONSTANT or LOOP." otherwise.
    void setRepeatMode(int mode);
    int getRepeatMode() const;

    // The keyframes animation uses: first to last, or, when first > last,
    // first to the end and then 0 to last. Both must be keyframe indices
    // ("Index out of bounds.").
    void setValidRange(int first, int last);
    int getValidRangeFirst() const { return m_validFirst; }
    int getValidRangeLast() const { return m_validLast; }

    // ---- Evaluation (used by animation). ----

    // The sequence time `sequenceTime` wrapped into [0, duration): rounded
    // to the nearest integer (halves upwards), then taken modulo the
    // duration; a negative time wraps from the end as the loop runs.
    // Requires a duration (see getDuration).
    int wrapTime(float sequenceTime) const;
    // The valid-range keyframes around the wrapped time `t`: `before` is
    // the last keyframe (in valid-range order) whose time is <= t, `after`
    // the next one in the range (the range's first after its last). Asserts
    // " *indexAfter >= 0 " and " *indexBefore >= 0 " when t is earlier than
    // every keyframe of the range, and "Keyframe not set for given index."
    // for a keyframe without a time.
    void getKeyFrameIndices(int t, int* indexBefore, int* indexAfter) const;
    // The keyframe before `index` and after `index` in valid-range order,
    // wrapping at the ends of the range (for SQUAD's neighbours).
    int previousInRange(int index) const;
    int nextInRange(int index) const;
    // The stored values of keyframe `index` (component-count floats).
    // Requires a keyframe index.
    const float* keyframeValues(int index) const;
    // The time of keyframe `index`, -1 when unset. Requires a keyframe index.
    int keyframeTime(int index) const;

    // Evaluates the sequence at `sequenceTime` (see wrapTime) into `out`,
    // which holds getComponentCount() floats: the keyframe pair around the
    // wrapped time, interpolated with the sequence's interpolation type.
    void evaluate(float sequenceTime, float* out) const;

protected:
    KeyframeSequence(const KeyframeSequence& other);

private:
    // The number of keyframes in the valid range.
    int rangeLength() const;

    int m_interpolation;
    int m_repeatMode = LOOP;
    int m_duration = -1;
    int m_validFirst = 0;
    int m_validLast = 0;
    int m_componentCount;
    core::Vector<float> m_values;
    core::Vector<int> m_keyframeTimes;
};

} // namespace render
