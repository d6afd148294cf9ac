#pragma once
// Helpers for the stream and archive tests: scratch directories, files,
// deterministic test bytes, gzip through zlib directly (independent of the
// engine's GZStream), reference TAR archives (the system's tar on Linux, a
// ustar writer of the tests' own on Windows), and IOException checks.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Debug.h"
#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "core/Ref.h"
#include "core/Stream.h"
#include "tests/support/TempDir.h"

// Runs `stmt` and expects a core::IOException whose message contains `text`.
#define EXPECT_IO_ERROR(stmt, text)                                                                           \
    do {                                                                                                      \
        try {                                                                                                 \
            stmt;                                                                                             \
            ADD_FAILURE() << "no IOException from " #stmt;                                                    \
        } catch (const core::IOException& e) {                                                                \
            EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << "from " #stmt ": " << e.what(); \
        }                                                                                                     \
    } while (0)

namespace archive_test {

// Silences the engine log while in scope (the errors that the tests provoke
// on purpose), leaving the test's own failure reports visible.
class QuietLog {
public:
    QuietLog() : m_level(core::Debug::getDebugLevel()) { core::Debug::setDebugLevel(0); }
    ~QuietLog() { core::Debug::setDebugLevel(m_level); }
    QuietLog(const QuietLog&) = delete;
    QuietLog& operator=(const QuietLog&) = delete;

private:
    uint32_t m_level;
};

using testing_support::TempDir;

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// `size` bytes from a fixed-seed generator: a mix of text-like runs (so
// gzip has something to compress) and arbitrary bytes, zeros included.
inline std::string testBytes(size_t size, uint32_t seed)
{
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 12345u;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = (x & 0x300) ? static_cast<char>('a' + (x % 7)) : static_cast<char>(x >> 24);
    }
    return out;
}

#ifndef _WIN32
// Runs a shell command; returns its exit status.
inline int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a shell command and returns what it printed.
inline std::string runOutput(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// The string quoted for the shell.
inline std::string quote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}
#endif

// An owned read-mode memory stream holding a copy of `bytes`.
inline core::Ref<core::MemoryStream> memoryStream(const std::string& bytes, const char* name = "test.tar")
{
    core::Ref<core::MemoryStream> stream;
    if (bytes.empty())
        stream = VORNA3D_NEW core::MemoryStream("", 0, true);
    else
        stream = VORNA3D_NEW core::MemoryStream(bytes.data(), static_cast<int>(bytes.size()), false);
    stream->setName(name);
    return stream;
}

// Everything `stream` has, read in pieces of at most `chunk` bytes and
// never more than it says is available (file streams throw for short reads).
inline std::string readAll(core::Stream& stream, int chunk = 4096)
{
    std::string out;
    std::string buffer(static_cast<size_t>(chunk), '\0');
    for (;;) {
        const int available = stream.available();
        if (available <= 0)
            break;
        const int n = stream.read(buffer.data(), std::min(chunk, available));
        if (n <= 0)
            break;
        out.append(buffer.data(), static_cast<size_t>(n));
    }
    return out;
}

// gzip (one member) of `bytes`, made by zlib itself.
inline std::string gzip(const std::string& bytes)
{
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, bytes.size()) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// The data of every gzip member in `bytes`, decoded by zlib itself; throws
// std::runtime_error on corrupt data.
inline std::string gunzip(const std::string& bytes)
{
    z_stream z{};
    inflateInit2(&z, 15 + 16);
    std::string out;
    char buffer[65536];
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        const int result = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
        if (result == Z_STREAM_END) {
            if (z.avail_in == 0)
                break;
            inflateReset(&z);
        } else if (result != Z_OK) {
            inflateEnd(&z);
            throw std::runtime_error("corrupt gzip data");
        }
    }
    inflateEnd(&z);
    return out;
}

// A ustar archive of `names` (files or directories below `dir`), in that
// order, laid out as `tar --format=ustar --no-recursion` lays it out: per
// entry a header block and the data padded to whole 512-byte blocks, then
// two zero blocks, the whole padded to a 10240-byte record. Owner 0/0,
// mode 0644 (0755 for a directory), time 0. Written here, field by field,
// for Windows, which has no tar program; independent of the engine's TARWriter.
inline std::string ustarOf(const std::string& dir, const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& name : names) {
        const bool isDirectory = std::filesystem::is_directory(dir + "/" + name);
        const std::string data = isDirectory ? std::string() : readFile(dir + "/" + name);
        const std::string stored = isDirectory ? name + "/" : name;
        // Past 100 characters the name is split at a "/" into prefix (155) and name (100).
        size_t split = std::string::npos;
        if (stored.size() > 100) {
            for (size_t at = std::min<size_t>(155, stored.size() - 2); at > 0 && split == std::string::npos; --at)
                if (stored[at] == '/' && stored.size() - at - 1 <= 100)
                    split = at;
            if (split == std::string::npos)
                throw std::runtime_error("ustarOf: name does not fit a ustar header: " + stored);
        }
        char header[512] = {};
        const std::string base = split == std::string::npos ? stored : stored.substr(split + 1);
        std::memcpy(header, base.data(), base.size());
        if (split != std::string::npos)
            std::memcpy(header + 345, stored.data(), split);
        std::snprintf(header + 100, 8, "%07o", isDirectory ? 0755u : 0644u);
        std::snprintf(header + 108, 8, "%07o", 0u);
        std::snprintf(header + 116, 8, "%07o", 0u);
        std::snprintf(header + 124, 12, "%011llo", static_cast<unsigned long long>(data.size()));
        std::snprintf(header + 136, 12, "%011o", 0u);
        header[156] = isDirectory ? '5' : '0';
        std::memcpy(header + 257, "ustar", 6); // magic, its terminator included
        std::memcpy(header + 263, "00", 2); // version
        std::snprintf(header + 329, 8, "%07o", 0u);
        std::snprintf(header + 337, 8, "%07o", 0u);
        // The checksum: the unsigned byte sum with its own field taken as blanks.
        std::memset(header + 148, ' ', 8);
        unsigned sum = 0;
        for (char c : header)
            sum += static_cast<unsigned char>(c);
        std::snprintf(header + 148, 7, "%06o", sum);
        out.append(header, sizeof header);
        out += data;
        out.append((512 - data.size() % 512) % 512, '\0');
    }
    out.append(1024, '\0');
    out.append((10240 - out.size() % 10240) % 10240, '\0');
    return out;
}

// Writes `tarPath`, a `format` archive ("ustar", "gnu", "pax") of `names`
// (below `dir`, directories without their contents); returns 0 when it was
// made. Linux: by the system's tar, the reference. Windows: by ustarOf,
// ustar only.
inline int makeTar(const std::string& dir, const std::vector<std::string>& names, const std::string& tarPath,
                   const std::string& format = "ustar")
{
#ifdef _WIN32
    if (format != "ustar")
        return -1;
    writeFile(tarPath, ustarOf(dir, names));
    return 0;
#else
    std::string list;
    for (const std::string& name : names)
        list += " " + quote(name);
    return run("cd " + quote(dir) + " && tar --format=" + format + " --no-recursion -cf " + quote(tarPath) + list);
#endif
}

// Writes `to`, the gzip of the file `from`: by the system's gzip on Linux,
// by zlib on Windows. Returns 0 when it was made.
inline int gzipFile(const std::string& from, const std::string& to)
{
#ifdef _WIN32
    writeFile(to, gzip(readFile(from)));
    return 0;
#else
    return run("gzip -c " + quote(from) + " > " + quote(to));
#endif
}

} // namespace archive_test
