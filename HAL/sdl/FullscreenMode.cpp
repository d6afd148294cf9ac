#include "HAL/sdl/FullscreenMode.h"

#include "core/Assert.h"

namespace HAL {

int chooseFullscreenMode(const ScreenMode* modes, int count, int32_t width, int32_t height, const ScreenMode& desktop)
{
    ASSERT(count >= 0);
    ASSERT(count == 0 || modes);
    int best = -1;
    int bestScore = -1;
    for (int i = 0; i < count; ++i) {
        const ScreenMode& mode = modes[i];
        if (mode.width != width || mode.height != height)
            continue;
        // The desktop's format and refresh rate are known to work on this
        // monitor; the format matters more (the pixel format is chosen for
        // the desktop's depth).
        const int score = (mode.format == desktop.format ? 2 : 0) + (mode.refreshRate == desktop.refreshRate ? 1 : 0);
        if (score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

} // namespace HAL
