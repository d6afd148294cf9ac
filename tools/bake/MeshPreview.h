#pragma once
// A look at a baked mesh without a graphics device: a small software
// renderer (perspective projection, depth buffer, per-vertex lighting of
// the mesh's material by one directional light, vertex colours,
// perspective-correct texturing, back-face culling as the appearance says,
// an alpha test) that reads the engine Mesh exactly as it will be written.

#include <vector>

#include "Canvas.h"
#include "Geometry.h"

namespace render {
class Mesh;
}

namespace bake {

struct PreviewItem {
    render::Mesh* mesh = nullptr;
    const Canvas* texture = nullptr; // for texture unit 0; null: untextured
    float scaleY = 1.f; // -1 mirrors the mesh in y = 0 (a reflection)
    float alphaThreshold = 0.f; // fragments with less alpha are dropped
};

struct PreviewView {
    Vec3 eye{0.f, 0.f, 300.f};
    Vec3 target{0.f, 0.f, 0.f};
    float fovY = 45.f; // degrees
    Color background = rgb(0x101018);
};

// The items drawn in order into a width x height picture (supersampled
// twice in each direction).
Canvas renderPreview(const std::vector<PreviewItem>& items, const PreviewView& view, int width, int height);

} // namespace bake
