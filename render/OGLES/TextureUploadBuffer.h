#pragma once
// TextureUploadBuffer: the block in which texture pixels are prepared for the
// graphics API. An image whose sides are not powers of two is copied to the
// origin of a padded block, its last column and row repeated into the
// padding so that filtering at the image's edges sees no foreign colour; a
// palettised image is expanded through its palette. The block is taken from
// the pool and only ever grows, so uploading textures of sizes already seen
// allocates nothing. The back end owns one and lends it to its textures.

#include "core/Object.h"

namespace render {

class Image2D;

class TextureUploadBuffer : public core::Object {
public:
    TextureUploadBuffer() = default;
    ~TextureUploadBuffer() noexcept(false) override;

    // The pixels of `image` as a paddedWidth x paddedHeight block, rows from
    // the image's top, tightly packed: 3 bytes per pixel for RGB images, 4
    // (R, G, B, A) for every other format. Returns the image's own block when
    // it needs neither padding nor palette expansion, else this buffer's
    // block; valid until the next call or the image's change. Requires
    // " image.getPixels() ", paddedWidth >= width and paddedHeight >= height
    // (" paddedWidth >= width && paddedHeight >= height "). Throws
    // MemoryManagerException when the pool cannot grow the block.
    const unsigned char* prepare(const Image2D& image, int paddedWidth, int paddedHeight);

    // Bytes currently reserved (0 before the first padded upload).
    int getCapacity() const { return m_capacity; }

private:
    TextureUploadBuffer(const TextureUploadBuffer&) = delete;
    TextureUploadBuffer& operator=(const TextureUploadBuffer&) = delete;

    // Makes the block at least `bytes` long; keeps it when it already is.
    void reserve(int64_t bytes);

    unsigned char* m_block = nullptr;
    int m_capacity = 0;
};

} // namespace render
