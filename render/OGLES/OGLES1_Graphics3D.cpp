// OGLES1_Graphics3D: context, buffer objects, textures, lights, clears,
// projection and viewport, the one-time default state and render to texture.

#include "render/OGLES/OGLES1_Graphics3D.h"

#include <cstdio>
#include <cstring>

#include "HAL/GL.h"
#include "HAL/OGL_1_X.h"
#include "core/Debug.h"
#include "render/appearance/Image2D.h"
#include "render/OGLES/OGLES1_Framebuffer.h"
#include "render/OGLES/OGLES1_Texture2D.h"
#include "render/RenderTarget.h"

namespace render {

namespace {

int bufferTarget(int kind)
{
    ASSERT(kind == 0 || kind == 1);
    return kind == 0 ? GL_ARRAY_BUFFER : GL_ELEMENT_ARRAY_BUFFER;
}

// A matrix in the layout glLoadMatrixf takes.
void loadMatrix(const slmath::mat4& matrix)
{
    float columns[16];
    matrix.toColumnMajor(columns);
    glLoadMatrixf(columns);
}

} // namespace

OGLES1_Graphics3D::OGLES1_Graphics3D()
{
    m_upload = VORNA3D_NEW TextureUploadBuffer();
    setBackendType(BACKEND_OPENGL_ES_1);
    core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "createGraphics3D : GRAPHICS3D_TYPE_OPENGL_ES_1_X\n");
    registerInstance();
}

OGLES1_Graphics3D::~OGLES1_Graphics3D() noexcept(false)
{
    // The internal textures delete their GL objects: the context must still exist.
    if (m_contextCreated && getDisplay())
        HAL::OGL_1_X::makeCurrent(getDisplay());
    releaseInternalObjects();
    if (m_contextCreated && getDisplay())
        releasePackBuffers();
    if (m_contextCreated && getDisplay()) {
        m_contextCreated = false;
        HAL::OGL_1_X::deinit(getDisplay());
    }
}

void OGLES1_Graphics3D::createContext()
{
    HAL::OGL_1_X::init(getDisplay());
    m_contextCreated = true;
}

void OGLES1_Graphics3D::makeCurrent()
{
    HAL::OGL_1_X::makeCurrent(getDisplay());
}

void OGLES1_Graphics3D::swapBuffers()
{
    HAL::OGL_1_X::swapBuffers(getDisplay());
}

bool OGLES1_Graphics3D::checkError(const char* where)
{
    return HAL::gl::logErrors(where);
}

void OGLES1_Graphics3D::readDeviceLimits(int* maxViewportWidth, int* maxViewportHeight, int* maxTextureSize,
                                         int* textureUnits)
{
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    GLint units = 1;
    if (HAL::gl::glActiveTexture && HAL::gl::glClientActiveTexture)
        glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    *maxViewportWidth = dims[0];
    *maxViewportHeight = dims[1];
    *maxTextureSize = size;
    *textureUnits = units;
}

