// Graphics3D's debug text and the statistics overlay. Both use the debug
// Text3D (the built-in font, characters it lacks left out) under the debug
// camera, a parallel projection of the screen in pixels with y up: a text
// line is collected in a dynamic buffer like any text, and the overlay's
// lines are drawn at once, after the frame's own buffers.

#include "render/Graphics3D.h"

#include "HAL/System.h"
#include "core/Debug.h"
#include "core/Globals.h"
#include "core/MemoryManager.h"
#include "render/scene/Camera.h"
#include "render/text/Text3D.h"

namespace render {

namespace {

constexpr uint32_t FPS_INTERVAL_MS = 1000;
constexpr float DEBUG_LINE_SPACING = 10.f;
constexpr const char* ENGINE_VERSION = "VORNA3D_1_11_20090915";

// Puts back the active camera and the lighting switch, also when a draw
// throws (then without throwing over the first failure).
class SavedDrawState {
public:
    explicit SavedDrawState(Graphics3D& g3d)
        : m_g3d(g3d), m_camera(g3d.getCamera()), m_transform(g3d.getCameraTransform()),
          m_lighting(g3d.isLightingEnabled())
    {
    }
    ~SavedDrawState() noexcept(false)
    {
        if (m_restored)
            return;
        m_g3d.setLightingEnabled(m_lighting);
        try {
            m_g3d.setCamera(m_camera.get(), m_transform);
        } catch (...) {
        }
    }
    void restore()
    {
        m_restored = true;
        m_g3d.setLightingEnabled(m_lighting);
        m_g3d.setCamera(m_camera.get(), m_transform);
    }
    Camera* camera() const { return m_camera.get(); }
    const Transform& transform() const { return m_transform; }

private:
    Graphics3D& m_g3d;
    core::Ref<Camera> m_camera;
    Transform m_transform;
    bool m_lighting;
    bool m_restored = false;
};

} // namespace

void Graphics3D::drawText(const char* text, const Transform* transform)
{
    ASSERT(text);
    ASSERT_MSG(m_camera2DForDebugText3D, " m_camera2DForDebugText3D != 0 ");
    m_debugText3D->setText(text);
    drawDebugText(transform);
}

void Graphics3D::drawText(const core::String& text, const Transform* transform)
{
    ASSERT_MSG(m_camera2DForDebugText3D, " m_camera2DForDebugText3D != 0 ");
    m_debugText3D->setText(text);
    drawDebugText(transform);
}

void Graphics3D::drawDebugText(const Transform* transform)
{
    if (transform) {
        render(RENDER_ALL, m_debugText3D.get(), *transform);
        return;
    }
    if (m_camera.get() == m_camera2DForDebugText3D.get()) {
        m_debugTextTransform.postTranslate(0.f, DEBUG_LINE_SPACING, 0.f);
        render(RENDER_ALL, m_debugText3D.get(), m_debugTextTransform);
        return;
    }
    SavedDrawState state(*this);
    const Transform identity;
    setCamera(m_camera2DForDebugText3D.get(), identity);
    m_debugTextTransform.postTranslate(0.f, DEBUG_LINE_SPACING, 0.f);
    render(RENDER_ALL, m_debugText3D.get(), m_debugTextTransform);
    state.restore();
}

void Graphics3D::drawStatistics()
{
    // What the overlay shows: the frame up to here, not its own draw.
    m_lastFrameStatistics = m_statistics;
    if (m_GraphicsConfig.showStatistics && m_debugText3D) {
        SavedDrawState state(*this);
        setLightingEnabled(false);
        const Transform identity;
        setCamera(m_camera2DForDebugText3D.get(), identity);
        drawStatisticsLines(m_lastFrameStatistics, state.transform());
        // Drawn now: the frame's own buffers were flushed already.
        flushDynamicBuffers();
        state.restore();
    }

    m_debugTextTransform.setIdentity();
    m_statistics = Statistics();
    ++m_frameCounter;
    ++m_framesThisSecond;
    if (!m_GraphicsConfig.showStatistics && !m_GraphicsConfig.printFps)
        return;
    HAL::System* system = core::Globals::get()->m_system;
    if (!system)
        return;
    const uint32_t now = system->getTime();
    // Unsigned difference: correct across the clock's wrap-around.
    if (now - m_lastFpsUpdate < FPS_INTERVAL_MS)
        return;
    m_lastFpsUpdate = now;
    m_fps = m_framesThisSecond;
    m_framesThisSecond = 0;
    if (m_GraphicsConfig.printFps)
        core::Debug::printf(core::DEBUG_LEVEL_ENGINE, "FPS : %d\n", m_fps);
}

void Graphics3D::drawStatisticsLines(const Statistics& frame, const Transform& cameraTransform)
{
    // The build date in capitals: the debug font has no lower case.
    char date[] = __DATE__;
    for (char& c : date)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');

    m_statisticsLine.format("GRAPHICS3D      : %s (%s) (%s)", getBackendName(), date, ENGINE_VERSION);
    drawText(m_statisticsLine);
    m_statisticsLine.format("BUFFERS USED    : %d/%d", frame.buffersUsed, m_GraphicsConfig.maxDynamicBuffers);
    drawText(m_statisticsLine);
    m_statisticsLine.format("TRIANGLES/LINES : %d/%d", frame.triangles, frame.lines);
    drawText(m_statisticsLine);
    m_statisticsLine.format("CAMERA SET COUNT: %d", frame.cameraSetCount);
    drawText(m_statisticsLine);
    m_statisticsLine.format("LIGHTS COUNT    : %d", getLightCount());
    drawText(m_statisticsLine);
    // The camera that was active when the frame was released.
    const slmath::mat4& camera = cameraTransform.getMatrix();
    m_statisticsLine.format("CAMERA POSITION : %.2f %.2f %.2f", double(camera[0].w), double(camera[1].w),
                            double(camera[2].w));
    drawText(m_statisticsLine);
    m_statisticsLine.format("FPS             : %d", m_fps);
    drawText(m_statisticsLine);
    m_statisticsLine.format("DRAW CALLS      : %d", frame.drawCalls);
    drawText(m_statisticsLine);

    core::MemoryManager* memory = core::Globals::get()->m_memoryManager;
    const core::MemoryManager::Statistics pool = memory ? memory->getStatistics() : core::MemoryManager::Statistics{};
    if (!memory || pool.forwarding) {
        drawText("MEMORY MANAGER DISABLED");
    } else {
        m_statisticsLine.format("MEMORY USED     : %d / %d BYTES : %d PERCENT", pool.allocatedMem, pool.dataBlockSize,
                                percentOf(pool.allocatedMem, pool.dataBlockSize));
        drawText(m_statisticsLine);
        m_statisticsLine.format("MEMORY PEAK     : %d BYTES : %d PERCENT", pool.peakMem,
                                percentOf(pool.peakMem, pool.dataBlockSize));
        drawText(m_statisticsLine);
        m_statisticsLine.format("ALLOCATED BLOCKS: %d", pool.allocatedBlocks);
        drawText(m_statisticsLine);
        m_statisticsLine.format("ALLOCATION COUNT: %d", pool.allocationCount);
        drawText(m_statisticsLine);
    }
    m_statisticsLine.format("SHADER UNIFORMS : %d", frame.shaderUniforms);
    drawText(m_statisticsLine);
}

} // namespace render
