#pragma once
// Text from a TrueType font through FreeType: single glyphs and whole lines
// as coverage masks, and the demo's bitmap font (a glyph grid PNG and its
// description file).

#include <string>

#include "Canvas.h"
#include "Mask.h"

namespace bake {

class Typeface {
public:
    // Opens the font file; std::runtime_error when FreeType cannot.
    explicit Typeface(const std::string& path);
    ~Typeface();
    Typeface(const Typeface&) = delete;
    Typeface& operator=(const Typeface&) = delete;

    // One rendered glyph: its coverage and where it sits relative to the
    // pen on the baseline (left bearing, top above the baseline), in pixels.
    struct Glyph {
        Mask mask;
        int left = 0;
        int top = 0;
        float advance = 0.f;
    };
    // Character `ch` at an em size of `pixelSize` pixels, its outline
    // scaled horizontally by `xScale`. std::runtime_error for a character
    // the font does not have.
    Glyph glyph(char ch, float pixelSize, float xScale = 1.f) const;

    // A line of text with kerning and `tracking` extra pixels between
    // characters, as a mask just large enough for its ink plus `pad`
    // pixels on every side; `baseline` receives the baseline's row in it.
    Mask line(const std::string& text, float pixelSize, float tracking, int pad, int* baseline = nullptr) const;

    // The height of a capital letter (the ink of "H") at `pixelSize`.
    int capHeight(float pixelSize) const;

private:
    struct Impl;
    Impl* m_impl;
};

// The demo's bitmap font: `characters` (no line breaks, quotes or
// apostrophes) as white glyphs with anti-aliased alpha, centred in
// cellSize x cellSize cells, left to right and row after row in a square
// picture of `imageSize` pixels. Glyphs wider than a cell are narrowed.
struct BitmapFont {
    Canvas image;
    // The description file naming `pngName`.
    std::string description;
};
BitmapFont makeBitmapFont(const Typeface& face, const std::string& characters, const std::string& pngName, int cellSize,
                          int imageSize);

// The characters the demo's texts use, blank first.
extern const char* const DEMO_FONT_CHARACTERS;

} // namespace bake
