#include "demo/MyApplication.h"

#include "HAL/Input.h"
#include "core/Debug.h"
#include "core/FileSystem.h"
#include "core/Globals.h"
#include "demo/DemoMeshes.h"
#include "demo/DemoMusic.h"
#include "render/Appearance.h"
#include "render/Background.h"
#include "render/Batcher.h"
#include "render/Camera.h"
#include "render/Font2D.h"
#include "render/Graphics3D.h"
#include "render/Image2D.h"
#include "render/Mesh.h"
#include "render/RenderTarget.h"
#include "render/Sprite3D.h"
#include "render/Text3D.h"
#include "render/Texture2D.h"
#include "render/World.h"

namespace {

constexpr float FIELD_OF_VIEW = 60.f;
constexpr float ASPECT = 1.3333334f;
constexpr float NEAR_PLANE = 0.1f;
constexpr float FAR_PLANE = 2050.f;
constexpr float CAMERA_DISTANCE = 600.f;

} // namespace

MyApplication::MyApplication(DemoMusic* music)
    : m_music(music), m_timeline(*music, *this, nullptr)
{
    ASSERT_MSG(music, " music ");
    m_input = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_KEYBOARD);
    m_mouse = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_MOUSE);
    m_timeline.setKeyboard(m_input.get());
    m_fishSprites.reserve(Scroller::FISH_FRAMES);
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
    m_timeline.restart();
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Loading and initializing...\n");

    m_camera = VORNA3D_NEW render::Camera();
    m_camera->setPerspective(FIELD_OF_VIEW, ASPECT, NEAR_PLANE, FAR_PLANE);
    m_camera->setTranslation(0.f, 0.f, CAMERA_DISTANCE);
    m_cameraTransform.setIdentity();
    m_cameraTransform.postTranslate(0.f, 0.f, CAMERA_DISTANCE);

    m_background = VORNA3D_NEW render::Background();
    ASSERT_MSG(m_background, " m_background ");
    m_background->setColor(0);
    m_depthOnlyBackground = VORNA3D_NEW render::Background();
    m_depthOnlyBackground->setColor(0);
    m_depthOnlyBackground->setColorClearEnable(false);

    mountArchive();
    loadFont();
    loadBalls();
    createSprites(g3d);
    loadPictures(g3d);
    loadMeshes(g3d);

    m_scroller.createText();

    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Calculating meshes...\n");
    m_torus = createTorus();
    m_lattice = createLattice();
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "OK\n");

    // The helix draws its clouds into this texture first, at half the
    // picture's size: the soft noise looks the same magnified twice, and a
    // software rasteriser fills a quarter of the pixels for its two
    // full-screen blended sprites.
    m_renderTexture = g3d.createNewTexture(CLOUD_FRAME_WIDTH, CLOUD_FRAME_WIDTH);
    ASSERT_MSG(m_renderTexture, " m_renderTexture ");
    // Only level 0 receives the frame; it is magnified, smoothly.
    m_renderTexture->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);
    m_renderTarget = VORNA3D_NEW render::RenderTarget(m_renderTexture.get());
    // The texture is square; only the frame's rows hold the clouds.
    m_renderSprite = VORNA3D_NEW render::Sprite3D(m_renderTexture.get());
    m_renderSprite->setCrop(0, 0, CLOUD_FRAME_WIDTH, CLOUD_FRAME_HEIGHT);

    createPlasma(g3d);
    createHelix(g3d);

    m_scroller.createBubbles();
    prepareScrollerBatches(g3d);
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "OK\n");

    startMusic();
}

void MyApplication::startMusic()
{
    m_timeline.setStateTime(0.f);
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "Starting sound...");
    m_music->play();
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "OK\n");
}

bool MyApplication::update(float seconds)
{
    m_cameraTransform.setIdentity();
    m_cameraTransform.postTranslate(0.f, 0.f, CAMERA_DISTANCE);
    return m_timeline.update(seconds);
}

void MyApplication::updateEffect(DemoEffect effect, float seconds)
{
    switch (effect) {
    case DemoEffect::NONE:
    case DemoEffect::TITLE:
    case DemoEffect::CLOSING:
        break; // the timeline keeps their time
    case DemoEffect::LOGO:
        updateLogo();
        break;
    case DemoEffect::LATTICE:
        updateLattice(seconds);
        break;
    case DemoEffect::TORUS:
        updateTorus(seconds);
        break;
    case DemoEffect::BALLS:
        updateBalls(seconds);
        break;
    case DemoEffect::HELIX:
        updateHelix(seconds);
        break;
    case DemoEffect::TWIN_SPRITES:
        updateTwinSprites(seconds);
        break;
    case DemoEffect::SCROLLER:
        updateScroller(seconds);
        break;
    case DemoEffect::ENGINE_LOGO:
        updateEngineLogo(seconds);
        break;
    }
}

void MyApplication::render(render::Graphics3D& g3d)
{
    g3d.setCamera(m_camera.get(), m_cameraTransform);
    switch (Timeline::effectOf(m_timeline.getState())) {
    case DemoEffect::TITLE:
        renderTitle(g3d);
        break;
    case DemoEffect::LOGO:
        renderLogo(g3d);
        break;
    case DemoEffect::LATTICE:
        renderLattice(g3d);
        break;
    case DemoEffect::TORUS:
        renderTorus(g3d);
        break;
    case DemoEffect::BALLS:
        renderBalls(g3d);
        break;
    case DemoEffect::HELIX:
        renderHelix(g3d);
        break;
    case DemoEffect::TWIN_SPRITES:
        renderTwinSprites(g3d);
        break;
    case DemoEffect::SCROLLER:
        renderScroller(g3d);
        break;
    case DemoEffect::ENGINE_LOGO:
        renderEngineLogo(g3d);
        break;
    case DemoEffect::CLOSING:
        renderClosing(g3d);
        break;
    case DemoEffect::NONE:
        beginFrame(g3d);
        endFrame(g3d);
        break;
    }
}

void MyApplication::beginFrame(render::Graphics3D& g3d)
{
    g3d.bindTarget(nullptr);
    g3d.clear(m_background.get());
}

void MyApplication::beginCoveredFrame(render::Graphics3D& g3d)
{
    g3d.bindTarget(nullptr);
    g3d.clear(m_depthOnlyBackground.get());
}

void MyApplication::endFrame(render::Graphics3D& g3d)
{
    g3d.releaseTarget();
}

void MyApplication::draw(render::Graphics3D& g3d, render::Node* node, const render::Transform& transform)
{
    g3d.render(render::Graphics3D::RENDER_ALL, node, transform);
}

void MyApplication::drawFadeOverlay(render::Graphics3D& g3d)
{
    if (!Timeline::showsFadeOverlay(m_timeline.getState()))
        return;
    // At level 0 the overlay is fully transparent: a full-screen blend
    // that changes nothing.
    if (m_timeline.getFadeLevel() == 0)
        return;
    render::Transform& where = m_timeline.fadeTransform();
    if (Timeline::effectOf(m_timeline.getState()) == DemoEffect::ENGINE_LOGO) {
        // The camera moves in this effect: the overlay goes just in front of it.
        where.set(m_cameraTransform);
        where.postTranslate(0.f, 0.f, -1.f);
    }
    // Everything drawn so far goes first, so that the fade covers it all
    // (the batches are otherwise drawn in buffer order, and a text batch
    // could land after the overlay's).
    g3d.flushDynamicBuffers();
    // White with the level as alpha over the black fade square.
    m_fadeSprite->setColor(0xFFFFFF00u | m_timeline.getFadeLevel());
    draw(g3d, m_fadeSprite.get(), where);
}
