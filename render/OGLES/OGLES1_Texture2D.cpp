#include "render/OGLES/OGLES1_Texture2D.h"

#include "HAL/GL.h"
#include <GL/glu.h>

#include "HAL/GL.h"
#include "core/Debug.h"
#include "core/FunctionName.h"
#include "render/appearance/Image2D.h"

namespace render {

namespace {

// Throws the plain engine exception with the qualified name of `signature`.
[[noreturn]] void fail(const char* signature, int line, const char* message)
{
    char name[256];
    core::qualifiedFunctionName(signature, name, sizeof name);
    throw Vorna3DException(__FILE__, name, line, message);
}

void selectUnit0()
{
    if (HAL::gl::glActiveTexture)
        HAL::gl::glActiveTexture(GL_TEXTURE0);
}

} // namespace

OGLES1_Texture2D::OGLES1_Texture2D(TextureUploadBuffer* upload) : Texture2D(nullptr), m_upload(upload)
{
    ASSERT(upload);
}

OGLES1_Texture2D::OGLES1_Texture2D(const OGLES1_Texture2D& other) : Texture2D(other), m_upload(other.m_upload)
{
    // The base copied the settings and duplicated the image; build our own
    // GL texture from that duplicate.
    createTexture(getImage());
}

OGLES1_Texture2D::~OGLES1_Texture2D() noexcept(false)
{
    if (m_textureID != 0) {
        glBindTexture(GL_TEXTURE_2D, 0);
        const GLuint name = m_textureID;
        glDeleteTextures(1, &name);
        m_textureID = 0;
    }
}

OGLES1_Texture2D* OGLES1_Texture2D::duplicate() const
{
    return VORNA3D_NEW OGLES1_Texture2D(*this);
}

int OGLES1_Texture2D::getTextureID() const
{
    return static_cast<int>(m_textureID);
}

void OGLES1_Texture2D::bindOnUnit0() const
{
    selectUnit0();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_textureID);
}

void OGLES1_Texture2D::applyWrapping()
{
    if (m_textureID == 0)
        return;
    bindOnUnit0();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, getGLWrap(getWrappingS()));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, getGLWrap(getWrappingT()));
}

void OGLES1_Texture2D::applyFilters()
{
    int minFilter = 0;
    int magFilter = 0;
    getGLFilters(getLevelFilter(), getImageFilter(), &minFilter, &magFilter);
    if (m_textureID == 0)
        return;
    bindOnUnit0();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
}

void OGLES1_Texture2D::bindFBOandRBO()
{
    ASSERT(0);
}

void OGLES1_Texture2D::getGLFilters(int levelFilter, int imageFilter, int* minFilter, int* magFilter)
{
    ASSERT(minFilter && magFilter);
    const bool nearest = imageFilter == FILTER_NEAREST;
    // Magnification samples the base level only, so it follows the image
    // filter in every case.
    *magFilter = nearest ? GL_NEAREST : GL_LINEAR;
    switch (levelFilter) {
    case FILTER_BASE_LEVEL:
        *minFilter = nearest ? GL_NEAREST : GL_LINEAR;
        break;
    case FILTER_LINEAR:
        *minFilter = nearest ? GL_NEAREST_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
        break;
    case FILTER_NEAREST:
        *minFilter = nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
        break;
    default:
        fail(VORNA3D_FUNCTION, __LINE__, "You sure have some weird Filtering modes...");
    }
}

int OGLES1_Texture2D::getGLWrap(int wrapping)
{
    return wrapping == WRAP_REPEAT ? GL_REPEAT : GL_CLAMP_TO_EDGE;
}

int OGLES1_Texture2D::getGLInternalFormat(int format)
{
    switch (format) {
    case Image2D::ALPHA:
        return GL_ALPHA;
    case Image2D::LUMINANCE:
        return GL_LUMINANCE;
    case Image2D::LUMINANCE_ALPHA:
        return GL_LUMINANCE_ALPHA;
    case Image2D::RGB:
        return GL_RGB;
    case Image2D::RGBA:
        return GL_RGBA;
    default:
        fail(VORNA3D_FUNCTION, __LINE__, "Image2D format is not supported in OGLES2_Texture2D!");
    }
}

int OGLES1_Texture2D::getGLSourceFormat(int format)
{
    return format == Image2D::RGB ? GL_RGB : GL_RGBA;
}

void OGLES1_Texture2D::createTexture(Image2D* image)
{
    ASSERT(image);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    core::Debug::printf(core::DEBUG_LEVEL_RENDER, "OpenGLES1_Texture2D : max texture size  = %d\n", maxSize);
    ASSERT_MSG(getPaddedWidth() <= maxSize && getPaddedHeight() <= maxSize,
               "can not create a texture because texture size is too big for this HW");
    // Checked before anything changes, so an unsupported format leaves the
    // texture as it was.
    const int internalFormat = getGLInternalFormat(image->getFormat());
    const int sourceFormat = getGLSourceFormat(image->getFormat());
    Texture2D::createTexture(image);

    if (m_textureID != 0) {
        glBindTexture(GL_TEXTURE_2D, 0);
        const GLuint old = m_textureID;
        glDeleteTextures(1, &old);
        m_textureID = 0;
    }
    glEnable(GL_TEXTURE_2D);
    GLuint name = 0;
    glGenTextures(1, &name);
    m_textureID = name;
    applyWrapping();
    applyFilters();

    const unsigned char* pixels = m_upload->prepare(*image, getPaddedWidth(), getPaddedHeight());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const GLint result = gluBuild2DMipmaps(GL_TEXTURE_2D, internalFormat, getPaddedWidth(), getPaddedHeight(),
                                           static_cast<GLenum>(sourceFormat), GL_UNSIGNED_BYTE, pixels);
    if (result != 0) {
        glBindTexture(GL_TEXTURE_2D, 0);
        core::Debug::printf(core::DEBUG_LEVEL_ERROR, "gluBuild2DMipmaps failed\n");
        ASSERT(0);
    }
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        glBindTexture(GL_TEXTURE_2D, 0);
        core::Debug::printf(core::DEBUG_LEVEL_ERROR, "OpenGL ERROR (Texture2D): code = %d (0x%X)\n", int(error),
                            unsigned(error));
        ASSERT(0);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

} // namespace render
