#pragma once
// The viewer's scene: a textured torus lit by a directional light and an
// ambient light, turning in front of a background image, seen by a
// perspective camera. Everything is made in code. The application and the
// renderer benchmark draw it the same way.

#include <cstdint>

#include "core/Object.h"
#include "core/Ref.h"
#include "render/scene/Transform.h"

namespace render {
class Background;
class Camera;
class Graphics3D;
class Light;
class Mesh;
} // namespace render

namespace viewer {

class ViewerScene : public core::Object {
public:
    // Background gradient, top and bottom rows (0xRRGGBB).
    static constexpr uint32_t BACKGROUND_TOP = 0x102048;
    static constexpr uint32_t BACKGROUND_BOTTOM = 0x603878;
    // Background image size: not powers of two, so it is padded on upload.
    static constexpr int BACKGROUND_WIDTH = 320;
    static constexpr int BACKGROUND_HEIGHT = 200;
    // Torus texture colours.
    static constexpr uint32_t CHECKER_A = 0xF0A040;
    static constexpr uint32_t CHECKER_B = 0xF0E0C0;

    // Builds the scene for `g3d`, which must be configured on a display
    // (its textures are made there), and adds the two lights to g3d's
    // light list.
    explicit ViewerScene(render::Graphics3D& g3d);
    ~ViewerScene() noexcept(false) override;

    // Advances the animation by `seconds` (>= 0).
    void advance(float seconds);
    // Draws a frame on g3d's bound target: camera, clear with the
    // background image, the torus. Allocates nothing.
    void draw(render::Graphics3D& g3d);
    // Makes the camera's aspect ratio fit a target of width x height.
    void setAspect(int width, int height);

    render::Mesh* getTorus() const { return m_torus.get(); }
    // The torus's world transform at the current time.
    void getTorusTransform(render::Transform* transform) const;

private:
    core::Ref<render::Mesh> m_torus;
    core::Ref<render::Camera> m_camera;
    render::Transform m_cameraTransform;
    core::Ref<render::Light> m_sun;
    core::Ref<render::Light> m_ambient;
    core::Ref<render::Background> m_background;
    float m_time = 0.f;
};

} // namespace viewer
