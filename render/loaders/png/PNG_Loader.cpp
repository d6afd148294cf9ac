#include "render/loaders/png/PNG_Loader.h"

#include <png.h>

#include <climits>
#include <csetjmp>
#include <cstdio>

#include "core/MemoryManager.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"

namespace render {

namespace {

const char* const READ_FAILED = "Could not read enought stream data";
constexpr int SIGNATURE_BYTES = 8;

// Everything the libpng callbacks and the setjmp frames touch. Plain data
// only: a longjmp out of libpng skips every frame in between without
// running destructors, so no C++ object may live in those frames.
struct PngRead {
    png_structp png = nullptr;
    png_infop info = nullptr;
    core::Stream* stream = nullptr;
    char message[256] = {};
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    size_t rowBytes = 0;
    int channels = 0;
    int outputBitDepth = 0;
};

void keepMessage(PngRead* read, const char* text)
{
    std::snprintf(read->message, sizeof read->message, "%s", text ? text : "libpng error");
}

// Error and warning handler: keeps libpng's text and returns to the frame
// that called setjmp. A warning ends the load like an error.
void onError(png_structp png, png_const_charp text)
{
    keepMessage(static_cast<PngRead*>(png_get_error_ptr(png)), text);
    png_longjmp(png, 1);
}

// Reads exactly `length` bytes from the engine stream. A C++ exception must
// not travel through libpng's C frames: it is caught here, and once its
// handler has finished the failure goes the libpng way (png_error).
void onRead(png_structp png, png_bytep data, size_t length)
{
    PngRead* read = static_cast<PngRead*>(png_get_io_ptr(png));
    bool complete = false;
    if (length <= static_cast<size_t>(INT_MAX)) {
        try {
            complete = read->stream->read(data, static_cast<int>(length)) == static_cast<int>(length);
        } catch (...) {
            complete = false; // the stream's exception has logged itself
        }
    }
    if (!complete)
        png_error(png, READ_FAILED);
}

// libpng's working memory comes from the engine pool like everything else.
// A full pool is reported to libpng as a null block, never as an exception.
png_voidp onAlloc(png_structp, png_alloc_size_t size)
{
    if (size == 0 || size > static_cast<png_alloc_size_t>(INT_MAX))
        return nullptr;
    try {
        return VORNA3D_ALLOC(size);
    } catch (...) {
        return nullptr;
    }
}

void onFree(png_structp, png_voidp block)
{
    if (!block)
        return;
    try {
        VORNA3D_FREE(block);
    } catch (...) {
        // A damaged block has been reported by the memory manager's own
        // assertion; nothing may unwind into libpng.
    }
}

// Reads the header and sets up the transformations that turn every colour
// type and depth into 8-bit RGB or RGBA. False after a libpng error (the
// text is in read.message).
bool readHeader(PngRead& read)
{
    if (setjmp(png_jmpbuf(read.png)))
        return false;
    png_set_read_fn(read.png, &read, onRead);
    png_set_sig_bytes(read.png, SIGNATURE_BYTES);
    png_set_user_limits(read.png, PNG_Loader::MAX_SIDE, PNG_Loader::MAX_SIDE);
    png_read_info(read.png, read.info);

    int interlace = 0;
    if (!png_get_IHDR(read.png, read.info, &read.width, &read.height, &read.bitDepth, &read.colorType, &interlace,
                      nullptr, nullptr)) {
        keepMessage(&read, "Couldn't get IHDR.");
        return false;
    }
    const bool grey = read.colorType == PNG_COLOR_TYPE_GRAY || read.colorType == PNG_COLOR_TYPE_GRAY_ALPHA;
    // Without an alpha channel in the file, a tRNS chunk must not add one.
    if (!(read.colorType & PNG_COLOR_MASK_ALPHA))
        png_set_strip_alpha(read.png);
    if (read.bitDepth > 8)
        png_set_strip_16(read.png);
    if (grey && read.bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(read.png);
    if (read.colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(read.png);
    // Grey becomes RGBA: the grey value in R, G and B, opaque alpha when the
    // file has none.
    if (grey)
        png_set_gray_to_rgb(read.png);
    if (read.colorType == PNG_COLOR_TYPE_GRAY)
        png_set_add_alpha(read.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(read.png);
    png_read_update_info(read.png, read.info);

    read.rowBytes = png_get_rowbytes(read.png, read.info);
    read.channels = png_get_channels(read.png, read.info);
    read.outputBitDepth = png_get_bit_depth(read.png, read.info);
    return true;
}

// Decodes every row into `rows` and reads the chunks after the image data,
// so a damaged end of file is noticed. False after a libpng error.
bool readRows(PngRead& read, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(read.png)))
        return false;
    png_read_image(read.png, rows);
    png_read_end(read.png, nullptr);
    return true;
}

// Owns the libpng structures for one load and destroys them however it ends.
class ReadStructs {
public:
    explicit ReadStructs(PngRead& read) : m_read(read) { }
    ~ReadStructs()
    {
        if (m_read.png)
            png_destroy_read_struct(&m_read.png, m_read.info ? &m_read.info : nullptr, nullptr);
    }
    ReadStructs(const ReadStructs&) = delete;
    ReadStructs& operator=(const ReadStructs&) = delete;

private:
    PngRead& m_read;
};

} // namespace

void PNG_Loader::load(core::Stream* stream, core::Vector<core::Ref<Object3D>>& objects)
{
    ASSERT_MSG(stream, "NULL pointer");
    const core::String name = stream->getName();

    png_byte signature[SIGNATURE_BYTES];
    if (stream->read(signature, SIGNATURE_BYTES) != SIGNATURE_BYTES)
        throwParseError(name, "Too small file!");
    ASSERT_MSG(png_sig_cmp(signature, 0, SIGNATURE_BYTES) == 0, "");

    PngRead read;
    read.stream = stream;
    ReadStructs structs(read);
    read.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &read, onError, onError, nullptr, onAlloc, onFree);
    if (!read.png)
        throwParseError(name, "Couldn't create PNG read struct.");
    read.info = png_create_info_struct(read.png);
    if (!read.info)
        throwParseError(name, "Couldn't create info struct");

