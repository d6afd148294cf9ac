#pragma once
#include <cstdint>

namespace HAL {

// How a display's window is created. Position and size follow the window's
// move and size events.
struct DisplayConfig {
    void* hwnd = nullptr;   // native window to adopt; null: the display creates its own
    void* hdc = nullptr;    // native drawing surface, filled in by the display
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;      // client size
    int32_t height = 0;
    int8_t color = 0;       // colour depth in bits; 0: the screen's current depth
    const char* title = "Vorna3D application";
    int32_t windowed = 1;   // 1 windowed, 0 full screen; anything else fails creation
    uint8_t showCursor = 1;
};

} // namespace HAL