void OGLES1_Graphics3D::initRenderState()
{
    if (!getDisplay())
        return;
    const GLfloat ambient[4] = {0.f, 0.f, 0.f, 1.f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glEnable(GL_NORMALIZE);
    glClearDepth(1.0);
    glLineWidth(1.f);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    // The state the per-draw caches take for granted: a PolygonMode's
    // defaults (back faces culled, counter-clockwise fronts, smooth shading).
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glShadeModel(GL_SMOOTH);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

void OGLES1_Graphics3D::lowLevelClear(float r, float g, float b, float a, bool clearDepth, bool clearColor)
{
    glClearColor(r, g, b, a);
    // glClear honours the write masks: open them (the next object sets its own).
    GLbitfield mask = GL_STENCIL_BUFFER_BIT;
    glStencilMask(~0u);
    if (clearDepth) {
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (clearColor) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    glClear(mask);
}

void OGLES1_Graphics3D::loadProjection()
{
    glMatrixMode(GL_PROJECTION);
    // The GL projection is stored transposed already: its rows are GL's columns.
    float columns[16];
    getGLProjectionMatrix().toRowMajor(columns);
    glLoadMatrixf(columns);
    glMatrixMode(GL_MODELVIEW);
}

void OGLES1_Graphics3D::lowLevelSetViewport(int x, int y, int width, int height)
{
    glViewport(x, y, width, height);
}

bool OGLES1_Graphics3D::sendLightData(const LightConfig* config)
{
    if (!config) {
        glDisable(GL_LIGHTING);
        for (int i = 0; i < MAX_LIGHTS; ++i)
            glDisable(GL_LIGHT0 + i);
        return true;
    }
    ASSERT_MSG(config->index >= 0 && config->index < MAX_LIGHTS, "render : Graphics3D does not support this light ID");
    const GLenum light = GL_LIGHT0 + config->index;
    glEnable(GL_LIGHTING);
    if (!config->valid) {
        // A light switched off since it was sent.
        glDisable(light);
        return true;
    }
    // Position and direction are given in the light's own space.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    loadMatrix(getViewMatrix() * config->transform);
    glLightfv(light, GL_POSITION, &config->position.x);
    glLightfv(light, GL_DIFFUSE, &config->diffuse.x);
    glLightfv(light, GL_SPECULAR, &config->specular.x);
    glLightfv(light, GL_AMBIENT, &config->ambient.x);
    glLightfv(light, GL_SPOT_DIRECTION, &config->spotDirection.x);
    glLightf(light, GL_CONSTANT_ATTENUATION, config->constantAttenuation);
    glLightf(light, GL_LINEAR_ATTENUATION, config->linearAttenuation);
    glLightf(light, GL_QUADRATIC_ATTENUATION, config->quadraticAttenuation);
    glLightf(light, GL_SPOT_EXPONENT, config->spotExponent);
    glLightf(light, GL_SPOT_CUTOFF, config->spotCutoff);
    glEnable(light);
    glPopMatrix();
    return true;
}

int OGLES1_Graphics3D::createStaticBuffer(int kind, int size, const void* data)
{
    const int target = bufferTarget(kind);
    ASSERT_MSG(HAL::gl::glGenBuffers && HAL::gl::glBindBuffer && HAL::gl::glBufferData,
               "createStaticBuffer : buffer objects are not available");
    GLuint id = 0;
    HAL::gl::glGenBuffers(1, &id);
    ASSERT_MSG(checkError("render::OGLES1_Graphics3D::createStaticBuffer"), "OpenGLES error");
    HAL::gl::glBindBuffer(target, id);
    HAL::gl::glBufferData(target, size, data, GL_STATIC_DRAW);
    ASSERT_MSG(checkError("render::OGLES1_Graphics3D::createStaticBuffer"), "OpenGLES error");
    HAL::gl::glBindBuffer(target, 0);
    return static_cast<int>(id);
}

void OGLES1_Graphics3D::deleteStaticBuffer(int id)
{
    if (!HAL::gl::glDeleteBuffers)
        return;
    const GLuint name = static_cast<GLuint>(id);
    HAL::gl::glDeleteBuffers(1, &name);
}

Texture2D* OGLES1_Graphics3D::createNewTexture(int width, int height)
{
    // Handed over without a reference (the caller's Ref takes the first):
    // held raw here, and deleted by hand when building it fails.
    OGLES1_Texture2D* texture = VORNA3D_NEW OGLES1_Texture2D(m_upload.get());
    try {
        if (width > 0 && height > 0) {
            core::Ref<Image2D> image = VORNA3D_NEW Image2D(Image2D::RGBA, width, height);
            texture->setImage(image.get());
            // The pixels live in the GL texture only.
            texture->setImage(nullptr);
        }
        ASSERT_MSG(checkError("render::OGLES1_Graphics3D::createNewTexture"), "OpenGLES error : createNewTexture");
    } catch (...) {
        delete texture;
        throw;
    }
    return texture;
}

void OGLES1_Graphics3D::copyScreenToTexture(int textureId, int format, int width, int height)
{
    ASSERT_MSG(ogles::isCopyableFormat(format), "can not render to texture because target texture format is invalid");
    selectTextureUnit(0);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textureId));
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    ASSERT_MSG(checkError("render::OGLES1_Graphics3D::copyScreenToTexture"), "OpenGLES error : copyScreenToTexture");
    glBindTexture(GL_TEXTURE_2D, 0);
}

void OGLES1_Graphics3D::readScreenPixels(int x, int y, int width, int height, uint8_t* rgba)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    ASSERT_MSG(checkError("render::OGLES1_Graphics3D::readScreenPixels"), "OpenGLES error");
}

