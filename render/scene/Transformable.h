#pragma once
// Transformable: an Object3D with a local transformation built from four
// parts: translation T, orientation R (an axis and an angle in degrees),
// scale S and a generic matrix M, combined as T * R * S * M (M applies to
// points first). The composite is cached and rebuilt only after a setter
// ran, so asking for it every frame costs a copy.

#include "render/scene/Object3D.h"
#include "render/scene/Transform.h"
#include "slmath/slmath.h"

namespace render {

class Transformable : public Object3D {
public:
    ~Transformable() noexcept(false) override;

    Transformable* duplicate() const override = 0;

    // Sets T. Asserts when a value is not finite; nothing changes then.
    void setTranslation(float tx, float ty, float tz);
    slmath::vec3 getTranslation() const { return m_translation; }

    // Sets S. Asserts when a value is not finite; nothing changes then.
    void setScale(float sx, float sy, float sz);
    slmath::vec3 getScale() const { return m_scale; }

    // Sets R to a rotation of `angle` degrees about (ax, ay, az), stored with
    // the axis normalised. An axis or angle whose components are all below
    // FLT_MIN in magnitude counts as zero: a zero axis with a zero angle
    // gives no rotation (angle 0 about the x axis); a zero axis with a
    // non-zero angle asserts "Rotation axis zero and angle nonzero" and
    // changes nothing.
    void setOrientation(float angle, float ax, float ay, float az);
    // Writes the orientation angle first: angle, ax, ay, az. Requires
    // angleAxis (" angleAxis ").
    void getOrientation(float* angleAxis) const;

    // Sets M to a copy of `transform`.
    void setTransform(const Transform& transform);
    // Copies M into `transform`. Requires transform (" transform ").
    void getTransform(Transform* transform) const;

    // Writes T * R * S * M into `transform`, from the cache when no setter
    // ran since the last call. Requires transform ("transform parameter is 0").
    void getCompositeTransform(Transform* transform) const;

protected:
    Transformable();
    Transformable(const Transformable& other);

private:
    // Rebuilds the composite cache; on failure the cache stays dirty.
    void updateComposite() const;

    slmath::vec3 m_translation;
    slmath::vec3 m_scale{1.f, 1.f, 1.f};
    slmath::vec4 m_orientation{1.f, 0.f, 0.f, 0.f}; // axis x, y, z and the angle in degrees
    Transform m_transform;
    mutable bool m_dirty = true;
    mutable Transform m_composite;
};

} // namespace render
