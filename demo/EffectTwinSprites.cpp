#include "demo/EffectTwinSprites.h"

#include "demo/DemoAssets.h"
#include "demo/DemoStage.h"
#include "render/scene/Camera.h"
#include "render/Graphics3D.h"
#include "render/scene/Sprite3D.h"

namespace {

constexpr uint32_t WHITE_RGB = 0xFFFFFF00u; // 0xRRGGBBAA without the alpha

// The picture on the 2D graphics sheet (x, y, width, height).
constexpr int TWIN_CROP[4] = {512, 0, 512, 512};

} // namespace

EffectTwinSprites::EffectTwinSprites(DemoStage& stage) : Effect(stage)
{
}

EffectTwinSprites::~EffectTwinSprites() noexcept(false) = default;

void EffectTwinSprites::createSprites(render::Texture2D* sheet)
{
    m_spriteA = demo_assets::makeSprite(sheet, TWIN_CROP);
    m_spriteA->setScale(2.f, 2.f, 1.f);
    m_spriteB = demo_assets::makeSprite(sheet, TWIN_CROP);
}

void EffectTwinSprites::update(float seconds)
{
    m_motion.advance(seconds);
    m_placeA.setIdentity();
    m_placeA.postTranslate(0.f, 0.f, m_motion.angleA);
    m_placeB.setIdentity();
    m_placeB.postTranslate(0.f, 0.f, m_motion.angleB);
}

void EffectTwinSprites::render(render::Graphics3D& g3d)
{
    m_spriteA->setColor(WHITE_RGB | m_motion.alphaA);
    m_spriteB->setColor(WHITE_RGB | m_motion.alphaB);
    render::Transform cameraPlace;
    cameraPlace.postTranslate(0.f, 0.f, 600.f);
    g3d.setCamera(m_stage.camera(), cameraPlace);
    m_stage.beginFrame(g3d);
    // The farther one first.
    if (m_motion.angleB < m_motion.angleA) {
        DemoStage::draw(g3d, m_spriteB.get(), m_placeB);
        DemoStage::draw(g3d, m_spriteA.get(), m_placeA);
    } else {
        DemoStage::draw(g3d, m_spriteA.get(), m_placeA);
        DemoStage::draw(g3d, m_spriteB.get(), m_placeB);
    }
    m_stage.drawFadeOverlay(g3d);
    m_stage.endFrame(g3d);
}
