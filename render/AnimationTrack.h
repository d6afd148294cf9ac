#pragma once
// AnimationTrack: binds animation data to a property of the object it is
// added to. For now a track carries only what every Object3D has, so objects
// can hold, duplicate and list their tracks; the keyframe sequence, the
// controller and the target property arrive with keyframe animation.

#include "render/Object3D.h"

namespace render {

class AnimationTrack : public Object3D {
public:
    AnimationTrack();
    ~AnimationTrack() noexcept(false) override;

    // A new track with this track's Object3D data (see Object3D::duplicate).
    AnimationTrack* duplicate() const override;

protected:
    AnimationTrack(const AnimationTrack& other);
};

} // namespace render
