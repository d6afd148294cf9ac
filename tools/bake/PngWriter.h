#pragma once
// PNG encoding with libpng into memory: 8-bit RGB or RGBA, non-interlaced,
// no time or text chunks, so the same pixels always give the same bytes.

#include <string>
#include <vector>

namespace bake {

class Canvas;

// Encodes width x height pixels of `channels` bytes each (3: RGB, 4: RGBA),
// rows from the top. Throws std::runtime_error when libpng fails or the
// arguments do not fit (channels other than 3 or 4, too few bytes).
std::vector<unsigned char> encodePng(const unsigned char* pixels, int width, int height, int channels);

// The canvas as an RGBA PNG (invisible pixels take their neighbours'
// colour, `bleedRounds` steps far) or, with opaque = true, as an RGB PNG.
std::vector<unsigned char> encodePng(const Canvas& canvas, bool opaque, int bleedRounds = 0);

// Writes `bytes` to the file `path`; std::runtime_error when that fails.
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace bake
