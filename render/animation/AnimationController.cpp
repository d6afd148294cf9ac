#include "render/animation/AnimationController.h"

#include <cstdint>

#include "slmath/scalar.h"

namespace render {

AnimationController::AnimationController() = default;

AnimationController::AnimationController(const AnimationController& other) = default;

AnimationController::~AnimationController() noexcept(false) = default;

AnimationController* AnimationController::duplicate() const
{
    return VORNA3D_NEW AnimationController(*this);
}

void AnimationController::setActiveInterval(int start, int end)
{
    ASSERT_MSG(start <= end, "Start time is greater than end time.");
    m_activeIntervalStart = start;
    m_activeIntervalEnd = end;
}

void AnimationController::setWeight(float weight)
{
    ASSERT(slmath::check(weight));
    ASSERT_MSG(weight >= 0.f, "Weight less than 0.");
    m_weight = weight;
}

void AnimationController::setSpeed(float speed, int worldTime)
{
    ASSERT(slmath::check(speed));
    const float position = getPosition(worldTime);
    ASSERT(slmath::check(position));
    m_refSequenceTime = position;
    m_refWorldTime = worldTime;
    m_speed = speed;
}

void AnimationController::setPosition(float sequenceTime, int worldTime)
{
    ASSERT(slmath::check(sequenceTime));
    m_refSequenceTime = sequenceTime;
    m_refWorldTime = worldTime;
}

float AnimationController::getPosition(int worldTime) const
{
    // The difference in 64 bits: world times far apart must not wrap.
    return float(int64_t(worldTime) - m_refWorldTime) * m_speed + m_refSequenceTime;
}

} // namespace render
