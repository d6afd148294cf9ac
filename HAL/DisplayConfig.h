#pragma once
#include <cstdint>

namespace HAL {

// How a display's window is created. Position and size follow the window's
// move and size events.
struct DisplayConfig {
    void* hwnd = nullptr; // native window to adopt; null: the display creates its own
    void* hdc = nullptr; // native drawing surface, filled in by the display
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0; // client size
    int32_t height = 0;
    int8_t color = 0; // colour depth in bits; 0: the screen's current depth
    const char* title = "Vorna3D application";
    int32_t windowed = 1; // 1 windowed, 0 full screen; anything else fails creation
    uint8_t showCursor = 1;
    // The picture's own size. 0 x 0: the picture is the window's client area
    // and follows its size. Set, the renderer keeps this size as the
    // picture's coordinate space and aspect ratio whatever the window's size
    // (a desktop-sized full screen, a capture size): it is scaled to fit the
    // window and centred between black bars.
    int32_t pictureWidth = 0;
    int32_t pictureHeight = 0;
    // 1: draw without showing anything on a screen (no display server needed;
    // SDL's offscreen video driver), for frame capture and headless tools.
    uint8_t offscreen = 0;
};

} // namespace HAL
