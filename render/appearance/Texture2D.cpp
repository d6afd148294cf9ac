#include "render/appearance/Texture2D.h"

#include "render/appearance/Image2D.h"
#include "render/appearance/Image2D_Helpers.h"
#include "render/scene/Object3D_References.h"

namespace render {

Texture2D::Texture2D(Image2D* image)
{
    if (image)
        setImage(image);
}

Texture2D::Texture2D(const Texture2D& other)
    : Transformable(other), m_blendColor(other.m_blendColor), m_width(other.m_width), m_height(other.m_height),
      m_format(other.m_format), m_paddedWidth(other.m_paddedWidth), m_paddedHeight(other.m_paddedHeight),
      m_blending(other.m_blending), m_wrappingS(other.m_wrappingS), m_wrappingT(other.m_wrappingT),
      m_levelFilter(other.m_levelFilter), m_imageFilter(other.m_imageFilter), m_paddingScaleSet(other.m_paddingScaleSet)
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
    if (!image) {
        m_image = nullptr;
        return;
    }
    const int width = image->getWidth();
    const int height = image->getHeight();
    ASSERT_MSG(width > 0, "setImage failed because image width is <= 0");
    ASSERT_MSG(height > 0, "setImage failed because image height is <= 0");
    const int paddedWidth = Image2D_Helpers::getNextPowerOfTwo(width);
    const int paddedHeight = Image2D_Helpers::getNextPowerOfTwo(height);

    // A texture that cannot be built (too large, unsupported) keeps its
    // previous sizes and scale.
    const int32_t oldSizes[4] = {m_width, m_height, m_paddedWidth, m_paddedHeight};
    const slmath::vec3 oldScale = getScale();
    const bool oldPaddingScale = m_paddingScaleSet;
    m_width = width;
    m_height = height;
    m_paddedWidth = paddedWidth;
    m_paddedHeight = paddedHeight;
    try {
        // Coordinates 0..1 address the image inside the padded texture. A
        // scale set for an earlier padded image is undone for an image that
        // needs none.
        if (width != paddedWidth || height != paddedHeight) {
            setScale(float(width) / float(paddedWidth), float(height) / float(paddedHeight), 1.f);
            m_paddingScaleSet = true;
        } else if (m_paddingScaleSet) {
            setScale(1.f, 1.f, 1.f);
            m_paddingScaleSet = false;
        }
        createTexture(image);
    } catch (...) {
        m_width = oldSizes[0];
        m_height = oldSizes[1];
        m_paddedWidth = oldSizes[2];
        m_paddedHeight = oldSizes[3];
        setScale(oldScale.x, oldScale.y, oldScale.z);
        m_paddingScaleSet = oldPaddingScale;
        throw;
    }
}

int Texture2D::getWidth() const
{
    ASSERT(m_width > 0);
    return m_width;
}

int Texture2D::getHeight() const
{
    ASSERT(m_height > 0);
    return m_height;
}

void Texture2D::setBlending(int func)
{
    ASSERT_MSG(func >= FUNC_ADD && func <= FUNC_KEEP, "IllegalArgumentException");
    m_blending = func;
}

void Texture2D::setBlendColor(uint32_t color)
{
    ASSERT_MSG(color < 0xFF000000u, "setBlendColor color value is invalid (use RGB)");
    m_blendColor = color;
}

void Texture2D::setWrapping(int wrapS, int wrapT)
{
    const auto valid = [](int wrap) { return wrap == WRAP_CLAMP || wrap == WRAP_REPEAT; };
    ASSERT_MSG(valid(wrapS) && valid(wrapT), "IllegalArgumentException");
    m_wrappingS = wrapS;
    m_wrappingT = wrapT;
    applyWrapping();
}

void Texture2D::setFiltering(int levelFilter, int imageFilter)
{
    ASSERT_MSG(levelFilter >= FILTER_BASE_LEVEL && levelFilter <= FILTER_NEAREST, "IllegalArgumentException");
    ASSERT_MSG(imageFilter == FILTER_LINEAR || imageFilter == FILTER_NEAREST, "IllegalArgumentException");
    m_levelFilter = levelFilter;
    m_imageFilter = imageFilter;
    applyFilters();
}

int Texture2D::getTextureID() const
{
    ASSERT_MSG(false, "Dummy textrure was tried to render");
    return 0;
}

void Texture2D::applyWrapping()
{
}

void Texture2D::applyFilters()
{
}

void Texture2D::bindFBOandRBO()
{
}

void Texture2D::createTexture(Image2D* image)
{
    ASSERT(image);
    m_image = image;
    m_format = image->getFormat();
}

} // namespace render