    if (!readHeader(read))
        throwParseError(name, read.message);

    int format;
    if (read.channels == 3)
        format = Image2D::RGB;
    else if (read.channels == 4)
        format = Image2D::RGBA;
    else
        throwParseError(name, "Unsupported PNG pixel layout");
    const int bpp = Image2D::getBpp(format);
    if (read.outputBitDepth != 8 || read.rowBytes != static_cast<size_t>(read.width) * bpp)
        throwParseError(name, "PNG row size does not match the image width");
    // The limits above keep each side small, but the block can still pass
    // INT_MAX: the product is taken in 64 bits.
    if (read.width == 0 || read.height == 0 || read.width > MAX_SIDE || read.height > MAX_SIDE ||
        uint64_t(read.width) * read.height * bpp > uint64_t(INT_MAX))
        throwParseError(name, "PNG image is too large");

    // A block the pool can never hold is refused here: the pool would
    // treat the request as a programming error.
    const int64_t bytes = int64_t(read.width) * read.height * bpp;
    const core::MemoryManager::Statistics pool = core::MemoryManager::getMemoryInfoPtr()->getStatistics();
    if (!pool.forwarding && bytes >= pool.dataBlockSize)
        throw core::MemoryManagerException("PNG_Loader: image does not fit in the memory pool");

    const int width = static_cast<int>(read.width);
    const int height = static_cast<int>(read.height);
    core::Ref<Image2D> image = VORNA3D_NEW Image2D(format, width, height);
    core::Vector<png_bytep> rows;
    rows.setSizeForNativeType(height);
    for (int y = 0; y < height; ++y)
        rows[y] = image->getPixels() + static_cast<size_t>(y) * read.rowBytes;

    if (!readRows(read, rows.data()))
        throwParseError(name, read.message);
    // An image read from a file is immutable; code that changes pixels
    // makes its own mutable copy (duplicate).
    image->makeImmutable();
    objects.add(core::Ref<Object3D>(image));
}

} // namespace render
