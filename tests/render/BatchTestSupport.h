#pragma once
// The fixture of the batching tests (batcher, sprites, fonts, texts): the
// recording renderer configured on a display without a window (its dynamic
// buffers and debug font built, textures are plain Texture2D objects), a
// parallel camera of 1 unit per pixel set as the active camera, and helpers
// to make textures and to read a batcher's merged arrays.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HAL/Display.h"
#include "core/Exception.h"
#include "core/Ref.h"
#include "framework/FrameworkConfig.h"
#include "render/Batcher.h"
#include "render/BatcherItem.h"
#include "render/scene/Camera.h"
#include "render/text/FontException.h"
#include "render/appearance/Image2D.h"
#include "render/geometry/IndexBuffer.h"
#include "render/scene/Mesh.h"
#include "render/appearance/Texture2D.h"
#include "render/geometry/VertexArray.h"
#include "render/geometry/VertexBuffer.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/render/SceneTestSupport.h"
#include "tests/support/AssertionText.h"
#include "tests/support/LogCapture.h"

namespace render_test {

class BatchTest : public SceneTest {
protected:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    // A larger pool: the limit tests fill a batch of 65535 indices.
    void configure(framework::FrameworkConfig& config) override
    {
        SceneTest::configure(config);
        config.memorySize = 24 * 1024 * 1024;
    }

    void SetUp() override
    {
        SceneTest::SetUp();
        HAL::DisplayConfig displayConfig;
        displayConfig.width = kWidth;
        displayConfig.height = kHeight;
        adjustDisplay(displayConfig);
        display = HAL::Display::createWindowless(displayConfig);
        display->addRef();
        render::Graphics3DConfig config;
        config.showStatistics = false;
        config.printFps = false;
        config.cameraLight = false;
        adjust(config);
        g3d->configGraphics3D(display, config);
        camera = VORNA3D_NEW render::Camera();
        camera->addRef();
        camera->setParallel(0.f, float(kWidth), 0.f, float(kHeight), 0.f, 100.f);
        g3d->setCamera(camera, render::Transform());
        g3d->calls.clear();
    }

    void TearDown() override
    {
        if (camera)
            camera->releaseRef();
        camera = nullptr;
        if (core::Globals::exists()) {
            core::Globals::get()->m_g3d.clear();
            g3d->releaseRef();
            g3d = nullptr;
            display->releaseRef();
        }
        SceneTest::TearDown();
    }

    // Changes the renderer's configuration before it is configured.
    virtual void adjust(render::Graphics3DConfig&) { }
    // Changes the display's configuration before it is made.
    virtual void adjustDisplay(HAL::DisplayConfig&) { }

    // A texture holding an opaque white RGBA image of width x height.
    static core::Ref<render::Texture2D> texture(int width, int height)
    {
        core::Ref<render::Image2D> image = VORNA3D_NEW render::Image2D(render::Image2D::RGBA, width, height);
        return core::Ref<render::Texture2D>(VORNA3D_NEW render::Texture2D(image.get()));
    }

    HAL::Display* display = nullptr; // held with addRef
    render::Camera* camera = nullptr; // held with addRef
};

// The merged arrays of a batcher's mesh.
inline std::vector<short> meshPositions(const render::Batcher& batcher)
{
    return elements(*batcher.getMesh()->getVertexBuffer()->getPositions()->getShortDataArrayPtr());
}
inline std::vector<short> meshTexCoords(const render::Batcher& batcher)
{
    return elements(*batcher.getMesh()->getVertexBuffer()->getTexCoords(0, nullptr)->getShortDataArrayPtr());
}
inline std::vector<unsigned short> meshIndices(const render::Batcher& batcher)
{
    return elements(*batcher.getMesh()->getIndexBuffer(0)->getUnsignedShortDataArrayPtr());
}
inline std::vector<int> meshColors(const render::Batcher& batcher)
{
    std::vector<int> bytes;
    for (char c : *batcher.getMesh()->getVertexBuffer()->getColors()->getCharDataArrayPtr())
        bytes.push_back(static_cast<unsigned char>(c));
    return bytes;
}
// The vertex buffer's position scale and texture-coordinate scale of unit 0.
inline float positionScale(const render::Batcher& batcher)
{
    float scaleBias[4] = {};
    batcher.getMesh()->getVertexBuffer()->getPositions(scaleBias);
    return scaleBias[0];
}
inline float texCoordScale(const render::Batcher& batcher)
{
    float scaleBias[4] = {};
    batcher.getMesh()->getVertexBuffer()->getTexCoords(0, scaleBias);
    return scaleBias[0];
}

// The message of the FontException `action` throws ("" when none).
template <class Action> std::string fontError(Action action)
{
    testing_support::LogCapture quiet;
    try {
        action();
    } catch (const render::FontException& e) {
        return e.getMessage() ? e.getMessage() : "(null)";
    }
    return "";
}

using testing_support::assertionText;

} // namespace render_test
