#pragma once
// Texture2D: an image used for texturing, with the texture-unit state
// (blending function and colour, wrapping, filtering) and its own
// texture-coordinate transform (the Transformable part).
//
// Textures are padded to powers of two: an image of w x h pixels becomes a
// texture of getNextPowerOfTwo(w) x getNextPowerOfTwo(h) with the image at
// its origin, and the texture's scale is set to (w / padded w, h / padded h,
// 1) so that texture coordinates 0..1 still address the image alone.
//
// This class keeps the state only; a back end derives from it to build the
// graphics API's texture object (createTexture) and to apply wrapping and
// filters to it. A plain Texture2D cannot be drawn.

#include <cstdint>

#include "core/Ref.h"
#include "render/scene/Transformable.h"

namespace render {

class Image2D;

class Texture2D : public Transformable {
public:
    // Texture filters: levelFilter picks between mipmap levels (or uses the
    // base level only), imageFilter samples within a level.
    static constexpr int FILTER_BASE_LEVEL = 208;
    static constexpr int FILTER_LINEAR = 209;
    static constexpr int FILTER_NEAREST = 210;
    // Texture blending functions (the texture environment).
    static constexpr int FUNC_ADD = 224;
    static constexpr int FUNC_BLEND = 225;
    static constexpr int FUNC_DECAL = 226;
    static constexpr int FUNC_MODULATE = 227;
    static constexpr int FUNC_REPLACE = 228;
    // Leaves the texture environment mode as the previous draw left it.
    static constexpr int FUNC_KEEP = 229;
    // Wrapping of the S and T coordinates.
    static constexpr int WRAP_CLAMP = 240;
    static constexpr int WRAP_REPEAT = 241;

    // A texture showing `image` (null: none yet); see setImage.
    explicit Texture2D(Image2D* image);
    ~Texture2D() noexcept(false) override;

    // A new texture with this texture's state and transform and a duplicate
    // of its image. Asserts "can not duplicate Texture2D because source
    // texture does not have an image" without one.
    Texture2D* duplicate() const override;

    // Lists the animation tracks, then the image.
    int getReferences(core::Vector<Object3D*>* refs) override;

    // Null releases the image; the built texture and the stored sizes stay
    // (render-target textures keep their pixels on the graphics side only). Otherwise
    // stores the image's size and its padded size, sets the texture scale
    // when a side was padded (and back to 1 when a later image needs no
    // padding), and builds the texture (createTexture).
    // Asserts "setImage failed because image width is <= 0" / "... height
    // is <= 0"; fails as getNextPowerOfTwo does for sides above 2^30, and
    // as createTexture does; a failed call keeps the sizes and scale.
    void setImage(Image2D* image);
    Image2D* getImage() const { return m_image.get(); }

    // Size of the image last set. Assert " m_width > 0 " / " m_height > 0 "
    // before any image was set.
    int getWidth() const;
    int getHeight() const;
    // Padded (power-of-two) size of the image last set; -1 before.
    int getPaddedWidth() const { return m_paddedWidth; }
    int getPaddedHeight() const { return m_paddedHeight; }
    // Format of the image the texture was built from (Image2D::Format); 0 before.
    int getFormat() const { return m_format; }

    // Texture blending function, FUNC_ADD..FUNC_KEEP (default FUNC_MODULATE).
    // Asserts "IllegalArgumentException" for another value.
    void setBlending(int func);
    int getBlending() const { return m_blending; }
    // Constant colour 0x00RRGGBB for FUNC_BLEND (default 0). A value of
    // 0xFF000000 or above asserts "setBlendColor color value is invalid (use RGB)".
    void setBlendColor(uint32_t color);
    uint32_t getBlendColor() const { return m_blendColor; }
    // Wrapping of S and T, each WRAP_CLAMP or WRAP_REPEAT (default repeat).
    // Asserts "IllegalArgumentException" for another value. Sent at once
    // to a built texture (applyWrapping).
    void setWrapping(int wrapS, int wrapT);
    int getWrappingS() const { return m_wrappingS; }
    int getWrappingT() const { return m_wrappingT; }
    // Level filter FILTER_BASE_LEVEL, FILTER_LINEAR or FILTER_NEAREST, image
    // filter FILTER_LINEAR or FILTER_NEAREST (defaults linear, linear).
    // Asserts "IllegalArgumentException" for another value. Sent at once
    // to a built texture (applyFilters).
    void setFiltering(int levelFilter, int imageFilter);
    int getLevelFilter() const { return m_levelFilter; }
    int getImageFilter() const { return m_imageFilter; }

    // ---- Back-end operations. ----

    // The graphics API's texture name (0: none). A plain Texture2D asserts
    // "Dummy textrure was tried to render".
    virtual int getTextureID() const;
    // Send the wrapping / the filters to the built texture (nothing when
    // there is none); nothing here.
    virtual void applyWrapping();
    virtual void applyFilters();
    // Framebuffer objects are not used; a back end fails here. Nothing here.
    virtual void bindFBOandRBO();

protected:
    Texture2D(const Texture2D& other);

    // Builds the texture from `image` (non-null, size already stored by
    // setImage). Here it only stores the image reference and its format.
    virtual void createTexture(Image2D* image);

private:
    core::Ref<Image2D> m_image;
    uint32_t m_blendColor = 0;
    int32_t m_width = -1;
    int32_t m_height = -1;
    int32_t m_format = 0;
    int32_t m_paddedWidth = -1;
    int32_t m_paddedHeight = -1;
    int32_t m_blending = FUNC_MODULATE;
    int32_t m_wrappingS = WRAP_REPEAT;
    int32_t m_wrappingT = WRAP_REPEAT;
    int32_t m_levelFilter = FILTER_LINEAR;
    int32_t m_imageFilter = FILTER_LINEAR;
    // Whether the current scale is the one setImage set for padding.
    bool m_paddingScaleSet = false;
};

} // namespace render
