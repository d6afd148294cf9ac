#pragma once
// The title picture full screen (states 997, 0 and 1).

#include "core/Ref.h"
#include "demo/Effect.h"

namespace render {
class Texture2D;
}

class EffectLogo : public Effect {
public:
    explicit EffectLogo(DemoStage& stage);
    ~EffectLogo() noexcept(false) override;

    // Loads the picture from the mounted archive. Asserts " texture " when
    // the renderer makes no texture of it.
    void load(render::Graphics3D& g3d);

    void render(render::Graphics3D& g3d) override;

private:
    core::Ref<render::Texture2D> m_picture;
};
