#include "render/OGLES/OGLES_Graphics3D.h"

#include <algorithm>

#include "HAL/GL.h"
#include "core/Debug.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Camera.h"
#include "render/appearance/CompositingMode.h"
#include "render/geometry/IndexBuffer.h"
#include "render/appearance/PolygonMode.h"
#include "render/RenderTarget.h"
#include "render/appearance/Stencil.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace render {

namespace {

constexpr const char* RENDER_WHERE = "render::OGLES1_Graphics3D::lowLevelRender";
constexpr float WHITE[4] = {1.f, 1.f, 1.f, 1.f};
// Colour the outline pass leaves current (opaque black).
constexpr int32_t OUTLINE_COLOR = static_cast<int32_t>(0xFF000000u);

// Bit of texture unit `unit` in a unit mask.
constexpr uint32_t unitBit(int unit)
{
    return 1u << unit;
}

} // namespace

OGLES_Graphics3D::OGLES_Graphics3D() = default;

OGLES_Graphics3D::~OGLES_Graphics3D() noexcept(false) = default;

void OGLES_Graphics3D::requireNoError(const char* where)
{
    ASSERT_MSG(checkError(where), "OpenGLES error");
}

void OGLES_Graphics3D::setDepthRange(float nearPlane, float farPlane)
{
    storeDepthRange(nearPlane, farPlane);
    sendDepthRange(nearPlane, farPlane);
    requireNoError("render::OGLES1_Graphics3D::setDepthRange");
}

void OGLES_Graphics3D::setActiveShaderProgram(int)
{
    ASSERT_MSG(false, "OGLES 1.x can not use setActiveShaderProgram");
}

int OGLES_Graphics3D::getActiveShaderProgram()
{
    ASSERT_MSG(false, "OGLES 1.x can not use getActiveShaderProgram");
    return 0;
}

void OGLES_Graphics3D::updateProperties()
{
    int width = 0;
    int height = 0;
    int textureSize = 0;
    int units = 0;
    readDeviceLimits(&width, &height, &textureSize, &units);
    // An appearance addresses at most MAX_TEXTURE_UNITS units; more are never used.
    if (units > Appearance::MAX_TEXTURE_UNITS)
        units = Appearance::MAX_TEXTURE_UNITS;
    if (units < 1)
        units = 1;
    setDeviceLimits(width, height, textureSize, units);
    m_textureTransforms.setSize(units);
    requireNoError("render::OGLES1_Graphics3D::updateProperties");
}

