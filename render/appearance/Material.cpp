#include "render/appearance/Material.h"

namespace render {

namespace {

constexpr int ALL_TARGETS = Material::AMBIENT | Material::DIFFUSE | Material::EMISSIVE | Material::SPECULAR;

} // namespace

Material::Material() = default;

Material::Material(const Material& other) = default;

Material::~Material() noexcept(false) = default;

Material* Material::duplicate() const
{
    return VORNA3D_NEW Material(*this);
}

void Material::setColor(int target, uint32_t argb)
{
    ASSERT_MSG(target != 0 && (target & ~ALL_TARGETS) == 0, "IllegalArgumentException");
    const uint32_t rgb = argb & 0x00FFFFFFu;
    if (target & AMBIENT)
        m_ambient = rgb;
    if (target & DIFFUSE)
        m_diffuse = argb;
    if (target & EMISSIVE)
        m_emissive = rgb;
    if (target & SPECULAR)
        m_specular = rgb;
}

uint32_t Material::getColor(int target) const
{
    switch (target) {
    case AMBIENT:
        return m_ambient;
    case DIFFUSE:
        return m_diffuse;
    case EMISSIVE:
        return m_emissive;
    case SPECULAR:
        return m_specular;
    default:
        ASSERT_MSG(false, "IllegalArgumentException");
    }
    return 0;
}

void Material::setShininess(float shininess)
{
    ASSERT_MSG(shininess >= 0.f && shininess <= 128.f, "IllegalArgumentException");
    m_shininess = shininess;
}

} // namespace render
