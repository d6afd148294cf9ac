#pragma once
// The display on Windows: a window of its own class whose procedure is
// platformWindowProc (Win32WindowProc.h), an OpenGL pixel format on its
// device context, and full screen through a display mode change or, when
// the screen has no mode of the window's size, a borderless window over the
// whole desktop; offscreen, a hidden window. The configuration's `hwnd` and `hdc` are the HWND and HDC.

#include <cstddef>

#include "HAL/Display.h"

namespace HAL {

class Win32Display : public Display {
public:
    // Opens the window (`hwnd` null: a window of the display's own class,
    // named after `title`, with a client area of width x height) and sets
    // its pixel format, or adopts the window given in `hwnd` (its title
    // stays, the display's becomes " "); then enters full screen when
    // `windowed` is 0. With `offscreen` the window is frameless and never
    // shown, nor made full screen: its framebuffer is drawn into and read
    // back (frame capture). Throws HALException "Display constructor can not
    // create a window" when the class or the window cannot be had (also for
    // `windowed` other than 0 and 1), and what setFullscreen throws. Asserts
    // "initDisplay : pixel format failed" when no OpenGL format fits.
    explicit Win32Display(const DisplayConfig& config);

    // Leaves full screen, deletes an OpenGL context still left, destroys its
    // own window and unregisters its class (an adopted window stays).
    // Throws HALException "HAL: can not close the window" when Windows
    // refuses to destroy it.
    ~Win32Display() noexcept(false) override;

    // On: the desktop changes to width x height (the size the display was
    // created with) at `color` bits and the window covers it, top-most. When
    // the change fails (no such mode), the window covers the desktop in its
    // own mode with the picture kept at the created size and aspect ratio
    // between black bars (pictureWidth x pictureHeight), and one warning
    // says so; from then on that is the way full screen goes. Requires
    // color > 0 ("Display::setFullscreen failed because color depth <= 0").
    // Off: the desktop's mode back and the window minimised; throws
    // HALException "HAL: can not set fullscreen OFF" when Windows refuses.
    void setFullscreen(bool on, int8_t color) override;

    bool isFullscreen() const { return m_fullscreen; }
    // True once full screen has fallen back to the desktop's own mode.
    bool usesDesktopMode() const { return m_useDesktop; }

    // The outer size a window of `style` needs for a client area of
    // width x height.
    static void outerSize(unsigned long style, int32_t width, int32_t height, int32_t* outerWidth,
                          int32_t* outerHeight);

private:
    void open();
    void adoptWindow();
    void* createWindow();
    void setPixelFormat();
    void showCursor(bool show);
    void close() noexcept(false);

    wchar_t* m_className = nullptr;
    uint8_t m_external = 0;
    bool m_classRegistered = false;
    bool m_fullscreen = false;
    bool m_modeChanged = false;
    bool m_useDesktop = false;
    bool m_cursorHidden = false;
    int32_t m_fullscreenWidth = 0;
    int32_t m_fullscreenHeight = 0;
};

} // namespace HAL
