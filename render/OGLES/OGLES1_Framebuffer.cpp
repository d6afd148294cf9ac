#include "render/OGLES/OGLES1_Framebuffer.h"

#include "HAL/GL.h"
#include "core/Debug.h"

namespace render {

namespace gl = HAL::gl;

bool OGLES1_Framebuffer::isAvailable()
{
    return gl::glGenFramebuffers && gl::glBindFramebuffer && gl::glFramebufferTexture2D && gl::glDeleteFramebuffers &&
        gl::glCheckFramebufferStatus && gl::glGenRenderbuffers && gl::glBindRenderbuffer && gl::glRenderbufferStorage &&
        gl::glFramebufferRenderbuffer && gl::glDeleteRenderbuffers;
}

OGLES1_Framebuffer::OGLES1_Framebuffer(int textureId, int width, int height)
    : m_textureId(textureId), m_width(width), m_height(height)
{
    ASSERT(isAvailable());
    GLuint framebuffer = 0;
    GLuint depth = 0;
    gl::glGenFramebuffers(1, &framebuffer);
    gl::glGenRenderbuffers(1, &depth);
    m_framebuffer = framebuffer;
    m_depth = depth;

    gl::glBindRenderbuffer(GL_RENDERBUFFER, depth);
    gl::glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    gl::glBindRenderbuffer(GL_RENDERBUFFER, 0);
    gl::glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    gl::glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, static_cast<GLuint>(textureId), 0);
    gl::glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    const GLenum status = gl::glCheckFramebufferStatus(GL_FRAMEBUFFER);
    gl::glBindFramebuffer(GL_FRAMEBUFFER, 0);

    // bindTarget found no earlier error: what is recorded now is ours.
    const GLenum error = glGetError();
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) { }
    if (status != GL_FRAMEBUFFER_COMPLETE || error != GL_NO_ERROR) {
        core::Debug::printf(core::DEBUG_LEVEL_WARNING,
                            "render to texture: no framebuffer for texture %d (status 0x%X, error 0x%X), the frame "
                            "is drawn in the window and copied\n",
                            textureId, static_cast<unsigned>(status), static_cast<unsigned>(error));
        release();
    }
}

OGLES1_Framebuffer::~OGLES1_Framebuffer() noexcept(false)
{
    release();
}

void OGLES1_Framebuffer::release()
{
    // Without entry points the context that owned the objects is gone, and they with it.
    if (m_framebuffer && gl::glDeleteFramebuffers) {
        const GLuint name = m_framebuffer;
        gl::glDeleteFramebuffers(1, &name);
    }
    if (m_depth && gl::glDeleteRenderbuffers) {
        const GLuint name = m_depth;
        gl::glDeleteRenderbuffers(1, &name);
    }
    m_framebuffer = 0;
    m_depth = 0;
}

void OGLES1_Framebuffer::bind() const
{
    ASSERT(m_framebuffer);
    gl::glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
}

void OGLES1_Framebuffer::unbind()
{
    if (gl::glBindFramebuffer)
        gl::glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

} // namespace render
