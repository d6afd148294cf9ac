#pragma once
// Light: a node holding lighting parameters. It draws nothing; a World
// collects its lights and hands each, with its world transform, to the
// renderer, which turns mode, colour and parameters into a GL light. A
// directional light shines along its local -z axis; omni and spot lights sit
// at its local origin, a spot pointing along -z.

#include "render/scene/Node.h"

namespace render {

class Light : public Node {
public:
    enum { AMBIENT = 128, DIRECTIONAL = 129, OMNI = 130, SPOT = 131 };

    // A white directional light of intensity 1, attenuation (1, 0, 0), spot
    // angle 45 and exponent 0.
    Light();
    ~Light() noexcept(false) override;

    // A new light with this light's node part and parameters.
    Light* duplicate() const override;

    // Draws nothing.
    void render(Graphics3D* g3d, const Transform* parentTransform, int flags) override;

    // AMBIENT..SPOT; asserts "IllegalArgument in Light::setMode()".
    void setMode(int mode);
    int getMode() const { return m_mode; }
    // 0x00RRGGBB.
    void setColor(int rgb) { m_color = rgb; }
    int getColor() const { return m_color; }
    // Any value, negative ones included.
    void setIntensity(float intensity) { m_intensity = intensity; }
    float getIntensity() const { return m_intensity; }
    // Each >= 0 and at least one > 0; asserts "IllegalArgument in Light::setAttenuation()".
    void setAttenuation(float constant, float linear, float quadratic);
    float getConstantAttenuation() const { return m_constantAttenuation; }
    float getLinearAttenuation() const { return m_linearAttenuation; }
    float getQuadraticAttenuation() const { return m_quadraticAttenuation; }
    // 0..90 degrees; asserts "IllegalArgument in Light::setSpotAngle()".
    void setSpotAngle(float angle);
    float getSpotAngle() const { return m_spotAngle; }
    // 0..128; asserts "IllegalArgument in Light::setSpotExponent()".
    void setSpotExponent(float exponent);
    float getSpotExponent() const { return m_spotExponent; }

protected:
    Light(const Light& other);

private:
    int m_color = 0x00FFFFFF;
    float m_intensity = 1.f;
    float m_constantAttenuation = 1.f;
    float m_linearAttenuation = 0.f;
    float m_quadraticAttenuation = 0.f;
    float m_spotAngle = 45.f;
    float m_spotExponent = 0.f;
    int m_mode = DIRECTIONAL;
};

} // namespace render
