#pragma once
// Helpers for the stream and archive tests: scratch directories, files,
// deterministic test bytes, gzip through zlib directly (independent of the
// engine's GZStream), running system tools, and IOException checks.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "core/Debug.h"
#include "core/Exception.h"
#include "core/MemoryStream.h"
#include "core/Ref.h"
#include "core/Stream.h"

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

// A fresh directory under the system's temporary directory, removed with
// its contents when the object goes.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vorna3d-test-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

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

} // namespace archive_test
