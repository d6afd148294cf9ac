#pragma once
// The demo's scene files as engine objects: each a World whose children
// sit at the indices the demo reads, every object reachable from the world.

#include "Canvas.h"
#include "Geometry.h"
#include "core/Ref.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Mesh.h"
#include "render/scene/World.h"

namespace bake {

// Positions are stored as 16-bit integers in 1/64 units (the mesh must stay
// within +-511 units), normals as 16-bit, texture coordinates as 16-bit
// in 1/4096 units (0..8), colours as four bytes.
constexpr float POSITION_SCALE = 1.f / 64.f;
constexpr float TEXCOORD_SCALE = 1.f / 4096.f;

// `mesh` as one engine Mesh with one triangle-strip submesh. Requires a
// started engine with a registered renderer.
core::Ref<render::Mesh> toEngineMesh(const MeshData& mesh, render::Appearance* appearance);

// "demoball.m3g": child 0 the textured ball (radius 40), child 1 the
// camera, child 2 a second, coarser ball, child 3 a light.
core::Ref<render::World> makeDemoBallScene();
// "stoneball.m3g": child 0 the backdrop sphere (radius 115, faces and
// normals inward, no culling), child 1 the camera.
core::Ref<render::World> makeStoneBallScene();
// "heelix.m3g": child 0 the camera, child 1 the lit, vertex-coloured helix
// rung (120 x 12 x 12), child 2 a light.
core::Ref<render::World> makeHelixScene();
// "v3d.m3g": child 0 the camera, child 1 the logo letters with `texture`
// embedded as an immutable RGBA image, child 2 a light.
core::Ref<render::World> makeLogoScene(const Canvas& texture);

} // namespace bake