void OGLES_Graphics3D::lowLevelRender(VertexBuffer* vertices, IndexBuffer* triangles, Appearance* appearance,
                                      const Transform& transform, int)
{
    ASSERT_MSG(getCamera(), "can not render object because active camera is missing");

    // Per-draw reset.
    beginRender();
    m_modelTransform.setIdentity();
    const uint32_t previousUnits = m_textureUnitMask;
    for (int unit = 0; unit < m_textureTransforms.size(); ++unit)
        if (previousUnits & unitBit(unit))
            m_textureTransforms[unit].setIdentity();
    m_textureUnitMask = 0;
    sendStencil(false, 0, 0, 0, 0, 0, 0);
    requireNoError(RENDER_WHERE);
    handleHints();

    m_modelTransform.postMultiply(transform);
    float scaleBias[4] = {1.f, 0.f, 0.f, 0.f};
    VertexArray* positions = vertices->getPositions(scaleBias);
    const int count = handlePositions(scaleBias + 1, positions, scaleBias[0]);

    if (getRenderFlags() & RENDER_FLAG_OUTLINE)
        drawOutline(triangles);

    const int colors = handleColors(vertices->getColors());
    ASSERT_MSG(colors == 0 || colors == count, "color VertexArray length != position VertexArray length");
    const int normals = handleNormals(vertices->getNormals());
    ASSERT_MSG(normals == 0 || normals == count, "normals VertexArray length != position VertexArray length");

    for (int unit = 0; unit < m_textureTransforms.size(); ++unit) {
        float texScaleBias[4] = {0.f, 0.f, 0.f, 0.f};
        VertexArray* texCoords =
            unit < vertices->getTexCoordCount() ? vertices->getTexCoords(unit, texScaleBias) : nullptr;
        if (texCoords) {
            const int n = handleTextureCoord(texScaleBias + 1, unit, texCoords, texScaleBias[0]);
            ASSERT_MSG(n == 0 || n == count, "texture VertexArray length != position VertexArray length");
        } else if (unit == 0 || (previousUnits & unitBit(unit))) {
            // Units above 0 are only ever switched on by a draw with
            // coordinates; unit 0 also by texture uploads.
            setTextureCoordPointer(false, unit, 0, 0, nullptr);
        }
    }
    requireNoError(RENDER_WHERE);

    m_colorMaterial = false;
    if (m_constantColor != -1) {
        m_constantColor = -1;
        sendColor(WHITE);
    }
    handleAppearance(appearance);
    requireNoError(RENDER_WHERE);

    if (!updateLights()) {
        endRender(m_textureUnitMask);
        ASSERT_MSG(false, "OpenGLES error");
    }
    loadMatrices();
    requireNoError(RENDER_WHERE);

    sendLighting(isLightingEnabled() && getConfig().lighting && getLightCount() > 0);
    handleIndex(triangles);
    endRender(m_textureUnitMask);
    requireNoError(RENDER_WHERE);
}

int OGLES_Graphics3D::handlePositions(const float* bias, VertexArray* positions, float scale)
{
    ASSERT_MSG(positions, "handlePositions : data == 0");
    ASSERT(bias != 0);
    m_modelTransform.postTranslate(bias[0], bias[1], bias[2]);
    m_modelTransform.postScale(scale, scale, scale);
    if (positions->isStatic()) {
        ASSERT_MSG(positions->getComponentType() == 2,
                   "handlePositions : 8-bit positions can not be drawn from a static buffer");
        bindBuffer(positions->getStaticID(), 0);
        setVertexPointer(GL_SHORT, positions->getComponentCount(), nullptr);
        bindBuffer(0, 0);
    } else {
        // GL has no byte vertex pointers: widen once, the values stay.
        if (positions->getComponentType() == 1)
            positions->setComponentType(2);
        const void* data = positions->getPtr();
        ASSERT_MSG(data, "handlePositions : data_ptr == 0");
        setVertexPointer(GL_SHORT, positions->getComponentCount(), data);
    }
    requireNoError("render::OGLES1_Graphics3D::handlePositions");
    return positions->getVertexCount();
}

void OGLES_Graphics3D::disableColors()
{
    setColorPointer(false, 0, nullptr);
    m_constantColor = -1;
}

int OGLES_Graphics3D::handleColors(VertexArray* colors)
{
    // An array of 0 vertices is no array: nothing to read from it.
    if (colors && getConfig().vertexColors && colors->getVertexCount() > 0) {
        ASSERT_MSG(colors->getComponentType() == 1,
                   "OGLES_Graphics3D handleColors failed because component type != 1 (use unsigned char)");
        ASSERT_MSG(colors->getComponentCount() == 3 || colors->getComponentCount() == 4,
                   "OGLES_Graphics3D handleColors failed because color component count != 4 or != 3");
        if (colors->isStatic()) {
            bindBuffer(colors->getStaticID(), 0);
            setColorPointer(true, colors->getComponentCount(), nullptr);
            bindBuffer(0, 0);
        } else {
            const void* data = colors->getPtr();
            ASSERT_MSG(data, "handleColors : dataPtr == 0");
            setColorPointer(true, colors->getComponentCount(), data);
        }
        requireNoError("render::OGLES1_Graphics3D::handleColors");
        return colors->getVertexCount();
    }
    disableColors();
    requireNoError("render::OGLES1_Graphics3D::handleColors");
    return 0;
}

