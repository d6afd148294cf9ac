#pragma once
// Writing a presented frame to a PNG file.

namespace render {
class Graphics3D;
}

namespace viewer {

// Ends the frame being drawn on the display (g3d.releaseTarget, which
// presents it) and writes the frame as presented to `path` as an RGB PNG,
// top row first. Returns false, leaving no file, when no frame reached the
// screen (a minimised window) or the file cannot be written; the frame is
// presented either way. Requires a path and a frame bound to the display.
// What releaseTarget throws passes through.
bool releaseWithScreenshot(render::Graphics3D& g3d, const char* path);

} // namespace viewer
