#include "HAL/sdl/SDLDisplay.h"

#include <SDL.h>

#include <climits>
#include <cstring>

#include "HAL/System.h"
#include "HAL/sdl/CrashRestore.h"
#include "HAL/sdl/QuitSignals.h"
#include "core/Debug.h"
#include "core/Vector.h"

namespace HAL {

using core::Debug;

namespace {

constexpr const char* OFFSCREEN_DRIVER = "offscreen";

// Runs in a crash handler (see CrashRestore.h): leaving full screen puts the
// desktop's mode back.
void leaveFullscreenAfterCrash(void* window)
{
    SDL_SetWindowFullscreen(static_cast<SDL_Window*>(window), 0);
}

ScreenMode screenModeOf(const SDL_DisplayMode& mode)
{
    return ScreenMode{mode.w, mode.h, mode.format, mode.refresh_rate};
}

} // namespace

Display* Display::createDisplayHandle(const DisplayConfig& config)
{
    if (s_factory)
        return s_factory(config);
    return VORNA3D_NEW SDLDisplay(config);
}

SDLDisplay::SDLDisplay(const DisplayConfig& config)
    : Display(config), m_fullscreenWidth(config.width), m_fullscreenHeight(config.height)
{
    try {
        open();
    } catch (...) {
        close();
        throw;
    }
}

SDLDisplay::~SDLDisplay() noexcept(false)
{
    ASSERT(m_config.hwnd);
    close();
}

void SDLDisplay::startVideo()
{
    if (m_config.offscreen && SDL_WasInit(SDL_INIT_VIDEO)) {
        // Video is shared: a second driver cannot be had while it runs.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (!driver || std::strcmp(driver, OFFSCREEN_DRIVER) != 0) {
            Debug::printf(core::DEBUG_LEVEL_ERROR, "Display constructor failed (video runs on %s, not offscreen)\n",
                          driver ? driver : "no driver");
            throw HALException("Display constructor can not create a window");
        }
    }
    // The hint overrides SDL_VIDEODRIVER from the environment; it is only
    // needed while video starts.
    if (m_config.offscreen)
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, OFFSCREEN_DRIVER, SDL_HINT_OVERRIDE);
    const int started = SDL_InitSubSystem(SDL_INIT_VIDEO);
    if (m_config.offscreen)
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    if (started != 0) {
        Debug::printf(core::DEBUG_LEVEL_ERROR, "Display constructor failed (video error: %s)\n", SDL_GetError());
        throw HALException("Display constructor can not create a window");
    }
    m_videoStarted = true;
}

void SDLDisplay::open()
{
    // Before video starts its event loop: the window is the show, and a
    // signal that ends the show must leave through the frame loop so that
    // the desktop's mode is put back.
    installQuitSignals();
    m_quitSignalsInstalled = true;
    startVideo();

    if (m_config.hwnd) {
        adoptWindow();
    } else {
        if (m_config.color == 0)
            m_config.color = static_cast<int8_t>(System::getSystemInfo().colorDepth);
        SDL_Window* window = createWindow();
        if (!window)
            throw HALException("Display constructor can not create a window");
        m_config.hwnd = window;
        m_config.hdc = window;
        Debug::printf(core::DEBUG_LEVEL_PLATFORM, "Display constructor ok (%d,%d,%d,%d (%dbit))\n", m_config.x,
                      m_config.y, m_config.width, m_config.height, m_config.color);
    }

    SDL_ShowWindow(getWindow());
    SDL_RaiseWindow(getWindow());
    if (m_config.windowed == 0 && !m_config.offscreen)
        setFullscreen(true, m_config.color);
    else
        SDL_ShowCursor(m_config.showCursor ? SDL_ENABLE : SDL_DISABLE);
}

void SDLDisplay::adoptWindow()
{
    m_external = 1;
    SDL_Window* window = getWindow();
    struct {
        int left, top, right, bottom;
    } rect;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(window, &rect.left, &rect.top);
    SDL_GetWindowSize(window, &width, &height);
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    ASSERT(rect.left < SHRT_MAX && rect.left > SHRT_MIN);
    ASSERT(rect.right < SHRT_MAX && rect.right > SHRT_MIN);
    ASSERT(rect.top < SHRT_MAX && rect.top > SHRT_MIN);
    ASSERT(rect.bottom < SHRT_MAX && rect.bottom > SHRT_MIN);
    // The window keeps its own title bar text.
    m_config.title = " ";
    m_config.hdc = window;
    SDL_SetWindowPosition(window, m_config.x, m_config.y);
    if (m_config.width > 0 && m_config.height > 0)
        SDL_SetWindowSize(window, m_config.width, m_config.height);
}

