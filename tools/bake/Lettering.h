#pragma once
// Text set for a picture: a line's mask placed by its centre and baseline.

#include <string>

#include "Font.h"
#include "Mask.h"

namespace bake {

struct PlacedText {
    Mask mask; // coverage, padded on every side
    int x = 0; // canvas position of the mask's top-left corner
    int y = 0;
};

// `text` at em size `size` with `tracking` extra pixels between letters,
// centred on x = centreX with its baseline on y = baselineY; the mask has
// `pad` empty pixels around the ink (room for outlines and glows).
PlacedText placeText(const Typeface& face, const std::string& text, float size, float tracking, float centreX,
                     float baselineY, int pad);

} // namespace bake
