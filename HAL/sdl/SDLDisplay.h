#pragma once
// The display on SDL: an OpenGL-capable SDL window (the configuration's
// `hwnd` and `hdc` are its SDL_Window), its pixel format, and full screen by
// display-mode changes.

#include "HAL/Display.h"

struct SDL_Window;

namespace HAL {

class SDLDisplay : public Display {
public:
    // Starts SDL's video, sets the pixel format and opens the window
    // (`hwnd` null), or adopts the SDL window given in `hwnd` (created with
    // SDL_WINDOW_OPENGL; its title stays, the display's becomes " "); enters
    // full screen when `windowed` is 0. Throws HALException "Display
    // constructor can not create a window" when video or the window cannot
    // be had (also for `windowed` other than 0 and 1), and what setFullscreen
    // throws.
    explicit SDLDisplay(const DisplayConfig& config);

    // Leaves full screen, deletes an OpenGL context still left, closes its
    // own window (an adopted one stays) and stops its use of SDL's video.
    ~SDLDisplay() noexcept(false) override;

    // On: the display mode closest to the configured size (the desktop mode
    // when the screen has none as large), full screen, window raised. When
    // the screen cannot give the configured size the size it got is logged
    // and its size event resets the device. Requires color > 0 ("Display::
    // setFullscreen failed because color depth <= 0"). Off: back to the
    // desktop mode and the window minimised. Throws HALException "HAL: can
    // not set fullscreen mode" / "HAL: can not set fullscreen OFF" when SDL
    // refuses.
    void setFullscreen(bool on, int8_t color) override;

    SDL_Window* getWindow() const { return static_cast<SDL_Window*>(m_config.hwnd); }

private:
    void open();
    void adoptWindow();
    SDL_Window* createWindow();
    SDL_Window* createWindowWithDepth(int depthBits);
    void close() noexcept;

    uint8_t m_external = 0;
    bool m_videoStarted = false;
    bool m_fullscreen = false;
};

} // namespace HAL
