#pragma once
// "2dgfx.png": the demo's 2D graphics in one 1024 x 1024 RGBA picture.
// Regions (x, y, width, height), each with transparent pixels around it:
//   fish frame f (0..7): (32 (f mod 4), 1 + 32 (f div 4), 32, 31); even
//     frames face +x, frame f + 1 is frame f facing -x; four kinds
//   fade square:         (0, 128, 128, 128), opaque black
//   bubble:              (257, 2, 126, 124)
//   twin-sprite emblem:  (512, 0, 512, 512)
//   closing picture:     (1, 513, 510, 510), opaque, with the credits

#include "Canvas.h"
#include "Font.h"

namespace bake {

struct Region {
    int x, y, width, height;
};

constexpr Region FISH_FRAME_SIZE = {0, 0, 32, 31};
constexpr Region FADE_REGION = {0, 128, 128, 128};
constexpr Region BUBBLE_REGION = {257, 2, 126, 124};
constexpr Region TWIN_REGION = {512, 0, 512, 512};
constexpr Region CLOSING_REGION = {1, 513, 510, 510};

// Frame f's region.
Region fishRegion(int frame);

// One fish of kind 0..3 (clownfish, blue tang, butterflyfish, parrotfish)
// facing +x, 32 x 31 with a transparent border of two pixels.
Canvas paintFish(int kind);
// The bubble, 126 x 124.
Canvas paintBubble();
// The emblem the twin sprites show, 512 x 512, transparent outside its disc.
Canvas paintTwinEmblem();
// The closing picture, 510 x 510, opaque.
Canvas paintClosing(const Typeface& face);

// The whole picture.
Canvas paint2DGraphics(const Typeface& face);

} // namespace bake
