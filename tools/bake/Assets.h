#pragma once
// The whole bake: every asset of the demo, into the archive and, when
// asked, as preview PNGs.

#include <string>

namespace bake {

struct BakeOptions {
    std::string archive; // where sulvanto.dat goes; empty: not written
    std::string previewDir; // where the preview PNGs go; empty: none
    std::string fontFile; // the TrueType font for all lettering
};

// The file names inside the archive.
extern const char* const FONT_DESCRIPTION; // "font.txt"
extern const char* const FONT_IMAGE; // "font.png"
extern const char* const GRAPHICS_2D; // "2dgfx.png"
extern const char* const TITLE_PICTURE; // "sulvantobynorvalliproductions.png"
extern const char* const UNDERWATER; // "wtr.png"
extern const char* const LOGO_REFLECTION; // "v3d.png"
extern const char* const DEMOBALL_SCENE; // "demoball.m3g"
extern const char* const STONEBALL_SCENE; // "stoneball.m3g"
extern const char* const HELIX_SCENE; // "heelix.m3g"
extern const char* const LOGO_SCENE; // "v3d.m3g"

// Bakes everything. Requires a started engine with a registered renderer.
// Throws std::runtime_error or the engine's exceptions.
void bakeAssets(const BakeOptions& options);

} // namespace bake
