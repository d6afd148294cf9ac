#pragma once
// RenderTarget: a texture that Graphics3D::bindTarget renders into instead
// of the display. While it is bound the viewport covers the texture from
// its origin up to the picture's size (the smaller of the two on each
// axis), and after releaseTarget the texture holds the frame with its
// bottom row in row 0. The back end draws straight into the texture
// through a framebuffer object of its own, made on the target's first
// frame and freed with the target; a driver without them draws into the
// window and copies what the window holds of the viewport. Make the
// texture with Graphics3D::createNewTexture(width, height).

#include "core/Object.h"
#include "core/Ref.h"

namespace render {

class Texture2D;

class RenderTarget : public core::Object {
public:
    // A target drawing into `texture`. Asserts " m_texture " for null.
    explicit RenderTarget(Texture2D* texture);
    ~RenderTarget() noexcept(false) override;

    Texture2D* getTexture() const { return m_texture.get(); }

    // What the back end keeps for this target between frames (its
    // framebuffer objects); null until its first frame. The target holds
    // it and frees it when it goes, so the graphics context must be
    // current then, as for textures.
    core::Object* getBackendResource() const { return m_backendResource.get(); }
    void setBackendResource(core::Object* resource) { m_backendResource = resource; }

private:
    core::Ref<Texture2D> m_texture;
    core::Ref<core::Object> m_backendResource;
};

} // namespace render
