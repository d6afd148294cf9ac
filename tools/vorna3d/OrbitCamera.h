#pragma once
// The free camera of `vorna3d play`: a perspective view that circles a
// centre point. It is the centre, the distance to it, and two angles: yaw
// about the world's y axis (0 looks along -z) and pitch (positive looks
// down from above), kept within +-89 degrees so that up stays up. Mouse
// drags orbit and pan in fractions of the window, the wheel zooms by a
// factor per notch. frame() aims at a box so that all of it is in view and
// remembers that view as the start view that reset() returns to.
// Plain maths: apply() puts the view on an engine camera.

#include "slmath/slmath.h"

namespace render {
class Camera;
class Transform;
} // namespace render

namespace vorna3d_tool {

class OrbitCamera {
public:
    // The vertical field of view, in degrees.
    static constexpr float FIELD_OF_VIEW = 45.f;
    // Degrees turned by a drag across the whole window.
    static constexpr float DEGREES_PER_WINDOW = 270.f;
    static constexpr float MAX_PITCH = 89.f;
    // The distance shrinks by this factor per wheel notch towards the scene.
    static constexpr float ZOOM_PER_NOTCH = 0.85f;

    // Looks at the origin from 1 unit away along +z.
    OrbitCamera();

    // Centres on the box [boxMin, boxMax] and backs off until a sphere
    // holding it fits both the vertical and the horizontal field of view
    // of a window of `aspect` (width / height, > 0), seen from a little
    // above and to the side. An empty or flat box counts as one of size 1
    // around its centre. The result is the new start view.
    void frame(const slmath::vec3& boxMin, const slmath::vec3& boxMax, float aspect);
    // Returns to the start view.
    void reset();
    // Looks from `eye` along `forward` (any length but 0) at the point
    // `distance` (> 0) ahead, which becomes the centre; roll is dropped and
    // the pitch kept within MAX_PITCH. The start view stays.
    void lookFrom(const slmath::vec3& eye, const slmath::vec3& forward, float distance);

    // Turns around the centre by a drag of (dx, dy) window widths and
    // heights: right turns the scene to the right, down looks from higher.
    void orbit(float dx, float dy);
    // Moves the centre with the view by a drag of (dx, dy) window widths
    // and heights in a window of `aspect` (width / height, > 0): the scene
    // follows the pointer at the centre's depth.
    void pan(float dx, float dy, float aspect);
    // Comes closer by ZOOM_PER_NOTCH per notch (negative notches go back).
    // The distance stays within 1e-3 to 1e4 times the framed radius.
    void zoom(float notches);

    const slmath::vec3& getCenter() const { return m_center; }
    float getDistance() const { return m_distance; }
    float getYaw() const { return m_yaw; }
    float getPitch() const { return m_pitch; }
    // The eye's place in the world.
    slmath::vec3 getEye() const;
    // The camera's world transform: at the eye, its -z axis towards the
    // centre, its y axis up in the picture.
    void getTransform(render::Transform* transform) const;
    // Near and far planes that hold the framed radius around the centre.
    float getNear() const;
    float getFar() const;

    // Gives `camera` this view: its transform and a perspective projection
    // of FIELD_OF_VIEW for `aspect` (width / height, > 0).
    void apply(render::Camera& camera, float aspect) const;

private:
    struct View {
        slmath::vec3 center;
        float distance = 1.f;
        float yaw = 0.f;
        float pitch = 0.f;
    };

    slmath::vec3 m_center;
    float m_distance = 1.f;
    float m_yaw = 0.f;
    float m_pitch = 0.f;
    float m_radius = 0.5f; // of the framed box
    View m_start;
};

} // namespace vorna3d_tool
