#pragma once
// OGLES_Graphics3D: what an OpenGL ES 1-style back end does apart from the
// GL calls themselves. It feeds a submesh's vertex arrays (with their scale
// and bias) and its appearance to a set of fine-grained GL operations,
// declared here as pure virtual functions, and keeps the per-draw caches
// that let a run of objects without a component skip re-sending the default
// state. OGLES1_Graphics3D implements the operations with OpenGL 1.x calls;
// the unit tests implement them with a recorder.
//
// One draw (lowLevelRender): beginRender, hints, positions (and the outline
// pass when asked for), colours, normals, texture coordinates per unit,
// appearance (material, polygon mode, compositing mode, fog, textures),
// lights, matrices, the lighting switch, the indices, endRender.

#include <cstdint>

#include "core/Vector.h"
#include "render/Graphics3D.h"
#include "render/OGLES/OGLES_StateMapping.h"
#include "render/scene/Transform.h"

namespace render {

class CompositingMode;
class Fog;
class Material;
class PolygonMode;
class RenderTarget;
class VertexArray;

class OGLES_Graphics3D : public Graphics3D {
public:
    ~OGLES_Graphics3D() noexcept(false) override;

    // Validates and stores the range, then sends it. Asserts
    // "setDepthRange : near_range has invalid data" / "setDepthRange :
    // far_range has invalid data" (nothing changes then) and "OpenGLES
    // error" when the graphics API fails.
    void setDepthRange(float nearPlane, float farPlane) override;
    // Always assert "OGLES 1.x can not use setActiveShaderProgram" /
    // "OGLES 1.x can not use getActiveShaderProgram".
    void setActiveShaderProgram(int program) override;
    int getActiveShaderProgram() override;

    // The per-draw state of the last draw, for inspection.
    // Texture units that received coordinates (bit i: unit i).
    uint32_t getTextureUnitMask() const { return m_textureUnitMask; }
    // Object-to-world matrix including the position scale and bias.
    const Transform& getModelTransform() const { return m_modelTransform; }
    // Texture matrix of `unit`: bias, scale and the texture's own transform.
    // Requires 0 <= unit < getProperties().numTextureUnits.
    const Transform& getTextureTransform(int unit) const { return m_textureTransforms[unit]; }
    // The constant colour in GL (0xAARRGGBB); -1 when it is opaque white.
    int32_t getConstantColor() const { return m_constantColor; }
    // Whether the bound render target is drawn through its framebuffer
    // object (false: into the window, copied at releaseTarget).
    bool isTargetInFramebuffer() const { return m_targetInFramebuffer; }
    // The scissor test as last sent: clears and draws kept to the screen
    // viewport while the picture has bars.
    bool isScissorEnabled() const { return m_scissorEnabled; }
    const PixelRect& getScissorRect() const { return m_scissorRect; }

protected:
    OGLES_Graphics3D();

    // ---- Graphics3D slots with the shared logic. ----

    // Draws one submesh (see the class comment). Asserts "can not render
    // object because active camera is missing", "color VertexArray length
    // != position VertexArray length" (and the same for normals and texture
    // coordinates), and "OpenGLES error" when the graphics API fails.
    void lowLevelRender(VertexBuffer* vertices, IndexBuffer* triangles, Appearance* appearance,
                        const Transform& transform, int scope) override;
    // A render target is drawn through its framebuffer object when the
    // back end can (bindTargetFramebuffer), with the scissor test off. On
    // the display with bars, the whole client area is cleared to opaque
    // black and the scissor test then keeps the frame's clears and draws
    // to the screen viewport; without bars the scissor test is off.
    void lowLevelBindTarget() override;
    // With a render target: ends drawing into its framebuffer object, or,
    // without one, copies what the window holds of the viewport (the lower
    // left min(viewport, texture, window) pixels) into the texture; then
    // sets it to base-level nearest filtering (only level 0 receives the
    // frame). Asserts "OpenGLES error. glCopyTexImage2D or
    // glCopyTexSubImage2D failed. The platform can not copy a screen to your
    // texture" when the copy fails, "OpenGLES error" otherwise.
    void lowLevelReleaseTarget() override;
    // Reads the limits (readDeviceLimits), stores them and sizes the
    // texture-transform list to the number of texture units.
    void updateProperties() override;

