#pragma once
// The lattice flight (states 2 to 4): the camera tumbles through a fogged
// cube of yellow lines, with a white flash every 1.35 s. The effect time
// is the flash timer here.

#include "core/Ref.h"
#include "demo/Effect.h"

namespace render {
class Batcher;
}

class EffectLattice : public Effect {
public:
    explicit EffectLattice(DemoStage& stage);
    ~EffectLattice() noexcept(false) override;

    // Builds the lattice (createLattice). Requires a registered renderer.
    void create();

    void update(float seconds) override;
    // The flash: one frame of white when the effect time passes 1.3 s.
    void advanceFrame() override;
    void render(render::Graphics3D& g3d) override;

    render::Batcher* getLattice() const { return m_lattice.get(); }

private:
    core::Ref<render::Batcher> m_lattice;
    bool m_flash = false; // this frame is the white one
};
