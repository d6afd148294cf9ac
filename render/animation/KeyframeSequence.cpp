#include "render/animation/KeyframeSequence.h"

#include <cfloat>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstring>

#include "render/animation/KeyframeInterpolation.h"
#include "slmath/slmath.h"

namespace render {

KeyframeSequence::KeyframeSequence(int numKeyframes, int numComponents, int interpolation)
{
    ASSERT_MSG(numKeyframes >= 0, "Number of key frames less than zero.");
    ASSERT_MSG(interpolation >= LINEAR && interpolation <= STEP, "Invalid interpolation mode.");
    ASSERT_MSG(numComponents > 0, "Number of components less than or equal to zero.");
    // Sized in 64 bits: the two counts must not wrap into a small buffer.
    ASSERT(int64_t(numKeyframes) * numComponents <= core::Vector<float>::MAX_LENGTH);
    m_interpolation = interpolation;
    m_componentCount = numComponents;
    m_values.setSizeForNativeType(numKeyframes * numComponents);
    m_keyframeTimes.setSize(numKeyframes, -1);
}

KeyframeSequence::KeyframeSequence(const KeyframeSequence& other)
    : Object3D(other), m_interpolation(other.m_interpolation), m_repeatMode(other.m_repeatMode),
      m_duration(other.m_duration), m_validFirst(other.m_validFirst), m_validLast(other.m_validLast),
      m_componentCount(other.m_componentCount), m_values(other.m_values), m_keyframeTimes(other.m_keyframeTimes)
{
}

KeyframeSequence::~KeyframeSequence() noexcept(false) = default;

KeyframeSequence* KeyframeSequence::duplicate() const
{
    return VORNA3D_NEW KeyframeSequence(*this);
}

void KeyframeSequence::setKeyframe(int index, int time, const float* value, int bufSize)
{
    ASSERT_MSG(index >= 0 && index < getKeyframeCount(), "Index out of bounds.");
    ASSERT_MSG(time >= 0, "Time not positive.");
    ASSERT_MSG(value, "NULL value pointer");
    ASSERT_MSG(bufSize >= m_componentCount, "Small bufSize");
    for (int i = 0; i < m_componentCount; ++i)
        ASSERT(slmath::check(value[i]));
    float* stored = m_values.data() + index * m_componentCount;
    if (m_interpolation == SLERP || m_interpolation == SQUAD) {
        ASSERT(getComponentCount() == 4);
        ASSERT(bufSize >= 4);
        const slmath::quat q = slmath::normalize(slmath::quat(value[0], value[1], value[2], value[3]));
        stored[0] = q.x;
        stored[1] = q.y;
        stored[2] = q.z;
        stored[3] = q.w;
    } else {
        std::memcpy(stored, value, sizeof(float) * static_cast<size_t>(m_componentCount));
    }
    m_keyframeTimes[index] = time;
}

int KeyframeSequence::getKeyframe(int index, float* value, int count) const
{
    ASSERT_MSG(index >= 0 && index < getKeyframeCount(), "Index out of bounds.");
    ASSERT_MSG(!value || count >= m_componentCount, "Invalid argument.");
    ASSERT_MSG(m_keyframeTimes[index] != -1, "Keyframe not set for given index.");
    if (value)
        std::memcpy(value, keyframeValues(index), sizeof(float) * static_cast<size_t>(m_componentCount));
    return m_keyframeTimes[index];
}

void KeyframeSequence::setDuration(int duration)
{
    ASSERT_MSG(duration > 0, "Invalid argument.");
    m_duration = duration;
}

int KeyframeSequence::getDuration() const
{
    ASSERT_MSG(m_duration != -1, "Keyframe sequence duration not set.");
    return m_duration;
}

void KeyframeSequence::setRepeatMode(int mode)
{
    ASSERT_MSG(mode == CONSTANT || mode == LOOP, "Repeat mode not CONSTANT or LOOP.");
    m_repeatMode = mode;
}

int KeyframeSequence::getRepeatMode() const
{
    ASSERT((m_repeatMode ==LOOP) || (m_repeatMode ==CONSTANT));
    return m_repeatMode;
}

void KeyframeSequence::setValidRange(int first, int last)
{
    ASSERT_MSG(first >= 0 && first < getKeyframeCount() && last >= 0 && last < getKeyframeCount(),
               "Index out of bounds.");
    m_validFirst = first;
    m_validLast = last;
}

const float* KeyframeSequence::keyframeValues(int index) const
{
    ASSERT(index >= 0 && index < getKeyframeCount());
    return m_values.data() + index * m_componentCount;
}

int KeyframeSequence::keyframeTime(int index) const
{
    ASSERT(index >= 0 && index < getKeyframeCount());
    return m_keyframeTimes[index];
}

int KeyframeSequence::wrapTime(float sequenceTime) const
{
    // The repeat mode is read for its check only: both modes wrap.
    getRepeatMode();
    const int duration = getDuration();
    ASSERT(slmath::check(sequenceTime));
    // Rounded to the nearest millisecond, halves upwards: for the times
    // after the reference this is adding a half and truncating. Times
    // beyond the int range are first brought near zero in double: the
    // remainder is the same.
    double s = std::floor(double(sequenceTime) + 0.5);
    if (std::fabs(s) > 2.0e9)
        s = std::fmod(s, double(duration));
    int t = static_cast<int>(s) % duration;
    // A time before the reference wraps from the end, as a loop runs.
    if (t < 0)
        t += duration;
    return t;
}

int KeyframeSequence::rangeLength() const
{
    if (m_validFirst <= m_validLast)
        return m_validLast - m_validFirst + 1;
    return getKeyframeCount() - m_validFirst + m_validLast + 1;
}

int KeyframeSequence::nextInRange(int index) const
{
    if (index == m_validLast)
        return m_validFirst;
    return index + 1 < getKeyframeCount() ? index + 1 : 0;
}

int KeyframeSequence::previousInRange(int index) const
{
    if (index == m_validFirst)
        return m_validLast;
    return index > 0 ? index - 1 : getKeyframeCount() - 1;
}

void KeyframeSequence::getKeyFrameIndices(int t, int* indexBefore, int* indexAfter) const
{
    ASSERT(indexBefore != 0);
    ASSERT(indexAfter != 0);
    *indexBefore = -1;
    *indexAfter = -1;
    const int length = rangeLength();
    int index = m_validFirst;
    for (int n = 0; n < length; ++n, index = nextInRange(index)) {
        ASSERT_MSG(index >= 0 && index < getKeyframeCount(), "Index out of bounds.");
        ASSERT_MSG(m_keyframeTimes[index] != -1, "Keyframe not set for given index.");
        if (t < m_keyframeTimes[index])
            break;
        *indexBefore = index;
        *indexAfter = nextInRange(index);
    }
    ASSERT(*indexAfter >= 0);
    ASSERT(*indexBefore >= 0);
}

void KeyframeSequence::evaluate(float sequenceTime, float* out) const
{
    ASSERT(out);
    const int t = wrapTime(sequenceTime);
    int before = -1;
    int after = -1;
    getKeyFrameIndices(t, &before, &after);
    const int tBefore = getKeyframe(before, nullptr, 0);
    int tAfter = getKeyframe(after, nullptr, 0);
    // The pair wrapped to the range's first keyframe: it comes a duration
    // later (held to the int range; t stays below it).
    if (t >= tAfter) {
        const int64_t later = int64_t(tAfter) + getDuration();
        tAfter = later > INT_MAX ? INT_MAX : static_cast<int>(later);
    }
    const float* valuesBefore = keyframeValues(before);
    const float* valuesAfter = keyframeValues(after);
    switch (m_interpolation) {
    case LINEAR:
        interpolateLinear(out, m_componentCount, tBefore, valuesBefore, tAfter, valuesAfter, t);
        break;
    case SLERP:
        interpolateSlerp(out, m_componentCount, tBefore, valuesBefore, tAfter, valuesAfter, t);
        break;
    case SPLINE:
        interpolateSpline(out, m_componentCount, tBefore, valuesBefore, tAfter, valuesAfter, t);
        break;
    case STEP:
        interpolateStep(out, m_componentCount, tBefore, valuesBefore, tAfter, valuesAfter, t);
        break;
    case SQUAD:
        interpolateSquad(out, m_componentCount, tBefore, keyframeValues(previousInRange(before)), valuesBefore, tAfter,
                         valuesAfter, keyframeValues(nextInRange(after)), t);
        break;
    default:
        ASSERT_MSG(false, "Interpolation type not according to specification or it is unsupported.");
    }
}

} // namespace render