int OGLES_Graphics3D::handleNormals(VertexArray* normals)
{
    if (normals && normals->getVertexCount() > 0) {
        const int size = normals->getComponentType();
        ASSERT_MSG(size == 1 || size == 2, " m_componentSize == 1 || m_componentSize == 2 ");
        if (normals->isStatic()) {
            bindBuffer(normals->getStaticID(), 0);
            setNormalPointer(true, ogles::dataType(size), nullptr);
            bindBuffer(0, 0);
        } else {
            const void* data = normals->getPtr();
            ASSERT_MSG(data, "handleNormals : dataPtr == 0");
            setNormalPointer(true, ogles::dataType(size), data);
        }
        requireNoError("render::OGLES1_Graphics3D::handleNormals");
        return normals->getVertexCount();
    }
    setNormalPointer(false, 0, nullptr);
    requireNoError("render::OGLES1_Graphics3D::handleNormals");
    return 0;
}

int OGLES_Graphics3D::handleTextureCoord(const float* bias, int unit, VertexArray* texCoords, float scale)
{
    ASSERT(bias != 0 || (bias == 0 && scale == 0 && texCoords == 0));
    ASSERT(unit >= 0);
    if (!texCoords || !getConfig().texturing || texCoords->getVertexCount() == 0) {
        setTextureCoordPointer(false, unit, 0, 0, nullptr);
        return 0;
    }
    Transform& texTransform = m_textureTransforms[unit];
    texTransform.postTranslate(bias[0], bias[1], bias[2]);
    texTransform.postScale(scale, scale, scale);
    if (texCoords->isStatic()) {
        ASSERT_MSG(texCoords->getComponentType() == 2,
                   "handleTexture : 8-bit coordinates can not be drawn from a static buffer");
        bindBuffer(texCoords->getStaticID(), 0);
        setTextureCoordPointer(true, unit, GL_SHORT, texCoords->getComponentCount(), nullptr);
        bindBuffer(0, 0);
    } else {
        // GL has no byte texture-coordinate pointers: widen once.
        if (texCoords->getComponentType() == 1)
            texCoords->setComponentType(2);
        const void* data = texCoords->getPtr();
        ASSERT_MSG(data, "handleTexture : dataPtr == 0");
        setTextureCoordPointer(true, unit, GL_SHORT, texCoords->getComponentCount(), data);
    }
    m_textureUnitMask |= unitBit(unit);
    requireNoError("render::OGLES1_Graphics3D::handleTextureCoord");
    return texCoords->getVertexCount();
}

void OGLES_Graphics3D::handleIndex(IndexBuffer* indexBuffer)
{
    ASSERT_MSG(indexBuffer, "handleIndex : data == 0");
    const int mode = ogles::primitiveMode(indexBuffer->getPrimitiveType());
    const int count = indexBuffer->getIndexCount();
    // A buffer with no indices in use (an empty mesh) draws nothing.
    if (count == 0)
        return;
    const bool isStatic = indexBuffer->isStatic();
    const void* indices = nullptr;
    if (isStatic) {
        bindBuffer(indexBuffer->getStaticID(), 1);
    } else {
        indices = indexBuffer->getPtr();
        ASSERT_MSG(indices, "handleIndex : dataPtr == 0");
    }
    drawElements(mode, count, indices);
    Statistics& stats = statistics();
    switch (indexBuffer->getPrimitiveType()) {
    case IndexBuffer::TRIANGLE_STRIP:
        stats.triangles += count >= 3 ? count - 2 : 0;
        break;
    case IndexBuffer::TRIANGLE_LIST:
        stats.triangles += count / 3;
        break;
    default:
        stats.lines += count / 2;
        break;
    }
    if (isStatic)
        bindBuffer(0, 1);
    ++stats.drawCalls;
    requireNoError("render::OGLES1_Graphics3D::handleIndex");
}

