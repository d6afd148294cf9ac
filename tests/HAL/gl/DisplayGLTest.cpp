// Real windows and OpenGL contexts, on SDL's offscreen driver: the window's
// pixel format, the compatibility context, presenting, switching, deleting,
// full screen, and events and quit signals coming through the message pump.

#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>

#include "HAL/Display.h"
#include "HAL/GL.h"
#include "HAL/Input.h"
#include "HAL/OGL_1_X.h"
#include "HAL/System.h"
#include "HAL/sdl/CrashRestore.h"
#include "HAL/sdl/SDLDisplay.h"
#include "core/Globals.h"
#include "core/Ref.h"
#include "core/Vector.h"
#include "tests/support/AssertionText.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using HAL::Display;
using HAL::OGL_1_X;

namespace {

class DisplayGLTest : public testing_support::EngineTest {
protected:
    void configure(framework::FrameworkConfig& config) override
    {
        EngineTest::configure(config);
        config.debugLevel = 0x104; // platform lines too
    }
};

HAL::DisplayConfig windowConfig(int width, int height)
{
    HAL::DisplayConfig config;
    config.width = width;
    config.height = height;
    config.color = 32;
    config.title = "Vorna3D gl test";
    return config;
}

using testing_support::assertionText;

// The last size event waiting in the display's queue as "WxH", or "" when
// none waits; the queue is emptied.
std::string lastSizeEvent(Display& display)
{
    std::string size;
    for (HAL::OSEvent event = display.getOSEvent(); event.type != HAL::OS_EVENT_NONE; event = display.getOSEvent()) {
        if (event.type == HAL::OS_EVENT_SIZE_CHANGED)
            size = std::to_string(event.value1) + "x" + std::to_string(event.value2);
    }
    return size;
}

std::string glString(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

} // namespace

TEST_F(DisplayGLTest, CompatibilityContextClearsPresentsAndIsDeletedOnce)
{
    testing_support::LogCapture log;
    core::Ref<Display> display = Display::createDisplayHandle(windowConfig(1024, 768));
    SDL_Window* window = static_cast<SDL_Window*>(display->getConfig().hwnd);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(display->getConfig().hdc, display->getConfig().hwnd);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);

    OGL_1_X::init(display.get());
    const std::string text = log.text();
    HAL::OGLRecord* ogl = display->getOGL();
    ASSERT_NE(ogl->m_context, nullptr);
    EXPECT_EQ(ogl->m_surface, window);
    EXPECT_NE(glString(GL_VERSION).find("Compatibility"), std::string::npos) << glString(GL_VERSION);
    EXPECT_NE(text.find("createWindow 0 0 1024 768\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Display constructor ok (0,0,1024,768 (32bit))\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("WARNING"), std::string::npos) << text; // every entry point is there

    // The pixel format asked for: 32 bits of depth are asked as 24.
    int value = 0;
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &value);
    EXPECT_EQ(value, 24);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &value);
    EXPECT_EQ(value, 8);
    SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &value);
    EXPECT_EQ(value, 8);
    EXPECT_NE(HAL::gl::glGenBuffers, nullptr);
    EXPECT_NE(HAL::gl::glBindFramebuffer, nullptr);

    // A switch only when another context (or none) is current.
    const uint32_t switches = ogl->m_contextSwitches;
    OGL_1_X::makeCurrent(display.get());
    OGL_1_X::makeCurrent(display.get());
    EXPECT_EQ(ogl->m_contextSwitches, switches);
    SDL_GL_MakeCurrent(window, nullptr);
    OGL_1_X::makeCurrent(display.get());
    OGL_1_X::makeCurrent(display.get());
    EXPECT_EQ(ogl->m_contextSwitches, switches + 1);

    // Draw into the back buffer and read it back: orange, as 8-bit channels.
    glViewport(0, 0, 1024, 768);
    glClearColor(1.0f, 0.5f, 0.25f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(1023, 767, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 128);
    EXPECT_EQ(pixel[2], 64);
    EXPECT_EQ(pixel[3], 255);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    OGL_1_X::swapBuffers(display.get());

    OGL_1_X::deinit(display.get());
    EXPECT_EQ(ogl->m_context, nullptr);
    EXPECT_EQ(ogl->m_display, nullptr);
    EXPECT_EQ(ogl->m_surface, nullptr);
    EXPECT_EQ(HAL::gl::glGenBuffers, nullptr);
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_EQ(assertionText([&] { OGL_1_X::deinit(display.get()); }),
              " ogl->m_display && ogl->m_context && ogl->m_surface ");
}