    // ---- GL operations, implemented by the concrete back end. ----

    // Model-view identity, alpha test on with GL_GEQUAL 0.
    virtual void beginRender() = 0;
    // Disables the client arrays (texture coordinates on every unit in
    // `textureUnitMask`), colour material, blending and the alpha test;
    // enables the depth test and depth writes.
    virtual void endRender(uint32_t textureUnitMask) = 0;
    // kind 0: GL_ARRAY_BUFFER, 1: GL_ELEMENT_ARRAY_BUFFER; id 0 unbinds.
    virtual void bindBuffer(int id, int kind) = 0;
    // Enables the vertex array of `componentCount` components of `glType`
    // (GL_SHORT). For every pointer operation a null pointer addresses
    // offset 0 of the bound buffer.
    virtual void setVertexPointer(int glType, int componentCount, const void* pointer) = 0;
    // true: unsigned-byte colour array; false: array off and colour white.
    virtual void setColorPointer(bool enabled, int componentCount, const void* pointer) = 0;
    // true: normal array; false: array off and the constant normal (0, 0, 1).
    virtual void setNormalPointer(bool enabled, int glType, const void* pointer) = 0;
    // On `unit`: true: coordinate array and GL_TEXTURE_2D on; false: both off.
    virtual void setTextureCoordPointer(bool enabled, int unit, int glType, int componentCount,
                                        const void* pointer) = 0;
    // glDrawElements with unsigned-short indices (null: the bound buffer).
    virtual void drawElements(int glMode, int count, const void* indices) = 0;
    // Loads `matrix` (engine layout: rows, column vectors) as the texture
    // matrix of `unit` / as the model-view matrix.
    virtual void loadTextureMatrix(int unit, const slmath::mat4& matrix) = 0;
    virtual void loadModelViewMatrix(const slmath::mat4& matrix) = 0;
    // The current colour (glColor4f).
    virtual void sendColor(const float rgba[4]) = 0;
    // GL_LIGHTING on or off.
    virtual void sendLighting(bool enabled) = 0;
    virtual void sendMaterial(const ogles::MaterialState& state) = 0;
    virtual void sendFog(const ogles::FogState& state) = 0;
    // The texture environment of the active unit.
    virtual void sendTextureEnvironment(const ogles::TextureEnvState& state) = 0;
    // Depth test and writes by the depth-buffer switch; line smoothing and
    // blending by antialiasing; dithering.
    virtual void sendDepthAndHints(bool depthBuffer, bool antialias, bool dither) = 0;
    // glAlphaFunc(GL_GEQUAL, threshold).
    virtual void sendAlphaThreshold(float threshold) = 0;
    virtual void sendShading(int shadeModel) = 0;
    virtual void sendCulling(const ogles::CullState& state) = 0;
    virtual void sendPerspectiveCorrection(bool enabled) = 0;
    virtual void sendTwoSidedLighting(bool enabled) = 0;
    virtual void sendWinding(int frontFace) = 0;
    virtual void sendLineWidth(float width) = 0;
    // GL_BLEND on with these factors.
    virtual void sendBlending(const ogles::BlendFactors& factors) = 0;
    // Colour and alpha write masks; polygon offset (off when either value is 0).
    virtual void sendMasks(float offsetFactor, float offsetUnits, bool colorWrite, bool alphaWrite) = 0;
    // glDepthFunc, glDepthMask and GL_DEPTH_TEST.
    virtual void sendDepth(bool depthWrite, bool depthTest, int depthFunc) = 0;
    // GL_STENCIL_TEST with its function and operations (GL codes).
    virtual void sendStencil(bool enabled, int func, int ref, uint32_t mask, int failOp, int depthFailOp,
                             int passOp) = 0;
    // Selects `unit` and binds texture `textureId` there (0: none).
    virtual void bindTexture(int unit, int textureId) = 0;
    virtual void sendDepthRange(float nearPlane, float farPlane) = 0;
    // The device limits: viewport size, texture size, texture units.
    virtual void readDeviceLimits(int* maxViewportWidth, int* maxViewportHeight, int* maxTextureSize,
                                  int* textureUnits) = 0;
    // The outline pass: state for black back-face lines behind the object,
    // the polygon mode of one pass (lines, then points), and the state after it.
    virtual void beginOutline() = 0;
    virtual void setOutlinePass(bool points) = 0;
    virtual void endOutline() = 0;
    // GL_SCISSOR_TEST on with the box (x, y, width, height), or off.
    virtual void sendScissor(bool enabled, int x, int y, int width, int height) = 0;
    // Makes `target`'s texture the colour buffer of a framebuffer object
    // with a depth buffer of its size, made on the target's first frame and
    // kept with it. False, with nothing bound, when framebuffer objects are
    // missing or cannot draw into the texture: the frame goes to the window.
    virtual bool bindTargetFramebuffer(RenderTarget* target) = 0;
    // Draws into the window again.
    virtual void unbindTargetFramebuffer() = 0;

