#pragma once
// The underwater scroller (states 17 and 18): the water picture full
// screen, fish, rising bubbles and the text line riding a wave (Scroller
// moves them).

#include "core/Ref.h"
#include "core/Vector.h"
#include "demo/Effect.h"
#include "demo/Scroller.h"

namespace render {
class Font2D;
class Sprite3D;
class Text3D;
class Texture2D;
} // namespace render

class EffectScroller : public Effect {
public:
    explicit EffectScroller(DemoStage& stage);
    ~EffectScroller() noexcept(false) override;

    // Loads the font from "font.txt" and makes the text drawn with it.
    // Asserts " m_font ".
    void loadFont();
    // The bubble on the 2D graphics `sheet`, the eight fish pictures on
    // `fishSheet` (the same picture, batched apart), and the first fish
    // (one show_random::next() call).
    void createSprites(render::Texture2D* sheet, render::Texture2D* fishSheet);
    // Loads the water picture from "wtr.png". Asserts " m_uws ".
    void loadWater(render::Graphics3D& g3d);
    // The line's characters (see Scroller::createText).
    void createText();
    // The bubbles (see Scroller::createBubbles; three show_random::next() calls each).
    void createBubbles();
    // Makes room in the renderer's batches for the scroller's fullest
    // frame, so that no frame of it allocates. Requires loadFont,
    // createSprites and createText.
    void reserveBatches(render::Graphics3D& g3d);

    void update(float seconds) override;
    void render(render::Graphics3D& g3d) override;

    const Scroller& getScroller() const { return m_scroller; }

private:
    Scroller m_scroller;
    core::Ref<render::Font2D> m_font;
    core::Ref<render::Text3D> m_text; // one character at a time
    core::Ref<render::Texture2D> m_water;
    core::Ref<render::Sprite3D> m_bubbleSprite;
    core::Vector<core::Ref<render::Sprite3D>> m_fishSprites;
};
