#include "demo/EffectLattice.h"

#include <cmath>

#include "demo/DemoMeshes.h"
#include "demo/DemoMotion.h"
#include "demo/DemoStage.h"
#include "demo/Timeline.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Background.h"
#include "render/Batcher.h"
#include "render/appearance/Fog.h"
#include "render/Graphics3D.h"

namespace {

constexpr float CUBE = 1024.f;
constexpr int LINES_PER_SIDE = 13;
constexpr float LINE_SPACING = 170.66667f; // 2048 / 12
constexpr uint32_t FLASH_COLOR = 0xFFFFFFFFu;

} // namespace

core::Ref<render::Batcher> createLattice()
{
    core::Ref<render::Batcher> lattice = VORNA3D_NEW render::Batcher(true, true);
    for (int i = 0; i < LINES_PER_SIDE; ++i) {
        const float a = LINE_SPACING * static_cast<float>(i) - CUBE;
        for (int j = 0; j < LINES_PER_SIDE; ++j) {
            const float b = LINE_SPACING * static_cast<float>(j) - CUBE;
            lattice->addLine(slmath::vec3(CUBE, b, a), slmath::vec3(-CUBE, b, a));
            lattice->addLine(slmath::vec3(a, b, CUBE), slmath::vec3(a, b, -CUBE));
            lattice->addLine(slmath::vec3(b, CUBE, a), slmath::vec3(b, -CUBE, a));
        }
    }
    core::Ref<render::Fog> fog = VORNA3D_NEW render::Fog();
    fog->setLinear(600.f, 1000.f);
    lattice->getAppearance()->setFog(fog.get());
    return lattice;
}

EffectLattice::EffectLattice(DemoStage& stage) : Effect(stage)
{
}

EffectLattice::~EffectLattice() noexcept(false) = default;

void EffectLattice::create()
{
    m_lattice = createLattice();
}

void EffectLattice::update(float seconds)
{
    Timeline& timeline = m_stage.timeline();
    timeline.setStateTime(timeline.getStateTime() + seconds);
    const float t = timeline.getMusicTime();
    render::Transform& cameraPlace = m_stage.cameraPlace();
    cameraPlace.setIdentity();
    cameraPlace.postRotate(19.965f * t, -1.f, 0.f, 0.f);
    cameraPlace.postRotate(19.965f * t, 0.f, -1.f, 0.f);
    cameraPlace.postTranslate(0.f, 0.f, 300.f * std::sin(0.965f * t) + 500.f);
}

void EffectLattice::advanceFrame()
{
    // The flash timer runs on the effect time but restarts by frames: it
    // flashes at the first frame past 1.3 s and restarts at the first past
    // 1.35 s.
    Timeline& timeline = m_stage.timeline();
    float timer = timeline.getStateTime();
    m_flash = latticeFlashFrame(timer);
    timeline.setStateTime(timer);
}

void EffectLattice::render(render::Graphics3D& g3d)
{
    if (m_flash)
        m_stage.background()->setColor(FLASH_COLOR);
    m_stage.beginFrame(g3d);
    DemoStage::draw(g3d, m_lattice.get(), render::Transform());
    m_stage.endFrame(g3d);
    m_stage.background()->setColor(0);
}
