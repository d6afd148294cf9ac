// The renderer's configuration and frame order on the recording back end:
// start-up, bindTarget / clear / render / releaseTarget on the display and
// on a render target, the depth range, the camera light, the statistics.

#include "render/appearance/CompositingMode.h"
#include "render/scene/Light.h"
#include "render/scene/Mesh.h"
#include "render/appearance/PolygonMode.h"
#include "render/RenderTarget.h"
#include "render/geometry/TriangleStripArray.h"
#include "render/geometry/LineListArray.h"
#include "tests/render/OGLES/OGLESTestSupport.h"

using namespace render;
using namespace render_test;

namespace {

using OGLESFrameTest = OGLESTest;

TEST_F(OGLESFrameTest, ConfigurationReadsLimitsSetsDefaultsAndBuildsInternalObjects)
{
    Graphics3DConfig config = quietConfig();
    config.cameraLight = true;
    g3d->configGraphics3D(display, config);

    // Start-up order: context, lights off, default state, viewport, depth range.
    const int context = g3d->indexOf("createContext()");
    const int lightsOff = g3d->indexOf("sendLightData(null)");
    const int state = g3d->indexOf("initRenderState()");
    const int viewport = g3d->indexOf(call("viewport", 0, 0, kWidth, kHeight));
    const int depth = g3d->indexOf(call("sendDepthRange", 0.f, 1.f));
    EXPECT_EQ(context, 0);
    EXPECT_LT(context, lightsOff);
    EXPECT_LT(lightsOff, state);
    EXPECT_LT(state, viewport);
    EXPECT_LT(viewport, depth);

    // The limits the device reported (2048 x 1024 viewports, 1024 texels, 2 units).
    const Graphics3DProperties& p = g3d->getProperties();
    EXPECT_EQ(p.maxViewportWidth, 2048);
    EXPECT_EQ(p.maxViewportHeight, 1024);
    EXPECT_EQ(p.maxViewportDimension, 1024);
    EXPECT_EQ(p.maxTextureDimension, 1024);
    EXPECT_EQ(p.numTextureUnits, 2);
    EXPECT_EQ(p.maxLights, 8);
    EXPECT_FLOAT_EQ(g3d->getDepthRangeNear(), 0.f);
    EXPECT_FLOAT_EQ(g3d->getDepthRangeFar(), 1.f);
    EXPECT_EQ(g3d->getViewportWidth(), kWidth);
    EXPECT_EQ(g3d->getViewportHeight(), kHeight);
    EXPECT_STREQ(g3d->getBackendName(), "UNKNOWN"); // the recorder names no back end

    // Internal objects: the 2D camera spans the display, y up.
    ASSERT_NE(g3d->getCamera2DForBackground(), nullptr);
    float bounds[4] = {};
    EXPECT_EQ(g3d->getCamera2DForBackground()->getProjection(bounds), Camera::PARALLEL_BOUNDS);
    EXPECT_FLOAT_EQ(bounds[0], float(kHeight)); // top
    EXPECT_FLOAT_EQ(bounds[1], 0.f); // bottom
    EXPECT_FLOAT_EQ(bounds[2], float(kWidth)); // right
    EXPECT_FLOAT_EQ(bounds[3], 0.f); // left
    ASSERT_NE(g3d->getTexture2DMesh(), nullptr);
    ASSERT_NE(g3d->getCameraLight(), nullptr);
    EXPECT_EQ(g3d->getCameraLight()->getMode(), Light::DIRECTIONAL);
    Appearance* defaults = g3d->getDefaultAppearance();
    ASSERT_NE(defaults, nullptr);
    ASSERT_NE(defaults->getPolygonMode(), nullptr);
    EXPECT_EQ(defaults->getPolygonMode()->getCulling(), PolygonMode::CULL_NONE);
    ASSERT_NE(defaults->getCompositingMode(), nullptr);
    EXPECT_EQ(defaults->getCompositingMode()->getBlending(), CompositingMode::ALPHA);
    EXPECT_TRUE(defaults->getCompositingMode()->isDepthTestEnabled());
    EXPECT_FALSE(defaults->getCompositingMode()->isDepthWriteEnabled());

    EXPECT_EQ(assertionText([&] { g3d->configGraphics3D(display, config); }),
              "You can not call readGraphics3DConfig because object is already initialized");

    // A device that reports no viewport is refused (a second, unregistered back end).
    core::Ref<RecordingOGLES> broken = VORNA3D_NEW RecordingOGLES();
    broken->maxViewport[0] = 0;
    EXPECT_EQ(assertionText([&] { broken->configGraphics3D(display, quietConfig()); }), "maxViewportWidth <= 0");
}

TEST_F(OGLESFrameTest, FrameOnTheDisplayIsPresentedAndResetsCountersAndHints)
{
    configure();
    core::Ref<VertexBuffer> vertices = triangleVertices();
    core::Ref<IndexBuffer> indices = triangleIndices();

    g3d->bindTarget(nullptr, true, Graphics3D::HINT_ANTIALIAS | Graphics3D::HINT_DITHER);
    EXPECT_TRUE(g3d->isTargetBound());
    g3d->clear(nullptr);
    draw(vertices.get(), indices.get(), nullptr);
    EXPECT_EQ(g3d->getStatistics().triangles, 1);
    EXPECT_EQ(g3d->getStatistics().drawCalls, 1);
    g3d->releaseTarget();

    const int current = g3d->indexOf("makeCurrent()");
    const int cleared = g3d->indexOf(call("clear", 0.f, 0.f, 0.f, 0.f, true, true));
    const int begin = g3d->indexOf("beginRender()");
    const int hints = g3d->indexOf(call("sendDepthAndHints", true, true, true));
    const int drawn = g3d->indexOf(call("drawElements", GL_TRIANGLES, 3, "ptr"));
    const int end = g3d->indexOf(call("endRender", 0));
    const int swap = g3d->indexOf("swapBuffers()");
    EXPECT_GE(current, 0);
    EXPECT_LT(current, cleared);
    EXPECT_LT(cleared, begin);
    EXPECT_LT(begin, hints);
    EXPECT_LT(hints, drawn);
    EXPECT_LT(drawn, end);
    EXPECT_LT(end, swap);
    EXPECT_EQ(g3d->count("copyScreenToTexture"), 0);

    // Released to the display: counters zeroed, one frame counted, hints back to the default.
    EXPECT_FALSE(g3d->isTargetBound());
    EXPECT_EQ(g3d->getStatistics().triangles, 0);
    EXPECT_EQ(g3d->getStatistics().drawCalls, 0);
    EXPECT_EQ(g3d->getStatistics().cameraSetCount, 0);
    EXPECT_EQ(g3d->getFrameCount(), 1);
    EXPECT_EQ(g3d->getHints(), Graphics3D::HINT_DEFAULT);

    // Without a depth buffer the depth test and writes stay off, whatever the mode says.
    core::Ref<CompositingMode> mode = VORNA3D_NEW CompositingMode();
    core::Ref<Appearance> appearance = VORNA3D_NEW Appearance();
    appearance->setCompositingMode(mode.get());
    g3d->ops.clear();
    g3d->bindTarget(nullptr, false);
    draw(vertices.get(), indices.get(), appearance.get());
    g3d->releaseTarget();
    EXPECT_TRUE(g3d->has(call("sendDepthAndHints", false, false, false)));
    EXPECT_EQ(g3d->count("sendDepth"), 0);

    // Misuse of the frame order.
    EXPECT_EQ(assertionText([&] { g3d->releaseTarget(); }), "releaseTarget : no target is bound");
    g3d->bindTarget(nullptr);
    EXPECT_EQ(assertionText([&] { g3d->bindTarget(nullptr); }), "bindTarget : target is already bound");
    g3d->releaseTarget();
    EXPECT_EQ(assertionText([&] { g3d->bindTarget(nullptr, true, 32); }), "bindTarget : hints are invalid");
    g3d->pendingErrors = 1;
    EXPECT_EQ(assertionText([&] { g3d->bindTarget(nullptr); }), "Graphics3D error before bindTarget");
    EXPECT_FALSE(g3d->isTargetBound());
}

TEST_F(OGLESFrameTest, RenderTargetReceivesTheFrameAtBaseLevel)
{
    configure();
    core::Ref<Texture2D> texture = g3d->createNewTexture(100, 50);
    ASSERT_NE(texture, nullptr);
    const int id = texture->getTextureID();
    core::Ref<RenderTarget> target = VORNA3D_NEW RenderTarget(texture.get());
    g3d->ops.clear();

    g3d->bindTarget(target.get());
    EXPECT_EQ(g3d->getRenderTarget(), target.get());
    g3d->clear(nullptr);
    g3d->releaseTarget();

    // Without framebuffer objects the frame is copied from the window: the
    // lower-left 64 x 48 pixels, all that the 64 x 48 window holds of the
    // 100 x 50 texture. Nothing is presented.
    EXPECT_TRUE(g3d->has(call("bindTargetFramebuffer", id)));
    EXPECT_TRUE(g3d->has(call("copyScreenToTexture", id, Image2D::RGBA, kWidth, kHeight)));
    EXPECT_EQ(g3d->count("swapBuffers"), 0);
    EXPECT_EQ(g3d->getFrameCount(), 0);
    EXPECT_EQ(g3d->getRenderTarget(), nullptr);
    // Only level 0 holds the frame: the texture samples it alone, with its
    // own image filter (linear, the default): a picture scaled to a larger
    // window must not turn blocky.
    EXPECT_EQ(texture->getLevelFilter(), Texture2D::FILTER_BASE_LEVEL);
    EXPECT_EQ(texture->getImageFilter(), Texture2D::FILTER_LINEAR);
    EXPECT_EQ(static_cast<RecordedTexture2D*>(texture.get())->filtersApplied, 1);
}

TEST_F(OGLESFrameTest, DepthRangeIsCheckedBeforeItIsStored)
{
    configure();
    g3d->setDepthRange(0.25f, 0.75f);
    EXPECT_TRUE(g3d->has(call("sendDepthRange", 0.25f, 0.75f)));

    // A rejected range changes neither value and sends nothing.
    g3d->ops.clear();
    EXPECT_EQ(assertionText([&] { g3d->setDepthRange(0.f, 1.5f); }), "setDepthRange : far_range has invalid data");
    EXPECT_EQ(assertionText([&] { g3d->setDepthRange(-0.1f, 0.5f); }), "setDepthRange : near_range has invalid data");
    EXPECT_FLOAT_EQ(g3d->getDepthRangeNear(), 0.25f);
    EXPECT_FLOAT_EQ(g3d->getDepthRangeFar(), 0.75f);
    EXPECT_EQ(g3d->count("sendDepthRange"), 0);

    EXPECT_EQ(assertionText([&] { g3d->setActiveShaderProgram(1); }), "OGLES 1.x can not use setActiveShaderProgram");
    EXPECT_EQ(assertionText([&] { g3d->getActiveShaderProgram(); }), "OGLES 1.x can not use getActiveShaderProgram");
}

TEST_F(OGLESFrameTest, CameraLightJoinsAtTheFirstLitDrawAndFollowsTheCamera)
{
    Graphics3DConfig config = quietConfig();
    config.cameraLight = true;
    configure(config);
    core::Ref<VertexBuffer> vertices = triangleVertices();
    core::Ref<IndexBuffer> indices = triangleIndices();
    core::Ref<Light> omni = VORNA3D_NEW Light();
    omni->setMode(Light::OMNI);
    EXPECT_EQ(g3d->addLight(omni.get(), Transform()), 0);
    EXPECT_EQ(g3d->getCameraLightIndex(), -1);

    draw(vertices.get(), indices.get(), nullptr);
    EXPECT_EQ(g3d->getCameraLightIndex(), 1);
    EXPECT_EQ(g3d->getLight(1), g3d->getCameraLight());
    EXPECT_TRUE(g3d->has(call("sendLightData", 0, Light::OMNI, true)));
    EXPECT_TRUE(g3d->has(call("sendLightData", 1, Light::DIRECTIONAL, true)));
    // Lights are sent before the matrices, and GL lighting is on for the draw.
    EXPECT_LT(g3d->indexOf(call("sendLightData", 1, Light::DIRECTIONAL, true)), g3d->indexOf("loadModelViewMatrix()"));
    EXPECT_TRUE(g3d->has(call("sendLighting", true)));

    // The camera moves: the camera light's record carries its transform.
    Transform moved;
    moved.postTranslate(0.f, 0.f, 5.f);
    g3d->setCamera(camera, moved);
    EXPECT_EQ(g3d->getLightConfig(1).transform, moved.getMatrix());

    // Cleared with the list, listed again by the next lit draw (at index 0 now).
    g3d->resetLights();
    EXPECT_EQ(g3d->getCameraLightIndex(), -1);
    EXPECT_EQ(g3d->getLightCount(), 0);
    draw(vertices.get(), indices.get(), nullptr);
    EXPECT_EQ(g3d->getCameraLightIndex(), 0);

    // The run-time switch keeps GL lighting off (screen-space draws use it).
    g3d->ops.clear();
    g3d->setLightingEnabled(false);
    draw(vertices.get(), indices.get(), nullptr);
    EXPECT_TRUE(g3d->has(call("sendLighting", false)));
    EXPECT_EQ(g3d->count("sendLighting"), 1);
}

TEST_F(OGLESFrameTest, PerFrameLinesAreRendererLinesOnly)
{
    configure();
    // At the default debug level (errors, warnings, progress, engine) a
    // frame logs nothing: resetLights is a renderer-class line.
    testing_support::LogCapture log;
    g3d->bindTarget(nullptr);
    g3d->resetLights();
    g3d->clear(nullptr);
    g3d->releaseTarget();
    EXPECT_EQ(log.text(), "");
}

TEST_F(OGLESFrameTest, StatisticsCountPrimitivesAndPercentagesOfLargePools)
{
    configure();
    core::Ref<VertexBuffer> vertices = VORNA3D_NEW VertexBuffer();
    vertices->setPositions(shortArray(3, {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 2, 2, 0}).get(), 1.f, nullptr);
    static constexpr unsigned short six[] = {0, 1, 2, 2, 1, 3};
    static constexpr unsigned short five[] = {0, 1, 2, 3, 4};
    const int stripLength[] = {5};
    core::Ref<IndexBuffer> list = VORNA3D_NEW TriangleListArray(six, 6);
    core::Ref<IndexBuffer> lines = VORNA3D_NEW LineListArray(six, 6);
    core::Ref<IndexBuffer> strip = VORNA3D_NEW TriangleStripArray(five, stripLength, 1);

    // Worked by hand: 6 listed indices are 2 triangles, 6 line indices 3
    // lines; the strip 0..4 is stored joined as 0 0 0 1 2 3 4 4 4 4 (see
    // TriangleStripArray), 10 indices, which count as 8 triangles (5 of them
    // degenerate bridges).
    draw(vertices.get(), list.get(), nullptr);
    EXPECT_EQ(g3d->getStatistics().triangles, 2);
    EXPECT_EQ(g3d->getStatistics().drawCalls, 1);
    draw(vertices.get(), lines.get(), nullptr);
    EXPECT_EQ(g3d->getStatistics().triangles, 2);
    EXPECT_EQ(g3d->getStatistics().lines, 3);
    EXPECT_EQ(g3d->getStatistics().drawCalls, 2);
    EXPECT_TRUE(g3d->has(call("drawElements", GL_LINES, 6, "ptr")));
    draw(vertices.get(), strip.get(), nullptr);
    EXPECT_EQ(g3d->getStatistics().triangles, 10);
    EXPECT_TRUE(g3d->has(call("drawElements", GL_TRIANGLE_STRIP, 10, "ptr")));
    // The outline pass draws the indices twice more.
    draw(vertices.get(), list.get(), nullptr, Graphics3D::RENDER_ALL | Graphics3D::RENDER_FLAG_OUTLINE);
    EXPECT_EQ(g3d->getStatistics().drawCalls, 6);

    // The overlay's memory lines: 40,960,000 bytes x 100 does not fit in 32 bits.
    EXPECT_EQ(Graphics3D::percentOf(40960000, 40960000), 100);
    EXPECT_EQ(Graphics3D::percentOf(10240000, 40960000), 25);
    EXPECT_EQ(Graphics3D::percentOf(40959999, 40960000), 99); // truncated, not rounded
    EXPECT_EQ(Graphics3D::percentOf(5, 0), 0);
}

} // namespace
