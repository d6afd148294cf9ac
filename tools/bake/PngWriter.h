#pragma once
// The baker's PNG files: canvases encoded with the engine's PNG writer at
// the highest compression, so that the same pixels always give the same
// bytes, and files written whole.

#include <string>
#include <vector>

namespace bake {

class Canvas;

// The canvas as an RGBA PNG (invisible pixels take their neighbours'
// colour, `bleedRounds` steps far) or, with opaque = true, as an RGB PNG.
// Throws core::IOException when encoding fails.
std::vector<unsigned char> encodePng(const Canvas& canvas, bool opaque, int bleedRounds = 0);

// Writes `bytes` to the file `path`; std::runtime_error when that fails.
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace bake
