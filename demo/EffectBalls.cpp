#include "demo/EffectBalls.h"

#include <cmath>

#include "core/Debug.h"
#include "demo/DemoAssets.h"
#include "demo/DemoStage.h"
#include "demo/Timeline.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Camera.h"
#include "render/appearance/CompositingMode.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/scene/Mesh.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/World.h"

namespace {

constexpr float BALLS_CAMERA_DISTANCE = 400.f;

// Where the eight small balls go around the middle one, each step from the
// last: (+-60, 0, +-80) and (+-60, +-80, 0).
constexpr float BALL_STEPS[8][3] = {{60.f, 0.f, 80.f},    {0.f, 0.f, -160.f}, {0.f, 80.f, 80.f}, {0.f, -160.f, 0.f},
                                    {-120.f, 80.f, 80.f}, {0.f, 0.f, -160.f}, {0.f, 80.f, 80.f}, {0.f, -160.f, 0.f}};

} // namespace

EffectBalls::EffectBalls(DemoStage& stage) : Effect(stage)
{
}

EffectBalls::~EffectBalls() noexcept(false) = default;

void EffectBalls::load()
{
    core::Ref<render::World> world = demo_assets::loadWorld("demoball.m3g");
    ASSERT_MSG(world, " m_world ");
    m_ball = demo_assets::childMesh(world.get(), 0);
    ASSERT_MSG(m_ball, " m_demopallo ");
    ASSERT_MSG(demo_assets::childMesh(world.get(), 2), " m_demopallo2 ");

    world = demo_assets::loadWorld("stoneball.m3g");
    ASSERT_MSG(world, " m_world ");
    m_bigBall = demo_assets::childMesh(world.get(), 0);
    ASSERT_MSG(m_bigBall, " m_stonepallo ");
}

void EffectBalls::createPlasma(render::Graphics3D& g3d)
{
    m_plasmaImage = VORNA3D_NEW render::Image2D(render::Image2D::RGBA, Plasma::SIZE, Plasma::SIZE);
    m_plasma.advance(*m_plasmaImage, 1.f);
    m_plasmaTexture = demo_assets::makeTexture(g3d, m_plasmaImage.get());
    ASSERT_MSG(m_plasmaTexture, " m_texture ");

    // The small balls' look, plasma-textured, on the big ball too.
    m_look = m_ball->getAppearance(0);
    ASSERT_MSG(m_look, " m_app ");
    m_look->setTexture(0, m_plasmaTexture.get());
    m_bigBall->setAppearance(0, m_look.get());
    // The plasma is magnified on every ball, and the image changes every
    // frame: its base level alone is sampled, so the levels built from an
    // older image never show.
    m_plasmaTexture->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);

    // The big ball is drawn first with the same look but without the depth
    // buffer: the camera and the small balls are inside it, so it is
    // behind everything, and from inside a ball each pixel shows it once.
    // The small balls then test only against each other.
    m_backdropLook = VORNA3D_NEW render::Appearance();
    m_backdropLook->setLayer(m_look->getLayer());
    m_backdropLook->setMaterial(m_look->getMaterial());
    m_backdropLook->setPolygonMode(m_look->getPolygonMode());
    m_backdropLook->setFog(m_look->getFog());
    for (int unit = 0; unit < m_look->getTextureCount(); ++unit)
        m_backdropLook->setTexture(unit, m_look->getTexture(unit));
    core::Ref<render::CompositingMode> noDepth = VORNA3D_NEW render::CompositingMode();
    if (render::CompositingMode* source = m_look->getCompositingMode()) {
        noDepth->setBlending(source->getBlending());
        noDepth->setAlphaThreshold(source->getAlphaThreshold());
        noDepth->setAlphaTest(source->getAlphaTest());
    }
    noDepth->setDepthTestEnable(false);
    noDepth->setDepthWriteEnable(false);
    m_backdropLook->setCompositingMode(noDepth.get());
    m_bigBall->setAppearance(0, m_backdropLook.get());
}

void EffectBalls::update(float seconds)
{
    Timeline& timeline = m_stage.timeline();
    const float t = timeline.getMusicTime();
    timeline.setStateTime(t);
    m_angle += seconds * 99.965f;
    const float a = 0.01f * m_angle;
    const float s = std::sin(a) + 1.f;
    const float q = std::cos(a) - 1.f;
    const float k = 0.5f * std::fabs(std::sin(0.05f * m_angle)) + 0.5f;
    m_rotation.setIdentity();
    m_rotation.postRotate(m_angle, s, q, s + q);
    m_scale.setIdentity();
    m_scale.postScale(k, k, k);

    m_stage.camera()->setPerspective(45.f, 1.3333334f, 0.1f, 1000.f);
    m_stage.camera()->setTranslation(0.f, 0.f, BALLS_CAMERA_DISTANCE);

    // The image and its texture follow at the next frame, once for all the
    // steps since the last one.
    m_plasma.step(t / 100.f);
    m_plasmaPending = true;
}

void EffectBalls::render(render::Graphics3D& g3d)
{
    if (m_plasmaPending) {
        m_plasma.draw(*m_plasmaImage);
        m_plasmaTexture->setImage(m_plasmaImage.get());
        m_plasmaPending = false;
    }
    render::Transform cameraPlace;
    cameraPlace.postTranslate(0.f, 0.f, BALLS_CAMERA_DISTANCE);
    g3d.setCamera(m_stage.camera(), cameraPlace);
    g3d.setLightingEnabled(true);
    m_stage.beginCoveredFrame(g3d); // the big ball covers the screen

    render::Transform big;
    big.postScale(4.1f, 4.1f, 4.1f);
    big.postRotate(90.f, 1.f, 0.f, 0.f);
    big.postRotate(10.f * m_stage.timeline().getStateTime(), 0.f, 0.f, 1.f);
    DemoStage::draw(g3d, m_bigBall.get(), big); // first: it does not test depth

    DemoStage::draw(g3d, m_ball.get(), m_scale);
    render::Transform around(m_rotation);
    around.postScale(0.5f, 0.5f, 0.5f);
    for (const float* step : BALL_STEPS) {
        around.postTranslate(step[0], step[1], step[2]);
        DemoStage::draw(g3d, m_ball.get(), around);
    }

    m_stage.drawFadeOverlay(g3d);
    m_stage.endFrame(g3d);
}
