// FileStream over real files: reading, peeking, seeking, writing, files
// past 2 GiB, UTF-8 names, and the errors of short files, directories and
// closed streams.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "HAL/HALException.h"
#include "core/FileStream.h"
#include "tests/core/ArchiveTestUtil.h"
#include "tests/support/EngineTest.h"

using core::FileStream;
using core::Ref;
using namespace archive_test;

namespace {

class FileStreamTest : public testing_support::EngineTest { };

} // namespace

TEST_F(FileStreamTest, ReadPeekSeekAndShortFiles)
{
    QuietLog quiet;
    TempDir dir;
    const std::string bytes = testBytes(5000, 21);
    writeFile(dir.file("data.bin"), bytes);

    Ref<FileStream> s = VORNA3D_NEW FileStream(dir.file("data.bin").c_str(), "rb");
    EXPECT_EQ(s->getName(), dir.file("data.bin").c_str());
    EXPECT_EQ(s->available(), 5000);
    char buffer[6000];
    ASSERT_EQ(s->peek(buffer, 100), 100);
    EXPECT_EQ(s->getSeek(), 0); // peek leaves the file position alone
    ASSERT_EQ(s->read(buffer, 4000), 4000);
    EXPECT_EQ(std::string(buffer, 4000), bytes.substr(0, 4000));
    EXPECT_EQ(s->getSeek(), 4000);
    EXPECT_EQ(s->available(), 1000);

    EXPECT_IO_ERROR(s->peek(buffer, 1001), "FileStream::peek: Too small file");
    EXPECT_IO_ERROR(s->read(buffer, -1), "Negative length");
    EXPECT_EQ(s->read(buffer, 0), 0);
    EXPECT_IO_ERROR(s->setSeek(5001), "FileStream::setSeek: Position out of range");
    EXPECT_IO_ERROR(s->setSeek(-1), "FileStream::setSeek: Position out of range");
    s->setSeek(4990);
    EXPECT_EQ(s->available(), 10);
    EXPECT_IO_ERROR(s->read(buffer, 11), "Failed to read correct ammount from native file");
    EXPECT_EQ(s->available(), 0); // the short read took what was there
}

TEST_F(FileStreamTest, ClosedStreamsRefuseEverythingButClose)
{
    QuietLog quiet;
    TempDir dir;
    writeFile(dir.file("a"), "abc");
    Ref<FileStream> s = VORNA3D_NEW FileStream(dir.file("a").c_str(), "rb");
    s->close();
    char buffer[4];
    EXPECT_IO_ERROR(s->read(buffer, 1), "FileStream::read: Stream is closed");
    EXPECT_IO_ERROR(s->peek(buffer, 1), "FileStream::peek: Stream is closed");
    EXPECT_IO_ERROR(s->write(buffer, 1), "FileStream::write: Stream is closed");
    EXPECT_IO_ERROR(s->setSeek(0), "FileStream::setSeek: Stream is closed");
    EXPECT_IO_ERROR(s->getSeek(), "FileStream::getSeek: Stream is closed");
    EXPECT_IO_ERROR(s->available(), "Stream is closed");
    EXPECT_NO_THROW(s->close());
}

