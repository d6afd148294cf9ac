#pragma once
// A torus built in code: the viewer's mesh.

#include "core/Ref.h"
#include "render/scene/Mesh.h"

namespace viewer {

struct TorusShape {
    float majorRadius = 1.0f; // centre of the tube to the centre of the torus
    float minorRadius = 0.4f; // radius of the tube
    int rings = 48; // segments around the torus
    int sides = 24; // segments around the tube
    float repeatsAround = 4.f; // texture repeats around the torus
    float repeatsAcross = 1.f; // texture repeats around the tube
};

// A torus around the z axis, centred on the origin: 16-bit positions and unit
// normals, texture coordinates running around the torus (s) and the tube
// (t), one triangle list wound counter-clockwise seen from outside, no
// appearance. Requires 3 <= rings, sides <= 180, radii > 0 with their sum
// below 4 and repeats in (0, 30] (" shape is valid ").
core::Ref<render::Mesh> createTorus(const TorusShape& shape);

} // namespace viewer
