#pragma once
// Writing an animated value into its target property: the conversions and
// clamps of each AnimationTrack target property, per target class.

namespace render {

class Object3D;

// Writes the `count` floats of `value` into property `property`
// (AnimationTrack::ALPHA..VISIBILITY) of `target`. Asserts "NULL object"
// for a missing target or value, "Component count not correct for \"P\"
// target property." for a wrong count and "Invalid target object type for
// \"P\" target property." for a class the property does not apply to (P is
// the property's name), "Target property not according to specification
// or it is unsupported." for another property. The conversions:
// - colours: each component clamped to [0, 1], times 255, truncated, into
//   the red, green and blue bytes; the alpha byte is kept. ALPHA likewise
//   into the alpha byte (a Node's alpha factor takes the clamped value).
// - DENSITY: negative values and 0 become the smallest positive float.
// - FIELD_OF_VIEW: a perspective camera keeps its projection for values
//   outside (0, 180); a parallel camera takes values <= 0 as the smallest
//   positive float. NEAR_DISTANCE and FAR_DISTANCE: a perspective camera
//   takes values <= 0 as the smallest positive float; the other parameters
//   of the projection stay. Other camera types fail "Camera Near Distance
//   is tried to animate and camera is not in PERSPECTIVE or PARALLEL mode"
//   (the far-distance text for FAR_DISTANCE and FIELD_OF_VIEW).
// - SPOT_ANGLE clamped to [0, 90], SPOT_EXPONENT and SHININESS to [0, 128].
// - ORIENTATION: the quaternion (x, y, z, w), normalised; all four 0 leaves
//   the orientation as it is.
// - PICKABILITY, VISIBILITY: on above 0.5.
// - SCALE: one value for all axes or three.
// - CROP: two values move the crop, four set position and size (rounded
//   to integers; a background's negative size becomes 0, a sprite's
//   mirrors its image).
// - MORPH_WEIGHTS: the morphing mesh's weights; missing ones are 0, extra
//   ones ignored.
void applyAnimatedValue(Object3D* target, int property, const float* value, int count);

// Whether values of `count` components for `property` apply to `target`'s
// class: applyAnimatedValue then fails for neither the count nor the class.
bool acceptsAnimatedValue(const Object3D* target, int property, int count);

} // namespace render
