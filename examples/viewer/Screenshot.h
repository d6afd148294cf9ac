#pragma once
// Writing the frame being drawn to a PNG file.

namespace viewer {

// Reads the lower-left width x height pixels of the frame being drawn (the
// back buffer) and writes them to `path` as an RGB PNG, top row first.
// Returns false, leaving no file, when the frame cannot be read or the file
// cannot be written.
bool writeScreenshot(const char* path, int width, int height);

} // namespace viewer
