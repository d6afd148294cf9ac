// A display with `offscreen` set: no display server, SDL's offscreen driver
// whatever the environment asks for, no full screen, and a working OpenGL
// context.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "HAL/Display.h"
#include "HAL/GL.h"
#include "HAL/OGL_1_X.h"
#include "core/Globals.h"
#include "core/Ref.h"
#include "core/Vector.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using HAL::Display;

namespace {

class OffscreenDisplayTest : public testing_support::EngineTest { };

// Sets or removes an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

HAL::DisplayConfig offscreenConfig()
{
    HAL::DisplayConfig config;
    config.width = 640;
    config.height = 480;
    config.color = 32;
    config.title = "Vorna3D offscreen test";
    config.windowed = 0; // asked full screen: offscreen wins
    config.offscreen = 1;
    return config;
}

} // namespace

TEST_F(OffscreenDisplayTest, DrawsWithoutADisplayServerWhateverTheEnvironmentAsks)
{
    // No X server; no driver asked for, and a driver that would need one.
    ScopedEnv noDisplay("DISPLAY", nullptr);
    ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
    for (const char* asked : {static_cast<const char*>(nullptr), "x11"}) {
        SCOPED_TRACE(asked ? asked : "SDL_VIDEODRIVER unset");
        ScopedEnv driver("SDL_VIDEODRIVER", asked);
        {
            core::Ref<Display> display = Display::createDisplayHandle(offscreenConfig());
            SDL_Window* window = static_cast<SDL_Window*>(display->getConfig().hwnd);
            ASSERT_NE(window, nullptr);
            EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "offscreen");
            EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
            int width = 0;
            int height = 0;
            SDL_GetWindowSize(window, &width, &height);
            EXPECT_EQ(width, 640);
            EXPECT_EQ(height, 480);
            // Focus events cannot take it full screen either.
            display->handleEvent(HAL::OS_EVENT_FOCUS_GAINED, 0, 0);
            EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);

            HAL::OGL_1_X::init(display.get());
            ASSERT_NE(display->getOGL()->m_context, nullptr);
            glViewport(0, 0, 640, 480);
            glClearColor(0.0f, 1.0f, 0.5f, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT);
            unsigned char pixel[4] = {};
            glReadPixels(320, 240, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
            EXPECT_EQ(pixel[0], 0);
            EXPECT_EQ(pixel[1], 255);
            EXPECT_EQ(pixel[2], 128); // 0.5 of 255, rounded to nearest
            EXPECT_EQ(pixel[3], 255);
            HAL::OGL_1_X::swapBuffers(display.get());
            HAL::OGL_1_X::deinit(display.get());
        }
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
        // The driver was forced for that start only: the environment rules
        // again.
        if (asked)
            EXPECT_STREQ(SDL_GetHint(SDL_HINT_VIDEODRIVER), asked);
        else
            EXPECT_EQ(SDL_GetHint(SDL_HINT_VIDEODRIVER), nullptr);
    }
}

TEST_F(OffscreenDisplayTest, RefusedWhileVideoRunsOnAnotherDriver)
{
    ScopedEnv dummy("SDL_VIDEODRIVER", "dummy");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    try {
        testing_support::LogCapture log;
        core::Ref<Display> display = Display::createDisplayHandle(offscreenConfig());
        ADD_FAILURE() << "no exception";
    } catch (const HAL::HALException& e) {
        EXPECT_STREQ(e.getMessage(), "Display constructor can not create a window");
    }
    EXPECT_EQ(core::Globals::get()->m_displays->size(), 0);
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "dummy"); // left running for its owner
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
