#include "examples/viewer/ViewerApp.h"

#include "HAL/Input.h"
#include "HAL/InputState.h"
#include "core/Debug.h"
#include "examples/viewer/Screenshot.h"
#include "render/Graphics3D.h"

namespace viewer {

ViewerApp::ViewerApp(const ViewerOptions& options) : m_options(options)
{
}

ViewerApp::~ViewerApp() noexcept(false) = default;

void ViewerApp::createDevice(render::Graphics3D& g3d)
{
    m_keyboard = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_KEYBOARD);
    m_scene = VORNA3D_NEW ViewerScene(g3d);
    m_decorations = VORNA3D_NEW ViewerDecorations(g3d);
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "viewer: scene ready (%d x %d)\n", g3d.getDisplayWidth(),
                        g3d.getDisplayHeight());
}

void ViewerApp::resetDevice(render::Graphics3D& g3d)
{
    if (m_scene)
        m_scene->setAspect(g3d.getDisplayWidth(), g3d.getDisplayHeight());
    if (m_decorations)
        m_decorations->setSize(g3d.getDisplayWidth(), g3d.getDisplayHeight());
}

bool ViewerApp::update(float seconds)
{
    if (m_keyboard->readInput(HAL::Input::KEY_ESCAPE) != 0.0f) {
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "viewer: Escape read, stopping\n");
        return false;
    }
    if (m_keyboard->readInput('q') != 0.0f) {
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "viewer: Q read, stopping\n");
        return false;
    }
    // F1 is read from the input state: Input::readInput folds the codes
    // of 'a'..'z' (0x61..0x7A) to upper case, and F1 (0x70) shares its code
    // with 'p', so it would read the P key.
    HAL::InputState* keys = HAL::InputState::current();
    const bool f1 = keys && keys->readKey(KEY_F1);
    if (f1 && !m_f1Down)
        m_toggleStatistics = !m_toggleStatistics;
    m_f1Down = f1;
    m_scene->advance(seconds);
    m_decorations->advance(seconds);
    return true;
}

void ViewerApp::render(render::Graphics3D& g3d)
{
    if (m_toggleStatistics) {
        m_toggleStatistics = false;
        g3d.setStatisticsShown(!g3d.isStatisticsShown());
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "viewer: statistics overlay %s\n",
                            g3d.isStatisticsShown() ? "on" : "off");
    }
    g3d.bindTarget(nullptr);
    m_scene->draw(g3d);
    m_decorations->draw(g3d);
    ++m_frames;
    if (!m_options.screenshotPath || m_frames != m_options.screenshotFrame) {
        g3d.releaseTarget();
        return;
    }
    // The screenshot is the frame as presented: batches and overlay drawn.
    if (releaseWithScreenshot(g3d, m_options.screenshotPath))
        core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "viewer: screenshot written to %s\n",
                            m_options.screenshotPath);
    else
        core::Debug::printf(core::DEBUG_LEVEL_ERROR, "viewer: can not write screenshot %s\n", m_options.screenshotPath);
}

} // namespace viewer