void OGLES_Graphics3D::loadMatrices()
{
    for (int unit = 0; unit < m_textureTransforms.size(); ++unit)
        if (m_textureUnitMask & unitBit(unit))
            loadTextureMatrix(unit, m_textureTransforms[unit].getMatrix());
    loadModelViewMatrix(getViewMatrix() * m_modelTransform.getMatrix());
}

void OGLES_Graphics3D::handleHints()
{
    const int hints = getHints();
    sendDepthAndHints(isDepthBufferEnabled(), (hints & HINT_ANTIALIAS) != 0, (hints & HINT_DITHER) != 0);
    if (hints & HINT_OVERWRITE)
        core::Debug::printf(core::DEBUG_LEVEL_RENDER,
                            "You use Object3D %s method and it does not provide functionality.\n",
                            "render::OGLES1_Graphics3D::handleHints");
    if (hints & HINT_TRUE_COLOR)
        core::Debug::printf(core::DEBUG_LEVEL_RENDER,
                            "You use Object3D %s method and it does not provide functionality.\n",
                            "render::OGLES1_Graphics3D::handleHints");
}

void OGLES_Graphics3D::handleAppearance(Appearance* appearance)
{
    if (!appearance) {
        if (!m_defaultAppearance) {
            handleAppearanceMaterial(nullptr);
            handleAppearancePolygonMode(nullptr);
            handleAppearanceCompositingMode(nullptr, PolygonMode::CULL_NONE);
            handleAppearanceFog(nullptr);
            handleAppearanceTexture2D(nullptr, 0);
            m_defaultAppearance = true;
        }
        // Units with coordinates show no texture, whatever was bound last.
        for (int unit = 0; unit < m_textureTransforms.size(); ++unit)
            if (m_textureUnitMask & unitBit(unit))
                bindTexture(unit, 0);
        return;
    }
    m_defaultAppearance = false;
    handleAppearanceMaterial(appearance->getMaterial());
    PolygonMode* polygonMode = appearance->getPolygonMode();
    handleAppearancePolygonMode(polygonMode);
    handleAppearanceCompositingMode(appearance->getCompositingMode(),
                                    polygonMode ? polygonMode->getCulling() : PolygonMode::CULL_NONE);
    handleAppearanceFog(appearance->getFog());
    if (getConfig().texturing) {
        // Units beyond the appearance's textures and the coordinates stay off.
        int units = appearance->getTextureCount();
        for (int unit = units; unit < m_textureTransforms.size(); ++unit)
            if (m_textureUnitMask & unitBit(unit))
                units = unit + 1;
        if (units < 1)
            units = 1;
        if (units > m_textureTransforms.size())
            units = m_textureTransforms.size();
        for (int unit = 0; unit < units; ++unit) {
            Texture2D* texture = appearance->getTexture(unit);
            if (texture && (m_textureUnitMask & unitBit(unit))) {
                Transform composite;
                texture->getCompositeTransform(&composite);
                m_textureTransforms[unit].postMultiply(composite);
                handleAppearanceTexture2D(texture, unit);
            } else {
                handleAppearanceTexture2D(nullptr, unit);
            }
        }
    }
    requireNoError("render::OGLES1_Graphics3D::handleAppearance");
}

void OGLES_Graphics3D::handleAppearanceMaterial(Material* material)
{
    const ogles::MaterialState state = ogles::materialState(material);
    sendMaterial(state);
    if (state.colorMaterial)
        m_colorMaterial = true;
    requireNoError("render::OGLES1_Graphics3D::handleAppearanceMaterial");
}

