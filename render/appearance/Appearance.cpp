#include "render/appearance/Appearance.h"

#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Material.h"
#include "render/scene/Object3D_References.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Texture2D.h"

namespace render {

namespace {

// A duplicate of `component`, or null.
template <class T> core::Ref<T> duplicateOf(const core::Ref<T>& component)
{
    return component ? core::Ref<T>(component->duplicate()) : core::Ref<T>();
}

} // namespace

Appearance* Appearance::createOverlay(bool depthTest, bool depthWrite)
{
    core::Ref<PolygonMode> polygonMode = VORNA3D_NEW PolygonMode();
    polygonMode->setCulling(PolygonMode::CULL_NONE);
    core::Ref<CompositingMode> compositing = VORNA3D_NEW CompositingMode();
    compositing->setBlending(CompositingMode::ALPHA);
    compositing->setDepthTestEnable(depthTest);
    compositing->setDepthWriteEnable(depthWrite);
    Appearance* appearance = VORNA3D_NEW Appearance();
    appearance->setPolygonMode(polygonMode.get());
    appearance->setCompositingMode(compositing.get());
    return appearance;
}

Appearance::Appearance() = default;

Appearance::Appearance(const Appearance& other)
    : Object3D(other), m_compositingMode(duplicateOf(other.m_compositingMode)), m_fog(duplicateOf(other.m_fog)),
      m_material(duplicateOf(other.m_material)), m_polygonMode(duplicateOf(other.m_polygonMode)), m_layer(other.m_layer)
{
    m_textures.reserve(other.m_textures.size());
    for (const core::Ref<Texture2D>& texture : other.m_textures) {
        if (texture && texture->getImage())
            m_textures.add(core::Ref<Texture2D>(texture->duplicate()));
        else
            m_textures.add(texture);
    }
}

Appearance::~Appearance() noexcept(false) = default;

Appearance* Appearance::duplicate() const
{
    return VORNA3D_NEW Appearance(*this);
}

int Appearance::getReferences(core::Vector<Object3D*>* refs)
{
    const int tracks = getRefsObject3D(this, refs);
    return tracks + getRefsAppearance(this, refs);
}

void Appearance::setLayer(int layer)
{
    ASSERT(layer >= -63 && layer <= 63);
    m_layer = layer;
}

void Appearance::setCompositingMode(CompositingMode* compositingMode)
{
    m_compositingMode = compositingMode;
}

void Appearance::setFog(Fog* fog)
{
    m_fog = fog;
}

void Appearance::setMaterial(Material* material)
{
    m_material = material;
}

void Appearance::setPolygonMode(PolygonMode* polygonMode)
{
    m_polygonMode = polygonMode;
}

void Appearance::setTexture(int unit, Texture2D* texture)
{
    ASSERT(unit >= 0 && unit < MAX_TEXTURE_UNITS);
    if (unit >= m_textures.size())
        m_textures.setSize(unit + 1);
    m_textures[unit] = texture;
}

Texture2D* Appearance::getTexture(int unit) const
{
    ASSERT(unit >= 0);
    return unit < m_textures.size() ? m_textures[unit].get() : nullptr;
}

} // namespace render
