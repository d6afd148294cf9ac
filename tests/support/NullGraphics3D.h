#pragma once
// The tests' renderer without a back end is the engine's own headless one
// (render/NullGraphics3D.h); the tests' stand-ins (frame-loop fakes, the
// recording renderer of the scene-graph tests, small test programs) derive
// from it under this name and override what they watch.

#include "render/NullGraphics3D.h"
#include "render/appearance/Texture2D.h" // the stand-ins hand out and inspect textures

namespace testing_support {

using NullGraphics3D = render::NullGraphics3D;

} // namespace testing_support
