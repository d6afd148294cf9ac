#pragma once
// PNGWriter: writes 8-bit RGB or RGBA pixels to a PNG file, for frame
// sequences and screenshots, or encodes them into memory (the asset baker,
// the capture's worker threads). Rows are taken from the top unless the
// caller says they come bottom row first (as OpenGL reads them).
// Non-interlaced, with no time or text chunks: the same pixels and settings
// always give the same bytes. The encoder is libpng on Linux and a small
// zlib one on Windows (PNGWriter_libpng.cpp, PNGWriter_zlib.cpp).

#include <cstdint>
#include <string>
#include <vector>

namespace render {

class PNGWriter {
public:
    // How the caller's pixels are laid out, and what is written.
    enum Layout {
        RGB, // 3 bytes a pixel, written as RGB
        RGBA, // 4 bytes a pixel, written as RGBA
        RGBX, // 4 bytes a pixel, written as RGB (the fourth byte is dropped)
    };

    // zlib levels: 1 is fast (frame sequences), 6 libpng's usual balance.
    static constexpr int COMPRESSION_FAST = 1;
    static constexpr int COMPRESSION_DEFAULT = 6;

    // Writes `width` x `height` pixels (rows packed, no padding) to `path`,
    // replacing the file. `bottomUp`: the first row in memory is the
    // picture's bottom row. Requires a positive size, pixels and a level
    // 0..9 (assertions). Throws core::IOException with a one-line reason
    // (the file cannot be created, the encoder's error, a failed write); no
    // partial file is left behind then.
    static void write(const char* path, int width, int height, const uint8_t* pixels, Layout layout,
                      bool bottomUp = false, int compressionLevel = COMPRESSION_DEFAULT);

    // The PNG file `write` would write for the same arguments, as bytes in
    // memory. Same requirements (assertions); throws core::IOException with
    // the encoder's error, or "out of memory".
    static std::vector<uint8_t> encode(int width, int height, const uint8_t* pixels, Layout layout,
                                       bool bottomUp = false, int compressionLevel = COMPRESSION_DEFAULT);

    // The same bytes into `png` (replaced), for threads that must not touch
    // engine objects: never logs or throws, safe on several threads at once.
    // Returns false, with the encoder's reason (or the bad argument) in
    // `error`, when it cannot.
    static bool encode(std::vector<uint8_t>& png, int width, int height, const uint8_t* pixels, Layout layout,
                       bool bottomUp, int compressionLevel, std::string& error) noexcept;
};

} // namespace render