TEST_F(DisplayGLTest, PendingGLErrorIsReportedWhenTheContextGoes)
{
    core::Ref<Display> display = Display::createDisplayHandle(windowConfig(320, 200));
    OGL_1_X::init(display.get());
    glEnable(0x1234); // GL_INVALID_ENUM
    testing_support::LogCapture log;
    OGL_1_X::deinit(display.get());
    EXPECT_NE(log.text().find(" ERROR  |OpenGL 1.X ERROR (HAL::OGL_1_X::deinit): code = 1280 (0x500)\n"),
              std::string::npos)
        << log.text();
}

TEST_F(DisplayGLTest, WindowsThatCannotBeMade)
{
    HAL::DisplayConfig config = windowConfig(320, 200);
    config.windowed = 2; // neither windowed nor full screen
    try {
        testing_support::LogCapture quiet;
        core::Ref<Display> display = Display::createDisplayHandle(config);
        FAIL() << "no exception";
    } catch (const HAL::HALException& e) {
        EXPECT_STREQ(e.getMessage(), "Display constructor can not create a window");
    }
    EXPECT_EQ(core::Globals::get()->m_displays->size(), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u); // the failed display let video go again

    // A context needs a window.
    core::Ref<Display> windowless = Display::createWindowless(windowConfig(320, 200));
    EXPECT_EQ(assertionText([&] { OGL_1_X::init(windowless.get()); }), " config->hwnd ");
}

TEST_F(DisplayGLTest, FullScreenWithoutAModeOfItsSizeTakesTheDesktopModeAndItsSizeArrivesAsAnEvent)
{
    // Both the offscreen driver and the Xvfb screen of hal_gl_xvfb list one
    // mode, the desktop's 1024 x 768: none is 800 x 600. The closest larger
    // mode would be that same 1024 x 768, set as a real mode change and
    // stretching the picture; the desktop's mode is taken instead.
    std::unique_ptr<HAL::System> system(HAL::System::create(false));
    HAL::DisplayConfig config = windowConfig(800, 600);
    config.windowed = 0;
    testing_support::LogCapture log;
    core::Ref<Display> display = Display::createDisplayHandle(config);
    SDL_Window* window = static_cast<SDL_Window*>(display->getConfig().hwnd);
    auto* sdlDisplay = static_cast<HAL::SDLDisplay*>(display.get());
    EXPECT_TRUE(sdlDisplay->usesDesktopMode());
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, Uint32{SDL_WINDOW_FULLSCREEN_DESKTOP});
    // No mode was changed: nothing for a crash to put back.
    EXPECT_EQ(HAL::crashRestoreContext(), nullptr);
    EXPECT_TRUE(system->pumpMessages());
    std::string text = log.text();
    EXPECT_NE(text.find("setFullscreen ON\n"), std::string::npos) << text;
    EXPECT_NE(text.find("WARNING |setFullscreen: the screen has no 800 x 600 mode, the picture is scaled into "
                        "1024 x 768\n"),
              std::string::npos)
        << text;

    // The desktop's size reaches the frame loop as a size event, which
    // resets the device.
    EXPECT_EQ(lastSizeEvent(*display), "1024x768");
    EXPECT_EQ(display->getConfig().width, 1024);
    EXPECT_EQ(display->getConfig().height, 768);

    // Focus lost leaves full screen; gained enters it again the same way,
    // although the configured size is now the desktop's (which has a mode),
    // and says nothing more about it.
    display->handleEvent(HAL::OS_EVENT_FOCUS_LOST, 0, 0);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
    display->handleEvent(HAL::OS_EVENT_FOCUS_GAINED, 0, 0);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, Uint32{SDL_WINDOW_FULLSCREEN_DESKTOP});
    EXPECT_TRUE(sdlDisplay->usesDesktopMode());
    text = log.text();
    EXPECT_EQ(text.find("picture is scaled"), text.rfind("picture is scaled")) << text;

    EXPECT_EQ(assertionText([&] { display->setFullscreen(true, 0); }),
              "Display::setFullscreen failed because color depth <= 0");
    display = nullptr;
}

