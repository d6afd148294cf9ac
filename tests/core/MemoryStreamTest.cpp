// MemoryStream: owned, borrowed and window streams, write mode, and the
// range checks that keep a bad length or position from touching memory
// outside the stream.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/GZStream.h"
#include "core/MemoryStream.h"
#include "tests/core/ArchiveTestUtil.h"
#include "tests/core/CoreTestUtil.h"
#include "tests/support/EngineTest.h"

using core::MemoryStream;
using core::Ref;
using core::Stream;
using namespace archive_test;

namespace {

class MemoryStreamTest : public testing_support::EngineTest {
protected:
    void configure(framework::FrameworkConfig& config) override
    {
        EngineTest::configure(config);
        config.memorySize = 16 * 1024 * 1024;
    }
};

// A stream that is not a memory stream and hands out at most `step` bytes per read.
class TrickleStream : public Stream {
public:
    TrickleStream(std::string bytes, int step) : m_bytes(std::move(bytes)), m_step(step) { }
    int write(const void*, int len) override { return len; }
    int read(void* dst, int len) override
    {
        const int n = std::min({len, m_step, static_cast<int>(m_bytes.size()) - m_pos});
        std::memcpy(dst, m_bytes.data() + m_pos, static_cast<size_t>(n));
        m_pos += n;
        return n;
    }
    int peek(void*, int) override { return 0; }
    void setSeek(int) override { }
    void close() override { }
    int getSeek() override { return m_pos; }
    // Promises less than it has, as a decompressor does.
    int available() override { return std::min(m_step, static_cast<int>(m_bytes.size()) - m_pos); }
    core::String getName() override { return "trickle"; }

private:
    std::string m_bytes;
    int m_step;
    int m_pos = 0;
};

} // namespace

TEST_F(MemoryStreamTest, ReadPeekAndTheEndOfTheData)
{
    QuietLog quiet;
    const std::string bytes = testBytes(700, 1);
    Ref<MemoryStream> s = memoryStream(bytes);
    EXPECT_EQ(s->getName(), "test.tar");

    char buffer[1000];
    ASSERT_EQ(s->peek(buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), bytes.substr(0, 10));
    EXPECT_EQ(s->getSeek(), 0);
    ASSERT_EQ(s->read(buffer, 600), 600);
    EXPECT_EQ(s->available(), 100);

    // Past the end: read returns what is left, peek refuses.
    EXPECT_IO_ERROR(s->peek(buffer, 101), "MemoryStream::read: Too small buffer");
    EXPECT_EQ(s->read(buffer, 1000), 100);
    EXPECT_EQ(std::string(buffer, 100), bytes.substr(600));
    EXPECT_EQ(s->read(buffer, 1000), 0);
    EXPECT_EQ(s->available(), 0);

    // Negative lengths and positions outside the data are errors, not copies.
    EXPECT_IO_ERROR(s->read(buffer, -1), "Negative length");
    EXPECT_IO_ERROR(s->peek(buffer, -5), "Negative length");
    EXPECT_IO_ERROR(s->setSeek(701), "MemoryStream::setSeek: Position out of range");
    EXPECT_IO_ERROR(s->setSeek(-1), "MemoryStream::setSeek: Position out of range");
    s->setSeek(700);
    EXPECT_EQ(s->available(), 0);
    s->setSeek(3);
    EXPECT_EQ(s->available(), 697);

    EXPECT_IO_ERROR(s->write("x", 1), "MemoryStream::write: Opened stream is read-only");
    s->close();
    EXPECT_IO_ERROR(s->read(buffer, 1), "MemoryStream::read: Stream is closed");
    EXPECT_IO_ERROR(s->available(), "Stream is closed");
    EXPECT_IO_ERROR(s->write("x", 1), "MemoryStream::write: Stream is closed");
    EXPECT_EQ(s->getData(), nullptr);
}

