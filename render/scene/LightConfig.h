#pragma once
// LightConfig: what the renderer sends to one GL light, built from a Light
// and its world transform when the light is added to the renderer. Plain
// data: the back end reads it in sendLightData.

#include <cstdint>

#include "slmath/slmath.h"

namespace render {

struct LightConfig {
    slmath::mat4 transform; // world transform of the light when it was set
    slmath::vec4 position; // (0,0,1,0) directional, (0,0,0,1) omni and spot, 0 ambient
    slmath::vec4 diffuse; // light colour for directional, omni and spot
    slmath::vec4 specular; // light colour for omni
    slmath::vec4 ambient; // light colour for ambient
    slmath::vec4 spotDirection; // (0,0,-1,0)
    float constantAttenuation = 0.f;
    float linearAttenuation = 0.f;
    float quadraticAttenuation = 0.f;
    float spotCutoff = 0.f; // the spot angle for spot lights, 180 otherwise
    float spotExponent = 0.f;
    int32_t index = -1; // GL light 0..7; -1 while the slot is free
    int32_t mode = 0; // Light mode, 128..131
    bool dirty = false; // must be sent before the next draw
    bool valid = false; // describes an enabled light
};

} // namespace render
