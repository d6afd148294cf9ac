#include "render/AnimationTrack.h"

namespace render {

AnimationTrack::AnimationTrack() = default;

AnimationTrack::AnimationTrack(const AnimationTrack& other) = default;

AnimationTrack::~AnimationTrack() noexcept(false) = default;

AnimationTrack* AnimationTrack::duplicate() const
{
    return VORNA3D_NEW AnimationTrack(*this);
}

} // namespace render
