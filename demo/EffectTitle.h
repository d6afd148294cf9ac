#pragma once
// The opening line (states 999 and 998): the title drawn with the
// renderer's debug text on black.

#include "demo/Effect.h"

class EffectTitle : public Effect {
public:
    // The title line drawn over the first seconds.
    static constexpr const char* TITLE_LINE = "NORVALLI PRESENTS 2010 ";

    using Effect::Effect;

    void render(render::Graphics3D& g3d) override;
};