TEST_F(DisplayGLTest, FullScreenInAModeOfItsSizeGuardsTheModeAgainstCrashes)
{
    std::unique_ptr<HAL::System> system(HAL::System::create(false));
    HAL::DisplayConfig config = windowConfig(1024, 768);
    config.windowed = 0;
    testing_support::LogCapture log;
    core::Ref<Display> display = Display::createDisplayHandle(config);
    SDL_Window* window = static_cast<SDL_Window*>(display->getConfig().hwnd);
    auto* sdlDisplay = static_cast<HAL::SDLDisplay*>(display.get());
    EXPECT_FALSE(sdlDisplay->usesDesktopMode());
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, Uint32{SDL_WINDOW_FULLSCREEN});
    SDL_DisplayMode mode = {};
    ASSERT_EQ(SDL_GetWindowDisplayMode(window, &mode), 0) << SDL_GetError();
    EXPECT_EQ(mode.w, 1024);
    EXPECT_EQ(mode.h, 768);
    EXPECT_EQ(HAL::crashRestoreContext(), window);
    EXPECT_TRUE(system->pumpMessages());
    EXPECT_EQ(lastSizeEvent(*display), ""); // the size it asked for: nothing to adapt to
    EXPECT_EQ(log.text().find("WARNING"), std::string::npos) << log.text();

    // The guard lives exactly as long as the changed mode.
    display->handleEvent(HAL::OS_EVENT_FOCUS_LOST, 0, 0);
    EXPECT_EQ(HAL::crashRestoreContext(), nullptr);
    display->handleEvent(HAL::OS_EVENT_FOCUS_GAINED, 0, 0);
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP, Uint32{SDL_WINDOW_FULLSCREEN});
    EXPECT_EQ(HAL::crashRestoreContext(), window);
    display = nullptr;
    EXPECT_EQ(HAL::crashRestoreContext(), nullptr);
}

TEST_F(DisplayGLTest, ThePumpDeliversWindowEventsAndLatchesTheQuit)
{
    std::unique_ptr<HAL::System> system(HAL::System::create(false));
    core::Ref<Display> display = Display::createDisplayHandle(windowConfig(320, 200));
    SDL_Window* window = static_cast<SDL_Window*>(display->getConfig().hwnd);
    EXPECT_TRUE(system->pumpMessages());
    while (display->getOSEvent().type != HAL::OS_EVENT_NONE) { }

    // An event for the window reaches its display through the window id.
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    EXPECT_TRUE(system->pumpMessages());
    EXPECT_EQ(display->getOSEvent().type, HAL::OS_EVENT_CLOSE);

    // SIGTERM becomes SDL's quit: the pump reports stop, now and from then on.
    std::raise(SIGTERM);
    EXPECT_FALSE(system->pumpMessages());
    EXPECT_FALSE(system->pumpMessages());
    SDL_FlushEvent(SDL_QUIT);
}

TEST_F(DisplayGLTest, HangupEndsTheShowLikeACloseAndLaterSignalsCannotCutTheShutDownShort)
{
    struct sigaction before = {};
    sigaction(SIGHUP, nullptr, &before);
    ASSERT_EQ(before.sa_handler, SIG_DFL);
    std::unique_ptr<HAL::System> system(HAL::System::create(false));
    HAL::DisplayConfig config = windowConfig(320, 200);
    core::Ref<Display> display = Display::createDisplayHandle(config);
    EXPECT_TRUE(system->pumpMessages());

    // Left with its default action SIGHUP would end the process here.
    std::raise(SIGHUP);
    EXPECT_FALSE(system->pumpMessages());
    // Shutting down: more signals change nothing, the quit stays.
    std::raise(SIGTERM);
    std::raise(SIGHUP);
    std::raise(SIGINT);
    EXPECT_FALSE(system->pumpMessages());
    display = nullptr;

    // With the window gone the signal's own action is back.
    struct sigaction after = {};
    sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_DFL);
    SDL_FlushEvent(SDL_QUIT);
}