void OGLES_Graphics3D::handleAppearancePolygonMode(PolygonMode* polygonMode)
{
    if (polygonMode) {
        m_defaultPolygonMode = false;
        sendCulling(ogles::cullState(polygonMode->getCulling()));
        sendShading(ogles::shadeModel(polygonMode->getShading()));
        sendPerspectiveCorrection(polygonMode->isPerspectiveCorrectionEnabled());
        sendTwoSidedLighting(polygonMode->isTwoSidedLightingEnabled());
        if (polygonMode->isLocalCameraLightingEnabled())
            core::Debug::printf(core::DEBUG_LEVEL_RENDER, "LocalCameraLighting does not provide functionality\n");
        sendWinding(ogles::frontFace(polygonMode->getWinding()));
        sendLineWidth(polygonMode->getLineWidth());
    } else if (!m_defaultPolygonMode) {
        // The defaults of a PolygonMode, winding and shading included, so
        // that nothing of the previous object's mode stays in effect.
        m_defaultPolygonMode = true;
        sendCulling(ogles::cullState(PolygonMode::CULL_BACK));
        sendPerspectiveCorrection(false);
        sendTwoSidedLighting(false);
        sendLineWidth(1.f);
        sendWinding(GL_CCW);
        sendShading(GL_SMOOTH);
    }
    requireNoError("render::OGLES1_Graphics3D::handleAppearancePolygonMode");
}

void OGLES_Graphics3D::handleAppearanceCompositingMode(CompositingMode* compositingMode, int culling)
{
    if (compositingMode) {
        m_defaultCompositing = false;
        handleAppearanceCompositingMode_Blending(compositingMode->getBlending(), compositingMode->getBlendColor());
        sendMasks(compositingMode->getDepthOffsetFactor(), compositingMode->getDepthOffsetUnits(),
                  compositingMode->isColorWriteEnabled(), compositingMode->isAlphaWriteEnabled());
        if (isDepthBufferEnabled())
            sendDepth(compositingMode->isDepthWriteEnabled(), compositingMode->isDepthTestEnabled(),
                      compositingMode->getDepthFunction());
        sendAlphaThreshold(compositingMode->getAlphaThreshold());
        if (const Stencil* stencil = compositingMode->getStencil()) {
            // GL 1.x has one stencil state for both faces: use the test of
            // the faces that are drawn (the back faces when the front ones
            // are culled).
            const int face = culling == PolygonMode::CULL_FRONT ? Stencil::BACK : Stencil::FRONT;
            Stencil::funcRefMaskOps test{};
            stencil->getStencil(face, &test);
            sendStencil(true, test.func, test.ref, test.mask, test.stencilFailOp, test.depthFailOp, test.depthPassOp);
        }
    } else if (!m_defaultCompositing) {
        // A CompositingMode's defaults: the masks, and the depth function,
        // which nothing else resets between objects.
        m_defaultCompositing = true;
        sendMasks(0.f, 0.f, true, true);
        if (isDepthBufferEnabled())
            sendDepth(true, true, GL_LEQUAL);
    }
    requireNoError("render::OGLES1_Graphics3D::handleAppearanceCompositingMode");
}

void OGLES_Graphics3D::handleAppearanceCompositingMode_Blending(int blending, uint32_t blendColor)
{
    const ogles::BlendFactors factors = ogles::blendFactors(blending);
    const int32_t color = static_cast<int32_t>(blendColor);
    if (color != m_constantColor) {
        // A blend colour other than opaque white replaces the vertex colours.
        disableColors();
        requireNoError("render::OGLES1_Graphics3D::handleAppearanceCompositingMode_Blending");
        float rgba[4];
        ogles::colorToRGBA(blendColor, 1.f, rgba);
        sendColor(rgba);
        m_constantColor = color;
    }
    sendBlending(factors);
}

void OGLES_Graphics3D::handleAppearanceFog(Fog* fog)
{
    sendFog(ogles::fogState(fog));
    requireNoError("render::OGLES1_Graphics3D::handleAppearanceFog");
}

