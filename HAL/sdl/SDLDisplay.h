#pragma once
// The display on SDL: an OpenGL-capable SDL window (the configuration's
// `hwnd` and `hdc` are its SDL_Window), its pixel format, and full screen in
// a display mode of the window's size or, when the screen has none, in the
// desktop's own mode.

#include "HAL/Display.h"
#include "HAL/sdl/FullscreenMode.h"

struct SDL_Window;

namespace HAL {

class SDLDisplay : public Display {
public:
    // Starts SDL's video, sets the pixel format and opens the window
    // (`hwnd` null), or adopts the SDL window given in `hwnd` (created with
    // SDL_WINDOW_OPENGL; its title stays, the display's becomes " "); enters
    // full screen when `windowed` is 0. With `offscreen` 1 video runs on
    // SDL's offscreen driver whatever SDL_VIDEODRIVER says (no display server
    // needed) and the window never goes full screen. While the display lives
    // SIGINT, SIGTERM and SIGHUP quit through the message pump (QuitSignals.h).
    // Throws HALException "Display constructor can not create a window" when
    // video or the window cannot be had (also for `windowed` other than 0 and
    // 1, and for `offscreen` while video already runs on another driver), and
    // what setFullscreen throws.
    explicit SDLDisplay(const DisplayConfig& config);

    // Leaves full screen, deletes an OpenGL context still left, closes its
    // own window (an adopted one stays) and stops its use of SDL's video.
    ~SDLDisplay() noexcept(false) override;

    // On: full screen in a display mode of exactly the size the display was
    // created with (chooseFullscreenMode); when the screen has none, or
    // setting it fails, in the desktop's mode, with one warning saying the
    // picture is scaled into the desktop's size (the window's size event
    // then resets the device to it). The choice is made once per screen:
    // entering again after a focus loss takes the same way. While a changed
    // mode is up a crash leaves it first (CrashRestore.h). Requires color > 0
    // ("Display::setFullscreen failed because color depth <= 0"). Off: back
    // to the desktop mode and the window minimised. An offscreen display
    // does neither. Throws HALException "HAL: can not set fullscreen mode"
    // when neither way works, "HAL: can not set fullscreen OFF" when SDL
    // refuses to leave.
    void setFullscreen(bool on, int8_t color) override;

    SDL_Window* getWindow() const { return static_cast<SDL_Window*>(m_config.hwnd); }
    bool isFullscreen() const { return m_fullscreen; }
    // True when full screen is (or would be, once chosen) in the desktop's
    // mode rather than a mode of the display's own size.
    bool usesDesktopMode() const { return m_useDesktop; }

private:
    void startVideo();
    void open();
    void adoptWindow();
    SDL_Window* createWindow();
    SDL_Window* createWindowWithDepth(int depthBits);
    void close() noexcept;
    void chooseMode(int screen);
    bool enterChosenMode();
    void enterDesktopMode();

    uint8_t m_external = 0;
    bool m_videoStarted = false;
    bool m_quitSignalsInstalled = false;
    bool m_fullscreen = false;
    // The size full screen is asked for: the size the display was created
    // with (size events change the configuration's).
    int32_t m_fullscreenWidth = 0;
    int32_t m_fullscreenHeight = 0;
    // The full-screen choice, made on first entering, for this screen.
    int m_modeScreen = -1;
    bool m_useDesktop = false;
    ScreenMode m_mode;
};

} // namespace HAL
