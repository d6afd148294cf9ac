#pragma once
// The fixture of the back-end logic tests: a started engine, a recording
// back end registered as the one Graphics3D and configured on a display
// without a window (64 x 48), an identity camera, and builders for small
// submeshes.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "HAL/Display.h"
#include "HAL/GL.h"
#include "core/Exception.h"
#include "core/Globals.h"
#include "core/Ref.h"
#include "render/appearance/Appearance.h"
#include "render/scene/Camera.h"
#include "render/geometry/IndexBuffer.h"
#include "render/geometry/TriangleListArray.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/OGLES/RecordingOGLES.h"
#include "tests/support/AssertionText.h"
#include "tests/support/EngineTest.h"

namespace render_test {

using testing_support::assertionText;

class OGLESTest : public testing_support::EngineTest {
protected:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;

    void SetUp() override
    {
        EngineTest::SetUp();
        g3d = VORNA3D_NEW RecordingOGLES();
        g3d->addRef(); // the fixture's own reference (a Ref member would make the destructor throwing)
        g3d->registerInstance();
        HAL::DisplayConfig displayConfig;
        displayConfig.width = kWidth;
        displayConfig.height = kHeight;
        display = HAL::Display::createWindowless(displayConfig);
        display->addRef();
    }

    void TearDown() override
    {
        if (core::Globals::exists()) {
            if (camera)
                camera->releaseRef();
            camera = nullptr;
            core::Globals::get()->m_g3d.clear();
            g3d->releaseRef();
            display->releaseRef();
        }
        EngineTest::TearDown();
    }

    // The configuration of most tests: no overlay, no FPS line, no camera light.
    static render::Graphics3DConfig quietConfig()
    {
        render::Graphics3DConfig config;
        config.showStatistics = false;
        config.printFps = false;
        config.cameraLight = false;
        return config;
    }

    // Configures the renderer, sets an identity camera and forgets the calls so far.
    void configure(const render::Graphics3DConfig& config = quietConfig())
    {
        g3d->configGraphics3D(display, config);
        camera = VORNA3D_NEW render::Camera();
        camera->addRef();
        g3d->setCamera(camera, render::Transform());
        g3d->ops.clear();
        g3d->lights.clear();
    }

    // Draws one submesh with the identity world transform.
    void draw(render::VertexBuffer* vertices, render::IndexBuffer* indices, render::Appearance* appearance,
              int flags = render::Graphics3D::RENDER_ALL)
    {
        g3d->render(flags, vertices, indices, appearance, render::Transform(), -1);
    }

    RecordingOGLES* g3d = nullptr;
    HAL::Display* display = nullptr;
    render::Camera* camera = nullptr; // held with addRef, like the renderer
};

// A 16-bit array of `components` components per vertex.
inline core::Ref<render::VertexArray> shortArray(int components, std::initializer_list<short> values)
{
    const int count = static_cast<int>(values.size()) / components;
    core::Ref<render::VertexArray> array = VORNA3D_NEW render::VertexArray(count, components, 2, 0);
    array->set(count, values.begin());
    return array;
}

// An 8-bit array of `components` components per vertex.
inline core::Ref<render::VertexArray> byteArray(int components, std::initializer_list<char> values)
{
    const int count = static_cast<int>(values.size()) / components;
    core::Ref<render::VertexArray> array = VORNA3D_NEW render::VertexArray(count, components, 1, 0);
    array->set(count, values.begin());
    return array;
}

// A triangle with 16-bit positions.
inline core::Ref<render::VertexBuffer> triangleVertices()
{
    core::Ref<render::VertexBuffer> vertices = VORNA3D_NEW render::VertexBuffer();
    vertices->setPositions(shortArray(3, {0, 0, 0, 1, 0, 0, 0, 1, 0}).get(), 1.f, nullptr);
    return vertices;
}

inline core::Ref<render::IndexBuffer> triangleIndices()
{
    static constexpr unsigned short indices[] = {0, 1, 2};
    return core::Ref<render::IndexBuffer>(VORNA3D_NEW render::TriangleListArray(indices, 3));
}

} // namespace render_test