bool OGLES1_Graphics3D::startPixelRead(int slot, int x, int y, int width, int height)
{
    if (m_packSupport < 0) {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        int major = 0;
        int minor = 0;
        const bool v21 =
            version && std::sscanf(version, "%d.%d", &major, &minor) == 2 && (major > 2 || (major == 2 && minor >= 1));
        const bool arb = extensions && std::strstr(extensions, "GL_ARB_pixel_buffer_object");
        m_packSupport = (v21 || arb) && HAL::gl::glGenBuffers && HAL::gl::glBindBuffer && HAL::gl::glBufferData &&
                HAL::gl::glMapBuffer && HAL::gl::glUnmapBuffer && HAL::gl::glDeleteBuffers
            ? 1
            : 0;
    }
    if (m_packSupport == 0 || slot < 0 || slot >= 3)
        return false;
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4u;
    if (m_packBuffers[slot] == 0) {
        GLuint name = 0;
        HAL::gl::glGenBuffers(1, &name);
        m_packBuffers[slot] = name;
    }
    HAL::gl::glBindBuffer(GL_PIXEL_PACK_BUFFER, m_packBuffers[slot]);
    if (m_packBytes[slot] != bytes) {
        HAL::gl::glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
        m_packBytes[slot] = bytes;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr); // into the buffer, queued
    HAL::gl::glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    ASSERT_MSG(checkError("render::OGLES1_Graphics3D::startPixelRead"), "OpenGLES error");
    return true;
}

const uint8_t* OGLES1_Graphics3D::mapPixelRead(int slot)
{
    HAL::gl::glBindBuffer(GL_PIXEL_PACK_BUFFER, m_packBuffers[slot]);
    const void* pixels = HAL::gl::glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    ASSERT_MSG(pixels && checkError("render::OGLES1_Graphics3D::mapPixelRead"), "OpenGLES error");
    return static_cast<const uint8_t*>(pixels);
}

void OGLES1_Graphics3D::finishPixelRead(int slot)
{
    HAL::gl::glBindBuffer(GL_PIXEL_PACK_BUFFER, m_packBuffers[slot]);
    HAL::gl::glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    HAL::gl::glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

void OGLES1_Graphics3D::releasePackBuffers()
{
    for (int slot = 0; slot < 3; ++slot) {
        if (m_packBuffers[slot] != 0 && HAL::gl::glDeleteBuffers) {
            GLuint name = m_packBuffers[slot];
            HAL::gl::glDeleteBuffers(1, &name);
        }
        m_packBuffers[slot] = 0;
        m_packBytes[slot] = 0;
    }
}

void OGLES1_Graphics3D::sendScissor(bool enabled, int x, int y, int width, int height)
{
    if (enabled) {
        glScissor(x, y, width, height);
        glEnable(GL_SCISSOR_TEST);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
}

bool OGLES1_Graphics3D::bindTargetFramebuffer(RenderTarget* target)
{
    if (!OGLES1_Framebuffer::isAvailable())
        return false;
    // The whole GL texture, padding included, is the framebuffer.
    Texture2D* texture = target->getTexture();
    const int id = texture->getTextureID();
    const int width = texture->getPaddedWidth();
    const int height = texture->getPaddedHeight();
    if (id == 0 || width <= 0 || height <= 0)
        return false;
    auto* framebuffer = dynamic_cast<OGLES1_Framebuffer*>(target->getBackendResource());
    if (!framebuffer || !framebuffer->isFor(id, width, height)) {
        core::Ref<OGLES1_Framebuffer> made = VORNA3D_NEW OGLES1_Framebuffer(id, width, height);
        target->setBackendResource(made.get());
        framebuffer = made.get();
    }
    if (!framebuffer->isComplete())
        return false;
    framebuffer->bind();
    return true;
}

void OGLES1_Graphics3D::unbindTargetFramebuffer()
{
    OGLES1_Framebuffer::unbind();
}

void OGLES1_Graphics3D::selectTextureUnit(int unit)
{
    ASSERT_MSG(unit >= 0, " textureUnit >= 0 ");
    if (HAL::gl::glActiveTexture && HAL::gl::glClientActiveTexture) {
        HAL::gl::glActiveTexture(GL_TEXTURE0 + unit);
        HAL::gl::glClientActiveTexture(GL_TEXTURE0 + unit);
    } else {
        ASSERT_MSG(unit == 0, " textureUnit == 0 ");
    }
}

} // namespace render
