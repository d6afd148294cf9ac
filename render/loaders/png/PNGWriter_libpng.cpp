// PNGWriter's encoder on libpng (Linux).

#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "render/loaders/png/PNGWriter.h"

namespace render {

namespace {

struct ErrorText {
    char text[200] = {};
};

// libpng's errors end in a long jump back to encodeRows (exceptions must
// not cross libpng's C frames); the message is kept for the caller.
void onError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<ErrorText*>(png_get_error_ptr(png));
    std::snprintf(error->text, sizeof error->text, "%s", message);
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp)
{
}

// libpng's output callback. A failed append becomes libpng's error, outside
// the catch (no exception crosses libpng).
void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bool appended = true;
    try {
        bytes->insert(bytes->end(), data, data + length);
    } catch (...) {
        appended = false;
    }
    if (!appended)
        png_error(png, "out of memory");
}

void noFlush(png_structp)
{
}

// The libpng calls, in a frame that holds no C++ objects, so that a long
// jump out of libpng skips no destructor. Returns false after an error.
bool encodeRows(png_structp png, png_infop info, std::vector<uint8_t>* bytes, int width, int height,
                const uint8_t* pixels, PNGWriter::Layout layout, bool bottomUp, int level)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, bytes, appendBytes, noFlush);
    png_set_compression_level(png, level);
    if (level <= PNGWriter::COMPRESSION_FAST)
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB); // one cheap filter, no per-row search
    const bool alpha = layout == PNGWriter::RGBA;
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (layout == PNGWriter::RGBX)
        png_set_filler(png, 0, PNG_FILLER_AFTER); // the rows carry a fourth byte that is not written
    const size_t stride = static_cast<size_t>(width) * (layout == PNGWriter::RGB ? 3u : 4u);
    for (int y = 0; y < height; ++y) {
        const int row = bottomUp ? height - 1 - y : y;
        png_write_row(png, pixels + stride * static_cast<size_t>(row));
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

bool PNGWriter::encode(std::vector<uint8_t>& bytes, int width, int height, const uint8_t* pixels, Layout layout,
                       bool bottomUp, int compressionLevel, std::string& errorText) noexcept
{
    try {
        bytes.clear();
        if (width <= 0 || height <= 0 || !pixels || (layout != RGB && layout != RGBA && layout != RGBX) ||
            compressionLevel < 0 || compressionLevel > 9) {
            errorText = "bad picture for a PNG file";
            return false;
        }
        ErrorText error;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onError, ignoreWarning);
        png_infop info = png ? png_create_info_struct(png) : nullptr;
        const bool written =
            info && encodeRows(png, info, &bytes, width, height, pixels, layout, bottomUp, compressionLevel);
        if (!info)
            std::snprintf(error.text, sizeof error.text, "out of memory");
        png_destroy_write_struct(&png, info ? &info : nullptr);
        if (!written)
            errorText = error.text;
        return written;
    } catch (...) {
        return false;
    }
}

} // namespace render
