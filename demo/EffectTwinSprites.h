#pragma once
// The twin sprites (states 14 to 16): two copies of one picture fly out
// of the screen toward the camera, half a cycle apart, fading in and out.
// The helix's clouds fly the same way: it moves this motion on while it
// runs, and the twin sprites go on from where it left it.

#include "core/Ref.h"
#include "demo/DemoMotion.h"
#include "demo/Effect.h"
#include "render/scene/Transform.h"

namespace render {
class Sprite3D;
class Texture2D;
} // namespace render

class EffectTwinSprites : public Effect {
public:
    explicit EffectTwinSprites(DemoStage& stage);
    ~EffectTwinSprites() noexcept(false) override;

    // The two sprites: the right half of the 2D graphics sheet on
    // `sheet` (its base level alone is sampled), the first one doubled.
    void createSprites(render::Texture2D* sheet);

    void update(float seconds) override;
    void render(render::Graphics3D& g3d) override;

    // The flight, and where it puts the first and the second sprite.
    const TwinSpriteMotion& getMotion() const { return m_motion; }
    const render::Transform& getPlaceA() const { return m_placeA; }
    const render::Transform& getPlaceB() const { return m_placeB; }

private:
    core::Ref<render::Sprite3D> m_spriteA;
    core::Ref<render::Sprite3D> m_spriteB;
    render::Transform m_placeA;
    render::Transform m_placeB;
    TwinSpriteMotion m_motion;
};
