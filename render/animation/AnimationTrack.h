#pragma once
// AnimationTrack: binds a keyframe sequence and an animation controller to
// one property of the object the track is added to (Object3D::
// addAnimationTrack). The sequence gives the values, the controller the
// sequence time and the weight; Object3D::animate evaluates the tracks and
// writes the blended values into the object's property.

#include "core/Ref.h"
#include "render/scene/Object3D.h"

namespace render {

class AnimationController;
class KeyframeSequence;

class AnimationTrack : public Object3D {
public:
    // Target properties and the values each takes (components):
    enum {
        ALPHA = 256, // 1: Node alpha factor; alpha byte of Background, Material diffuse, VertexBuffer
        AMBIENT_COLOR = 257, // 3: Material
        COLOR = 258, // 3: Light, Background, Fog, Texture2D blend colour, VertexBuffer default colour
        CROP = 259, // 2 or 4: Background, Sprite3D
        DENSITY = 260, // 1: Fog
        DIFFUSE_COLOR = 261, // 3: Material
        EMISSIVE_COLOR = 262, // 3: Material
        FAR_DISTANCE = 263, // 1: Camera, Fog
        FIELD_OF_VIEW = 264, // 1: Camera
        INTENSITY = 265, // 1: Light
        MORPH_WEIGHTS = 266, // any: MorphingMesh
        NEAR_DISTANCE = 267, // 1: Camera, Fog
        ORIENTATION = 268, // 4: Transformable (a quaternion x, y, z, w)
        PICKABILITY = 269, // 1: Node
        SCALE = 270, // 1 or 3: Transformable
        SHININESS = 271, // 1: Material
        SPECULAR_COLOR = 272, // 3: Material
        SPOT_ANGLE = 273, // 1: Light
        SPOT_EXPONENT = 274, // 1: Light
        TRANSLATION = 275, // 3: Transformable
        VISIBILITY = 276 // 1: Node
    };

    // A track animating `property` with `sequence`, without a controller
    // yet. Asserts "KeyframeSequence is 0." and "Invalid target property
    // value." unless ALPHA..VISIBILITY.
    AnimationTrack(KeyframeSequence* sequence, int property);
    ~AnimationTrack() noexcept(false) override;

    // A new track with the same property, sharing the sequence and the controller.
    AnimationTrack* duplicate() const override;

    // Lists the animation tracks, then the controller and the sequence.
    int getReferences(core::Vector<Object3D*>* refs) override;

    // Null detaches the controller (the track then cannot be animated).
    void setController(AnimationController* controller);
    AnimationController* getController() const { return m_controller.get(); }
    KeyframeSequence* getKeyframeSequence() const { return m_sequence.get(); }
    int getTargetProperty() const { return m_property; }

    // The name of target property `property` ("ALPHA", ..., "VISIBILITY"),
    // or "UNKNOWN".
    static const char* getTargetPropertyName(int property);

protected:
    AnimationTrack(const AnimationTrack& other);

private:
    core::Ref<AnimationController> m_controller;
    core::Ref<KeyframeSequence> m_sequence;
    int m_property;
};

} // namespace render
