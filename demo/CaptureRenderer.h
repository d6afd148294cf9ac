#pragma once
// The renderer a capture runs on.

#include "render/FrameReader.h"
#include "render/Graphics3D.h"

// The OpenGL renderer with `reader` installed: every frame released to the
// display reaches it just before it is presented, the picture's pixels only
// (no bars), RGBA, the bottom row first. `reader` must outlive the
// renderer. Requires a started engine.
render::Graphics3D* createCaptureRenderer(render::FrameReader& reader);
