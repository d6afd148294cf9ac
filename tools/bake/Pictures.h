#pragma once
// The demo's full-screen pictures and the logo textures.

#include "Canvas.h"
#include "Font.h"

namespace bake {

// The title: "SULVANTO" in chrome letters over a sunset with a glowing
// grid, "BY NORVALLI PRODUCTIONS" under it. Opaque, 1024 x 1024; painted
// for a 4:3 screen and stretched, since the demo shows it full screen.
Canvas paintTitle(const Typeface& face);

// The underwater backdrop: blue depth gradient, light rays from the
// surface, caustics, drifting particles and a dim sea floor. Opaque,
// 1024 x 1024, painted for a 4:3 screen like the title.
Canvas paintUnderwater();

// The logo letters' texture (256 x 256, opaque): 80s chrome, sky above a
// bright horizon line and warm ground below, with brushed streaks. Rows
// run from the letters' tops (row 0) to their feet.
Canvas paintLogoChrome();

// The same chrome for the mirrored letters: darker towards the letters'
// tops, and transparent there, so that the reflection fades and is cut
// where the alpha test (0.1) fails: alpha below 26 in the upper rows, 26 or
// more from `REFLECTION_CUT_ROW` down.
Canvas paintLogoReflection();
constexpr int REFLECTION_CUT_ROW = 128;

} // namespace bake