SDL_Window* SDLDisplay::createWindow()
{
    Debug::printf(core::DEBUG_LEVEL_PLATFORM, "createWindow %d %d %d %d\n", m_config.x, m_config.y, m_config.width,
                  m_config.height);
    if (m_config.windowed != 0 && m_config.windowed != 1)
        return nullptr;
    // The depth buffer is asked with the colour depth's bits; Mesa has no
    // 32-bit depth buffer, so 32 is asked as 24, and 16 when even that fails.
    const int depthBits = m_config.color >= 32 ? 24 : m_config.color;
    SDL_Window* window = createWindowWithDepth(depthBits);
    if (!window && depthBits > 16) {
        Debug::printf(core::DEBUG_LEVEL_WARNING, "createWindow: no %d-bit depth buffer (%s), asking 16 bits\n",
                      depthBits, SDL_GetError());
        window = createWindowWithDepth(16);
    }
    if (!window) {
        Debug::printf(core::DEBUG_LEVEL_ERROR, "Display constructor failed (window error: %s)\n", SDL_GetError());
        return nullptr;
    }
    Debug::printf(core::DEBUG_LEVEL_PLATFORM, "createWindow ok\n");
    return window;
}

SDL_Window* SDLDisplay::createWindowWithDepth(int depthBits)
{
    // The pixel format is chosen when the window is made: RGBA 8888 with
    // alpha, stencil 8, double buffered, and a compatibility context (the
    // renderer draws with the fixed-function pipeline).
    const bool formatSet = SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8) == 0 &&
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8) == 0 && SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8) == 0 &&
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8) == 0 && SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits) == 0 &&
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8) == 0 && SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1) == 0 &&
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY) == 0;
    ASSERT_MSG(formatSet, "initDisplay : pixel format failed");

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    flags |= m_config.windowed == 1 ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_BORDERLESS;
    return SDL_CreateWindow(m_config.title, m_config.x, m_config.y, m_config.width, m_config.height, flags);
}

void SDLDisplay::setFullscreen(bool on, int8_t color)
{
    ASSERT(m_config.hwnd);
    ASSERT(m_config.width > 0);
    ASSERT(m_config.height > 0);
    if (m_config.offscreen)
        return; // nothing is on a screen
    SDL_Window* window = getWindow();

    if (!on) {
        if (!m_fullscreen)
            return;
        Debug::printf(core::DEBUG_LEVEL_PLATFORM, "setFullscreen OFF\n");
        // Leaving full screen puts the desktop's display mode back.
        if (SDL_SetWindowFullscreen(window, 0) != 0) {
            Debug::printf(core::DEBUG_LEVEL_ERROR, "setFullscreen OFF failed!\n");
            throw HALException("HAL: can not set fullscreen OFF");
        }
        disarmCrashRestore(window);
        m_fullscreen = false;
        SDL_MinimizeWindow(window);
        SDL_ShowCursor(SDL_ENABLE);
        return;
    }

    ASSERT_MSG(color > 0, "Display::setFullscreen failed because color depth <= 0");
    if (m_fullscreen)
        return;
    Debug::printf(core::DEBUG_LEVEL_PLATFORM, "setFullscreen ON\n");
    int screen = SDL_GetWindowDisplayIndex(window);
    if (screen < 0)
        screen = 0;
    if (screen != m_modeScreen)
        chooseMode(screen);
    if (m_useDesktop || !enterChosenMode())
        enterDesktopMode();
    m_fullscreen = true;
    SDL_RestoreWindow(window);
    SDL_RaiseWindow(window);
    SDL_ShowCursor(m_config.showCursor ? SDL_ENABLE : SDL_DISABLE);
}

