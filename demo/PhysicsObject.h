#pragma once
// A moving point with a size: one bubble of the underwater scroller.

#include "slmath/slmath.h"

namespace phys {

struct PhysicsObject {
    slmath::vec3 position;
    slmath::vec3 velocity; // units per second
    float scale = 1.f;
};

} // namespace phys
