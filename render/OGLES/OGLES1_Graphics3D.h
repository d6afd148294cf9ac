#pragma once
// OGLES1_Graphics3D: the renderer on desktop OpenGL 1.x fixed function,
// written as for OpenGL ES 1 (client vertex arrays, buffer objects,
// glTexEnv texture environments, glLight/glMaterial lighting). It is the
// class an application instantiates; it registers itself as the engine's
// one Graphics3D when constructed, and the framework configures it on its
// display:
//
//     framework->setGraphics3D(VORNA3D_NEW render::OGLES1_Graphics3D());
//
// What is drawn how is decided by OGLES_Graphics3D; this class makes the GL
// calls (OGLES1_Graphics3D.cpp: context, buffers, lights, textures, frames;
// OGLES1_GLState.cpp: the per-draw state; OGLES1_Framebuffer: render
// targets' framebuffer objects). Every GL call needs the context
// made by configGraphics3D to be current.

#include "core/Ref.h"
#include "render/OGLES/OGLES_Graphics3D.h"
#include "render/OGLES/TextureUploadBuffer.h"

namespace render {

class OGLES1_Graphics3D : public OGLES_Graphics3D {
public:
    // Registers the renderer in the engine globals (Graphics3D::getInstance
    // finds it). Requires a started engine.
    OGLES1_Graphics3D();
    // Frees the renderer's own textures and meshes, then deletes the
    // OpenGL context of the display (when one was made).
    ~OGLES1_Graphics3D() noexcept(false) override;

    // A buffer object (kind 0 vertex data, 1 index data) holding `size`
    // bytes of `data`. Asserts " kind == 0 || kind == 1 ", "createStaticBuffer :
    // buffer objects are not available" without them, "OpenGLES error".
    int createStaticBuffer(int kind, int size, const void* data) override;
    void deleteStaticBuffer(int id) override;
    // An OGLES1_Texture2D sharing the renderer's upload buffer; with a
    // positive size it holds an opaque white RGBA texture of that size whose
    // pixels live on the GL side only. Asserts "OpenGLES error : createNewTexture".
    Texture2D* createNewTexture(int width, int height) override;
    void swapBuffers() override;
    void makeCurrent() override;
    // Creates the display's context (asserts as HAL::OGL_1_X::init does).
    void createContext() override;

    // The upload buffer lent to the renderer's textures.
    TextureUploadBuffer* getUploadBuffer() const { return m_upload.get(); }

protected:
    void lowLevelClear(float r, float g, float b, float a, bool clearDepth, bool clearColor) override;
    bool sendLightData(const LightConfig* config) override;
    void loadProjection() override;
    void lowLevelSetViewport(int x, int y, int width, int height) override;
    // Logs every pending GL error as "OpenGL 1.X ERROR (where): code = ..."
    // and returns false when there was one.
    bool checkError(const char* where) override;
    void initRenderState() override;
    void copyScreenToTexture(int textureId, int format, int width, int height) override;
    // glReadPixels of the window's frame as RGBA with a pack alignment of 1.
    // Asserts "OpenGLES error" when GL fails.
    void readScreenPixels(int x, int y, int width, int height, uint8_t* rgba) override;
    // Pixel pack buffers (OpenGL 2.1 or GL_ARB_pixel_buffer_object), made
    // at the first read and resized with the frame.
    bool startPixelRead(int slot, int x, int y, int width, int height) override;
    const uint8_t* mapPixelRead(int slot) override;
    void finishPixelRead(int slot) override;

    void beginRender() override;
    void endRender(uint32_t textureUnitMask) override;
    void bindBuffer(int id, int kind) override;
    void setVertexPointer(int glType, int componentCount, const void* pointer) override;
    void setColorPointer(bool enabled, int componentCount, const void* pointer) override;
    void setNormalPointer(bool enabled, int glType, const void* pointer) override;
    void setTextureCoordPointer(bool enabled, int unit, int glType, int componentCount, const void* pointer) override;
    void drawElements(int glMode, int count, const void* indices) override;
    void loadTextureMatrix(int unit, const slmath::mat4& matrix) override;
    void loadModelViewMatrix(const slmath::mat4& matrix) override;
    void sendColor(const float rgba[4]) override;
    void sendLighting(bool enabled) override;
    void sendMaterial(const ogles::MaterialState& state) override;
    void sendFog(const ogles::FogState& state) override;
    void sendTextureEnvironment(const ogles::TextureEnvState& state) override;
    void sendDepthAndHints(bool depthBuffer, bool antialias, bool dither) override;
    void sendAlphaThreshold(float threshold) override;
    void sendShading(int shadeModel) override;
    void sendCulling(const ogles::CullState& state) override;
    void sendPerspectiveCorrection(bool enabled) override;
    void sendTwoSidedLighting(bool enabled) override;
    void sendWinding(int frontFace) override;
    void sendLineWidth(float width) override;
    void sendBlending(const ogles::BlendFactors& factors) override;
    void sendMasks(float offsetFactor, float offsetUnits, bool colorWrite, bool alphaWrite) override;
    void sendDepth(bool depthWrite, bool depthTest, int depthFunc) override;
    void sendStencil(bool enabled, int func, int ref, uint32_t mask, int failOp, int depthFailOp, int passOp) override;
    void bindTexture(int unit, int textureId) override;
    void sendDepthRange(float nearPlane, float farPlane) override;
    void readDeviceLimits(int* maxViewportWidth, int* maxViewportHeight, int* maxTextureSize,
                          int* textureUnits) override;
    void beginOutline() override;
    void setOutlinePass(bool points) override;
    void endOutline() override;
    void sendScissor(bool enabled, int x, int y, int width, int height) override;
    // Binds the target's OGLES1_Framebuffer, made (or made again, when the
    // texture changed) and kept in the target. False when the driver lacks
    // framebuffer objects or refused this one.
    bool bindTargetFramebuffer(RenderTarget* target) override;
    void unbindTargetFramebuffer() override;

private:
    // Deletes the pixel pack buffers (the context current).
    void releasePackBuffers();
    uint32_t m_packBuffers[3] = {};
    size_t m_packBytes[3] = {};
    int m_packSupport = -1; // -1: not yet asked, 0: none, 1: pixel buffers

    // Makes `unit` the active server and client texture unit.
    static void selectTextureUnit(int unit);

    core::Ref<TextureUploadBuffer> m_upload;
    bool m_contextCreated = false;
};

} // namespace render
