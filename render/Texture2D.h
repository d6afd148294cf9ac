#pragma once
// Texture2D: an image used for texturing, with its own texture-coordinate
// transform (the Transformable part). For now a texture carries its image,
// so that appearances can hold, duplicate and list their textures; the
// texture-unit state (blending, wrapping, filters) and the GL texture come
// with the renderer's back end.

#include "core/Ref.h"
#include "render/Transformable.h"

namespace render {

class Image2D;

class Texture2D : public Transformable {
public:
    // A texture showing `image` (null: none yet).
    explicit Texture2D(Image2D* image);
    ~Texture2D() noexcept(false) override;

    // A new texture with this texture's transform and a duplicate of its
    // image. Asserts "can not duplicate Texture2D because source texture
    // does not have an image" without one.
    Texture2D* duplicate() const override;

    // Lists the animation tracks, then the image.
    int getReferences(core::Vector<Object3D*>* refs) override;

    // Null releases the image.
    void setImage(Image2D* image);
    Image2D* getImage() const { return m_image.get(); }

protected:
    Texture2D(const Texture2D& other);

private:
    core::Ref<Image2D> m_image;
};

} // namespace render
