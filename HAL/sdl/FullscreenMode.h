#pragma once
// Which display mode a full-screen window takes. Kept free of SDL so that
// the choice can be tested without a screen.

#include <cstdint>

namespace HAL {

// One display mode as a screen lists it.
struct ScreenMode {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t format = 0; // pixel format code; only compared for equality
    int32_t refreshRate = 0; // Hz; 0 when the screen does not say
};

// The mode a full screen of `width` x `height` is shown in: the index in
// `modes` of a mode of exactly that size, preferring the desktop's pixel
// format, then the desktop's refresh rate, then the earlier entry (screens
// list their best modes first). -1 when no mode has exactly that size: the
// window then takes the desktop's own mode and the picture is scaled into
// it; a larger mode is never taken, as that would stretch the picture.
// Requires `count` >= 0 and `modes` non-null when `count` > 0.
int chooseFullscreenMode(const ScreenMode* modes, int count, int32_t width, int32_t height, const ScreenMode& desktop);

} // namespace HAL
