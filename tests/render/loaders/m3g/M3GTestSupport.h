#pragma once
// Helpers for the scene-file tests: a fixture with a renderer registered
// and a pool large enough for the test files, files assembled byte by byte
// (sections with their lengths and Adler-32 checksums computed here with
// zlib, so that a test can get every field exactly as it needs it), and
// loading bytes through the engine's loader.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "render/loaders/Loader.h"
#include "render/scene/Object3D.h"
#include "tests/render/SceneTestSupport.h"

namespace m3g_test {

using Bytes = std::vector<unsigned char>;

inline std::filesystem::path testData()
{
    return std::filesystem::path(VORNA3D_TESTDATA_DIR) / "m3g";
}

inline Bytes readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Little-endian fields appended to a byte vector, as a scene file stores them.
class Writer {
public:
    Writer& u8(unsigned v)
    {
        bytes.push_back(static_cast<unsigned char>(v));
        return *this;
    }
    Writer& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Writer& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Writer& f32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Writer& boolean(bool v) { return u8(v ? 1 : 0); }
    Writer& str(const std::string& s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return u8(0);
    }
    Writer& raw(const Bytes& b)
    {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    // The Object3D part without tracks or parameters, with `userID`.
    Writer& object3D(uint32_t userID = 0) { return u32(userID).u32(0).u32(0); }
    // The Transformable part without transforms.
    Writer& transformable(uint32_t userID = 0) { return object3D(userID).boolean(false).boolean(false); }
    // The Node part: enabled, alpha 1, all scopes, no alignment.
    Writer& node(uint32_t userID = 0)
    {
        return transformable(userID).boolean(true).boolean(true).u8(255).u32(0xFFFFFFFFu).boolean(false);
    }

    Bytes bytes;
};

// One object record: type, length, data.
inline Bytes record(unsigned type, const Bytes& data)
{
    Writer w;
    w.u8(type).u32(static_cast<uint32_t>(data.size())).raw(data);
    return w.bytes;
}

// A section holding `objects` (the records joined), compressed with zlib
// when asked, with the checksum zlib's adler32 gives (plus `checksumDelta`).
inline Bytes section(const Bytes& objects, bool compress = false, uint32_t checksumDelta = 0)
{
    Bytes data = objects;
    if (compress) {
        uLongf size = compressBound(objects.size());
        data.resize(size);
        EXPECT_EQ(compress2(data.data(), &size, objects.data(), objects.size(), 9), Z_OK);
        data.resize(size);
    }
    Writer w;
    w.u8(compress ? 1 : 0).u32(static_cast<uint32_t>(data.size() + 13)).u32(static_cast<uint32_t>(objects.size()));
    w.raw(data);
    const uint32_t adler = static_cast<uint32_t>(adler32(adler32(0, nullptr, 0), w.bytes.data(), w.bytes.size()));
    w.u32(adler + checksumDelta);
    return w.bytes;
}

// Recomputes the checksum of the section starting at `offset` of `file`
// after a test changed its bytes (the lengths must still be right).
inline void fixChecksum(Bytes& file, size_t offset)
{
    uint32_t total = 0;
    std::memcpy(&total, &file[offset + 1], 4);
    const uint32_t adler =
        static_cast<uint32_t>(adler32(adler32(0, nullptr, 0), &file[offset], static_cast<uInt>(total - 4)));
    std::memcpy(&file[offset + total - 4], &adler, 4);
}

// A whole file: the identifier, the header section and the given sections
// (objects, and external references first when `externals` is given). The
// header's total file size is filled in.
inline Bytes file(const std::vector<Bytes>& sections, bool externals = false, const std::string& authoring = "test")
{
    Writer header;
    header.u8(1).u8(0).boolean(externals).u32(0).u32(0).str(authoring);
    Bytes out(render::M3G_FILE_IDENTIFIER, render::M3G_FILE_IDENTIFIER + 12);
    const Bytes first = section(record(0, header.bytes));
    size_t total = out.size() + first.size();
    for (const Bytes& s : sections)
        total += s.size();
    // Total file size and approximate content size: bytes 6..13 of the header object.
    Bytes patched = first;
    const uint32_t size = static_cast<uint32_t>(total);
    std::memcpy(&patched[9 + 5 + 3], &size, 4);
    std::memcpy(&patched[9 + 5 + 7], &size, 4);
    out.insert(out.end(), patched.begin(), patched.end());
    fixChecksum(out, 12);
    for (const Bytes& s : sections)
        out.insert(out.end(), s.begin(), s.end());
    return out;
}

// A file with one object section holding `records`.
inline Bytes fileOf(std::initializer_list<Bytes> records, bool compress = false)
{
    Bytes objects;
    for (const Bytes& r : records)
        objects.insert(objects.end(), r.begin(), r.end());
    return file({section(objects, compress)});
}

// Loads `bytes` through render::load on a memory stream named `name`.
inline core::Vector<core::Ref<render::Object3D>> loadBytes(const Bytes& bytes, const char* name = "test.m3g")
{
    // An empty vector may have no storage; the stream needs an address.
    static const unsigned char none = 0;
    const unsigned char* data = bytes.empty() ? &none : bytes.data();
    core::Ref<core::MemoryStream> stream =
        VORNA3D_NEW core::MemoryStream(reinterpret_cast<const char*>(data), static_cast<int>(bytes.size()), true);
    stream->setName(name);
    core::Vector<core::Ref<render::Object3D>> objects;
    render::load(stream.get(), objects);
    return objects;
}

// The message an IOException carries, without its "IO Name: ... Message: " prefix.
inline std::string messageOf(const core::IOException& e)
{
    const std::string text = e.what();
    const std::string marker = ". Message: ";
    const size_t at = text.find(marker);
    return at == std::string::npos ? text : text.substr(at + marker.size());
}

// The message of the IOException that loading `bytes` throws, or a note
// that none (or something else) was thrown.
inline std::string loadError(const Bytes& bytes, const char* name = "test.m3g")
{
    try {
        loadBytes(bytes, name);
    } catch (const core::IOException& e) {
        return messageOf(e);
    } catch (const std::exception& e) {
        return std::string("(other exception) ") + e.what();
    }
    return "(no error)";
}

// The scene-graph fixture with a pool for the larger test files.
class M3GTest : public render_test::SceneTest {
protected:
    void configure(framework::FrameworkConfig& config) override
    {
        SceneTest::configure(config);
        config.memorySize = 48 * 1024 * 1024;
    }
};

} // namespace m3g_test
