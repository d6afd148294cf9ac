#include "demo/DemoStage.h"

#include "demo/Timeline.h"
#include "render/scene/Background.h"
#include "render/scene/Camera.h"
#include "render/Graphics3D.h"
#include "render/scene/Sprite3D.h"
#include "render/appearance/Texture2D.h"

namespace {

constexpr float FIELD_OF_VIEW = 60.f;
constexpr float ASPECT = 1.3333334f;
constexpr float NEAR_PLANE = 0.1f;
constexpr float FAR_PLANE = 2050.f;
constexpr float CAMERA_DISTANCE = 600.f;

// The fade overlay's square on the 2D graphics sheet (x, y, width, height).
constexpr int FADE_CROP[4] = {0, 128, 128, 128};

} // namespace

DemoStage::DemoStage(Timeline& timeline) : m_timeline(timeline)
{
}

DemoStage::~DemoStage() noexcept(false) = default;

void DemoStage::create()
{
    m_camera = VORNA3D_NEW render::Camera();
    m_camera->setPerspective(FIELD_OF_VIEW, ASPECT, NEAR_PLANE, FAR_PLANE);
    m_camera->setTranslation(0.f, 0.f, CAMERA_DISTANCE);
    resetCameraPlace();

    m_background = VORNA3D_NEW render::Background();
    ASSERT_MSG(m_background, " m_background ");
    m_background->setColor(0);
    m_depthOnlyBackground = VORNA3D_NEW render::Background();
    m_depthOnlyBackground->setColor(0);
    m_depthOnlyBackground->setColorClearEnable(false);
}

void DemoStage::createFadeSprite(render::Texture2D* sheet)
{
    m_fadeSprite = VORNA3D_NEW render::Sprite3D(sheet);
    m_fadeSprite->setCrop(FADE_CROP[0], FADE_CROP[1], FADE_CROP[2], FADE_CROP[3]);
    m_fadeSprite->setScale(256.f, 192.f, 1.f);
}

void DemoStage::resetCameraPlace()
{
    m_cameraPlace.setIdentity();
    m_cameraPlace.postTranslate(0.f, 0.f, CAMERA_DISTANCE);
}

void DemoStage::applyCamera(render::Graphics3D& g3d)
{
    g3d.setCamera(m_camera.get(), m_cameraPlace);
}

void DemoStage::beginFrame(render::Graphics3D& g3d)
{
    g3d.bindTarget(nullptr);
    g3d.clear(m_background.get());
}

void DemoStage::beginCoveredFrame(render::Graphics3D& g3d)
{
    g3d.bindTarget(nullptr);
    g3d.clear(m_depthOnlyBackground.get());
}

void DemoStage::endFrame(render::Graphics3D& g3d)
{
    g3d.releaseTarget();
}

void DemoStage::draw(render::Graphics3D& g3d, render::Node* node, const render::Transform& transform)
{
    g3d.render(render::Graphics3D::RENDER_ALL, node, transform);
}

void DemoStage::drawFadeOverlay(render::Graphics3D& g3d)
{
    drawFadeOverlayAt(g3d, false);
}

void DemoStage::drawFadeOverlayBeforeCamera(render::Graphics3D& g3d)
{
    drawFadeOverlayAt(g3d, true);
}

void DemoStage::drawFadeOverlayAt(render::Graphics3D& g3d, bool beforeCamera)
{
    if (!Timeline::showsFadeOverlay(m_timeline.getState()))
        return;
    // At level 0 the overlay is fully transparent: a full-screen blend
    // that changes nothing.
    if (m_timeline.getFadeLevel() == 0)
        return;
    render::Transform& where = m_timeline.fadeTransform();
    if (beforeCamera) {
        where.set(m_cameraPlace);
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
