#pragma once
// Loading an image file given on the command line through the engine's
// loader, the way the demo loads its images.

#include <string>

#include "Command.h"
#include "core/Ref.h"
#include "render/appearance/Image2D.h"

namespace vorna3d_tool {

// Pool bytes for loading the image file in args[0]: the file and the pixel
// block its PNG header declares (headers the loader will refuse count as nothing).
int64_t imagePoolBytes(const Args& args);

// Loads the file at `path` through the engine's file system and loader.
// Throws what the loader throws for a file it cannot read, and ToolError
// when the file holds something other than one image.
core::Ref<render::Image2D> loadImage(const std::string& path);

// The pixel's bytes in hex, upper case: RRGGBB for RGB, four bytes for
// the other formats (a palettised pixel shows its palette entry).
std::string pixelHex(const render::Image2D& image, int x, int y);

} // namespace vorna3d_tool
