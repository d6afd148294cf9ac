// A full-screen 1024 x 768 window that clears itself every frame and ends on
// Escape or Q: the platform layer end to end (window, OpenGL context, OS
// events, keyboard input) under the frame loop, until the renderer takes
// over the drawing. "windowed" on the command line opens a window instead.

#include "HAL/GL.h"

#include <cstring>

#include "HAL/Display.h"
#include "HAL/Input.h"
#include "HAL/OGL_1_X.h"
#include "core/Debug.h"
#include "core/Ref.h"
#include "framework/App.h"
#include "framework/FrameworkScope.h"
#include "framework/ProgramEntry.h"
#include "framework/Vorna3DFramework.h"
#include "render/Graphics3D.h"
#include "tests/support/NullGraphics3D.h"

namespace {

// The least a renderer does: owns the context on the display and presents.
// The renderer's back-end slots stay no-ops: this program draws with GL itself.
class ClearGraphics : public testing_support::NullGraphics3D {
public:
    ~ClearGraphics() noexcept(false) override
    {
        if (m_display)
            HAL::OGL_1_X::deinit(m_display);
    }

    void configGraphics3D(HAL::Display* display, const render::Graphics3DConfig&) override
    {
        ASSERT(display);
        m_display = display;
        HAL::OGL_1_X::init(display);
        resetGraphics3D();
    }

    void resetGraphics3D() override
    {
        HAL::OGL_1_X::makeCurrent(m_display);
        glViewport(0, 0, m_display->getConfig().width, m_display->getConfig().height);
    }

    void present() { HAL::OGL_1_X::swapBuffers(m_display); }

private:
    HAL::Display* m_display = nullptr;
};

class HelloApp : public framework::App {
public:
    void createDevice(render::Graphics3D&) override
    {
        m_keyboard = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_KEYBOARD);
    }

    bool update(float seconds) override
    {
        m_time += seconds;
        if (m_keyboard->readInput(HAL::Input::KEY_ESCAPE) != 0.0f) {
            core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "hello_window: Escape read, stopping\n");
            return false;
        }
        if (m_keyboard->readInput('q') != 0.0f) {
            core::Debug::printf(core::DEBUG_LEVEL_APPLICATION, "hello_window: Q read, stopping\n");
            return false;
        }
        return true;
    }

    void render(render::Graphics3D& g3d) override
    {
        // A slow pulse of blue, so a watcher sees frames go by.
        const float phase = m_time - static_cast<float>(static_cast<int>(m_time));
        glClearColor(0.1f, 0.2f, 0.3f + 0.5f * phase, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        static_cast<ClearGraphics&>(g3d).present();
    }

private:
    core::Ref<HAL::Input> m_keyboard;
    float m_time = 0.0f;
};

framework::Vorna3DFramework* createHello(framework::FrameworkConfig& config)
{
    config.display.width = 1024;
    config.display.height = 768;
    config.display.windowed = 0;
    for (int i = 0; i < config.argCount; ++i) {
        if (std::strcmp(config.args[i], "windowed") == 0)
            config.display.windowed = 1;
    }
    config.display.showCursor = 0;
    config.display.title = "Vorna3D hello window";
    config.createConsole = 0;
    config.memorySize = 4 * 1024 * 1024;
    config.fixedTimeStep = 0.005f;
    config.minFrameTime = 0.005f;

    framework::FrameworkScope framework(config);
    framework->setGraphics3D(VORNA3D_NEW ClearGraphics());
    framework->setApp(VORNA3D_NEW HelloApp());
    return framework.release();
}

} // namespace

int main(int argc, char** argv)
{
    return framework::runProgram(argc, argv, createHello);
}
