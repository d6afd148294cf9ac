#pragma once
// OGLES1_Texture2D: a Texture2D with an OpenGL 1.x texture object. Setting an
// image builds the texture at the padded size with a full mipmap chain
// (gluBuild2DMipmaps), whatever the filters; pixels are prepared in the back
// end's TextureUploadBuffer. ALPHA, LUMINANCE and LUMINANCE_ALPHA images
// (four bytes per pixel, R G B A) are sent as RGBA and stored by GL in their
// own internal format: ALPHA keeps A, LUMINANCE keeps R, LUMINANCE_ALPHA
// keeps R and A. Requires a current OpenGL context whenever an image is set,
// a setting is applied or the texture is destroyed.

#include <cstdint>

#include "core/Ref.h"
#include "render/appearance/Texture2D.h"
#include "render/OGLES/TextureUploadBuffer.h"

namespace render {

class OGLES1_Texture2D : public Texture2D {
public:
    // A texture without image or GL texture; `upload` is the back end's
    // upload buffer, shared by its textures. Asserts " upload " for null.
    explicit OGLES1_Texture2D(TextureUploadBuffer* upload);
    // Deletes the GL texture, if any.
    ~OGLES1_Texture2D() noexcept(false) override;

    // A new OGLES1_Texture2D with this texture's settings and transform, its
    // own GL texture and a duplicate of the image. Asserts "can not duplicate
    // Texture2D because source texture does not have an image" without one.
    OGLES1_Texture2D* duplicate() const override;

    // The GL texture name; 0 before an image was set.
    int getTextureID() const override;
    // Select unit 0, enable and bind the texture, then set GL_TEXTURE_WRAP_S
    // and _T (GL_REPEAT for WRAP_REPEAT, GL_CLAMP_TO_EDGE otherwise) / the
    // minification and magnification filters (getGLFilters). The texture
    // stays bound on unit 0. Nothing happens before the GL texture exists.
    void applyWrapping() override;
    void applyFilters() override;
    // Framebuffer objects are not used: always asserts " 0 ".
    void bindFBOandRBO() override;

    // GL_TEXTURE_MIN_FILTER and GL_TEXTURE_MAG_FILTER for a level and image
    // filter: minification GL_{image} for the base level and
    // GL_{image}_MIPMAP_{level} otherwise; magnification always GL_{image},
    // since it samples the base level only.
    // Throws Vorna3DException "You sure have some weird Filtering modes..."
    // for an unknown level filter.
    static void getGLFilters(int levelFilter, int imageFilter, int* minFilter, int* magFilter);
    // GL_REPEAT for WRAP_REPEAT, GL_CLAMP_TO_EDGE for anything else.
    static int getGLWrap(int wrapping);
    // The GL internal format of an Image2D format (GL_ALPHA, GL_LUMINANCE,
    // GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA). Throws Vorna3DException
    // "Image2D format is not supported in OGLES2_Texture2D!" for another code.
    static int getGLInternalFormat(int format);
    // The GL format of the bytes sent: GL_RGB for RGB, GL_RGBA for the others.
    static int getGLSourceFormat(int format);

protected:
    OGLES1_Texture2D(const OGLES1_Texture2D& other);

    // Builds the GL texture: checks the padded size against
    // GL_MAX_TEXTURE_SIZE ("can not create a texture because texture size is
    // too big for this HW"), deletes the previous GL texture, applies
    // wrapping and filters and uploads the mipmap chain with an unpack
    // alignment of 1. A GLU or GL error is logged with its code and asserts " 0 ".
    void createTexture(Image2D* image) override;

private:
    // Selects texture unit 0 and binds this texture there, enabled.
    void bindOnUnit0() const;

    core::Ref<TextureUploadBuffer> m_upload;
    uint32_t m_textureID = 0;
};

} // namespace render
