#include "demo/EffectEngineLogo.h"

#include "demo/DemoAssets.h"
#include "demo/DemoStage.h"
#include "render/appearance/Appearance.h"
#include "render/appearance/CompositingMode.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/scene/Mesh.h"
#include "render/appearance/Texture2D.h"
#include "render/scene/World.h"

EffectEngineLogo::EffectEngineLogo(DemoStage& stage) : Effect(stage)
{
}

EffectEngineLogo::~EffectEngineLogo() noexcept(false) = default;

void EffectEngineLogo::load(render::Graphics3D& g3d)
{
    m_scene = demo_assets::loadWorld("v3d.m3g");
    ASSERT_MSG(m_scene, " m_world ");
    m_logo = demo_assets::childMesh(m_scene.get(), 1);
    ASSERT_MSG(m_logo, " m_v3dmesh ");
    m_mirror = m_logo->duplicate();
    ASSERT_MSG(m_mirror, " m_v3dmesh2 ");
    // The camera's path around the logo is made for a logo of a fixed
    // width; the scene file's own size is scaled to it.
    slmath::vec3 low, high;
    m_logo->getBoundingBox(&low, &high, nullptr);
    const float width = high.x - low.x;
    m_scale = width > 0.f ? ENGINE_LOGO_WIDTH / width : 1.f;

    // The mirror image: the logo's look with its own picture, cut where
    // the picture's alpha falls to 0.1 or below.
    core::Ref<render::Appearance> mirror = VORNA3D_NEW render::Appearance();
    if (render::Appearance* source = m_logo->getAppearance(0)) {
        mirror->setLayer(source->getLayer());
        mirror->setMaterial(source->getMaterial());
        mirror->setPolygonMode(source->getPolygonMode());
        mirror->setFog(source->getFog());
        for (int unit = 0; unit < source->getTextureCount(); ++unit)
            mirror->setTexture(unit, source->getTexture(unit));
    }
    core::Ref<render::CompositingMode> cut = VORNA3D_NEW render::CompositingMode();
    cut->setAlphaThreshold(0.1f);
    cut->setAlphaTest(render::CompositingMode::GREATER);
    mirror->setCompositingMode(cut.get());
    m_mirror->setAppearance(0, mirror.get());

    core::Ref<render::Image2D> picture = demo_assets::loadImage("v3d.png");
    core::Ref<render::Texture2D> texture = demo_assets::makeTexture(g3d, picture.get());
    ASSERT_MSG(texture, " texture ");
    if (render::Texture2D* chrome = mirror->getTexture(0)) {
        texture->setBlending(chrome->getBlending());
        texture->setWrapping(chrome->getWrappingS(), chrome->getWrappingT());
    }
    mirror->setTexture(0, texture.get());
}

void EffectEngineLogo::update(float seconds)
{
    m_motion.advance(seconds);
    render::Transform& cameraPlace = m_stage.cameraPlace();
    cameraPlace.setIdentity();
    cameraPlace.postRotate(m_motion.angle, 0.f, 1.f, 0.f);
    cameraPlace.postTranslate(0.f, 0.f, m_motion.drift - 5.f);
}

void EffectEngineLogo::render(render::Graphics3D& g3d)
{
    m_stage.beginFrame(g3d);
    // The logo at the size the camera's path is made for, facing where the
    // camera ends up (the scene file's letters face +z, the path ends on
    // the -z side).
    render::Transform logo;
    logo.postScale(m_scale, m_scale, m_scale);
    logo.postRotate(180.f, 0.f, 1.f, 0.f);
    DemoStage::draw(g3d, m_logo.get(), logo);
    render::Transform mirror;
    mirror.postScale(m_scale, -m_scale, m_scale);
    mirror.postRotate(180.f, 0.f, 1.f, 0.f);
    mirror.postTranslate(0.f, 0.01f, 0.f);
    DemoStage::draw(g3d, m_mirror.get(), mirror);
    // The camera moves here: the overlay goes just in front of it.
    m_stage.drawFadeOverlayBeforeCamera(g3d);
    m_stage.endFrame(g3d);
}
