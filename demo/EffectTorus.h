#pragma once
// The wire torus (states 5 to 7): a coloured wire frame that the camera
// circles while it tumbles.

#include "core/Ref.h"
#include "demo/Effect.h"

namespace render {
class Mesh;
}

class EffectTorus : public Effect {
public:
    explicit EffectTorus(DemoStage& stage);
    ~EffectTorus() noexcept(false) override;

    // Builds the torus (createTorus, which calls show_random::next()).
    void create();

    void update(float seconds) override;
    void render(render::Graphics3D& g3d) override;

    render::Mesh* getTorus() const { return m_torus.get(); }

private:
    core::Ref<render::Mesh> m_torus;
    float m_angle = 0.f; // degrees the camera has circled
};
