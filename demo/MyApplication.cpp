#include "demo/MyApplication.h"

#include <cstdlib>

#include "HAL/Input.h"
#include "HAL/Music.h"
#include "core/Debug.h"
#include "core/FileArchive.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "core/TARArchive.h"
#include "demo/CloudNoise.h"
#include "demo/DemoAssets.h"
#include "demo/DemoMusic.h"
#include "demo/FrameTiming.h"
#include "demo/ShowRandom.h"
#include "demo/ShowOptions.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/appearance/Texture2D.h"

namespace {

// The mount path of the folder the archive is read from, while it is read.
const char* const TEMP_MOUNT = "temp";

} // namespace

MyApplication::MyApplication(DemoMusic* music)
    : m_music(music), m_timeline(*music, *this, nullptr), m_stage(m_timeline), m_title(m_stage), m_logo(m_stage),
      m_lattice(m_stage), m_torus(m_stage), m_balls(m_stage), m_twinSprites(m_stage), m_helix(m_stage, m_twinSprites),
      m_scroller(m_stage), m_engineLogo(m_stage), m_closing(m_stage)
{
    ASSERT_MSG(music, " music ");
    m_input = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_KEYBOARD);
    m_mouse = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_MOUSE);
    m_timeline.setKeyboard(m_input.get());

    const auto place = [this](DemoEffect effect, Effect& shown) { m_effects[static_cast<size_t>(effect)] = &shown; };
    place(DemoEffect::TITLE, m_title);
    place(DemoEffect::LOGO, m_logo);
    place(DemoEffect::LATTICE, m_lattice);
    place(DemoEffect::TORUS, m_torus);
    place(DemoEffect::BALLS, m_balls);
    place(DemoEffect::HELIX, m_helix);
    place(DemoEffect::TWIN_SPRITES, m_twinSprites);
    place(DemoEffect::SCROLLER, m_scroller);
    place(DemoEffect::ENGINE_LOGO, m_engineLogo);
    place(DemoEffect::CLOSING, m_closing);
}

MyApplication::~MyApplication() noexcept(false)
{
    delete m_music; // stops the channel and releases the music system
    m_music = nullptr;
    if (m_archiveMounted && core::Globals::exists())
        core::FileSystem::get()->removeArchive("");
}

void MyApplication::setArchiveFolder(const char* folder)
{
    m_archiveFolder = folder ? folder : "";
}

void MyApplication::createDevice(render::Graphics3D& g3d)
{
    // The steps keep their order: the random sequence (the seed, the first
    // fish, the torus, the bubbles) and the log follow it.
    m_timeline.restart();
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Loading and initializing...\n");
    m_stage.create();

    mountArchive();
    m_scroller.loadFont();
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Loading font...OK\n");
    m_balls.load();
    createSprites(g3d);
    m_logo.load(g3d);
    m_scroller.loadWater(g3d);
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Loading m3g meshes...");
    m_helix.loadBar();
    m_engineLogo.load(g3d);

    m_scroller.createText();

    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Calculating meshes...\n");
    m_torus.create();
    m_lattice.create();
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "OK\n");

    m_helix.createCloudTarget(g3d);
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Calculating dynamics...");
    m_balls.createPlasma(g3d);
    m_helix.createClouds(g3d);

    m_scroller.createBubbles();
    m_scroller.reserveBatches(g3d);
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "OK\n");

    startMusic();
}

void MyApplication::mountArchive()
{
    core::FileSystem* fs = core::FileSystem::get();
    ASSERT_MSG(fs, " fs ");
    // The archive is read from the working directory, or from the program's
    // folder (where the build puts it) when the working directory has none.
    core::String folder = m_archiveFolder;
    if (folder.length() == 0) {
        core::Ref<core::Archive> workingDirectory = VORNA3D_NEW core::FileArchive("");
        folder = workingDirectory->exists(ARCHIVE_NAME, core::Archive::OPEN_READ)
            ? core::String("")
            : core::String(HAL::pathBesideProgram("").c_str());
    }
    fs->addArchive(TEMP_MOUNT, VORNA3D_NEW core::FileArchive(folder));
    try {
        core::Ref<core::Stream> stream;
        fs->openFile(stream, ARCHIVE_NAME, core::Archive::OPEN_READ);
        core::Ref<core::Archive> archive = VORNA3D_NEW core::TARArchive(stream);
        fs->addArchive("", archive);
        m_archiveMounted = true;
    } catch (...) {
        fs->removeArchive(TEMP_MOUNT);
        throw;
    }
    // From here on every file comes from the archive.
    fs->removeArchive(TEMP_MOUNT);
}

