#pragma once
// The demo sulvanto: an application on the framework that loads its assets
// from sulvanto.dat, builds its procedural meshes and textures, and plays a
// fixed show bound to the soundtrack's clock: title, logo, lattice flight,
// wire torus, stone balls with the plasma, helix, twin sprites, underwater
// scroller, engine logo and closing picture, with fades between them.
//
// The timeline (Timeline) decides which effect runs; each effect is an
// update (motion, called once per 5 ms step) and a render routine (one
// frame), in the Effect*.cpp and Scroller.cpp files. Everything is built
// in createDevice; a steady-state frame allocates nothing.

#include <cstdint>

#include "core/Ref.h"
#include "core/Vector.h"
#include "demo/DemoMotion.h"
#include "demo/Plasma.h"
#include "demo/Scroller.h"
#include "demo/Timeline.h"
#include "framework/App.h"
#include "render/Transform.h"

class DemoMusic;

namespace HAL {
class Input;
}

namespace render {
class Appearance;
class Background;
class Batcher;
class Camera;
class Font2D;
class Graphics3D;
class Image2D;
class Mesh;
class Node;
class RenderTarget;
class Sprite3D;
class Text3D;
class Texture2D;
class World;
} // namespace render

class MyApplication : public framework::App, private TimelineEffects {
public:
    // The window the show is made for.
    static constexpr int SCREEN_WIDTH = 1024;
    static constexpr int SCREEN_HEIGHT = 768;
    // The helix's clouds are drawn at half the picture's size.
    static constexpr int CLOUD_FRAME_WIDTH = SCREEN_WIDTH / 2;
    static constexpr int CLOUD_FRAME_HEIGHT = SCREEN_HEIGHT / 2;
    // The asset archive: in the working directory, else in the program's
    // folder (where the build puts it).
    static constexpr const char* ARCHIVE_NAME = "sulvanto.dat";
    // The engine logo's width in world units: the camera passes within 5
    // to 25 units of it.
    static constexpr float ENGINE_LOGO_WIDTH = 20.f;
    // The title line drawn over the first seconds.
    static constexpr const char* TITLE_LINE = "NORVALLI PRESENTS 2010 ";

    // Takes over `music` (started paused, required: " music "), whose clock
    // drives the show, and makes the keyboard and mouse handles.
    explicit MyApplication(DemoMusic* music);
    // Stops the music and releases it, unmounts the asset archive, then
    // releases the scene.
    ~MyApplication() noexcept(false) override;

    // Mounts the asset archive (see ARCHIVE_NAME and setArchiveFolder),
    // loads the font, scenes and pictures, builds the sprites, meshes and
    // textures, and starts the music. A missing or unreadable archive
    // throws the file system's IOException, which names it; any other
    // missing asset fails an assertion naming the member it was for.
    void createDevice(render::Graphics3D& g3d) override;
    // One 5 ms step of the show (see Timeline::update).
    bool update(float seconds) override;
    // Draws the frame of the current state's effect.
    void render(render::Graphics3D& g3d) override;

    // The folder createDevice reads the archive from ("dir/"); empty (the
    // default): the working directory, else the program's folder.
    void setArchiveFolder(const char* folder);

    const Timeline& getTimeline() const { return m_timeline; }
    DemoMusic& getMusic() const { return *m_music; }

    // The pieces the tests look at.
    render::Mesh* getTorus() const { return m_torus.get(); }
    render::Batcher* getLattice() const { return m_lattice.get(); }
    const core::Vector<HelixSegment>& getHelixSegments() const { return m_helixSegments; }
    const Scroller& getScroller() const { return m_scroller; }

private:
    // TimelineEffects.
    void updateEffect(DemoEffect effect, float seconds) override;
    float getEngineLogoAngle() const override { return m_engineLogo.angle; }

    // Loading, in createDevice's order (DemoAssets.cpp).
    void mountArchive();
    void loadFont();
    void loadBalls();
    void createSprites(render::Graphics3D& g3d);
    void loadPictures(render::Graphics3D& g3d);
    void loadMeshes(render::Graphics3D& g3d);
    void createPlasma(render::Graphics3D& g3d);
    void createHelix(render::Graphics3D& g3d);
    // Grows the renderer's batches to the scroller's largest frame
    // (EffectScroller.cpp), so that no scroller frame allocates.
    void prepareScrollerBatches(render::Graphics3D& g3d);
    void startMusic();