    // ---- The shared logic, one step of a draw each. ----

    // Positions with their bias and scale, folded into the model transform;
    // 8-bit positions are widened to 16 bits once (GL has no byte vertex
    // pointers). Returns the vertex count. Asserts "handlePositions : data
    // == 0" without an array.
    int handlePositions(const float* bias, VertexArray* positions, float scale);
    // Returns the vertex count, or 0 when there are no colours to use.
    int handleColors(VertexArray* colors);
    // Returns the vertex count, or 0 without normals.
    int handleNormals(VertexArray* normals);
    // Coordinates of `unit` with their bias and scale, folded into the
    // unit's texture transform; 8-bit coordinates are widened to 16 bits
    // once. Returns the vertex count, or 0 when the unit has none.
    int handleTextureCoord(const float* bias, int unit, VertexArray* texCoords, float scale);
    // Draws the indices and counts them. Asserts "handleIndex : data == 0".
    void handleIndex(IndexBuffer* indexBuffer);
    void loadMatrices();
    void handleHints();
    void handleAppearance(Appearance* appearance);
    void handleAppearanceMaterial(Material* material);
    void handleAppearancePolygonMode(PolygonMode* polygonMode);
    void handleAppearanceCompositingMode(CompositingMode* compositingMode, int culling);
    void handleAppearanceCompositingMode_Blending(int blending, uint32_t blendColor);
    void handleAppearanceFog(Fog* fog);
    void handleAppearanceTexture2D(Texture2D* texture, int unit);
    void handleAppearanceTexture2D_Blending(Texture2D* texture);
    void drawOutline(IndexBuffer* indexBuffer);

    // Asserts "OpenGLES error" when checkError(where) fails.
    void requireNoError(const char* where);

private:
    // Colour array off, current colour white (the constant colour cache is reset).
    void disableColors();
    // Sends the scissor state when it differs from the one in GL.
    void setScissor(bool enabled, const PixelRect& rect);

    // State caches: the GL is assumed to hold the default state while a flag is set.
    int32_t m_constantColor = -1;
    bool m_defaultPolygonMode = true;
    bool m_defaultAppearance = true;
    bool m_defaultTextureBlending = true;
    bool m_defaultCompositing = true;
    bool m_colorMaterial = false;
    Transform m_modelTransform;
    core::Vector<Transform> m_textureTransforms;
    uint32_t m_textureUnitMask = 0;
    // GL starts with the scissor test off.
    bool m_scissorEnabled = false;
    PixelRect m_scissorRect;
    bool m_targetInFramebuffer = false;
};

} // namespace render
