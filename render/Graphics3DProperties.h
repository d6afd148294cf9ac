#pragma once
#include <cstdint>

namespace render {

// What the device can do. Graphics3D fills in the defaults when it reads its
// configuration; the back end then reads the limits from the graphics API.
struct Graphics3DProperties {
    bool supportAntialiasing = true;
    bool supportTrueColor = false;
    bool supportDithering = true;
    bool supportMipmapping = true;
    bool supportPerspectiveCorrection = true;
    bool supportLocalCameraLighting = false;
    int32_t maxLights = 8;
    int32_t maxViewportWidth = 0; // GL_MAX_VIEWPORT_DIMS[0]
    int32_t maxViewportHeight = 0; // GL_MAX_VIEWPORT_DIMS[1]
    int32_t maxViewportDimension = 0; // the smaller of the two
    int32_t maxTextureDimension = 256; // GL_MAX_TEXTURE_SIZE
    int32_t maxSpriteCropDimension = 2147483647;
    int32_t maxTransformsPerVertex = 2;
    int32_t numTextureUnits = 1; // GL_MAX_TEXTURE_UNITS
};

} // namespace render
