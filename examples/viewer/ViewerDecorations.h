#pragma once
// What the viewer draws over its scene through the renderer's batches: six
// glowing dots circling in the torus's hole (camera-facing sprites, added
// light, hidden behind the torus by the depth test) and a line of text at
// the screen's top left in the built-in font.

#include "core/Object.h"
#include "core/Ref.h"

namespace render {
class Appearance;
class Camera;
class Graphics3D;
class Sprite3D;
class Text3D;
class Texture2D;
} // namespace render

namespace viewer {

class ViewerDecorations : public core::Object {
public:
    static constexpr int DOT_COUNT = 6;

    // Builds the sprites and the text for `g3d`, which must be configured
    // on a display (the dot texture and the font are made there).
    explicit ViewerDecorations(render::Graphics3D& g3d);
    ~ViewerDecorations() noexcept(false) override;

    // Advances the dots by `seconds` (>= 0).
    void advance(float seconds);
    // Adds the dots under the active camera (the scene's) and the text
    // under a screen camera; the scene's camera is active again afterwards.
    // Allocates nothing.
    void draw(render::Graphics3D& g3d);
    // Fits the screen camera to a target of width x height.
    void setSize(int width, int height);

private:
    core::Ref<render::Texture2D> m_dotTexture;
    core::Ref<render::Appearance> m_dotAppearance;
    core::Ref<render::Sprite3D> m_dots[DOT_COUNT];
    core::Ref<render::Text3D> m_title;
    core::Ref<render::Camera> m_screenCamera;
    int m_height = 0;
    float m_time = 0.f;
};

} // namespace viewer
