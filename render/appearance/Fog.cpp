#include "render/appearance/Fog.h"

#include "slmath/scalar.h"

namespace render {

Fog::Fog() = default;

Fog::Fog(const Fog& other) = default;

Fog::~Fog() noexcept(false) = default;

Fog* Fog::duplicate() const
{
    return VORNA3D_NEW Fog(*this);
}

void Fog::setMode(int mode)
{
    ASSERT_MSG(mode == EXPONENTIAL || mode == LINEAR, "IllegalArgumentException");
    m_mode = mode;
}

void Fog::setLinear(float nearDistance, float farDistance)
{
    ASSERT(slmath::check(nearDistance) && slmath::check(farDistance));
    m_near = nearDistance;
    m_far = farDistance;
}

void Fog::setDensity(float density)
{
    ASSERT_MSG(density > 0.f && slmath::check(density), "IllegalArgumentException");
    m_density = density;
}

} // namespace render
