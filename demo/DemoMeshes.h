#pragma once
// The demo's meshes built in code.

#include "core/Ref.h"
#include "render/Mesh.h"

// The wire torus: a 60 x 60 grid around a ring of radius 80 with a tube of
// radius 40 whose surface ripples by 10 %, 16-bit positions, one colour
// per vertex (red random from rand(), green and blue striped along the tube
// and the ring, alpha 127), drawn as 10800 lines (21600 indices: three lines
// per grid cell), no appearance. Calls rand() once per vertex.
core::Ref<render::Mesh> createTorus();
