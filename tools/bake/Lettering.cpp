#include "Lettering.h"

#include <cmath>

namespace bake {

PlacedText placeText(const Typeface& face, const std::string& text, float size, float tracking, float centreX,
                     float baselineY, int pad)
{
    PlacedText placed;
    int baseline = 0;
    placed.mask = face.line(text, size, tracking, pad, &baseline);
    placed.x = static_cast<int>(std::lround(centreX - static_cast<float>(placed.mask.width()) * 0.5f));
    placed.y = static_cast<int>(std::lround(baselineY)) - baseline;
    return placed;
}

} // namespace bake
