#pragma once
// AnimationController: maps world time to sequence time for the tracks
// that use it, and gives them a blending weight. The sequence time at world
// time w is (w - reference world time) * speed + reference sequence time.
// The active interval is kept (and written to scene files) but animation
// does not consult it: every track contributes with its weight.

#include "render/scene/Object3D.h"

namespace render {

class AnimationController : public Object3D {
public:
    // Speed 1, weight 1, both reference times 0, active interval 0 to 0.
    AnimationController();
    ~AnimationController() noexcept(false) override;

    // A new controller with this one's speed, weight, reference times and interval.
    AnimationController* duplicate() const override;

    // Asserts "Start time is greater than end time.".
    void setActiveInterval(int start, int end);
    int getActiveIntervalStart() const { return m_activeIntervalStart; }
    int getActiveIntervalEnd() const { return m_activeIntervalEnd; }

    // Asserts "Weight less than 0." (and " check(weight) " for a value that
    // is not finite).
    void setWeight(float weight);
    float getWeight() const { return m_weight; }

    // Changes the speed from world time `worldTime` on: the reference pair
    // first moves to (worldTime, the sequence time at worldTime), so the
    // sequence time is continuous there. Asserts " check(speed) ".
    void setSpeed(float speed, int worldTime);
    float getSpeed() const { return m_speed; }

    // Makes `sequenceTime` the sequence time at world time `worldTime`.
    // Asserts " check(sequenceTime) ".
    void setPosition(float sequenceTime, int worldTime);
    // The sequence time at `worldTime`, in single precision.
    float getPosition(int worldTime) const;

    float getRefSequenceTime() const { return m_refSequenceTime; }
    int getRefWorldTime() const { return m_refWorldTime; }

protected:
    AnimationController(const AnimationController& other);

private:
    float m_speed = 1.f;
    float m_weight = 1.f;
    float m_refSequenceTime = 0.f;
    int m_activeIntervalStart = 0;
    int m_activeIntervalEnd = 0;
    int m_refWorldTime = 0;
};

} // namespace render