void MyApplication::createSprites(render::Graphics3D& g3d)
{
    // The 2D graphics sheet: the fade square, the bubble and the closing
    // picture.
    core::Ref<render::Image2D> image = demo_assets::loadImage("2dgfx.png");
    core::Ref<render::Texture2D> sheet = demo_assets::makeTexture(g3d, image.get());
    ASSERT_MSG(sheet, " hugeTexture ");

    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Creating static textures...");
    m_stage.createFadeSprite(sheet.get());

    // N(1, 85) x 106 of the cloud noise: the one seed of the show.
    show_random::seed(static_cast<unsigned>(static_cast<int>(cloud_noise::lattice(1, 85) * 106.0)));

    // The fish have a texture of their own, so that they are batched apart.
    // The twin sprites share it: both are only ever magnified (the bubbles,
    // shrunk to a tenth, keep the mipmapped sheet), so its base level alone
    // is sampled, the same picture at less cost.
    core::Ref<render::Texture2D> baseLevelSheet = demo_assets::makeTexture(g3d, image.get());
    ASSERT_MSG(baseLevelSheet, " m_fishy ");
    baseLevelSheet->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);
    m_scroller.createSprites(sheet.get(), baseLevelSheet.get());
    m_closing.createSprite(sheet.get());
    m_twinSprites.createSprites(baseLevelSheet.get());
}

void MyApplication::startMusic()
{
    m_timeline.setStateTime(0.f);
    if (m_startMs > 0) {
        // The show runs ahead on the frame grid a capture at the default
        // rate uses, its clock held, then the sound starts where it stands.
        const FrameTiming timing(ShowOptions::DEFAULT_FPS);
        uint32_t frame = 0;
        while (timing.frameTimeMs(frame) < m_startMs)
            ++frame;
        uint32_t heldMs = 0;
        fastForward(timing, frame, [this, &heldMs](uint32_t ms) { m_music->holdPosition(heldMs += ms); });
        const uint32_t length = m_music->getLengthMs();
        m_music->setPositionMs(heldMs < length ? heldMs : length);
        m_music->releasePosition();
    }
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Starting sound...");
    m_music->play();
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "OK\n");
}

bool MyApplication::update(float seconds)
{
    m_stage.resetCameraPlace();
    return m_timeline.update(seconds);
}

bool MyApplication::fastForward(const FrameTiming& timing, uint32_t frame,
                                const std::function<void(uint32_t)>& advanceClock)
{
    uint32_t atMs = 0;
    for (uint32_t k = 0; k <= frame; ++k) {
        const uint32_t frameMs = timing.frameTimeMs(k);
        const bool running = FrameTiming::forEachStep(atMs, frameMs, [&](uint32_t ms) {
            advanceClock(ms);
            return update(static_cast<float>(ms) / 1000.f);
        });
        atMs = frameMs;
        if (!running)
            return false;
        // Frame `frame` itself is drawn, and moves on then.
        if (k < frame)
            if (Effect* shown = effectFor(Timeline::effectOf(m_timeline.getState())))
                shown->advanceFrame();
    }
    return true;
}

void MyApplication::updateEffect(DemoEffect effect, float seconds)
{
    if (Effect* shown = effectFor(effect))
        shown->update(seconds);
}

void MyApplication::render(render::Graphics3D& g3d)
{
    m_stage.applyCamera(g3d);
    if (Effect* shown = effectFor(Timeline::effectOf(m_timeline.getState()))) {
        shown->advanceFrame();
        shown->render(g3d);
        return;
    }
    // A state that shows nothing: a black frame.
    m_stage.beginFrame(g3d);
    m_stage.endFrame(g3d);
}
