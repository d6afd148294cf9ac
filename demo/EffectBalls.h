#pragma once
// The stone balls (states 8 to 10): nine plasma-textured balls tumbling
// inside a big plasma-textured ball; the plasma flows faster as the music
// goes on.

#include "core/Ref.h"
#include "demo/Effect.h"
#include "demo/Plasma.h"
#include "render/scene/Transform.h"

namespace render {
class Appearance;
class Image2D;
class Mesh;
class Texture2D;
} // namespace render

class EffectBalls : public Effect {
public:
    explicit EffectBalls(DemoStage& stage);
    ~EffectBalls() noexcept(false) override;

    // Loads the small ball from "demoball.m3g" (whose world must have a
    // child 2 as well) and the big ball from "stoneball.m3g". Asserts
    // " m_world ", " m_demopallo ", " m_demopallo2 " or " m_stonepallo "
    // when a scene lacks what it is read for.
    void load();
    // The plasma image and its texture, on the small balls' look and on the
    // big ball's copy of it without depth. Requires load. Asserts
    // " m_texture " and " m_app ".
    void createPlasma(render::Graphics3D& g3d);

    void update(float seconds) override;
    void render(render::Graphics3D& g3d) override;

private:
    core::Ref<render::Mesh> m_ball; // the small ones
    core::Ref<render::Mesh> m_bigBall; // around the camera
    Plasma m_plasma;
    core::Ref<render::Image2D> m_plasmaImage;
    core::Ref<render::Texture2D> m_plasmaTexture;
    core::Ref<render::Appearance> m_look; // the small balls'
    core::Ref<render::Appearance> m_backdropLook; // the big ball's: m_look without depth
    bool m_plasmaPending = false; // stepped since the image was last drawn
    render::Transform m_rotation;
    render::Transform m_scale;
    float m_angle = 0.f;
};
