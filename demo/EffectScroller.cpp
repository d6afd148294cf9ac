#include "demo/EffectScroller.h"

#include <cmath>

#include "demo/DemoAssets.h"
#include "demo/DemoStage.h"
#include "demo/Timeline.h"
#include "render/text/Font2D.h"
#include "render/Graphics3D.h"
#include "render/appearance/Image2D.h"
#include "render/scene/Sprite3D.h"
#include "render/text/Text3D.h"
#include "render/appearance/Texture2D.h"

namespace {

// Crops (x, y, width, height) on the 2D graphics sheet.
constexpr int BUBBLE_CROP[4] = {257, 2, 126, 124};
// Fish frame f: (32 (f mod 4), 1 + 32 (f div 4)), 32 x 31.
constexpr int FISH_WIDTH = 32;
constexpr int FISH_HEIGHT = 31;

// Whether `text` shows exactly the characters of `string`.
bool sameText(const render::Text3D& text, const core::String& string)
{
    const int length = string.length();
    if (text.getLength() != length)
        return false;
    const unsigned short* codes = text.getCodes();
    for (int i = 0; i < length; ++i)
        if (codes[i] != string.charAt(i))
            return false;
    return true;
}

} // namespace

EffectScroller::EffectScroller(DemoStage& stage) : Effect(stage)
{
}

EffectScroller::~EffectScroller() noexcept(false) = default;

void EffectScroller::loadFont()
{
    m_font = render::Font2D::createNewFont("font.txt");
    ASSERT_MSG(m_font, " m_font ");
    m_text = VORNA3D_NEW render::Text3D(m_font.get());
}

void EffectScroller::createSprites(render::Texture2D* sheet, render::Texture2D* fishSheet)
{
    m_bubbleSprite = demo_assets::makeSprite(sheet, BUBBLE_CROP);
    m_fishSprites.reserve(Scroller::FISH_FRAMES);
    for (int frame = 0; frame < Scroller::FISH_FRAMES; ++frame) {
        const int crop[4] = {FISH_WIDTH * (frame % 4), 1 + 32 * (frame / 4), FISH_WIDTH, FISH_HEIGHT};
        m_fishSprites.add(demo_assets::makeSprite(fishSheet, crop));
    }
    m_scroller.createFirstFish();
}

void EffectScroller::loadWater(render::Graphics3D& g3d)
{
    core::Ref<render::Image2D> water = demo_assets::loadImage("wtr.png");
    m_water = demo_assets::makeTexture(g3d, water.get());
    ASSERT_MSG(m_water, " m_uws ");
    // Drawn at about its own size over the whole screen: the base level
    // alone samples it faster than a mipmap blend.
    m_water->setFiltering(render::Texture2D::FILTER_BASE_LEVEL, render::Texture2D::FILTER_LINEAR);
}

void EffectScroller::createText()
{
    m_scroller.createText();
}

void EffectScroller::createBubbles()
{
    m_scroller.createBubbles();
}

void EffectScroller::reserveBatches(render::Graphics3D& g3d)
{
    // A frame's batches take the renderer's buffers in the order they are
    // first drawn: the fish, the bubbles, then the text (the water is a
    // screen quad of its own). Each buffer keeps what it reserves, so the
    // first frame with every fish, every bubble and the most characters
    // finds room. The text holds one character, as every frame leaves it;
    // it starts with the first, so the first frame need not change it.
    m_text->setText(m_scroller.elements()[0].text);
    g3d.reserveDynamicBuffer(0, m_fishSprites[0].get(), Scroller::MAX_FISH);
    g3d.reserveDynamicBuffer(1, m_bubbleSprite.get(), Scroller::BUBBLE_COUNT);
    g3d.reserveDynamicBuffer(2, m_text.get(), Scroller::MAX_VISIBLE_CHARACTERS);
}

void EffectScroller::update(float seconds)
{
    Timeline& timeline = m_stage.timeline();
    timeline.setStateTime(timeline.getMusicTime());
    m_scroller.update(seconds);
}

void EffectScroller::render(render::Graphics3D& g3d)
{
    // The water picture is opaque and fills the screen: the sea's blue
    // behind it never shows, so only the depth is cleared.
    m_stage.beginCoveredFrame(g3d);
    g3d.rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), m_water.get());

    // The fish breathe: their size pulses with the effect time.
    const float pulse = 4.9825f * m_stage.timeline().getStateTime();
    const float scaleX = std::fabs(0.5f * std::sin(pulse)) + 1.f;
    const float scaleY = std::fabs(0.25f * std::cos(pulse)) + 1.f;
    for (const Scroller::SpriteFish& fish : m_scroller.fishes()) {
        if (fish.frame >= Scroller::FISH_FRAMES)
            continue; // an unknown frame shows nothing
        render::Transform where;
        where.postTranslate(fish.x, fish.y, 0.f);
        where.postScale(scaleX, scaleY, 1.f);
        DemoStage::draw(g3d, m_fishSprites[fish.frame].get(), where);
    }

    for (const phys::PhysicsObject& bubble : m_scroller.bubbles()) {
        render::Transform where;
        where.postTranslate(bubble.position.x, bubble.position.y, bubble.position.z);
        where.postScale(bubble.scale, bubble.scale, bubble.scale);
        DemoStage::draw(g3d, m_bubbleSprite.get(), where);
    }

    for (const Scroller::ScrollerElement& element : m_scroller.elements()) {
        if (element.x < Scroller::VISIBLE_LEFT || element.x > Scroller::VISIBLE_RIGHT)
            continue;
        if (!sameText(*m_text, element.text))
            m_text->setText(element.text);
        render::Transform where;
        where.postTranslate(element.x, element.y, 0.f);
        DemoStage::draw(g3d, m_text.get(), where);
    }

    m_stage.drawFadeOverlay(g3d);
    m_stage.endFrame(g3d);
}
