#pragma once
// What the demo's effects draw with: the camera and its place, the
// backgrounds they clear with, the fade overlay, and the timeline whose
// times and fade level they read. All of it is shared: an effect starts
// from the camera and the background colour the one before left (the
// balls and the helix set their own perspectives; the lattice flashes the
// background).

#include "core/Ref.h"
#include "render/scene/Transform.h"

class Timeline;

namespace render {
class Background;
class Camera;
class Graphics3D;
class Node;
class Sprite3D;
class Texture2D;
} // namespace render

class DemoStage {
public:
    // The window the show is made for.
    static constexpr int SCREEN_WIDTH = 1024;
    static constexpr int SCREEN_HEIGHT = 768;

    // A stage reading `timeline`, which must outlive it. Holds nothing
    // until create.
    explicit DemoStage(Timeline& timeline);
    ~DemoStage() noexcept(false);

    DemoStage(const DemoStage&) = delete;
    DemoStage& operator=(const DemoStage&) = delete;

    // The camera (perspective 60 degrees, aspect 4:3, near 0.1, far 2050,
    // 600 units back on z), its place, and the backgrounds (black, and one
    // that clears the depth only). Asserts " m_background ".
    void create();
    // The fade overlay: the black square of the 2D graphics `sheet`,
    // scaled over the screen.
    void createFadeSprite(render::Texture2D* sheet);

    // The camera's place at the start of every update: 600 units back on z.
    void resetCameraPlace();
    // Makes the camera at its place the renderer's camera.
    void applyCamera(render::Graphics3D& g3d);

    // The frame's first and last steps. beginFrame clears to the
    // background; beginCoveredFrame clears the depth only, for frames that
    // start with something opaque over the whole screen.
    void beginFrame(render::Graphics3D& g3d);
    void beginCoveredFrame(render::Graphics3D& g3d);
    void endFrame(render::Graphics3D& g3d);
    // The fade overlay over everything drawn so far, in the states that
    // carry one and at a level above 0; drawFadeOverlayBeforeCamera puts
    // it just in front of the camera, for effects that move the camera.
    void drawFadeOverlay(render::Graphics3D& g3d);
    void drawFadeOverlayBeforeCamera(render::Graphics3D& g3d);
    // Draws `node` with `transform` and all render flags.
    static void draw(render::Graphics3D& g3d, render::Node* node, const render::Transform& transform);

    Timeline& timeline() const { return m_timeline; }
    render::Camera* camera() const { return m_camera.get(); }
    render::Transform& cameraPlace() { return m_cameraPlace; }
    render::Background* background() const { return m_background.get(); }

private:
    void drawFadeOverlayAt(render::Graphics3D& g3d, bool beforeCamera);

    Timeline& m_timeline;
    core::Ref<render::Camera> m_camera;
    render::Transform m_cameraPlace;
    core::Ref<render::Background> m_background;
    // Clears the depth only: for frames whose first draw covers every pixel.
    core::Ref<render::Background> m_depthOnlyBackground;
    core::Ref<render::Sprite3D> m_fadeSprite;
};
