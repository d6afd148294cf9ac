#include "render/OGLES/TextureUploadBuffer.h"

#include <climits>
#include <cstring>

#include "core/MemoryManager.h"
#include "render/appearance/Image2D.h"

namespace render {

TextureUploadBuffer::~TextureUploadBuffer() noexcept(false)
{
    if (m_block)
        VORNA3D_FREE(m_block);
}

void TextureUploadBuffer::reserve(int64_t bytes)
{
    if (bytes <= m_capacity)
        return;
    ASSERT_MSG(bytes <= INT_MAX, "texture upload block larger than INT_MAX bytes");
    // Allocate before freeing: a failed allocation leaves the old block usable.
    void* block = VORNA3D_ALLOC(bytes);
    if (m_block)
        VORNA3D_FREE(m_block);
    m_block = static_cast<unsigned char*>(block);
    m_capacity = static_cast<int>(bytes);
}

const unsigned char* TextureUploadBuffer::prepare(const Image2D& image, int paddedWidth, int paddedHeight)
{
    const unsigned char* pixels = image.getPixels();
    ASSERT(image.getPixels());
    const int width = image.getWidth();
    const int height = image.getHeight();
    ASSERT(paddedWidth >= width && paddedHeight >= height);
    const int bpp = image.getBpp();
    const unsigned char* palette = image.getPalette();
    if (!palette && paddedWidth == width && paddedHeight == height)
        return pixels;

    const int64_t rowBytes = int64_t(paddedWidth) * bpp;
    reserve(rowBytes * paddedHeight);
    // Rows of the image: each pixel direct or through the palette, then the
    // last pixel repeated to the padded width.
    for (int y = 0; y < height; ++y) {
        unsigned char* out = m_block + y * rowBytes;
        if (palette) {
            const unsigned char* indices = pixels + int64_t(y) * width;
            for (int x = 0; x < width; ++x)
                std::memcpy(out + x * bpp, palette + indices[x] * bpp, bpp);
        } else {
            std::memcpy(out, pixels + int64_t(y) * width * bpp, size_t(width) * bpp);
        }
        const unsigned char* last = out + (width - 1) * bpp;
        for (int x = width; x < paddedWidth; ++x)
            std::memcpy(out + x * bpp, last, bpp);
    }
    // The last row repeated to the padded height.
    const unsigned char* lastRow = m_block + (height - 1) * rowBytes;
    for (int y = height; y < paddedHeight; ++y)
        std::memcpy(m_block + y * rowBytes, lastRow, size_t(rowBytes));
    return m_block;
}

} // namespace render
