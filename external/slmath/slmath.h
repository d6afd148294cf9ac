#pragma once
// The engine's math library: vec2, vec3, vec4, mat4 and quat value types with
// finite-checked operations (see each header for the contracts).

#include "slmath/scalar.h"
#include "slmath/vec2.h"
#include "slmath/vec3.h"
#include "slmath/vec4.h"
#include "slmath/mat4.h"
#include "slmath/quat.h"