TEST_F(MemoryStreamTest, BorrowedBytesAndWindowsShareTheirData)
{
    QuietLog quiet;
    const std::string bytes = testBytes(1024, 2);
    Ref<MemoryStream> rom = VORNA3D_NEW MemoryStream(bytes.data(), 1024, true);
    EXPECT_EQ(rom->getName(), "Unnamed memory stream");
    EXPECT_EQ(rom->getData(), reinterpret_cast<const unsigned char*>(bytes.data())); // not copied

    // A window of 100 bytes at position 512 covers source bytes 512..611.
    Ref<MemoryStream> owned = memoryStream(bytes, "owned");
    owned->setSeek(512);
    Ref<MemoryStream> window = VORNA3D_NEW MemoryStream(owned, 100);
    EXPECT_EQ(owned->getSeek(), 612);
    EXPECT_EQ(owned->available(), 412);
    EXPECT_EQ(window->getName(), "owned");
    EXPECT_EQ(window->getData(), owned->getData() + 512);
    EXPECT_EQ(readAll(*window), bytes.substr(512, 100));

    // A window of a window, and one over borrowed bytes.
    window->setSeek(10);
    Ref<MemoryStream> inner = VORNA3D_NEW MemoryStream(window, 20);
    EXPECT_EQ(readAll(*inner), bytes.substr(522, 20));
    rom->setSeek(1000);
    Ref<MemoryStream> romWindow = VORNA3D_NEW MemoryStream(rom, 24);
    EXPECT_EQ(readAll(*romWindow), bytes.substr(1000));

    // The window keeps the owned bytes alive after the source is gone.
    owned->setSeek(0);
    Ref<MemoryStream> survivor = VORNA3D_NEW MemoryStream(owned, 8);
    owned = nullptr;
    EXPECT_EQ(readAll(*survivor), bytes.substr(0, 8));

    // Lengths outside the source are refused and leave it where it was.
    Ref<MemoryStream> source = memoryStream(bytes);
    source->setSeek(1000);
    EXPECT_IO_ERROR((void)(Ref<MemoryStream>(VORNA3D_NEW MemoryStream(source, 25))), "past the end of the source");
    EXPECT_IO_ERROR((void)(Ref<MemoryStream>(VORNA3D_NEW MemoryStream(source, -1))), "Negative window length");
    EXPECT_EQ(source->getSeek(), 1000);
    Ref<MemoryStream> empty = VORNA3D_NEW MemoryStream(source, 0);
    EXPECT_EQ(empty->available(), 0);
}

TEST_F(MemoryStreamTest, WindowFromAnotherKindOfStreamCopiesAndChecksTheLength)
{
    QuietLog quiet;
    const std::string bytes = testBytes(3 << 20, 3); // more than the first buffer guess
    Ref<TrickleStream> trickle = VORNA3D_NEW TrickleStream(bytes, 7000);
    Ref<MemoryStream> copy = VORNA3D_NEW MemoryStream(trickle, static_cast<int>(bytes.size()) - 5);
    EXPECT_EQ(copy->getName(), "trickle");
    EXPECT_EQ(copy->getSize(), static_cast<int>(bytes.size()) - 5);
    EXPECT_EQ(std::memcmp(copy->getData(), bytes.data(), bytes.size() - 5), 0);
    EXPECT_EQ(trickle->getSeek(), static_cast<int>(bytes.size()) - 5);

    // A source that ends early is an error, not a zero-filled tail.
    Ref<TrickleStream> shortSource = VORNA3D_NEW TrickleStream("only eleven", 4);
    EXPECT_IO_ERROR((void)(Ref<MemoryStream>(VORNA3D_NEW MemoryStream(shortSource, 12))),
                    "Unexcepted end of the source stream");
}

TEST_F(MemoryStreamTest, WriteModeGrowsAndOverwrites)
{
    QuietLog quiet;
    Ref<MemoryStream> s = VORNA3D_NEW MemoryStream();
    EXPECT_EQ(s->write("hello world", 11), 11);
    EXPECT_EQ(s->getSeek(), 11);
    EXPECT_EQ(s->getSize(), 11);

    // Overwriting inside keeps the size; running past the end grows it to pos + len.
    s->setSeek(6);
    s->write("W", 1);
    EXPECT_EQ(s->getSize(), 11);
    s->setSeek(9);
    s->write("LD!!", 4);
    EXPECT_EQ(s->getSize(), 13);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(s->getData()), 13), "hello WorLD!!");
    EXPECT_EQ(s->write("", 0), 0);

    char buffer[4];
    EXPECT_IO_ERROR(s->read(buffer, 1), "MemoryStream::read: Opened stream is opened in write mode");
    EXPECT_IO_ERROR(s->available(), "opened in write mode");
    EXPECT_IO_ERROR(s->setSeek(14), "Position out of range");
    EXPECT_IO_ERROR(s->write("x", -1), "Negative length");

    // The written bytes can be read back through a stream sharing them.
    Ref<MemoryStream> reader = VORNA3D_NEW MemoryStream(s->getBuffer());
    EXPECT_EQ(readAll(*reader), "hello WorLD!!");
}
