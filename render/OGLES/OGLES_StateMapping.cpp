#include "render/OGLES/OGLES_StateMapping.h"

#include "HAL/GL.h"
#include "core/Assert.h"
#include "render/appearance/CompositingMode.h"
#include "render/appearance/Fog.h"
#include "render/appearance/Image2D.h"
#include "render/geometry/IndexBuffer.h"
#include "render/appearance/Material.h"
#include "render/appearance/PolygonMode.h"
#include "render/appearance/Texture2D.h"

namespace render::ogles {

namespace {

constexpr float BYTE_TO_UNIT = 0.003921569f; // 1 / 255

} // namespace

void colorToRGB(uint32_t color, float scale, float out[4])
{
    out[0] = static_cast<float>((color >> 16) & 0xFF) * BYTE_TO_UNIT * scale;
    out[1] = static_cast<float>((color >> 8) & 0xFF) * BYTE_TO_UNIT * scale;
    out[2] = static_cast<float>(color & 0xFF) * BYTE_TO_UNIT * scale;
    out[3] = 1.f;
}

void colorToRGBA(uint32_t color, float scale, float out[4])
{
    colorToRGB(color, scale, out);
    out[3] = static_cast<float>((color >> 24) & 0xFF) * BYTE_TO_UNIT * scale;
}

BlendFactors blendFactors(int blending)
{
    switch (blending) {
    case CompositingMode::ALPHA:
        return {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA};
    case CompositingMode::ALPHA_ADD:
        return {GL_SRC_ALPHA, GL_ONE};
    case CompositingMode::MODULATE:
        return {GL_DST_COLOR, GL_ZERO};
    case CompositingMode::MODULATE_X2:
        return {GL_DST_COLOR, GL_SRC_COLOR};
    case CompositingMode::REPLACE:
        return {GL_ONE, GL_ZERO};
    case CompositingMode::ADDITIVE:
        return {GL_ONE, GL_ONE};
    case CompositingMode::ALPHA_DARKEN:
        return {GL_ZERO, GL_ONE_MINUS_SRC_ALPHA};
    case CompositingMode::PREMULTIPLIED_ALPHA:
        return {GL_ONE, GL_ONE_MINUS_SRC_ALPHA};
    case CompositingMode::SCREEN:
        return {GL_ONE, GL_ONE_MINUS_SRC_COLOR};
    default:
        break;
    }
    ASSERT_MSG(false, "Graphics3D : handleAppearanceCompositingMode : blending is illegal");
    return {GL_ONE, GL_ZERO};
}

MaterialState materialState(const Material* material)
{
    MaterialState state;
    if (!material)
        return state;
    state.shininess = material->getShininess();
    if (material->isVertexColorTrackingEnabled()) {
        state.colorMaterial = true;
    } else {
        colorToRGB(material->getColor(Material::AMBIENT), 1.f, state.ambient);
        colorToRGBA(material->getColor(Material::DIFFUSE), 1.f, state.diffuse);
    }
    colorToRGB(material->getColor(Material::EMISSIVE), 1.f, state.emission);
    colorToRGB(material->getColor(Material::SPECULAR), 1.f, state.specular);
    return state;
}

FogState fogState(const Fog* fog)
{
    FogState state;
    if (!fog)
        return state;
    state.enabled = true;
    switch (fog->getMode()) {
    case Fog::EXPONENTIAL:
        state.mode = GL_EXP;
        state.density = fog->getDensity();
        break;
    case Fog::LINEAR:
        state.mode = GL_LINEAR;
        state.start = fog->getNearDistance();
        state.end = fog->getFarDistance();
        break;
    default:
        ASSERT_MSG(false, "Graphics3D : handleAppearanceFog : fog mode is illegal");
    }
    colorToRGB(fog->getColor(), 1.f, state.color);
    return state;
}

TextureEnvState textureEnvState(const Texture2D* texture)
{
    TextureEnvState state;
    if (!texture) {
        state.mode = GL_MODULATE;
        return state;
    }
    switch (texture->getBlending()) {
    case Texture2D::FUNC_ADD:
        state.mode = GL_ADD;
        break;
    case Texture2D::FUNC_BLEND:
        state.mode = GL_BLEND;
        colorToRGB(texture->getBlendColor(), 1.f, state.color);
        break;
    case Texture2D::FUNC_DECAL:
        state.mode = GL_DECAL;
        break;
    case Texture2D::FUNC_MODULATE:
        state.mode = GL_MODULATE;
        break;
    case Texture2D::FUNC_REPLACE:
        state.mode = GL_REPLACE;
        break;
    case Texture2D::FUNC_KEEP:
        state.mode = 0;
        break;
    default:
        ASSERT_MSG(false, "handleAppearanceTexture2D : Unknown blending");
    }
    return state;
}

CullState cullState(int culling)
{
    switch (culling) {
    case PolygonMode::CULL_BACK:
        return {true, GL_BACK};
    case PolygonMode::CULL_FRONT:
        return {true, GL_FRONT};
    case PolygonMode::CULL_NONE:
        return {false, GL_BACK};
    default:
        break;
    }
    ASSERT_MSG(false, "Graphics3D : handleAppearancePolygonMode : PolygonMode has invalid culling information");
    return {false, GL_BACK};
}

int shadeModel(int shading)
{
    switch (shading) {
    case PolygonMode::SHADE_FLAT:
        return GL_FLAT;
    case PolygonMode::SHADE_SMOOTH:
        return GL_SMOOTH;
    default:
        break;
    }
    ASSERT_MSG(false, "Graphics3D : handleAppearancePolygonMode : PolygonMode has invalid shading information");
    return GL_SMOOTH;
}

int frontFace(int winding)
{
    switch (winding) {
    case PolygonMode::WINDING_CCW:
        return GL_CCW;
    case PolygonMode::WINDING_CW:
        return GL_CW;
    default:
        break;
    }
    ASSERT_MSG(false, "Graphics3D : handleAppearancePolygonMode : PolygonMode has invalid winding information");
    return GL_CCW;
}

int dataType(int componentSize)
{
    switch (componentSize) {
    case 1:
        return GL_BYTE;
    case 2:
        return GL_SHORT;
    default:
        break;
    }
    ASSERT_MSG(false, "Graphics3D : VertexArray component type is invalid");
    return GL_SHORT;
}

int primitiveMode(int primitiveType)
{
    switch (primitiveType) {
    case IndexBuffer::TRIANGLE_STRIP:
        return GL_TRIANGLE_STRIP;
    case IndexBuffer::TRIANGLE_LIST:
        return GL_TRIANGLES;
    case IndexBuffer::LINE_LIST:
        return GL_LINES;
    default:
        break;
    }
    ASSERT_MSG(false, "OGLES1_Graphics3D can not draw items because IndexBuffer has unknown data");
    return GL_TRIANGLES;
}

bool isCopyableFormat(int format)
{
    return Image2D::isValidFormat(format);
}

} // namespace render::ogles
