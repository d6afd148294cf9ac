#pragma once
// The closing picture (states 21 to 23).

#include "core/Ref.h"
#include "demo/Effect.h"

namespace render {
class Sprite3D;
class Texture2D;
} // namespace render

class EffectClosing : public Effect {
public:
    explicit EffectClosing(DemoStage& stage);
    ~EffectClosing() noexcept(false) override;

    // The picture: the lower left of the 2D graphics `sheet`.
    void createSprite(render::Texture2D* sheet);

    void render(render::Graphics3D& g3d) override;

private:
    core::Ref<render::Sprite3D> m_picture;
};
