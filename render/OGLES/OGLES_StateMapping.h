#pragma once
// How appearance settings become fixed-function OpenGL state: pure functions
// from the scene graph's enumerations and colours to GL enumerants and
// values. The OpenGL back end sends what these return; nothing here calls GL.

#include <cstdint>

namespace render {

class Fog;
class Material;
class Texture2D;

namespace ogles {

// glBlendFunc factors.
struct BlendFactors {
    int src;
    int dst;
};

// glMaterial values on GL_FRONT_AND_BACK, and whether GL_COLOR_MATERIAL is on.
struct MaterialState {
    float shininess = 0.f;
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1.f};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.f};
    float emission[4] = {0.f, 0.f, 0.f, 1.f};
    float specular[4] = {0.f, 0.f, 0.f, 1.f};
    bool colorMaterial = false;
};

// GL_FOG and its parameters; mode, density, start and end mean something
// only when enabled (start and end for GL_LINEAR, density for GL_EXP).
struct FogState {
    bool enabled = false;
    int mode = 0;
    float density = 1.f;
    float start = 0.f;
    float end = 1.f;
    float color[4] = {0.f, 0.f, 0.f, 1.f};
};

// GL_TEXTURE_ENV_MODE (0: leave the mode as it is) and GL_TEXTURE_ENV_COLOR.
struct TextureEnvState {
    int mode = 0;
    float color[4] = {1.f, 1.f, 1.f, 1.f};
};

// GL_CULL_FACE and glCullFace.
struct CullState {
    bool enabled;
    int face;
};

// `color` (0xAARRGGBB) as red, green, blue in 0..1 times `scale`; alpha is 1.
void colorToRGB(uint32_t color, float scale, float out[4]);
// The same with alpha from the colour's top byte, times `scale`.
void colorToRGBA(uint32_t color, float scale, float out[4]);

// CompositingMode blending (ALPHA..SCREEN, 64..72) as blend factors.
// Asserts "Graphics3D : handleAppearanceCompositingMode : blending is illegal".
BlendFactors blendFactors(int blending);

// The material's colours (null: GL's defaults). With vertex colour tracking
// the ambient and diffuse colours are left at GL's defaults: the vertex
// colours take their place through GL_COLOR_MATERIAL.
MaterialState materialState(const Material* material);

// The fog's state (null: off). Asserts "Graphics3D : handleAppearanceFog :
// fog mode is illegal" for a mode other than EXPONENTIAL and LINEAR.
FogState fogState(const Fog* fog);

// The texture environment of `texture` (null: GL_MODULATE with a white
// colour). Asserts "handleAppearanceTexture2D : Unknown blending" for an
// unknown texture blending value.
TextureEnvState textureEnvState(const Texture2D* texture);

// PolygonMode culling (CULL_BACK, CULL_FRONT, CULL_NONE). Asserts "Graphics3D :
// handleAppearancePolygonMode : PolygonMode has invalid culling information".
CullState cullState(int culling);
// SHADE_FLAT / SHADE_SMOOTH as GL_FLAT / GL_SMOOTH. Asserts "Graphics3D :
// handleAppearancePolygonMode : PolygonMode has invalid shading information".
int shadeModel(int shading);
// WINDING_CCW / WINDING_CW as GL_CCW / GL_CW. Asserts "Graphics3D :
// handleAppearancePolygonMode : PolygonMode has invalid winding information".
int frontFace(int winding);

// A vertex array's component size (1 or 2 bytes) as GL_BYTE / GL_SHORT.
// Asserts "Graphics3D : VertexArray component type is invalid".
int dataType(int componentSize);

// IndexBuffer primitive types as GL_TRIANGLE_STRIP, GL_TRIANGLES, GL_LINES.
// Asserts "OGLES1_Graphics3D can not draw items because IndexBuffer has unknown data".
int primitiveMode(int primitiveType);

// Whether frames can be copied into a texture of this Image2D format.
bool isCopyableFormat(int format);

} // namespace ogles
} // namespace render
