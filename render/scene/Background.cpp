#include "render/scene/Background.h"

#include "render/appearance/Image2D.h"
#include "render/scene/Object3D_References.h"

namespace render {

Background::Background() = default;

Background::Background(const Background& other)
    : Object3D(other), m_color(other.m_color), m_image(other.m_image), m_depthClearEnabled(other.m_depthClearEnabled),
      m_colorClearEnabled(other.m_colorClearEnabled)
{
    setCrop(other.m_cropX, other.m_cropY, other.m_cropWidth, other.m_cropHeight);
    setImageMode(other.m_imageModeX, other.m_imageModeY);
}

Background::~Background() noexcept(false) = default;

Background* Background::duplicate() const
{
    return VORNA3D_NEW Background(*this);
}

int Background::getReferences(core::Vector<Object3D*>* refs)
{
    const int tracks = getRefsObject3D(this, refs);
    return tracks + appendRef(m_image.get(), refs);
}

void Background::setImage(Image2D* image)
{
    if (image) {
        const int format = image->getFormat();
        ASSERT_MSG(format == Image2D::RGB || format == Image2D::RGBA, "IllegalArgumentException");
        m_cropX = 0;
        m_cropY = 0;
        m_cropWidth = image->getWidth();
        m_cropHeight = image->getHeight();
    }
    m_image = image;
}

void Background::setImageMode(int modeX, int modeY)
{
    ASSERT_MSG((modeX == BORDER || modeX == REPEAT) && (modeY == BORDER || modeY == REPEAT),
               "IllegalArgumentException");
    m_imageModeX = modeX;
    m_imageModeY = modeY;
}

void Background::setCrop(int x, int y, int width, int height)
{
    ASSERT_MSG(width >= 0 && height >= 0, "IllegalArgumentException");
    m_cropX = x;
    m_cropY = y;
    m_cropWidth = width;
    m_cropHeight = height;
}

} // namespace render