TEST_F(DisplayGLTest, AnAdoptedWindowKeepsItsTitleAndOutlivesTheDisplay)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* own = SDL_CreateWindow("the host's window", 0, 0, 100, 100, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(own, nullptr) << SDL_GetError();
    {
        HAL::DisplayConfig config = windowConfig(640, 480);
        config.hwnd = own;
        core::Ref<Display> display = Display::createDisplayHandle(config);
        EXPECT_STREQ(display->getConfig().title, " ");
        EXPECT_STREQ(SDL_GetWindowTitle(own), "the host's window");
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(own, &width, &height);
        EXPECT_EQ(width, 640);
        EXPECT_EQ(height, 480);
        EXPECT_EQ(Display::findDisplayByNativeDisplayHWND(own), display.get());
        OGL_1_X::init(display.get());
        OGL_1_X::deinit(display.get());
    }
    EXPECT_EQ(SDL_GetWindowID(own) != 0, true); // still a window
    SDL_DestroyWindow(own);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST_F(DisplayGLTest, WrittenMouseMovesWarpInsideTheFocusedWindow)
{
    std::unique_ptr<HAL::System> system(HAL::System::create(false));
    HAL::DisplayConfig config = windowConfig(320, 200);
    config.x = 200;
    config.y = 100;
    core::Ref<Display> display = Display::createDisplayHandle(config);
    core::Ref<HAL::Input> mouse = HAL::Input::createInputHandle(HAL::Input::INPUT_DEVICE_MOUSE);
    SDL_Window* window = static_cast<SDL_Window*>(display->getConfig().hwnd);

    // Without the focus the cursor is not the program's to move.
    if (SDL_GetKeyboardFocus() != window) {
        int before[2] = {};
        int after[2] = {};
        SDL_GetGlobalMouseState(&before[0], &before[1]);
        mouse->writeInput(HAL::Input::AXIS_X, 0.9f);
        SDL_GetGlobalMouseState(&after[0], &after[1]);
        EXPECT_EQ(after[0], before[0]);
        EXPECT_EQ(after[1], before[1]);
    }

    if (std::string(SDL_GetCurrentVideoDriver()) != "x11")
        GTEST_SKIP() << "moving the cursor needs a window system (run under Xvfb)";
    SDL_SetWindowInputFocus(window);
    for (int i = 0; i < 100 && SDL_GetKeyboardFocus() != window; ++i) {
        system->pumpMessages();
        SDL_Delay(10);
    }
    ASSERT_EQ(SDL_GetKeyboardFocus(), window);

    // Client coordinates: the middle of x, the bottom row of y, wherever the
    // window is on the screen.
    mouse->writeInput(HAL::Input::AXIS_X, 0.0f);
    mouse->writeInput(HAL::Input::AXIS_Y, 1.0f);
    mouse->writeInput(HAL::Input::AXIS_BUTTON_1, 1.0f);
    for (int i = 0; i < 100 && mouse->readInput(HAL::Input::AXIS_BUTTON_1) == 0.0f; ++i) {
        system->pumpMessages();
        SDL_Delay(10);
    }
    EXPECT_EQ(mouse->readInput(HAL::Input::AXIS_BUTTON_1), 1.0f);
    EXPECT_FLOAT_EQ(mouse->readInput(HAL::Input::AXIS_X), 160.0f / 320.0f);
    EXPECT_FLOAT_EQ(mouse->readInput(HAL::Input::AXIS_Y), 199.0f / 200.0f);
    mouse->writeInput(HAL::Input::AXIS_BUTTON_1, 0.0f);
    system->pumpMessages();
    EXPECT_EQ(mouse->readInput(HAL::Input::AXIS_BUTTON_1), 0.0f);
}
