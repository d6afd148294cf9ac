#pragma once
// Helpers for the image-loading tests: the PNG test suites on disk, loading
// bytes through the engine's loader, and small PNG files written by hand
// (zlib for the image data, CRC-32 for the chunks) so that headers, chunks
// and checksums can be made exactly as a test needs them.

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "render/appearance/Image2D.h"
#include "render/loaders/Loader.h"

namespace png_test {

using Bytes = std::vector<unsigned char>;

inline std::filesystem::path testData()
{
    return std::filesystem::path(VORNA3D_TESTDATA_DIR) / "png";
}

inline std::filesystem::path suiteDir()
{
    return testData() / "pngsuite";
}

// The files of `dir` whose names end in ".png", sorted.
inline std::vector<std::filesystem::path> pngFiles(const std::filesystem::path& dir)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        if (entry.is_regular_file() && entry.path().extension() == ".png")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

inline Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads `bytes` through render::load on a memory stream named `name`.
inline core::Vector<core::Ref<render::Object3D>> loadBytes(const Bytes& bytes, const char* name = "test.png")
{
    core::Ref<core::MemoryStream> stream = VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(bytes.data()),
                                                                          static_cast<int>(bytes.size()), true);
    stream->setName(name);
    core::Vector<core::Ref<render::Object3D>> objects;
    render::load(stream.get(), objects);
    return objects;
}

// Loads `bytes` and expects exactly one Image2D.
inline core::Ref<render::Image2D> loadImage(const Bytes& bytes, const char* name = "test.png")
{
    core::Vector<core::Ref<render::Object3D>> objects = loadBytes(bytes, name);
    EXPECT_EQ(objects.size(), 1);
    if (objects.size() != 1)
        return nullptr;
    render::Image2D* image = dynamic_cast<render::Image2D*>(objects[0].get());
    EXPECT_NE(image, nullptr);
    return image;
}

// The text of the IOException that loading `bytes` throws, or a note that
// none (or something else) was thrown.
inline std::string loadError(const Bytes& bytes, const char* name = "test.png")
{
    try {
        loadBytes(bytes, name);
    } catch (const core::IOException& e) {
        return e.getMessage() ? e.getMessage() : "";
    } catch (const Vorna3DException& e) {
        return std::string("<other exception> ") + (e.getMessage() ? e.getMessage() : "");
    }
    return "<no exception>";
}

// The pixel's bytes in hex, upper case, as `vorna3d pixel` prints them.
inline std::string hexPixel(const render::Image2D& image, int x, int y)
{
    static const char digits[] = "0123456789ABCDEF";
    const int bpp = image.getBpp();
    const unsigned char* p = image.getPixels() + (static_cast<size_t>(y) * image.getWidth() + x) * bpp;
    std::string out;
    for (int i = 0; i < bpp; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

inline void putBig32(Bytes& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(v >> shift));
}

// Appends one chunk with its length and CRC.
inline void putChunk(Bytes& out, const char* type, const Bytes& body)
{
    putBig32(out, static_cast<uint32_t>(body.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBig32(out, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

inline Bytes ihdr(uint32_t width, uint32_t height, int bitDepth, int colourType, int interlace = 0)
{
    Bytes body;
    putBig32(body, width);
    putBig32(body, height);
    body.push_back(static_cast<unsigned char>(bitDepth));
    body.push_back(static_cast<unsigned char>(colourType));
    body.push_back(0);
    body.push_back(0);
    body.push_back(static_cast<unsigned char>(interlace));
    return body;
}

inline Bytes deflate(const Bytes& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

// A whole PNG: signature, IHDR, the `extra` chunks (type and body, before
// the image data), IDAT holding `raw` (filtered rows) and IEND.
inline Bytes makePng(const Bytes& header, const Bytes& raw,
                     const std::vector<std::pair<const char*, Bytes>>& extra = {})
{
    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    putChunk(out, "IHDR", header);
    for (const auto& chunk : extra)
        putChunk(out, chunk.first, chunk.second);
    putChunk(out, "IDAT", deflate(raw));
    putChunk(out, "IEND", {});
    return out;
}

// Offset of the first chunk of `type` (its length field), or npos.
inline size_t findChunk(const Bytes& png, const char* type)
{
    size_t pos = 8;
    while (pos + 8 <= png.size()) {
        const uint32_t length =
            uint32_t(png[pos]) << 24 | uint32_t(png[pos + 1]) << 16 | uint32_t(png[pos + 2]) << 8 | png[pos + 3];
        if (std::equal(type, type + 4, png.begin() + static_cast<long>(pos) + 4))
            return pos;
        pos += 12 + length;
    }
    return std::string::npos;
}

} // namespace png_test
