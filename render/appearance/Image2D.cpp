#include "render/appearance/Image2D.h"

#include <climits>
#include <cstring>

#include "core/MemoryManager.h"

namespace render {

namespace {

constexpr int PALETTE_ENTRIES = 256;

unsigned char* allocBlock(int64_t bytes)
{
    void* block = VORNA3D_ALLOC(bytes);
    return static_cast<unsigned char*>(block);
}

} // namespace

Image2D::Image2D(int format, int width, int height)
{
    allocNewRawImage(width, height, format, nullptr);
    m_mutable = true;
}

Image2D::Image2D(int format, int width, int height, const unsigned char* pixels)
{
    ASSERT_MSG(width > 0 && height > 0, "IllegalArgumentException");
    ASSERT_MSG(pixels, "NullPointerException ");
    allocNewRawImage(width, height, format, pixels);
}

Image2D::Image2D(int format, int width, int height, const unsigned char* indices, const unsigned char* palette)
{
    ASSERT_MSG(width > 0 && height > 0, "IllegalArgumentException");
    ASSERT_MSG(indices && palette, "NullPointerException ");
    const int64_t indexBytes = checkedBlockSize(format, width, height, 1);
    const int64_t paletteBytes = int64_t(PALETTE_ENTRIES) * getBpp(format);
    m_palette = allocBlock(paletteBytes);
    std::memcpy(m_palette, palette, static_cast<size_t>(paletteBytes));
    try {
        m_pixels = allocBlock(indexBytes);
    } catch (...) {
        freeBlocks();
        throw;
    }
    std::memcpy(m_pixels, indices, static_cast<size_t>(indexBytes));
    m_width = width;
    m_height = height;
    m_format = format;
}

Image2D::Image2D(const Image2D& other) : Object3D(other)
{
    const int bpp = other.getBpp();
    if (!other.isPalettised()) {
        allocNewRawImage(other.m_width, other.m_height, other.m_format, other.m_pixels);
    } else {
        // Palette entries replace the indices: the copy is direct colour.
        allocNewRawImage(other.m_width, other.m_height, other.m_format, nullptr);
        const int64_t count = int64_t(m_width) * m_height;
        for (int64_t i = 0; i < count; ++i)
            std::memcpy(m_pixels + i * bpp, other.m_palette + other.m_pixels[i] * bpp, static_cast<size_t>(bpp));
    }
    m_mutable = true;
}

Image2D::~Image2D() noexcept(false)
{
    freeBlocks();
}

void Image2D::freeBlocks()
{
    if (m_pixels)
        VORNA3D_FREE(m_pixels);
    if (m_palette)
        VORNA3D_FREE(m_palette);
}

Object3D* Image2D::duplicate() const
{
    return VORNA3D_NEW Image2D(*this);
}

int Image2D::getBpp(int format)
{
    ASSERT_MSG(isValidFormat(format), "IllegalArgumentException");
    return format == RGB ? 3 : 4;
}

const char* Image2D::getFormatName(int format)
{
    switch (format) {
    case ALPHA:
        return "ALPHA";
    case LUMINANCE:
        return "LUMINANCE";
    case LUMINANCE_ALPHA:
        return "LUMINANCE_ALPHA";
    case RGB:
        return "RGB";
    case RGBA:
        return "RGBA";
    default:
        return "UNKNOWN";
    }
}

int64_t Image2D::checkedBlockSize(int format, int width, int height, int bytesPerPixel)
{
    ASSERT_MSG(isValidFormat(format), "IllegalArgumentException");
    ASSERT_MSG(width > 0 && height > 0, "IllegalArgumentException");
    // Computed in 64 bits: width x height x bpp may not fit 32.
    const int64_t bytes = int64_t(width) * int64_t(height) * bytesPerPixel;
    ASSERT_MSG(bytes <= INT_MAX, "IllegalArgumentException");
    return bytes;
}

void Image2D::allocNewRawImage(int width, int height, int format, const unsigned char* source)
{
    const int64_t bytes = checkedBlockSize(format, width, height, getBpp(format));
    unsigned char* block = allocBlock(bytes);
    ASSERT(block);
    freeBlocks();
    m_pixels = block;
    m_width = width;
    m_height = height;
    m_format = format;
    if (source)
        std::memcpy(m_pixels, source, static_cast<size_t>(bytes));
    else
        std::memset(m_pixels, 0xFF, static_cast<size_t>(bytes));
}

int Image2D::getPixelBlockSize() const
{
    if (!m_pixels)
        return 0;
    return static_cast<int>(int64_t(m_width) * m_height * (isPalettised() ? 1 : getBpp()));
}

unsigned char* Image2D::pixelAt(int x, int y, int& bytes) const
{
    ASSERT(x >= 0 && x < getWidth());
    ASSERT(y >= 0 && y < getHeight());
    unsigned char* ptr = m_pixels;
    ASSERT(ptr);
    bytes = isPalettised() ? 1 : getBpp();
    return ptr + (int64_t(y) * m_width + x) * bytes;
}

void Image2D::setPixel(int x, int y, uint32_t value)
{
    int bytes;
    unsigned char* p = pixelAt(x, y, bytes);
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * (bytes - 1 - i)));
}

uint32_t Image2D::getPixel(int x, int y) const
{
    int bytes;
    const unsigned char* p = pixelAt(x, y, bytes);
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | p[i];
    return value;
}

} // namespace render
