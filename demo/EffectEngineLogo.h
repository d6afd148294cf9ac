#pragma once
// The engine logo (states 19 and 20): the camera turns slowly around the
// logo and its mirror image while it backs away.

#include "core/Ref.h"
#include "demo/DemoMotion.h"
#include "demo/Effect.h"

namespace render {
class Mesh;
class World;
} // namespace render

class EffectEngineLogo : public Effect {
public:
    // The logo's width in world units: the camera passes within 5 to 25
    // units of it.
    static constexpr float ENGINE_LOGO_WIDTH = 20.f;

    explicit EffectEngineLogo(DemoStage& stage);
    ~EffectEngineLogo() noexcept(false) override;

    // Loads the logo from "v3d.m3g" and its picture from "v3d.png", and
    // makes the mirror image: a copy with the picture, cut where its alpha
    // falls to 0.1 or below. Asserts " m_world ", " m_v3dmesh ",
    // " m_v3dmesh2 " or " texture " when something is missing.
    void load(render::Graphics3D& g3d);

    void update(float seconds) override;
    void render(render::Graphics3D& g3d) override;

    // The camera's angle about the y axis, in degrees.
    float getAngle() const { return m_motion.angle; }

private:
    core::Ref<render::World> m_scene; // the logo's scene, kept whole
    core::Ref<render::Mesh> m_logo;
    core::Ref<render::Mesh> m_mirror;
    float m_scale = 1.f; // brings the logo to ENGINE_LOGO_WIDTH
    EngineLogoMotion m_motion;
};
