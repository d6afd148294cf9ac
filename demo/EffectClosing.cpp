#include "demo/EffectClosing.h"

#include "demo/DemoAssets.h"
#include "demo/DemoStage.h"
#include "render/Graphics3D.h"
#include "render/scene/Sprite3D.h"

namespace {

// The picture on the 2D graphics sheet (x, y, width, height).
constexpr int CLOSING_CROP[4] = {1, 513, 510, 510};

} // namespace

EffectClosing::EffectClosing(DemoStage& stage) : Effect(stage)
{
}

EffectClosing::~EffectClosing() noexcept(false) = default;

void EffectClosing::createSprite(render::Texture2D* sheet)
{
    m_picture = demo_assets::makeSprite(sheet, CLOSING_CROP);
}

void EffectClosing::render(render::Graphics3D& g3d)
{
    m_stage.beginFrame(g3d);
    render::Transform where;
    where.postTranslate(0.f, 10.f, 0.f);
    DemoStage::draw(g3d, m_picture.get(), where);
    m_stage.drawFadeOverlay(g3d);
    m_stage.endFrame(g3d);
}