TEST_F(FileStreamTest, WritingAndFilesThatCannotBeOpened)
{
    QuietLog quiet;
    TempDir dir;
    {
        Ref<FileStream> out = VORNA3D_NEW FileStream(dir.file("out.bin").c_str(), "wb");
        EXPECT_EQ(out->write("hello ", 6), 6);
        EXPECT_EQ(out->write("world", 5), 5);
        EXPECT_EQ(out->getSeek(), 11);
        out->close();
    }
    EXPECT_EQ(readFile(dir.file("out.bin")), "hello world");

    EXPECT_THROW((void)Ref<FileStream>(VORNA3D_NEW FileStream(dir.file("missing").c_str(), "rb")), HAL::HALException);
    // A directory opens on Linux, but it is not a file.
    EXPECT_THROW((void)Ref<FileStream>(VORNA3D_NEW FileStream(dir.path().c_str(), "rb")), HAL::HALException);
    EXPECT_IO_ERROR((void)Ref<FileStream>(VORNA3D_NEW FileStream((dir.path() + "/").c_str(), "rb")), "No file name");

    // A read-only file (Windows' read-only attribute) reads, but does not
    // open for writing and keeps its bytes. Root writes anyway (on Linux,
    // and under Wine run as root): there the write side is not checked.
    namespace fs = std::filesystem;
    const std::string readOnly = dir.file("read-only.txt");
    writeFile(readOnly, "keep");
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(readOnly, write, fs::perm_options::remove);
    Ref<FileStream> in = VORNA3D_NEW FileStream(readOnly.c_str(), "rb");
    EXPECT_EQ(readAll(*in), "keep");
    in->close();
    if (!std::ofstream(readOnly, std::ios::binary | std::ios::app)) {
        EXPECT_THROW((void)Ref<FileStream>(VORNA3D_NEW FileStream(readOnly.c_str(), "wb")), HAL::HALException);
        EXPECT_EQ(readFile(readOnly), "keep");
    }
    fs::permissions(readOnly, write, fs::perm_options::add); // Windows removes no read-only file
}

TEST_F(FileStreamTest, FilesPastTwoGigabytesReadUpToTheLastIntPosition)
{
    // A file of 3 GiB, "head" and then zeros (made by growing it, so that no
    // file system writes the zeros): its size needs 64 bits, and a 32-bit
    // size would be negative.
    TempDir dir;
    const std::string path = dir.file("big.bin");
    const long long size = 3LL << 30;
    writeFile(path, "head");
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(size));
    ASSERT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(size));

    Ref<FileStream> s = VORNA3D_NEW FileStream(path.c_str(), "rb");
    EXPECT_EQ(s->available(), INT_MAX); // more than an int can say
    char buffer[4];
    ASSERT_EQ(s->read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "head");
    s->setSeek(INT_MAX - 4);
    ASSERT_EQ(s->peek(buffer, 4), 4);
    EXPECT_EQ(s->getSeek(), INT_MAX - 4);
    ASSERT_EQ(s->read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), std::string(4, '\0'));
    EXPECT_EQ(s->getSeek(), INT_MAX);
    EXPECT_EQ(s->available(), static_cast<int>(size - INT_MAX)); // 1 GiB + 1
    s->setSeek(4);
    EXPECT_EQ(s->available(), INT_MAX);
}

TEST_F(FileStreamTest, NamesAreUtf8)
{
    // A folder and files with two- and three-byte UTF-8 sequences ("J\u00f6rg",
    // "\u00e4\u20ac.bin"), as in the program's folder of a user named so.
    const auto native = [](const std::string& utf8) {
        return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    };
    TempDir dir;
    const std::string folder = dir.file("J\xC3\xB6rg");
    std::filesystem::create_directories(native(folder));
    std::ofstream(native(folder + "/\xC3\xA4\xE2\x82\xAC.bin"), std::ios::binary) << "utf-8";

    Ref<FileStream> in = VORNA3D_NEW FileStream((folder + "/\xC3\xA4\xE2\x82\xAC.bin").c_str(), "rb");
    EXPECT_EQ(readAll(*in), "utf-8");
    in->close();
    Ref<FileStream> out = VORNA3D_NEW FileStream((folder + "/\xE2\x82\xAC-out.bin").c_str(), "wb");
    out->write("saved", 5);
    out->close();
    EXPECT_EQ(std::filesystem::file_size(native(folder + "/\xE2\x82\xAC-out.bin")), 5u);

    // A name that is not UTF-8 (a Latin-1 byte) still names one file for writing and reading.
    {
        Ref<FileStream> latin1 = VORNA3D_NEW FileStream(dir.file("\xF6.bin").c_str(), "wb");
        latin1->write("ok", 2);
    }
    Ref<FileStream> again = VORNA3D_NEW FileStream(dir.file("\xF6.bin").c_str(), "rb");
    EXPECT_EQ(readAll(*again), "ok");
}
