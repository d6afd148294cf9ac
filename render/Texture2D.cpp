#include "render/Texture2D.h"

#include "render/Image2D.h"
#include "render/Object3D_reference_helpers.h"

namespace render {

Texture2D::Texture2D(Image2D* image) : m_image(image) {}

Texture2D::Texture2D(const Texture2D& other) : Transformable(other)
{
    ASSERT_MSG(other.m_image, "can not duplicate Texture2D because source texture does not have an image");
    m_image = core::Ref<Image2D>(static_cast<Image2D*>(other.m_image->duplicate()));
}

Texture2D::~Texture2D() noexcept(false) = default;

Texture2D* Texture2D::duplicate() const
{
    return VORNA3D_NEW Texture2D(*this);
}

int Texture2D::getReferences(core::Vector<Object3D*>* refs)
{
    const int tracks = getRefsObject3D(this, refs);
    return tracks + appendRef(m_image.get(), refs);
}

void Texture2D::setImage(Image2D* image)
{
    m_image = image;
}

} // namespace render
