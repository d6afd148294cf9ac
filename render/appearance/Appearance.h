#pragma once
// Appearance: the render state of one submesh, sprite or text: a layer for
// sorting, and optional components (compositing mode, fog, material,
// polygon mode) and one texture per texture unit. A missing component means
// the renderer's default for it.

#include "core/Ref.h"
#include "core/Vector.h"
#include "render/scene/Object3D.h"

namespace render {

class CompositingMode;
class Fog;
class Material;
class PolygonMode;
class Texture2D;

class Appearance : public Object3D {
public:
    // Texture units an appearance can address.
    static constexpr int MAX_TEXTURE_UNITS = 8;

    // Layer 0, no components, no textures.
    Appearance();
    ~Appearance() noexcept(false) override;

    // A new appearance for what is drawn over the scene (text, sprite
    // batches, screen quads): both faces drawn, alpha blending, and the depth
    // test and depth writes as given; no material, fog or texture.
    static Appearance* createOverlay(bool depthTest, bool depthWrite);

    // A copy of the layer with a duplicate of each component; each texture
    // with an image is duplicated, one without an image is shared.
    Appearance* duplicate() const override;

    // Lists the animation tracks, then the compositing mode, material,
    // polygon mode, fog and the textures in unit order.
    int getReferences(core::Vector<Object3D*>* refs) override;

    // -63..63; asserts " layer >= -63 && layer <= 63 ".
    void setLayer(int layer);
    int getLayer() const { return m_layer; }

    // Each component may be null.
    void setCompositingMode(CompositingMode* compositingMode);
    CompositingMode* getCompositingMode() const { return m_compositingMode.get(); }
    void setFog(Fog* fog);
    Fog* getFog() const { return m_fog.get(); }
    void setMaterial(Material* material);
    Material* getMaterial() const { return m_material.get(); }
    void setPolygonMode(PolygonMode* polygonMode);
    PolygonMode* getPolygonMode() const { return m_polygonMode.get(); }

    // Sets the texture of `unit` (null clears it), growing the texture list
    // to unit + 1. Requires " unit >= 0 && unit < MAX_TEXTURE_UNITS ".
    void setTexture(int unit, Texture2D* texture);
    // The texture of `unit`; null for an empty unit or one beyond the list.
    // Requires " unit >= 0 ".
    Texture2D* getTexture(int unit) const;
    // Length of the texture list (units beyond it are empty).
    int getTextureCount() const { return m_textures.size(); }

protected:
    Appearance(const Appearance& other);

private:
    core::Vector<core::Ref<Texture2D>> m_textures;
    core::Ref<CompositingMode> m_compositingMode;
    core::Ref<Fog> m_fog;
    core::Ref<Material> m_material;
    core::Ref<PolygonMode> m_polygonMode;
    int m_layer = 0;
};

} // namespace render
