// OGLES1_Graphics3D: the per-draw GL operations (arrays, matrices, drawing,
// material, fog, texture environment, blending, depth, stencil, polygon
// state, the outline pass). What to send is decided by OGLES_Graphics3D.

#include "HAL/GL.h"
#include "render/OGLES/OGLES1_Graphics3D.h"

namespace render {

namespace {

void enable(GLenum capability, bool on)
{
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

} // namespace

void OGLES1_Graphics3D::beginRender()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glAlphaFunc(GL_GEQUAL, 0.f);
    glEnable(GL_ALPHA_TEST);
}

void OGLES1_Graphics3D::endRender(uint32_t textureUnitMask)
{
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    // Coordinates and texturing off on every unit the draw used, not only
    // on the active one.
    if (textureUnitMask != 0) {
        for (int unit = 0; unit < 32; ++unit) {
            if (!(textureUnitMask & (1u << unit)))
                continue;
            selectTextureUnit(unit);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            glDisable(GL_TEXTURE_2D);
        }
        selectTextureUnit(0);
    }
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
}

void OGLES1_Graphics3D::bindBuffer(int id, int kind)
{
    const GLenum target = kind == 0 ? GL_ARRAY_BUFFER : GL_ELEMENT_ARRAY_BUFFER;
    ASSERT(kind == 0 || kind == 1);
    ASSERT_MSG(HAL::gl::glBindBuffer, "bindBuffer : buffer objects are not available");
    HAL::gl::glBindBuffer(target, static_cast<GLuint>(id));
}

void OGLES1_Graphics3D::setVertexPointer(int glType, int componentCount, const void* pointer)
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(componentCount, static_cast<GLenum>(glType), 0, pointer);
}

void OGLES1_Graphics3D::setColorPointer(bool enabled, int componentCount, const void* pointer)
{
    if (enabled) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(componentCount, GL_UNSIGNED_BYTE, 0, pointer);
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4f(1.f, 1.f, 1.f, 1.f);
    }
}

void OGLES1_Graphics3D::setNormalPointer(bool enabled, int glType, const void* pointer)
{
    if (enabled) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(static_cast<GLenum>(glType), 0, pointer);
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
        glNormal3f(0.f, 0.f, 1.f);
    }
}

void OGLES1_Graphics3D::setTextureCoordPointer(bool enabled, int unit, int glType, int componentCount,
                                               const void* pointer)
{
    selectTextureUnit(unit);
    if (enabled) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
        glTexCoordPointer(componentCount, static_cast<GLenum>(glType), 0, pointer);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisable(GL_TEXTURE_2D);
    }
}

void OGLES1_Graphics3D::drawElements(int glMode, int count, const void* indices)
{
    glDrawElements(static_cast<GLenum>(glMode), count, GL_UNSIGNED_SHORT, indices);
}

void OGLES1_Graphics3D::loadTextureMatrix(int unit, const slmath::mat4& matrix)
{
    selectTextureUnit(unit);
    glMatrixMode(GL_TEXTURE);
    float columns[16];
    matrix.toColumnMajor(columns);
    glLoadMatrixf(columns);
    glMatrixMode(GL_MODELVIEW);
}

void OGLES1_Graphics3D::loadModelViewMatrix(const slmath::mat4& matrix)
{
    glMatrixMode(GL_MODELVIEW);
    float columns[16];
    matrix.toColumnMajor(columns);
    glLoadMatrixf(columns);
}

void OGLES1_Graphics3D::sendColor(const float rgba[4])
{
    glColor4f(rgba[0], rgba[1], rgba[2], rgba[3]);
}

void OGLES1_Graphics3D::sendLighting(bool enabled)
{
    enable(GL_LIGHTING, enabled);
}

void OGLES1_Graphics3D::sendMaterial(const ogles::MaterialState& state)
{
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, state.shininess);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, state.ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, state.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, state.emission);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, state.specular);
    if (state.colorMaterial) {
        glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
    }
}

void OGLES1_Graphics3D::sendFog(const ogles::FogState& state)
{
    if (!state.enabled) {
        glDisable(GL_FOG);
        return;
    }
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, state.mode);
    if (state.mode == GL_LINEAR) {
        glFogf(GL_FOG_START, state.start);
        glFogf(GL_FOG_END, state.end);
    } else {
        glFogf(GL_FOG_DENSITY, state.density);
    }
    glFogfv(GL_FOG_COLOR, state.color);
}

void OGLES1_Graphics3D::sendTextureEnvironment(const ogles::TextureEnvState& state)
{
    if (state.mode != 0)
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, state.mode);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, state.color);
}

