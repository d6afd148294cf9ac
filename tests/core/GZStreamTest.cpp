// GZStream: gzip round trips through the engine's streams and zlib, the
// peek buffer, decoding ahead, and the errors of corrupt, truncated and
// misused streams.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/GZStream.h"
#include "core/MemoryStream.h"
#include "tests/core/ArchiveTestUtil.h"
#include "tests/core/CoreTestUtil.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::GZStream;
using core::MemoryStream;
using core::Ref;
using core::Stream;
using namespace archive_test;

namespace {

class GZStreamTest : public testing_support::EngineTest {
protected:
    void configure(framework::FrameworkConfig& config) override
    {
        EngineTest::configure(config);
        config.memorySize = 16 * 1024 * 1024;
    }
};

// Compresses `bytes` with a GZStream onto a memory stream, in pieces of `piece` bytes.
std::string compress(const std::string& bytes, int piece)
{
    Ref<MemoryStream> sink = VORNA3D_NEW MemoryStream();
    {
        Ref<GZStream> gz = VORNA3D_NEW GZStream(sink);
        gz->write(bytes.data(), 0); // fixes write mode, so even no data gives a member
        for (size_t at = 0; at < bytes.size(); at += static_cast<size_t>(piece)) {
            const int n = static_cast<int>(std::min(bytes.size() - at, static_cast<size_t>(piece)));
            EXPECT_EQ(gz->write(bytes.data() + at, n), n);
        }
        gz->close();
    }
    return std::string(reinterpret_cast<const char*>(sink->getData()), static_cast<size_t>(sink->getSize()));
}

// Decompresses with a GZStream reading `piece` bytes at a time.
std::string decompress(const std::string& gz, int piece)
{
    Ref<GZStream> stream = VORNA3D_NEW GZStream(memoryStream(gz, "data.gz"));
    return readAll(*stream, piece);
}

// A stream whose writes fail, as a full disk would.
class FailingStream : public Stream {
public:
    int write(const void*, int) override { throw core::IOException("disk full", "failing"); }
    int read(void*, int) override { return 0; }
    int peek(void*, int) override { return 0; }
    void setSeek(int) override { }
    void close() override { }
    int getSeek() override { return 0; }
    int available() override { return 0; }
    core::String getName() override { return "failing"; }
};

} // namespace

TEST_F(GZStreamTest, ThreeBytesRoundTripAsOneGzipMember)
{
    const std::string packed = compress("abc", 3);
    ASSERT_GE(packed.size(), 18u); // 10-byte header, data, 8-byte trailer
    EXPECT_EQ(static_cast<unsigned char>(packed[0]), 0x1F);
    EXPECT_EQ(static_cast<unsigned char>(packed[1]), 0x8B);
    EXPECT_EQ(gunzip(packed), "abc"); // zlib agrees

    Ref<GZStream> reader = VORNA3D_NEW GZStream(memoryStream(packed, "abc.gz"));
    EXPECT_EQ(reader->getName(), "abc.gz");
    char buffer[16] = {};
    EXPECT_EQ(reader->read(buffer, 16), 3);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(reader->read(buffer, 16), 0);
    EXPECT_EQ(reader->available(), 0);
}

TEST_F(GZStreamTest, LargeDataSurvivesAnyPieceSizes)
{
    const std::string data = testBytes(300000, 11);
    const std::string packed = compress(data, 777);
    EXPECT_EQ(gunzip(packed), data);
    EXPECT_EQ(compress(data, 100000), packed); // the pieces do not change the output
    EXPECT_EQ(decompress(packed, 1), data.substr(0, data.size()));
    EXPECT_EQ(decompress(packed, 5000), data);
    EXPECT_EQ(decompress(packed, 1 << 20), data); // straight into the caller's buffer
    EXPECT_EQ(decompress(gzip(data), 4096), data); // zlib's own output reads back
    EXPECT_EQ(compress("", 1).size(), 20u); // an empty member is header and trailer only
    EXPECT_EQ(decompress(compress("", 1), 10), "");
}

TEST_F(GZStreamTest, PeekAndAvailableDecodeAheadWithoutConsuming)
{
    const std::string data = testBytes(100000, 12);
    Ref<GZStream> s = VORNA3D_NEW GZStream(memoryStream(gzip(data)));
    char buffer[16];
    ASSERT_EQ(s->peek(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), data.substr(0, 4));
    ASSERT_EQ(s->read(buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), data.substr(0, 10)); // the peeked 4, then the next 6

    // available counts decoded bytes: never 0 before the end, 0 at the end.
    int total = 10;
    while (s->available() > 0) {
        const int n = s->read(buffer, std::min(s->available(), 16));
        ASSERT_GT(n, 0);
        total += n;
    }
    EXPECT_EQ(total, static_cast<int>(data.size()));
    EXPECT_EQ(s->peek(buffer, 16), 0);

    // Concatenated gzip members read as one stream.
    Ref<GZStream> two = VORNA3D_NEW GZStream(memoryStream(gzip("first,") + gzip("second")));
    EXPECT_EQ(readAll(*two), "first,second");
}