    // The frame's first and last steps, and the fade overlay. beginFrame
    // clears to m_background; beginCoveredFrame clears the depth only, for
    // frames that start with something opaque over the whole screen.
    void beginFrame(render::Graphics3D& g3d);
    void beginCoveredFrame(render::Graphics3D& g3d);
    void endFrame(render::Graphics3D& g3d);
    void drawFadeOverlay(render::Graphics3D& g3d);
    // Draws `node` with `transform` and all render flags.
    static void draw(render::Graphics3D& g3d, render::Node* node, const render::Transform& transform);

    // Effects: update and render.
    void renderTitle(render::Graphics3D& g3d);
    void updateLogo();
    void renderLogo(render::Graphics3D& g3d);
    void updateLattice(float seconds);
    void renderLattice(render::Graphics3D& g3d);
    void updateTorus(float seconds);
    void renderTorus(render::Graphics3D& g3d);
    void updateBalls(float seconds);
    void renderBalls(render::Graphics3D& g3d);
    void updateHelix(float seconds);
    void renderHelix(render::Graphics3D& g3d);
    void updateTwinSprites(float seconds);
    void renderTwinSprites(render::Graphics3D& g3d);
    void updateScroller(float seconds);
    void renderScroller(render::Graphics3D& g3d);
    void updateEngineLogo(float seconds);
    void renderEngineLogo(render::Graphics3D& g3d);
    void renderClosing(render::Graphics3D& g3d);

    DemoMusic* m_music; // owned; plain heap, like the music system
    core::Ref<render::Camera> m_camera;
    core::Ref<render::Background> m_background;
    // Clears the depth only: for frames whose first draw covers every pixel.
    core::Ref<render::Background> m_depthOnlyBackground;
    core::Ref<HAL::Input> m_input;
    core::Ref<HAL::Input> m_mouse;
    render::Transform m_cameraTransform;
    core::Ref<render::World> m_world;
    Timeline m_timeline;
    core::String m_archiveFolder;
    bool m_archiveMounted = false; // the archive is mounted at "" until the demo goes

    // Text.
    core::Ref<render::Font2D> m_font;
    core::Ref<render::Text3D> m_text;

    // Scenes.
    core::Ref<render::Mesh> m_demopallo;
    core::Ref<render::Mesh> m_demopallo2;
    core::Ref<render::Mesh> m_stonepallo;
    core::Ref<render::Mesh> m_helixbase;
    core::Ref<render::Mesh> m_v3dmesh;
    core::Ref<render::Mesh> m_v3dmesh2;

    // Pictures and sprites.
    core::Ref<render::Texture2D> m_graphicsTexture; // the 2D graphics sheet
    core::Ref<render::Texture2D> m_fishy;           // the same sheet again, base level: fish, twin sprites
    core::Ref<render::Sprite3D> m_bubbleSprite;
    core::Ref<render::Sprite3D> m_fadeSprite;
    core::Vector<core::Ref<render::Sprite3D>> m_fishSprites;
    core::Ref<render::Sprite3D> m_closingSprite;
    core::Ref<render::Sprite3D> m_twinSpriteA;
    core::Ref<render::Sprite3D> m_twinSpriteB;
    core::Ref<render::Sprite3D> m_logoSprite;
    core::Ref<render::Texture2D> m_uws;

    // Procedural meshes.
    core::Ref<render::Mesh> m_torus;
    core::Ref<render::Batcher> m_lattice;

    // The helix: clouds rendered to a texture, bars in front.
    core::Ref<render::Texture2D> m_renderTexture;
    core::Ref<render::RenderTarget> m_renderTarget;
    core::Ref<render::Sprite3D> m_renderSprite;
    core::Ref<render::Texture2D> m_cloudTexture;
    core::Ref<render::Sprite3D> m_helixSpriteA;
    core::Ref<render::Sprite3D> m_helixSpriteB;
    core::Vector<HelixSegment> m_helixSegments;

    // The plasma on the balls.
    Plasma m_plasma;
    core::Ref<render::Image2D> m_plasmaImage;
    core::Ref<render::Texture2D> m_texture;
    core::Ref<render::Appearance> m_app;
    core::Ref<render::Appearance> m_backdropApp;     // the big ball's: m_app without depth
    bool m_plasmaPending = false; // stepped since the image was last drawn

    Scroller m_scroller;

    // Motion.
    render::Transform m_spriteTransformA;
    render::Transform m_spriteTransformB;
    render::Transform m_ballRotation;
    render::Transform m_ballScale;
    TwinSpriteMotion m_twin;
    EngineLogoMotion m_engineLogo;
    float m_engineLogoScale = 1.f; // brings the logo to ENGINE_LOGO_WIDTH
    float m_torusAngle = 0.f;
    float m_ballAngle = 0.f;
};
