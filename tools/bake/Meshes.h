#pragma once
// The demo's mesh shapes as plain geometry.

#include "Geometry.h"

namespace bake {

// A UV sphere around the origin: `slices` around the y axis, `stacks` from
// pole to pole, texture coordinates repeating uRepeat times around and
// vRepeat times from pole to pole. With inward = true the normals and the
// front faces point to the centre (a backdrop seen from inside). One strip
// per stack.
MeshData sphere(float radius, int slices, int stacks, float uRepeat, float vRepeat, bool inward);

// One rung of the helix: a rounded bar along x, `length` long overall and
// `thickness` across, with vertex colours: a warm half, a light band in the
// middle and a cool half.
MeshData helixBar(float length, float thickness);

// The engine's logo: the letters "V3D" extruded `depth` deep, scaled to
// `width` overall, standing on y = 0, centred on x = 0 and z = 0, with
// texture coordinates spanning the letters' bounds.
MeshData logoLetters(float width, float depth);

} // namespace bake
