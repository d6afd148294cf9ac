#pragma once
// What `vorna3d play` shows, without the window: a World built from a
// file's roots, the file's own camera where it has one, the free orbit
// camera, and a headlight for scenes that bring no light. Roots that are
// not a World are placed in a World of the viewer's own; a world without
// any camera starts on the free camera, framed on the scene's bounds.
// Nodes need a registered renderer to be built.

#include <string>

#include "OrbitCamera.h"
#include "core/Object.h"
#include "core/Ref.h"
#include "core/Vector.h"
#include "render/scene/Object3D.h"

namespace render {
class Camera;
class Graphics3D;
class Light;
class Node;
class SceneBounds;
class World;
} // namespace render

namespace vorna3d_tool {

class PlayScene : public core::Object {
public:
    // The nearest node hit by a pick, or none (node null).
    struct Pick {
        core::Ref<render::Node> node;
        float distance = 0.f;
    };

    // Builds the world from `roots` for a window of `aspect` (width /
    // height, > 0): the first World among them, else a new World holding
    // every root that is a node. Throws ToolError when no root is a node.
    PlayScene(const core::Vector<core::Ref<render::Object3D>>& roots, float aspect);
    ~PlayScene() noexcept(false) override;

    render::World& getWorld() const { return *m_world; }
    // The file's camera (its world's active one, else the first below it), or null.
    render::Camera* getFileCamera() const { return m_fileCamera.get(); }
    render::Camera& getFreeCamera() const { return *m_freeCamera; }
    bool usesFreeCamera() const;
    // Whether the world came from the file (false: the viewer made it).
    bool isFileWorld() const { return m_fileWorld; }

    // Makes the free camera, or the file's camera when it has one, the
    // active camera. Returns whether the free camera is active afterwards.
    bool useFreeCamera(bool free);

    // Makes the free camera active, starting from the file camera's view
    // when that was active: at its eye, looking the same way, at the depth
    // of the scene's centre (the start view stays the framed one).
    void takeOverView();

    // The free camera's controls; call updateFreeCamera after changing it.
    OrbitCamera& getOrbit() { return m_orbit; }
    void updateFreeCamera();
    // Frames the scene's bounds (as animated now) on the free camera.
    void frameAll();
    // The bounds of everything in the world, as animated now.
    void computeBounds(render::SceneBounds& bounds) const;

    // A window of a new size: both cameras take its aspect ratio (the
    // file's camera only when it is a perspective one).
    void setAspect(float aspect);
    float getAspect() const { return m_aspect; }

    // Whether the viewer added a headlight (the scene has no light).
    bool hasHeadlight() const { return m_headlight.get() != nullptr; }
    bool isHeadlightOn() const { return m_headlightOn; }
    // Switches the headlight; does nothing without one.
    void setHeadlightOn(bool on);

    // Animates the world to `worldTime` milliseconds.
    void animate(int worldTime);
    // Renders the world through the active camera, the headlight at the
    // camera. Requires a bound target.
    void render(render::Graphics3D& g3d);

    // Casts the ray through the point (x, y) of the window (0..1 each, y
    // down) from the active camera's near plane through the world; the
    // distance runs from the near plane. Throws ToolError when the engine's
    // pick refuses the geometry hit (a mesh of 8-bit positions, lines).
    Pick pick(float x, float y) const;

private:
    void placeHeadlight();

    core::Ref<render::World> m_world;
    core::Ref<render::Camera> m_fileCamera;
    core::Ref<render::Camera> m_freeCamera;
    core::Ref<render::Light> m_headlight;
    OrbitCamera m_orbit;
    float m_aspect = 1.f;
    bool m_fileWorld = false;
    bool m_headlightOn = true;
};

// One line about a picked node: its class, user ID, name and the distance.
std::string describePick(const PlayScene::Pick& pick);

} // namespace vorna3d_tool