void SDLDisplay::chooseMode(int screen)
{
    SDL_DisplayMode desktop = {};
    if (SDL_GetDesktopDisplayMode(screen, &desktop) != 0) {
        Debug::printf(core::DEBUG_LEVEL_ERROR, "setFullscreen failed (no desktop mode: %s)!\n", SDL_GetError());
        throw HALException("HAL: can not set fullscreen mode");
    }
    const int count = SDL_GetNumDisplayModes(screen);
    core::Vector<ScreenMode> modes;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode = {};
        // A mode that cannot be read, or has no size, cannot be had.
        if (SDL_GetDisplayMode(screen, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
            modes.add(screenModeOf(mode));
    }
    // A screen that lists nothing usable (SDL's offscreen driver lists one
    // mode of 0 x 0) still has the mode it shows the desktop in.
    if (modes.size() == 0)
        modes.add(screenModeOf(desktop));
    const int chosen =
        chooseFullscreenMode(&modes[0], modes.size(), m_fullscreenWidth, m_fullscreenHeight, screenModeOf(desktop));
    m_modeScreen = screen;
    m_useDesktop = chosen < 0;
    if (m_useDesktop) {
        Debug::printf(core::DEBUG_LEVEL_WARNING,
                      "setFullscreen: the screen has no %d x %d mode, the picture is scaled into %d x %d\n",
                      m_fullscreenWidth, m_fullscreenHeight, desktop.w, desktop.h);
    } else {
        m_mode = modes[chosen];
    }
}

bool SDLDisplay::enterChosenMode()
{
    SDL_Window* window = getWindow();
    const SDL_DisplayMode mode = {m_mode.format, m_mode.width, m_mode.height, m_mode.refreshRate, nullptr};
    // Armed first: the mode may already be changed when a crash comes in
    // the middle of the switch.
    armCrashRestore(leaveFullscreenAfterCrash, window);
    if (SDL_SetWindowDisplayMode(window, &mode) == 0 && SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0)
        return true;
    disarmCrashRestore(window);
    // From now on this screen is shown in its desktop mode: trying the
    // failing mode again on every focus change would only flicker.
    m_useDesktop = true;
    SDL_DisplayMode desktop = {};
    SDL_GetDesktopDisplayMode(m_modeScreen, &desktop);
    Debug::printf(core::DEBUG_LEVEL_WARNING,
                  "setFullscreen: the %d x %d mode failed (%s), the picture is scaled into %d x %d\n", m_mode.width,
                  m_mode.height, SDL_GetError(), desktop.w, desktop.h);
    return false;
}

void SDLDisplay::enterDesktopMode()
{
    SDL_Window* window = getWindow();
    // A window manager gives a window in the desktop's mode the whole
    // screen; a bare X server does nothing of the kind, and the window would
    // keep its size while SDL reports the screen's. So it gets the screen's
    // area itself first, while still a window (the size event follows).
    SDL_Rect bounds = {};
    if (SDL_GetDisplayBounds(m_modeScreen, &bounds) == 0) {
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
        SDL_SetWindowSize(window, bounds.w, bounds.h);
    }
    if (SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
        Debug::printf(core::DEBUG_LEVEL_ERROR, "setFullscreen failed (check display resolution)!\n");
        throw HALException("HAL: can not set fullscreen mode");
    }
}

void SDLDisplay::close() noexcept
{
    SDL_Window* window = getWindow();
    OGLRecord* ogl = getOGL();
    if (ogl->m_context) {
        // The renderer should have released it; a window must not die under it.
        Debug::printf(core::DEBUG_LEVEL_WARNING, "HAL::deinitDisplay: deleting a leftover OpenGL context\n");
        SDL_GL_MakeCurrent(window, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(ogl->m_context));
        *ogl = OGLRecord{};
    }
    if (window && !m_external) {
        if (m_fullscreen)
            SDL_SetWindowFullscreen(window, 0);
        disarmCrashRestore(window);
        m_fullscreen = false;
        SDL_DestroyWindow(window);
        m_config.hwnd = nullptr;
        m_config.hdc = nullptr;
        Debug::printf(core::DEBUG_LEVEL_PLATFORM, "HAL::deinitDisplay ok\n");
    }
    if (m_videoStarted) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        m_videoStarted = false;
    }
    // Last: a signal until here is a quit, not the end of the process.
    if (m_quitSignalsInstalled) {
        uninstallQuitSignals();
        m_quitSignalsInstalled = false;
    }
}

} // namespace HAL
