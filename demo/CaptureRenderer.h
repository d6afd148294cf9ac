#pragma once
// The renderer a capture runs on.

#include "render/FrameReader.h"
#include "render/Graphics3D.h"

// Frames a capture's read-back runs behind (Graphics3D::setFrameReadBackDepth).
constexpr int CAPTURE_READ_BACK_DEPTH = 2;

// The OpenGL renderer with `reader` installed: every frame released to the
// display reaches it, the picture's pixels only (no bars), RGBA, the bottom
// row first, read through pixel buffers in turn: a frame arrives while the
// next one is released, the last ones at Graphics3D::flushFrameReader.
// `reader` must outlive the renderer. Requires a started engine.
render::Graphics3D* createCaptureRenderer(render::FrameReader& reader);
