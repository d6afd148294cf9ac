#pragma once
// The demo's meshes built in code.

#include "core/Ref.h"
#include "render/Batcher.h"
#include "render/scene/Mesh.h"

// The wire torus: a 60 x 60 grid around a ring of radius 80 with a tube of
// radius 40 whose surface ripples by 10 %, 16-bit positions, one colour
// per vertex (red random from show_random::next(), green and blue striped along the tube
// and the ring, alpha 127), drawn as 10800 lines (21600 indices: three lines
// per grid cell), no appearance. Calls show_random::next() once per vertex.
core::Ref<render::Mesh> createTorus();

// The lattice: a batcher of 507 yellow lines, 13 x 13 in each of the three
// directions, spanning the cube of +-1024 with 2048 / 12 between lines,
// depth-tested, with linear fog from 600 to 1000 units. Requires a
// registered renderer.
core::Ref<render::Batcher> createLattice();
