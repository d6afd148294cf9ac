#pragma once
// RenderTarget: a texture that Graphics3D::bindTarget renders into instead
// of the display. releaseTarget copies the lower-left getWidth() x
// getHeight() pixels of the frame into the texture's origin, so the frame's
// bottom row lands in the texture's row 0. Make the texture with
// Graphics3D::createNewTexture(width, height) at the wanted size; the
// viewport must cover at least that many pixels.

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

private:
    core::Ref<Texture2D> m_texture;
};

} // namespace render
