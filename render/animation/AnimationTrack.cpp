#include "render/animation/AnimationTrack.h"

#include "render/animation/AnimationController.h"
#include "render/animation/KeyframeSequence.h"
#include "render/scene/Object3D_References.h"

namespace render {

AnimationTrack::AnimationTrack(KeyframeSequence* sequence, int property)
{
    ASSERT_MSG(sequence, "KeyframeSequence is 0.");
    ASSERT_MSG(property >= ALPHA && property <= VISIBILITY, "Invalid target property value.");
    m_sequence = sequence;
    m_property = property;
}

AnimationTrack::AnimationTrack(const AnimationTrack& other)
    : Object3D(other), m_controller(other.m_controller), m_sequence(other.m_sequence), m_property(other.m_property)
{
}

AnimationTrack::~AnimationTrack() noexcept(false) = default;

AnimationTrack* AnimationTrack::duplicate() const
{
    return VORNA3D_NEW AnimationTrack(*this);
}

int AnimationTrack::getReferences(core::Vector<Object3D*>* refs)
{
    int count = getRefsObject3D(this, refs);
    count += appendRef(m_controller.get(), refs);
    return count + appendRef(m_sequence.get(), refs);
}

void AnimationTrack::setController(AnimationController* controller)
{
    m_controller = controller;
}

const char* AnimationTrack::getTargetPropertyName(int property)
{
    static const char* const NAMES[] = {
        "ALPHA",          "AMBIENT_COLOR", "COLOR",         "CROP",      "DENSITY",        "DIFFUSE_COLOR",
        "EMISSIVE_COLOR", "FAR_DISTANCE",  "FIELD_OF_VIEW", "INTENSITY", "MORPH_WEIGHTS",  "NEAR_DISTANCE",
        "ORIENTATION",    "PICKABILITY",   "SCALE",         "SHININESS", "SPECULAR_COLOR", "SPOT_ANGLE",
        "SPOT_EXPONENT",  "TRANSLATION",   "VISIBILITY"};
    if (property < ALPHA || property > VISIBILITY)
        return "UNKNOWN";
    return NAMES[property - ALPHA];
}

} // namespace render
