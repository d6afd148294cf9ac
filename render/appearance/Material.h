#pragma once
// Material: the lighting colours of a submesh (ambient, diffuse, emissive,
// specular), the specular shininess, and whether the vertex colours replace
// the ambient and diffuse colours. Colours are packed 0xAARRGGBB; only the
// diffuse colour keeps its alpha, the others are stored as 0x00RRGGBB.

#include <cstdint>

#include "render/scene/Object3D.h"

namespace render {

class Material : public Object3D {
public:
    // Colour targets; setColor takes several ORed together.
    enum { AMBIENT = 1024, DIFFUSE = 2048, EMISSIVE = 4096, SPECULAR = 8192 };

    // Ambient 0x00333333, diffuse 0xFFCCCCCC, emissive and specular 0,
    // shininess 0, no vertex colour tracking.
    Material();
    ~Material() noexcept(false) override;

    Material* duplicate() const override;

    // Sets every colour named in `target` (a non-empty OR of the four
    // targets). Asserts "IllegalArgumentException" otherwise.
    void setColor(int target, uint32_t argb);
    // The colour of exactly one target. Asserts "IllegalArgumentException" otherwise.
    uint32_t getColor(int target) const;

    // 0..128; asserts "IllegalArgumentException" otherwise.
    void setShininess(float shininess);
    float getShininess() const { return m_shininess; }

    void setVertexColorTrackingEnable(bool enable) { m_vertexColorTracking = enable; }
    bool isVertexColorTrackingEnabled() const { return m_vertexColorTracking; }

protected:
    Material(const Material& other);

private:
    uint32_t m_ambient = 0x00333333u;
    uint32_t m_diffuse = 0xFFCCCCCCu;
    uint32_t m_emissive = 0;
    uint32_t m_specular = 0;
    float m_shininess = 0.f;
    bool m_vertexColorTracking = false;
};

} // namespace render
