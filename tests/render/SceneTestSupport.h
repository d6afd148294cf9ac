#pragma once
// The fixture of the scene-graph tests: a started engine with a recording
// renderer registered as the one Graphics3D (nodes need one to be built),
// and small builders for geometry with known coordinates.

#include <gtest/gtest.h>

#include <initializer_list>

#include "core/Globals.h"
#include "core/Ref.h"
#include "core/Vector.h"
#include "render/geometry/IndexBuffer.h"
#include "render/scene/Mesh.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/RecordingGraphics3D.h"
#include "tests/support/EngineTest.h"

namespace render_test {

class SceneTest : public testing_support::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        g3d = VORNA3D_NEW RecordingGraphics3D();
        g3d->addRef(); // the fixture's own reference (a Ref member would make the destructor throwing)
        g3d->registerInstance();
    }

    void TearDown() override
    {
        if (core::Globals::exists()) {
            core::Globals::get()->m_g3d.clear();
            if (g3d)
                g3d->releaseRef();
        }
        g3d = nullptr;
        EngineTest::TearDown();
    }

    // The registered renderer, held by the fixture until TearDown.
    RecordingGraphics3D* g3d = nullptr;
};

// A 16-bit position array holding the given x, y, z triples.
inline core::Ref<render::VertexArray> positions(std::initializer_list<short> xyz)
{
    const int count = static_cast<int>(xyz.size()) / 3;
    core::Ref<render::VertexArray> array = VORNA3D_NEW render::VertexArray(count, 3, 2, 0);
    array->set(count, xyz.begin());
    return array;
}

// A vertex buffer with those positions, scale and bias.
inline core::Ref<render::VertexBuffer> vertexBuffer(std::initializer_list<short> xyz, float scale = 1.f,
                                                    const float* bias = nullptr)
{
    core::Ref<render::VertexBuffer> vb = VORNA3D_NEW render::VertexBuffer();
    vb->setPositions(positions(xyz).get(), scale, bias);
    return vb;
}

inline core::Ref<render::IndexBuffer> triangleList(std::initializer_list<unsigned short> indices)
{
    return core::Ref<render::IndexBuffer>(
        VORNA3D_NEW render::TriangleListArray(indices.begin(), static_cast<int>(indices.size())));
}

// The unit square (0,0,0)..(1,1,0), counter-clockwise seen from +z, as two triangles.
inline core::Ref<render::Mesh> unitQuad()
{
    core::Ref<render::VertexBuffer> vb = vertexBuffer({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0});
    return core::Ref<render::Mesh>(VORNA3D_NEW render::Mesh(vb.get(), triangleList({0, 1, 2, 0, 2, 3}).get()));
}

} // namespace render_test