void OGLES1_Graphics3D::sendDepthAndHints(bool depthBuffer, bool antialias, bool dither)
{
    enable(GL_DEPTH_TEST, depthBuffer);
    glDepthMask(depthBuffer ? GL_TRUE : GL_FALSE);
    enable(GL_BLEND, antialias);
    enable(GL_LINE_SMOOTH, antialias);
    if (antialias)
        glHint(GL_LINE_SMOOTH_HINT, GL_DONT_CARE);
    enable(GL_DITHER, dither);
}

void OGLES1_Graphics3D::sendAlphaThreshold(float threshold)
{
    glAlphaFunc(GL_GEQUAL, threshold);
}

void OGLES1_Graphics3D::sendShading(int shadeModel)
{
    glShadeModel(static_cast<GLenum>(shadeModel));
}

void OGLES1_Graphics3D::sendCulling(const ogles::CullState& state)
{
    enable(GL_CULL_FACE, state.enabled);
    if (state.enabled)
        glCullFace(static_cast<GLenum>(state.face));
}

void OGLES1_Graphics3D::sendPerspectiveCorrection(bool enabled)
{
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, enabled ? GL_NICEST : GL_FASTEST);
}

void OGLES1_Graphics3D::sendTwoSidedLighting(bool enabled)
{
    glLightModelf(GL_LIGHT_MODEL_TWO_SIDE, enabled ? 1.f : 0.f);
}

void OGLES1_Graphics3D::sendWinding(int frontFace)
{
    glFrontFace(static_cast<GLenum>(frontFace));
}

void OGLES1_Graphics3D::sendLineWidth(float width)
{
    glLineWidth(width);
}

void OGLES1_Graphics3D::sendBlending(const ogles::BlendFactors& factors)
{
    glEnable(GL_BLEND);
    glBlendFunc(static_cast<GLenum>(factors.src), static_cast<GLenum>(factors.dst));
}

void OGLES1_Graphics3D::sendMasks(float offsetFactor, float offsetUnits, bool colorWrite, bool alphaWrite)
{
    const GLboolean color = colorWrite ? GL_TRUE : GL_FALSE;
    glColorMask(color, color, color, alphaWrite ? GL_TRUE : GL_FALSE);
    // An offset in units alone (or by slope alone) is an offset too.
    if (offsetFactor == 0.f && offsetUnits == 0.f) {
        glDisable(GL_POLYGON_OFFSET_FILL);
    } else {
        glEnable(GL_POLYGON_OFFSET_FILL);
        glPolygonOffset(offsetFactor, offsetUnits);
    }
}

void OGLES1_Graphics3D::sendDepth(bool depthWrite, bool depthTest, int depthFunc)
{
    glDepthFunc(static_cast<GLenum>(depthFunc));
    glDepthMask(depthWrite ? GL_TRUE : GL_FALSE);
    enable(GL_DEPTH_TEST, depthTest);
}

void OGLES1_Graphics3D::sendStencil(bool enabled, int func, int ref, uint32_t mask, int failOp, int depthFailOp,
                                    int passOp)
{
    if (!enabled) {
        glDisable(GL_STENCIL_TEST);
        return;
    }
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(static_cast<GLenum>(func), ref, mask);
    glStencilOp(static_cast<GLenum>(failOp), static_cast<GLenum>(depthFailOp), static_cast<GLenum>(passOp));
}

void OGLES1_Graphics3D::bindTexture(int unit, int textureId)
{
    selectTextureUnit(unit);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textureId));
}

void OGLES1_Graphics3D::sendDepthRange(float nearPlane, float farPlane)
{
    glDepthRange(nearPlane, farPlane);
}

void OGLES1_Graphics3D::beginOutline()
{
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glDisable(GL_LIGHTING);
    // No texture from an earlier draw on the outline.
    selectTextureUnit(0);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glEnable(GL_POLYGON_OFFSET_POINT);
    glPolygonOffset(10.f, 1.f);
    glColor4f(0.f, 0.f, 0.f, 1.f);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glLineWidth(6.f);
}

void OGLES1_Graphics3D::setOutlinePass(bool points)
{
    if (points) {
        glPolygonMode(GL_BACK, GL_POINT);
        glPointSize(5.f);
    } else {
        glPolygonMode(GL_BACK, GL_LINE);
    }
}

void OGLES1_Graphics3D::endOutline()
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glFrontFace(GL_CW);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glPolygonOffset(0.f, 0.f);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glDisable(GL_POLYGON_OFFSET_POINT);
    glDisable(GL_POINT_SMOOTH);
}

} // namespace render
