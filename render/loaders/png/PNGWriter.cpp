#include "render/loaders/png/PNGWriter.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "core/Assert.h"
#include "core/Exception.h"

namespace render {

namespace {

struct ErrorText {
    char text[200] = {};
};

// libpng's errors end in a long jump back to encode (exceptions must not
// cross libpng's C frames); the message is kept for the exception.
void onError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<ErrorText*>(png_get_error_ptr(png));
    std::snprintf(error->text, sizeof error->text, "%s", message);
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// libpng's output callback for encoding into memory. A failed append
// becomes libpng's error, outside the catch (no exception crosses libpng).
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

void noFlush(png_structp) {}

// Where the encoded bytes go: a file, or else a byte vector.
struct Output {
    FILE* file;
    std::vector<uint8_t>* bytes;
};

// The libpng calls, in a frame that holds no C++ objects, so that a long
// jump out of libpng skips no destructor. Returns false after an error.
bool encodeRows(png_structp png, png_infop info, Output output, int width, int height, const uint8_t* pixels,
                PNGWriter::Layout layout, bool bottomUp, int level)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    if (output.file)
        png_init_io(png, output.file);
    else
        png_set_write_fn(png, output.bytes, appendBytes, noFlush);
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

// Runs the encoder into `output`; false with the reason in `error` after a failure.
bool encodeTo(Output output, ErrorText& error, int width, int height, const uint8_t* pixels,
              PNGWriter::Layout layout, bool bottomUp, int level)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, onError, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = info && encodeRows(png, info, output, width, height, pixels, layout, bottomUp, level);
    if (!info)
        std::snprintf(error.text, sizeof error.text, "out of memory");
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return written;
}

void checkArguments(int width, int height, const uint8_t* pixels, PNGWriter::Layout layout, int compressionLevel)
{
    ASSERT(width > 0 && height > 0);
    ASSERT(pixels);
    ASSERT(layout == PNGWriter::RGB || layout == PNGWriter::RGBA || layout == PNGWriter::RGBX);
    ASSERT(compressionLevel >= 0 && compressionLevel <= 9);
}

} // namespace

void PNGWriter::write(const char* path, int width, int height, const uint8_t* pixels, Layout layout, bool bottomUp,
                      int compressionLevel)
{
    ASSERT(path);
    checkArguments(width, height, pixels, layout, compressionLevel);

    FILE* file = std::fopen(path, "wb");
    if (!file) {
        char reason[256];
        std::snprintf(reason, sizeof reason, "cannot create the file: %s", std::strerror(errno));
        throw core::IOException(reason, path);
    }

    ErrorText error;
    bool written = encodeTo(Output{file, nullptr}, error, width, height, pixels, layout, bottomUp, compressionLevel);

    // A full disk shows up when the buffered bytes go out.
    int writeErrno = 0;
    if (std::fflush(file) != 0)
        writeErrno = errno;
    if (std::fclose(file) != 0 && writeErrno == 0)
        writeErrno = errno ? errno : EIO;
    if (written && writeErrno != 0) {
        written = false;
        std::snprintf(error.text, sizeof error.text, "write failed: %s", std::strerror(writeErrno));
    }
    if (!written) {
        // Only a file of our own making goes, never a device like /dev/full.
        struct stat info;
        if (stat(path, &info) == 0 && S_ISREG(info.st_mode))
            std::remove(path);
        throw core::IOException(error.text, path);
    }
}

std::vector<uint8_t> PNGWriter::encode(int width, int height, const uint8_t* pixels, Layout layout, bool bottomUp,
                                       int compressionLevel)
{
    checkArguments(width, height, pixels, layout, compressionLevel);
    std::vector<uint8_t> bytes;
    ErrorText error;
    if (!encodeTo(Output{nullptr, &bytes}, error, width, height, pixels, layout, bottomUp, compressionLevel))
        throw core::IOException(error.text, "(PNG in memory)");
    return bytes;
}

} // namespace render
