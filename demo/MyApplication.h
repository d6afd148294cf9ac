#pragma once
// The demo sulvanto: an application on the framework that loads its assets
// from sulvanto.dat, builds its procedural meshes and textures, and plays a
// fixed show bound to the soundtrack's clock: title, logo, lattice flight,
// wire torus, stone balls with the plasma, helix, twin sprites, underwater
// scroller, engine logo and closing picture, with fades between them.
//
// The timeline (Timeline) decides which effect runs; each effect is an
// Effect with its update (motion, called once per 5 ms step) and its
// render (one frame), found through a table by the effect the state
// shows. What the effects share is the stage (DemoStage). Everything is
// built in createDevice; a steady-state frame allocates nothing.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/Ref.h"
#include "core/String.h"
#include "core/Vector.h"
#include "demo/DemoMotion.h"
#include "demo/DemoStage.h"
#include "demo/EffectBalls.h"
#include "demo/EffectClosing.h"
#include "demo/EffectEngineLogo.h"
#include "demo/EffectHelix.h"
#include "demo/EffectLattice.h"
#include "demo/EffectLogo.h"
#include "demo/EffectScroller.h"
#include "demo/EffectTitle.h"
#include "demo/EffectTorus.h"
#include "demo/EffectTwinSprites.h"
#include "demo/Timeline.h"
#include "framework/App.h"

class DemoMusic;
class FrameTiming;

namespace HAL {
class Input;
}

namespace render {
class Batcher;
class Graphics3D;
class Mesh;
} // namespace render

class MyApplication : public framework::App, private TimelineEffects {
public:
    // The window the show is made for.
    static constexpr int SCREEN_WIDTH = DemoStage::SCREEN_WIDTH;
    static constexpr int SCREEN_HEIGHT = DemoStage::SCREEN_HEIGHT;
    // The asset archive: in the working directory, else in the program's
    // folder (where the build puts it).
    static constexpr const char* ARCHIVE_NAME = "sulvanto.dat";

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

    // Runs the show's updates from its start (just loaded, the music at 0)
    // through frame `frame` of `timing`, drawing nothing: frame by frame, in
    // exactly the steps a capture from the start takes between its frames
    // (FrameTiming::forEachStep), `advanceClock(ms)` moving the music's clock
    // before each update. The state changes, fades and effects end as that
    // capture leaves them before drawing frame `frame`. Returns false when
    // the show ended on the way. Throws what the updates throw.
    bool fastForward(const FrameTiming& timing, uint32_t frame, const std::function<void(uint32_t)>& advanceClock);
    // The live show starts at `ms` of the music (0, the default: at its
    // start): createDevice runs the show ahead to there on a 60 fps grid
    // before the sound starts from there. Call before the framework loads
    // the app.
    void setStartMs(uint32_t ms) { m_startMs = ms; }

    // The folder createDevice reads the archive from ("dir/"); empty (the
    // default): the working directory, else the program's folder.
    void setArchiveFolder(const char* folder);

    const Timeline& getTimeline() const { return m_timeline; }
    DemoMusic& getMusic() const { return *m_music; }

    // The pieces the tests look at.
    render::Mesh* getTorus() const { return m_torus.getTorus(); }
    render::Batcher* getLattice() const { return m_lattice.getLattice(); }
    const core::Vector<HelixSegment>& getHelixSegments() const { return m_helix.getSegments(); }
    const Scroller& getScroller() const { return m_scroller.getScroller(); }

private:
    static constexpr size_t EFFECT_COUNT = static_cast<size_t>(DemoEffect::CLOSING) + 1;

    // TimelineEffects.
    void updateEffect(DemoEffect effect, float seconds) override;
    float getEngineLogoAngle() const override { return m_engineLogo.getAngle(); }

    // The effect `effect` names; null for NONE (a black frame).
    Effect* effectFor(DemoEffect effect) const { return m_effects[static_cast<size_t>(effect)]; }

    // Loading steps of createDevice that serve several effects.
    void mountArchive();
    void createSprites(render::Graphics3D& g3d);
    void startMusic();

    DemoMusic* m_music; // owned; plain heap, like the music system
    core::Ref<HAL::Input> m_input;
    core::Ref<HAL::Input> m_mouse;
    Timeline m_timeline;
    core::String m_archiveFolder;
    bool m_archiveMounted = false; // the archive is mounted at "" until the demo goes
    uint32_t m_startMs = 0;

    DemoStage m_stage;
    EffectTitle m_title;
    EffectLogo m_logo;
    EffectLattice m_lattice;
    EffectTorus m_torus;
    EffectBalls m_balls;
    EffectTwinSprites m_twinSprites;
    EffectHelix m_helix; // after the twin sprites, whose flight its clouds share
    EffectScroller m_scroller;
    EffectEngineLogo m_engineLogo;
    EffectClosing m_closing;
    // By DemoEffect; NONE has none.
    Effect* m_effects[EFFECT_COUNT] = {};
};
