#pragma once
// The helix (states 11 to 13): two cloud sprites flying toward the camera
// are drawn into a texture, which then fills the screen behind twenty
// turning bars stacked from bottom to top. The clouds fly as the twin
// sprites do, and move that flight on.

#include "core/Ref.h"
#include "core/Vector.h"
#include "demo/DemoMotion.h"
#include "demo/DemoStage.h"
#include "demo/Effect.h"

class EffectTwinSprites;

namespace render {
class Mesh;
class RenderTarget;
class Sprite3D;
class Texture2D;
} // namespace render

class EffectHelix : public Effect {
public:
    // The clouds are drawn at half the picture's size.
    static constexpr int CLOUD_FRAME_WIDTH = DemoStage::SCREEN_WIDTH / 2;
    static constexpr int CLOUD_FRAME_HEIGHT = DemoStage::SCREEN_HEIGHT / 2;

    // A helix whose clouds follow `twinSprites`, which must outlive it.
    EffectHelix(DemoStage& stage, EffectTwinSprites& twinSprites);
    ~EffectHelix() noexcept(false) override;

    // Loads the bar from "heelix.m3g". Asserts " m_world " or
    // " m_helixbase " when the scene lacks it.
    void loadBar();
    // The texture the clouds are drawn into and the sprite that shows it.
    // Asserts " m_renderTexture ".
    void createCloudTarget(render::Graphics3D& g3d);
    // The cloud noise, its texture and the two cloud sprites, and the
    // bars' places. Asserts " m_cloudTexture ".
    void createClouds(render::Graphics3D& g3d);

    void update(float seconds) override;
    void render(render::Graphics3D& g3d) override;

    const core::Vector<HelixSegment>& getSegments() const { return m_segments; }

private:
    EffectTwinSprites& m_twinSprites;
    core::Ref<render::Mesh> m_bar;
    core::Ref<render::Texture2D> m_cloudFrame; // the clouds, drawn each frame
    core::Ref<render::RenderTarget> m_cloudTarget;
    core::Ref<render::Sprite3D> m_cloudFrameSprite;
    core::Ref<render::Texture2D> m_cloudTexture; // the noise
    core::Ref<render::Sprite3D> m_cloudSpriteA;
    core::Ref<render::Sprite3D> m_cloudSpriteB;
    core::Vector<HelixSegment> m_segments;
};
