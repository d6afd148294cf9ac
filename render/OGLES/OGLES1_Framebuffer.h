#pragma once
// OGLES1_Framebuffer: a framebuffer object drawing into level 0 of a GL
// texture, with a depth renderbuffer of the texture's size. The OpenGL back
// end makes one per render target on its first frame and keeps it in the
// target (RenderTarget::setBackendResource) until the target or its texture
// changes. Requires a current context when it is made and destroyed.

#include <cstdint>

#include "core/Object.h"

namespace render {

class OGLES1_Framebuffer : public core::Object {
public:
    // Whether the driver gave every entry point a framebuffer needs.
    static bool isAvailable();

    // Builds the framebuffer for texture `textureId` of width x height
    // texels (its GL size). When the driver refuses it (incomplete, or a GL
    // error) a warning is logged, nothing is kept and isComplete is false.
    // Leaves the window's framebuffer bound. Requires isAvailable().
    OGLES1_Framebuffer(int textureId, int width, int height);
    // Deletes the GL objects (nothing when the entry points are gone with
    // their context).
    ~OGLES1_Framebuffer() noexcept(false) override;

    bool isComplete() const { return m_framebuffer != 0; }
    // Whether this framebuffer was made for that texture at that size.
    bool isFor(int textureId, int width, int height) const
    {
        return textureId == m_textureId && width == m_width && height == m_height;
    }

    // Draws into the texture / into the window again.
    void bind() const;
    static void unbind();

private:
    void release();

    uint32_t m_framebuffer = 0;
    uint32_t m_depth = 0;
    int m_textureId;
    int m_width;
    int m_height;
};

} // namespace render
