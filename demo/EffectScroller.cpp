// The underwater scroller (states 17 and 18): the water picture full
// screen, fish, rising bubbles and the text line riding a wave.

#include <cmath>

#include "demo/MyApplication.h"
#include "render/Camera.h"
#include "render/Graphics3D.h"
#include "render/RenderTarget.h"
#include "render/Sprite3D.h"
#include "render/Text3D.h"

namespace {

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

void MyApplication::updateScroller(float seconds)
{
    m_timeline.setStateTime(m_timeline.getMusicTime());
    m_scroller.update(seconds);
}

void MyApplication::renderScroller(render::Graphics3D& g3d)
{
    // The water picture is opaque and fills the screen: the sea's blue
    // behind it never shows, so only the depth is cleared.
    beginCoveredFrame(g3d);
    g3d.rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), m_uws.get());

    // The fish breathe: their size pulses with the effect time.
    const float pulse = 4.9825f * m_timeline.getStateTime();
    const float scaleX = std::fabs(0.5f * std::sin(pulse)) + 1.f;
    const float scaleY = std::fabs(0.25f * std::cos(pulse)) + 1.f;
    for (const Scroller::SpriteFish& fish : m_scroller.fishes()) {
        if (fish.frame >= Scroller::FISH_FRAMES)
            continue; // an unknown frame shows nothing
        render::Transform where;
        where.postTranslate(fish.x, fish.y, 0.f);
        where.postScale(scaleX, scaleY, 1.f);
        draw(g3d, m_fishSprites[fish.frame].get(), where);
    }

    for (const phys::PhysicsObject& bubble : m_scroller.bubbles()) {
        m_ballRotation.setIdentity();
        m_ballRotation.postTranslate(bubble.position.x, bubble.position.y, bubble.position.z);
        m_ballRotation.postScale(bubble.scale, bubble.scale, bubble.scale);
        draw(g3d, m_bubbleSprite.get(), m_ballRotation);
    }

    for (const Scroller::ScrollerElement& element : m_scroller.elements()) {
        if (element.x < Scroller::VISIBLE_LEFT || element.x > Scroller::VISIBLE_RIGHT)
            continue;
        if (!sameText(*m_text, element.text))
            m_text->setText(element.text);
        render::Transform where;
        where.postTranslate(element.x, element.y, 0.f);
        draw(g3d, m_text.get(), where);
    }

    drawFadeOverlay(g3d);
    endFrame(g3d);
}

void MyApplication::prepareScrollerBatches(render::Graphics3D& g3d)
{
    // The renderer's batches keep the items and arrays they have once held.
    // A frame of the scroller at its fullest (the water, every fish, every
    // bubble, the most characters), drawn into the helix's texture, which the helix
    // redraws before it shows it, brings them to that size now; otherwise
    // the first frame with 37 characters on screen would allocate. The
    // objects go in the scroller's order, so each lands in the batch it
    // lands in then.
    render::Transform cameraPlace;
    cameraPlace.postTranslate(0.f, 0.f, 600.f);
    g3d.bindTarget(m_renderTarget.get());
    g3d.setCamera(m_camera.get(), cameraPlace);
    g3d.clear(m_background.get());
    g3d.rect(slmath::vec2(1.f, 0.f), slmath::vec2(0.f, 1.f), m_uws.get()); // the renderer's screen quad
    const render::Transform centre;
    for (int i = 0; i < Scroller::MAX_FISH; ++i)
        draw(g3d, m_fishSprites[i % Scroller::FISH_FRAMES].get(), centre);
    for (int i = 0; i < Scroller::BUBBLE_COUNT; ++i)
        draw(g3d, m_bubbleSprite.get(), centre);
    m_text->setText(m_scroller.elements()[0].text);
    for (int i = 0; i < Scroller::MAX_VISIBLE_CHARACTERS; ++i)
        draw(g3d, m_text.get(), centre);
    g3d.releaseTarget();
}
