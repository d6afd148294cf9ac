#include "demo/EffectTorus.h"

#include <cmath>

#include "core/Vector.h"
#include "demo/DemoMeshes.h"
#include "demo/DemoStage.h"
#include "demo/ShowRandom.h"
#include "render/scene/Background.h"
#include "render/Graphics3D.h"
#include "render/geometry/LineListArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"

namespace {

constexpr int GRID = 60;
constexpr float TUBE_STEP = 0.10466667f; // 6.28 / 60: one turn over the grid
constexpr float RIPPLE_STEP = 0.5233334f; // 31.4 / 60: five ripples per turn

} // namespace

core::Ref<render::Mesh> createTorus()
{
    constexpr int vertexCount = GRID * GRID;
    core::Vector<short> positions;
    core::Vector<char> colors;
    positions.setSize(vertexCount * 3);
    colors.setSize(vertexCount * 4);
    for (int i = 0; i < GRID; ++i) {
        for (int j = 0; j < GRID; ++j) {
            const float fi = static_cast<float>(i);
            const float fj = static_cast<float>(j);
            const float k = 1.f + 0.1f * std::sin(RIPPLE_STEP * fi) * std::cos(RIPPLE_STEP * fj);
            const float r = 80.f + 40.f * std::cos(TUBE_STEP * fj);
            const float u = TUBE_STEP * fi;
            const int v = i + GRID * j;
            positions[3 * v + 0] = static_cast<short>(std::cos(u) * r * k);
            positions[3 * v + 1] = static_cast<short>(std::sin(u) * r * k);
            positions[3 * v + 2] = static_cast<short>(std::sin(TUBE_STEP * fj) * 40.f * k);
            colors[4 * v + 0] = static_cast<char>(show_random::next() % 200 + 50);
            colors[4 * v + 1] = static_cast<char>((44 * j) % 256);
            colors[4 * v + 2] = static_cast<char>((44 * i) % 256);
            colors[4 * v + 3] = static_cast<char>(127);
        }
    }

    core::Vector<unsigned short> indices;
    indices.reserve(GRID * GRID * 6);
    for (int i = 0; i < GRID; ++i) {
        for (int j = 0; j < GRID; ++j) {
            const int i1 = (i + 1) % GRID;
            const int j1 = (j + 1) % GRID;
            const int cell[6] = {GRID * j + i,   GRID * j + i1, GRID * j1 + i,
                                 GRID * j1 + i1, GRID * j1 + i, GRID * j + i1};
            for (int index : cell)
                indices.add(static_cast<unsigned short>(index));
        }
    }

    core::Ref<render::VertexArray> positionArray = VORNA3D_NEW render::VertexArray(vertexCount, 3, 2, 0);
    positionArray->set(vertexCount, positions.data());
    core::Ref<render::VertexArray> colorArray = VORNA3D_NEW render::VertexArray(vertexCount, 4, 1, 0);
    colorArray->set(vertexCount, colors.data());
    core::Ref<render::VertexBuffer> vertices = VORNA3D_NEW render::VertexBuffer();
    vertices->setPositions(positionArray.get(), 1.f, nullptr);
    vertices->setColors(colorArray.get());
    core::Ref<render::LineListArray> lines = VORNA3D_NEW render::LineListArray(indices.data(), indices.size());
    core::Ref<render::Mesh> mesh = VORNA3D_NEW render::Mesh(vertices.get(), lines.get());
    ASSERT_MSG(mesh, " mesh ");
    return mesh;
}

EffectTorus::EffectTorus(DemoStage& stage) : Effect(stage)
{
}

EffectTorus::~EffectTorus() noexcept(false) = default;

void EffectTorus::create()
{
    m_torus = createTorus();
}

void EffectTorus::update(float seconds)
{
    m_angle += seconds * 99.965f;
    render::Transform& cameraPlace = m_stage.cameraPlace();
    cameraPlace.setIdentity();
    cameraPlace.postRotate(m_angle, 0.f, 1.f, 0.f);
    cameraPlace.postRotate(0.5f * m_angle, 1.f, 0.f, 0.f);
    cameraPlace.postTranslate(0.f, 0.f, 300.f);
}

void EffectTorus::render(render::Graphics3D& g3d)
{
    g3d.bindTarget(nullptr);
    m_stage.background()->setColor(0);
    g3d.clear(m_stage.background());
    // Vertex colours only: the wire frame is not lit.
    g3d.setLightingEnabled(false);
    m_stage.applyCamera(g3d);
    DemoStage::draw(g3d, m_torus.get(), render::Transform());
    m_stage.endFrame(g3d);
}
