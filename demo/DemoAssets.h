#pragma once
// Reading the demo's assets from the mounted archive: scenes, pictures and
// the textures and sprites made of them. Callers check the results and fail
// an assertion naming the member each one was meant for.

#include "core/Ref.h"

namespace render {
class Graphics3D;
class Image2D;
class Mesh;
class Sprite3D;
class Texture2D;
class World;
} // namespace render

namespace demo_assets {

// The first object of `fileName` as a world; null when the file holds none
// or its first object is something else. Throws what the loader throws.
core::Ref<render::World> loadWorld(const char* fileName);
// Child `childIndex` of `world` as a mesh; null for a null world, a child
// index past its children (checked first, so that a short scene fails
// naming the member) or a child of another class.
render::Mesh* childMesh(render::World* world, int childIndex);
// The image of a PNG file: its first object, which must be an Image2D
// (asserts "invalid PNG-file").
core::Ref<render::Image2D> loadImage(const char* fileName);
// A texture of `image` from the renderer; null when it makes none.
core::Ref<render::Texture2D> makeTexture(render::Graphics3D& g3d, render::Image2D* image);
// A sprite on `texture` cropped to (x, y, width, height) = crop[0..3].
core::Ref<render::Sprite3D> makeSprite(render::Texture2D* texture, const int crop[4]);

} // namespace demo_assets
