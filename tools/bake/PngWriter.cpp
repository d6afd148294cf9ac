#include "PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <stdexcept>

#include "Canvas.h"

namespace bake {

namespace {

// Where the encoder's output and its first error message go.
struct Sink {
    std::vector<unsigned char> bytes;
    char error[200] = {};
};

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    sink->bytes.insert(sink->bytes.end(), data, data + length);
}

void noFlush(png_structp) {}

// libpng's errors end in a long jump back to encodeRows (exceptions must
// not cross libpng's C frames); the message is kept for the exception
// thrown there.
void onError(png_structp png, png_const_charp message)
{
    auto* sink = static_cast<Sink*>(png_get_error_ptr(png));
    std::snprintf(sink->error, sizeof sink->error, "%s", message);
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// The libpng calls, in a frame that holds no C++ objects, so that a long
// jump out of libpng skips no destructor. Returns false after an error.
bool encodeRows(png_structp png, png_infop info, Sink* sink, const unsigned char* pixels, int width, int height,
                int channels)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, sink, appendBytes, noFlush);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(channels);
    for (int y = 0; y < height; ++y)
        png_write_row(png, pixels + stride * static_cast<size_t>(y));
    png_write_end(png, nullptr);
    return true;
}

} // namespace

std::vector<unsigned char> encodePng(const unsigned char* pixels, int width, int height, int channels)
{
    if ((channels != 3 && channels != 4) || width <= 0 || height <= 0 || !pixels)
        throw std::runtime_error("PNG encoding: bad image arguments");
    Sink sink;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, onError, ignoreWarning);
    if (!png)
        throw std::runtime_error("PNG encoding: out of memory");
    png_infop info = png_create_info_struct(png);
    const bool ok = info && encodeRows(png, info, &sink, pixels, width, height, channels);
    png_destroy_write_struct(&png, &info);
    if (!ok)
        throw std::runtime_error(std::string("PNG encoding failed: ") + (sink.error[0] ? sink.error : "out of memory"));
    return std::move(sink.bytes);
}

std::vector<unsigned char> encodePng(const Canvas& canvas, bool opaque, int bleedRounds)
{
    if (opaque) {
        const std::vector<unsigned char> rgb = canvas.toRGB8();
        return encodePng(rgb.data(), canvas.width(), canvas.height(), 3);
    }
    const std::vector<unsigned char> rgba = canvas.toRGBA8(bleedRounds);
    return encodePng(rgba.data(), canvas.width(), canvas.height(), 4);
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot create " + path);
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    const bool closed = std::fclose(file) == 0;
    if (written != bytes.size() || !closed)
        throw std::runtime_error("cannot write " + path);
}

} // namespace bake