TEST_F(GZStreamTest, CorruptAndTruncatedDataAreErrors)
{
    QuietLog quiet;
    const std::string data = testBytes(50000, 13);
    const std::string packed = gzip(data);

    // The trailer's CRC-32 (bytes -8..-5) and length (-4..-1) are checked.
    for (size_t from_end : {8u, 5u, 4u, 1u}) {
        std::string bad = packed;
        bad[bad.size() - from_end] ^= 0x01;
        SCOPED_TRACE(from_end);
        EXPECT_IO_ERROR(decompress(bad, 4096), "Zlib deflate failed");
    }
    // A damaged header or body.
    std::string badHeader = packed;
    badHeader[2] = 9; // compression method
    EXPECT_IO_ERROR(decompress(badHeader, 100), "Zlib deflate failed");

    // Cut anywhere: an error, never a silently short result.
    for (size_t cut = 0; cut < packed.size(); cut += (cut < 40 || cut + 40 > packed.size()) ? 1 : 997) {
        if (cut == 0)
            continue; // nothing at all
        SCOPED_TRACE(cut);
        EXPECT_IO_ERROR(decompress(packed.substr(0, cut), 4096), "Unexcepted end of gzip data");
    }
    // Bytes after the member that do not start another member.
    EXPECT_IO_ERROR(decompress(packed + std::string(8, '\0'), 4096), "Zlib deflate failed");
}

TEST_F(GZStreamTest, MisuseAndClosedStreams)
{
    QuietLog quiet;
    Ref<MemoryStream> sink = VORNA3D_NEW MemoryStream();
    Ref<GZStream> writer = VORNA3D_NEW GZStream(sink);
    char buffer[4];
    writer->write("x", 1);
    EXPECT_EQ(assertionText([&] { writer->read(buffer, 1); }), "File is not in read mode");
    EXPECT_EQ(assertionText([&] { writer->setSeek(0); }), "Not Implemented!");
    EXPECT_EQ(assertionText([&] { writer->getSeek(); }), "Not Implemented!");
    EXPECT_IO_ERROR(writer->write("x", -1), "Negative length");
    writer->close();
    EXPECT_GT(writer->getBytesWritten(), 0);
    EXPECT_EQ(gunzip(std::string(reinterpret_cast<const char*>(sink->getData()), sink->getSize())), "x");
    EXPECT_IO_ERROR(writer->write("x", 1), "GZStream::write: Stream is closed");

    Ref<GZStream> reader = VORNA3D_NEW GZStream(memoryStream(gzip("abc")));
    EXPECT_EQ(reader->read(buffer, 1), 1);
    EXPECT_EQ(assertionText([&] { reader->write("x", 1); }), "File is read-only!");
    EXPECT_IO_ERROR(reader->read(buffer, -1), "Negative length");
    EXPECT_IO_ERROR(reader->peek(buffer, -1), "Negative length");
    reader->close();
    EXPECT_IO_ERROR(reader->read(buffer, 1), "GZStream::read: Stream is closed");

    // Not gzip at all.
    EXPECT_IO_ERROR(decompress("plain text, no gzip header", 10), "Zlib deflate failed");
}

TEST_F(GZStreamTest, DestructorNeverThrows)
{
    testing_support::LogCapture log;
    // The trailer cannot be written: the destructor logs, it does not throw.
    {
        Ref<GZStream> gz = VORNA3D_NEW GZStream(Ref<Stream>(VORNA3D_NEW FailingStream()));
        EXPECT_THROW(gz->write(testBytes(200000, 14).data(), 200000), core::IOException);
        EXPECT_NO_THROW(gz = nullptr);
    }
    // A gzip writer over a read-only stream, never closed.
    {
        Ref<GZStream> gz = VORNA3D_NEW GZStream(memoryStream("read only"));
        EXPECT_IO_ERROR(gz->write("abc", 3), "Opened stream is read-only"); // the gzip header goes out at once
        EXPECT_NO_THROW(gz = nullptr);
    }
    EXPECT_NE(log.text().find("GZStream: the gzip trailer could not be written"), std::string::npos);
}