void OGLES_Graphics3D::handleAppearanceTexture2D(Texture2D* texture, int unit)
{
    if ((getRenderFlags() & RENDER_FLAG_TEXTURES) && texture) {
        const int id = texture->getTextureID();
        ASSERT_MSG(id != 0, "handleAppearanceTexture2D : getGLTexture returns 0");
        bindTexture(unit, id);
        handleAppearanceTexture2D_Blending(texture);
        requireNoError("render::OGLES1_Graphics3D::handleAppearanceTexture2D");
    } else {
        bindTexture(unit, 0);
        handleAppearanceTexture2D_Blending(nullptr);
    }
}

void OGLES_Graphics3D::handleAppearanceTexture2D_Blending(Texture2D* texture)
{
    ogles::TextureEnvState state = ogles::textureEnvState(texture);
    if (texture) {
        m_defaultTextureBlending = false;
    } else {
        if (m_defaultTextureBlending)
            state.mode = 0;
        m_defaultTextureBlending = true;
    }
    sendTextureEnvironment(state);
}

void OGLES_Graphics3D::drawOutline(IndexBuffer* indexBuffer)
{
    beginOutline();
    loadMatrices();
    setOutlinePass(false);
    handleIndex(indexBuffer);
    setOutlinePass(true);
    handleIndex(indexBuffer);
    endOutline();
    // The pass changed culling, winding, line width and the colour: the
    // next object without its own modes sends the defaults again.
    m_constantColor = OUTLINE_COLOR;
    m_defaultAppearance = false;
    m_defaultPolygonMode = false;
    m_defaultCompositing = false;
}

void OGLES_Graphics3D::setScissor(bool enabled, const PixelRect& rect)
{
    if (enabled == m_scissorEnabled && (!enabled || rect == m_scissorRect))
        return;
    m_scissorEnabled = enabled;
    m_scissorRect = enabled ? rect : PixelRect{};
    sendScissor(enabled, rect.x, rect.y, rect.width, rect.height);
}

void OGLES_Graphics3D::lowLevelBindTarget()
{
    if (RenderTarget* target = getRenderTarget()) {
        setScissor(false, PixelRect{});
        m_targetInFramebuffer = bindTargetFramebuffer(target);
        return;
    }
    m_targetInFramebuffer = false;
    if (!hasBars()) {
        setScissor(false, PixelRect{});
        return;
    }
    // The bars are black on every frame whatever the application clears
    // to: the whole client area first, then the frame's own clears are
    // kept to the picture.
    setScissor(false, PixelRect{});
    lowLevelClear(0.f, 0.f, 0.f, 1.f, false, true);
    setScissor(true, getScreenViewport());
}

void OGLES_Graphics3D::lowLevelReleaseTarget()
{
    RenderTarget* target = getRenderTarget();
    if (!target || !target->getTexture())
        return;
    Texture2D* texture = target->getTexture();
    if (m_targetInFramebuffer) {
        m_targetInFramebuffer = false;
        unbindTargetFramebuffer();
        requireNoError("render::OGLES1_Graphics3D::lowLevelReleaseTarget");
    } else {
        // Drawn into the window: copy only what the window holds, never
        // more than the viewport or the texture.
        const int width = std::min({getViewportWidth(), texture->getWidth(), getDisplayWidth()});
        const int height = std::min({getViewportHeight(), texture->getHeight(), getDisplayHeight()});
        if (width > 0 && height > 0)
            copyScreenToTexture(texture->getTextureID(), texture->getFormat(), width, height);
        ASSERT_MSG(checkError("render::OGLES1_Graphics3D::lowLevelReleaseTarget"),
                   "OpenGLES error. glCopyTexImage2D or glCopyTexSubImage2D failed. The platform can not copy a "
                   "screen to your texture");
    }
    // Only level 0 receives the frame: sample it alone (setFiltering
    // applies the filters to the built texture). The image filter stays the
    // owner's: a frame shown scaled (a fitted picture) wants it linear.
    texture->setFiltering(Texture2D::FILTER_BASE_LEVEL, texture->getImageFilter());
}

} // namespace render
