// PNGWriter's encoder where there is no libpng (Windows): the chunks written
// here, the image data compressed with zlib, every row with filter type 0
// (none).

#include <zlib.h>

#include <cstring>
#include <vector>

#include "render/loaders/png/PNGWriter.h"

namespace render {

namespace {

void putBigEndian(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

// Appends one chunk: length, type, data, CRC of type and data.
void putChunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data, size_t length)
{
    putBigEndian(out, static_cast<uint32_t>(length));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    if (length > 0)
        out.insert(out.end(), data, data + length);
    putBigEndian(out, static_cast<uint32_t>(crc32(0, &out[typeAt], static_cast<uInt>(length + 4))));
}

// The whole file in memory; false with `error` set when zlib fails.
bool encodeFile(std::vector<uint8_t>& out, int width, int height, const uint8_t* pixels, PNGWriter::Layout layout,
                bool bottomUp, int level, std::string& error)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    out.assign(signature, signature + 8);
    const bool alpha = layout == PNGWriter::RGBA;
    std::vector<uint8_t> header;
    putBigEndian(header, static_cast<uint32_t>(width));
    putBigEndian(header, static_cast<uint32_t>(height));
    header.insert(header.end(), {8, static_cast<uint8_t>(alpha ? 6 : 2), 0, 0, 0});
    putChunk(out, "IHDR", header.data(), header.size());

    const size_t inStride = static_cast<size_t>(width) * (layout == PNGWriter::RGB ? 3u : 4u);
    const size_t outPixel = alpha ? 4u : 3u;
    std::vector<uint8_t> row(1 + static_cast<size_t>(width) * outPixel);
    z_stream z = {};
    if (deflateInit(&z, level) != Z_OK) {
        error = "zlib initialisation failed";
        return false;
    }
    std::vector<uint8_t> compressed;
    uint8_t buffer[16384];
    bool ok = true;
    for (int y = 0; y < height && ok; ++y) {
        const uint8_t* from = pixels + inStride * static_cast<size_t>(bottomUp ? height - 1 - y : y);
        row[0] = 0;
        if (layout == PNGWriter::RGBX) {
            for (int x = 0; x < width; ++x)
                std::memcpy(&row[1 + static_cast<size_t>(x) * 3], from + static_cast<size_t>(x) * 4, 3);
        } else {
            std::memcpy(&row[1], from, inStride);
        }
        z.next_in = row.data();
        z.avail_in = static_cast<uInt>(row.size());
        const int flush = y == height - 1 ? Z_FINISH : Z_NO_FLUSH;
        int result;
        do {
            z.next_out = buffer;
            z.avail_out = sizeof buffer;
            result = deflate(&z, flush);
            if (result == Z_STREAM_ERROR) {
                ok = false;
                break;
            }
            compressed.insert(compressed.end(), buffer, buffer + (sizeof buffer - z.avail_out));
        } while (z.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
    }
    deflateEnd(&z);
    if (!ok) {
        error = "zlib compression failed";
        return false;
    }
    // IDAT chunks of at most 1 MiB each.
    constexpr size_t MAX_IDAT = 1u << 20;
    for (size_t at = 0; at < compressed.size(); at += MAX_IDAT) {
        const size_t length = compressed.size() - at < MAX_IDAT ? compressed.size() - at : MAX_IDAT;
        putChunk(out, "IDAT", &compressed[at], length);
    }
    putChunk(out, "IEND", nullptr, 0);
    return true;
}

} // namespace

bool PNGWriter::encode(std::vector<uint8_t>& bytes, int width, int height, const uint8_t* pixels, Layout layout,
                       bool bottomUp, int compressionLevel, std::string& error) noexcept
{
    try {
        bytes.clear();
        if (width <= 0 || height <= 0 || !pixels || (layout != RGB && layout != RGBA && layout != RGBX) ||
            compressionLevel < 0 || compressionLevel > 9) {
            error = "bad picture for a PNG file";
            return false;
        }
        return encodeFile(bytes, width, height, pixels, layout, bottomUp, compressionLevel, error);
    } catch (...) {
        error = "out of memory";
        return false;
    }
}

} // namespace render
