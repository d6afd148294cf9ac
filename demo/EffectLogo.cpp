#include "demo/EffectLogo.h"

#include "demo/DemoAssets.h"
#include "demo/DemoStage.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/appearance/Texture2D.h"

EffectLogo::EffectLogo(DemoStage& stage) : Effect(stage)
{
}

EffectLogo::~EffectLogo() noexcept(false) = default;

void EffectLogo::load(render::Graphics3D& g3d)
{
    core::Ref<render::Image2D> logo = demo_assets::loadImage("sulvantobynorvalliproductions.png");
    m_picture = demo_assets::makeTexture(g3d, logo.get());
    ASSERT_MSG(m_picture, " texture ");
    // The picture is drawn at about its own size over the whole screen: the
    // base level alone samples it faster than a mipmap blend.
    m_picture->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);
}

void EffectLogo::render(render::Graphics3D& g3d)
{
    m_stage.beginCoveredFrame(g3d); // the picture is opaque and fills the screen
    g3d.rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), m_picture.get());
    m_stage.drawFadeOverlay(g3d);
    m_stage.endFrame(g3d);
}
