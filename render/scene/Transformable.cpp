#include "render/scene/Transformable.h"

namespace render {

Transformable::Transformable() = default;

Transformable::Transformable(const Transformable& other)
    : Object3D(other), m_translation(other.m_translation), m_scale(other.m_scale), m_orientation(other.m_orientation),
      m_transform(other.m_transform), m_dirty(other.m_dirty), m_composite(other.m_composite)
{
}

Transformable::~Transformable() noexcept(false) = default;

void Transformable::setTranslation(float tx, float ty, float tz)
{
    m_translation = slmath::vec3(tx, ty, tz);
    m_dirty = true;
}

void Transformable::setScale(float sx, float sy, float sz)
{
    m_scale = slmath::vec3(sx, sy, sz);
    m_dirty = true;
}

void Transformable::setOrientation(float angle, float ax, float ay, float az)
{
    const bool zeroAxis = fabsf(ax) < FLT_MIN && fabsf(ay) < FLT_MIN && fabsf(az) < FLT_MIN;
    const bool zeroAngle = fabsf(angle) < FLT_MIN;
    if (zeroAxis) {
        ASSERT_MSG(zeroAngle, "Rotation axis zero and angle nonzero");
        m_orientation = slmath::vec4(1.f, 0.f, 0.f, 0.f);
    } else {
        // Both the normalisation and the vec4 check the values before anything is stored.
        m_orientation = slmath::vec4(slmath::normalize(slmath::vec3(ax, ay, az)), angle);
    }
    m_dirty = true;
}

void Transformable::getOrientation(float* angleAxis) const
{
    ASSERT(angleAxis);
    angleAxis[0] = m_orientation.w;
    angleAxis[1] = m_orientation.x;
    angleAxis[2] = m_orientation.y;
    angleAxis[3] = m_orientation.z;
}

void Transformable::setTransform(const Transform& transform)
{
    m_transform.set(transform);
    m_dirty = true;
}

void Transformable::getTransform(Transform* transform) const
{
    ASSERT(transform);
    transform->set(m_transform);
}

void Transformable::getCompositeTransform(Transform* transform) const
{
    ASSERT_MSG(transform, "transform parameter is 0");
    if (m_dirty)
        updateComposite();
    transform->set(m_composite);
}

void Transformable::updateComposite() const
{
    // T * R * S is written down directly: the rotation's columns scaled by
    // S, with the translation in the last column. The result is the same as
    // identity.postTranslate(T).postRotate(R).postScale(S), without three
    // matrix products.
    float e[16];
    slmath::rotation(m_orientation.w, slmath::vec3(m_orientation.x, m_orientation.y, m_orientation.z)).toRowMajor(e);
    const float t[3] = {m_translation.x, m_translation.y, m_translation.z};
    for (int row = 0; row < 3; ++row) {
        float* r = e + 4 * row;
        r[0] *= m_scale.x;
        r[1] *= m_scale.y;
        r[2] *= m_scale.z;
        r[3] = t[row];
    }
    m_composite.set(slmath::mat4::fromRowMajor(e) * m_transform.getMatrix());
    m_dirty = false;
}

} // namespace render
