#include "examples/viewer/ViewerApp.h"

#include "HAL/Input.h"
#include "core/Debug.h"
#include "examples/viewer/Screenshot.h"
#include "render/Graphics3D.h"

namespace viewer {

ViewerApp::ViewerApp(const ViewerOptions& options) : m_options(options) {}

ViewerApp::~ViewerApp() noexcept(false) = default;

void ViewerApp::createDevice(render::Graphics3D& g3d)
{
    m_keyboard = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_KEYBOARD);
    m_scene = VORNA3D_NEW ViewerScene(g3d);
    core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "viewer: scene ready (%d x %d)\n", g3d.getDisplayWidth(),
                        g3d.getDisplayHeight());
}

void ViewerApp::resetDevice(render::Graphics3D& g3d)
{
    if (m_scene)
        m_scene->setAspect(g3d.getDisplayWidth(), g3d.getDisplayHeight());
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
    m_scene->advance(seconds);
    return true;
}

void ViewerApp::render(render::Graphics3D& g3d)
{
    g3d.bindTarget(nullptr);
    m_scene->draw(g3d);
    ++m_frames;
    // Read back before releaseTarget presents the frame.
    if (m_options.screenshotPath && m_frames == m_options.screenshotFrame) {
        if (writeScreenshot(m_options.screenshotPath, g3d.getDisplayWidth(), g3d.getDisplayHeight()))
            core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "viewer: screenshot written to %s\n",
                                m_options.screenshotPath);
        else
            core::Debug::printf(core::DEBUG_LEVEL_ERROR, "viewer: can not write screenshot %s\n",
                                m_options.screenshotPath);
    }
    g3d.releaseTarget();
}

} // namespace viewer
