#pragma once
// Fog: blends distant fragments towards a colour, exponentially by a
// density or linearly between a near and a far distance.

#include <cstdint>

#include "render/scene/Object3D.h"

namespace render {

class Fog : public Object3D {
public:
    enum { EXPONENTIAL = 80, LINEAR = 81 };

    // Linear from 0 to 1, density 1, black.
    Fog();
    ~Fog() noexcept(false) override;

    Fog* duplicate() const override;

    // EXPONENTIAL or LINEAR; asserts "IllegalArgumentException" otherwise.
    void setMode(int mode);
    int getMode() const { return m_mode; }
    // 0x00RRGGBB (the alpha byte is dropped).
    void setColor(uint32_t rgb) { m_color = rgb & 0x00FFFFFFu; }
    uint32_t getColor() const { return m_color; }
    // Distances of the linear mode. Asserts when a value is not finite.
    void setLinear(float nearDistance, float farDistance);
    float getNearDistance() const { return m_near; }
    float getFarDistance() const { return m_far; }
    // Density of the exponential mode; asserts "IllegalArgumentException"
    // unless it is greater than 0 and finite.
    void setDensity(float density);
    float getDensity() const { return m_density; }

protected:
    Fog(const Fog& other);

private:
    uint32_t m_color = 0;
    float m_density = 1.f;
    float m_near = 0.f;
    float m_far = 1.f;
    int m_mode = LINEAR;
};

} // namespace render
