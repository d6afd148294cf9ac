#include "render/scene/Light.h"

namespace render {

Light::Light() = default;

Light::Light(const Light& other) = default;

Light::~Light() noexcept(false) = default;

Light* Light::duplicate() const
{
    return VORNA3D_NEW Light(*this);
}

void Light::render(Graphics3D*, const Transform*, int)
{
}

void Light::setMode(int mode)
{
    ASSERT_MSG(mode >= AMBIENT && mode <= SPOT, "IllegalArgument in Light::setMode()");
    m_mode = mode;
}

void Light::setAttenuation(float constant, float linear, float quadratic)
{
    // Written so that a NaN fails every test.
    const bool nonNegative = constant >= 0.f && linear >= 0.f && quadratic >= 0.f;
    const bool somePositive = constant > 0.f || linear > 0.f || quadratic > 0.f;
    ASSERT_MSG(nonNegative && somePositive, "IllegalArgument in Light::setAttenuation()");
    m_constantAttenuation = constant;
    m_linearAttenuation = linear;
    m_quadraticAttenuation = quadratic;
}

void Light::setSpotAngle(float angle)
{
    ASSERT_MSG(angle >= 0.f && angle <= 90.f, "IllegalArgument in Light::setSpotAngle()");
    m_spotAngle = angle;
}

void Light::setSpotExponent(float exponent)
{
    ASSERT_MSG(exponent >= 0.f && exponent <= 128.f, "IllegalArgument in Light::setSpotExponent()");
    m_spotExponent = exponent;
}

} // namespace render
