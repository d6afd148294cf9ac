#pragma once
// Image2D: the engine's pixel container. A width, a height, a format code
// and a block of bytes from the memory pool, row after row from the top;
// optionally a 256-entry palette, in which case the block holds one index
// byte per pixel. Every format but RGB stores four bytes per pixel.

#include <cstdint>

#include "render/scene/Object3D.h"

namespace render {

class Image2D : public Object3D {
public:
    enum Format {
        ALPHA = 96,
        LUMINANCE = 97,
        LUMINANCE_ALPHA = 98,
        RGB = 99,
        RGBA = 100,
    };

    // A mutable image of width x height pixels, all bytes 0xFF (opaque white
    // for RGBA). Asserts "IllegalArgumentException" for a bad format or size.
    Image2D(int format, int width, int height);
    // An immutable image holding a copy of width x height x bpp bytes of
    // `pixels`. Asserts "IllegalArgumentException" for a bad format or size
    // and "NullPointerException " for null pixels.
    Image2D(int format, int width, int height, const unsigned char* pixels);
    // An immutable palettised image: copies width x height index bytes and
    // 256 x bpp palette bytes. Asserts as above for null indices or palette.
    Image2D(int format, int width, int height, const unsigned char* indices, const unsigned char* palette);
    ~Image2D() noexcept(false) override;

    // A new mutable image of the same format and size. A palettised image
    // comes out as direct colour: each index is replaced by its palette entry.
    Object3D* duplicate() const override;

    // Sets the size and format and allocates a new direct-colour block,
    // copied from `source` (width x height x bpp bytes) or filled with 0xFF.
    // Drops any palette. Asserts "IllegalArgumentException" for a bad
    // format, a side <= 0 or a block larger than INT_MAX bytes.
    void allocNewRawImage(int width, int height, int format, const unsigned char* source);

    // Bytes per pixel of this image's format: 3 for RGB, 4 for the others.
    int getBpp() const { return getBpp(m_format); }
    // Bytes per pixel of `format`; asserts "IllegalArgumentException" for
    // a code outside 96..100.
    static int getBpp(int format);
    // Whether `format` is one of the five codes.
    static bool isValidFormat(int format) { return format >= ALPHA && format <= RGBA; }
    // The format's name ("RGBA", ...); "UNKNOWN" for an invalid code.
    static const char* getFormatName(int format);

    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }
    int getFormat() const { return m_format; }
    bool isMutable() const { return m_mutable; }
    // Makes the image immutable for good. For loaders that fill a new
    // image's pixel block from a file and hand the image out as read.
    void makeImmutable() { m_mutable = false; }
    bool isPalettised() const { return m_palette != nullptr; }

    // The pixel block (index bytes for a palettised image) and its size in bytes.
    unsigned char* getPixels() { return m_pixels; }
    const unsigned char* getPixels() const { return m_pixels; }
    int getPixelBlockSize() const;
    // The 256 x bpp palette bytes; null for a direct-colour image.
    const unsigned char* getPalette() const { return m_palette; }

    // Stores the low bpp bytes of `value` in pixel (x, y), most significant
    // first: RGBA takes bits 31..0 as R, G, B, A; RGB takes bits 23..0. On a
    // palettised image the low byte is the pixel's palette index. Requires
    // " x >= 0 && x < getWidth() ", " y >= 0 && y < getHeight() " and a block (" ptr ").
    void setPixel(int x, int y, uint32_t value);
    // Pixel (x, y) reassembled as setPixel stores it (the index for a
    // palettised image). Same requirements.
    uint32_t getPixel(int x, int y) const;

private:
    Image2D(const Image2D& other);
    // Requires a valid format and positive sides whose block fits INT_MAX bytes.
    static int64_t checkedBlockSize(int format, int width, int height, int bytesPerPixel);
    // Address of pixel (x, y) and its byte count; asserts as setPixel.
    unsigned char* pixelAt(int x, int y, int& bytes) const;
    void freeBlocks();

    int32_t m_width = 0;
    int32_t m_height = 0;
    int32_t m_format = 0;
    unsigned char* m_palette = nullptr; // pool block of 256 x bpp bytes, or null
    unsigned char* m_pixels = nullptr; // pool block, or null
    bool m_mutable = false;
};

} // namespace render
