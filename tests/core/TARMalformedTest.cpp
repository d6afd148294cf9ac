// Malformed TAR archives over memory, file and gzip sources: truncation,
// damaged checksums, bad size fields and damaged gzip data. Each must end
// in an IOException with a clear text, never a crash or a partial archive.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "core/FileStream.h"
#include "core/MemoryStream.h"
#include "core/TARArchive.h"
#include "tests/core/ArchiveTestUtil.h"
#include "tests/support/EngineTest.h"

using core::FileStream;
using core::Ref;
using core::Stream;
using core::TARArchive;
using namespace archive_test;

namespace {

constexpr size_t BLOCK = 512;

class TARMalformedTest : public testing_support::EngineTest {
protected:
    void configure(framework::FrameworkConfig& config) override
    {
        EngineTest::configure(config);
        config.memorySize = 16 * 1024 * 1024;
    }

    void SetUp() override
    {
        EngineTest::SetUp();
        // Entries of 100, 512, 0 and 1300 bytes: headers at blocks 0, 2, 4 and 5.
        writeFile(m_dir.file("in/a.txt"), testBytes(100, 1));
        writeFile(m_dir.file("in/b.bin"), testBytes(512, 2));
        writeFile(m_dir.file("in/empty"), "");
        writeFile(m_dir.file("in/c.bin"), testBytes(1300, 3));
        ASSERT_EQ(makeTar(m_dir.file("in"), {"a.txt", "b.bin", "empty", "c.bin"}, m_dir.file("m.tar")), 0);
        const std::string file = readFile(m_dir.file("m.tar"));
        // tar pads to whole records; the archive proper ends after its two zero blocks.
        m_end = (1 + 1 + 1 + 1 + 1 + 1 + 3 + 2) * BLOCK;
        ASSERT_GE(file.size(), m_end);
        QuietLog quiet;
        EXPECT_EQ(mountMemory(file), 4);
        m_tar = file.substr(0, m_end);
        ASSERT_TRUE(m_tar.substr(m_end - 2 * BLOCK) == std::string(2 * BLOCK, '\0'));
    }

    // Mounts `bytes` from memory, from a file and gzipped from memory;
    // every way must throw an IOException containing `text`.
    void expectEveryWayFails(const std::string& bytes, const char* text)
    {
        EXPECT_IO_ERROR(mountMemory(bytes), text);
        writeFile(m_dir.file("bad.tar"), bytes);
        EXPECT_IO_ERROR(mountFile(m_dir.file("bad.tar")), text);
        EXPECT_IO_ERROR(mountMemory(gzip(bytes)), text);
    }

    static int mountMemory(const std::string& bytes)
    {
        Ref<TARArchive> archive = VORNA3D_NEW TARArchive(memoryStream(bytes, "bad.tar"));
        return archive->getEntryCount();
    }

    static int mountFile(const std::string& path)
    {
        Ref<TARArchive> archive = VORNA3D_NEW TARArchive(Ref<Stream>(VORNA3D_NEW FileStream(path.c_str(), "rb")));
        return archive->getEntryCount();
    }

    // The archive with `header`'s field at `offset` replaced by `text` and,
    // unless told otherwise, the checksum recomputed (as tar would: the
    // unsigned byte sum with the checksum field taken as blanks).
    std::string patched(size_t header, size_t offset, const std::string& text, bool fixChecksum = true) const
    {
        std::string bytes = m_tar;
        char* block = bytes.data() + header * BLOCK;
        std::memcpy(block + offset, text.data(), text.size());
        if (fixChecksum) {
            std::memset(block + 148, ' ', 8);
            unsigned sum = 0;
            for (size_t i = 0; i < BLOCK; ++i)
                sum += static_cast<unsigned char>(block[i]);
            std::snprintf(block + 148, 8, "%06o", sum);
            block[155] = ' ';
        }
        return bytes;
    }

    TempDir m_dir;
    std::string m_tar;
    size_t m_end = 0;
};

} // namespace

TEST_F(TARMalformedTest, TruncatedArchivesAreErrorsWhereverTheyEnd)
{
    QuietLog quiet;
    EXPECT_EQ(mountMemory(m_tar.substr(0, m_end)), 4); // complete without tar's record padding
    // Every block boundary and several places inside each block, headers included.
    for (size_t cut = 1; cut < m_end; ++cut) {
        const size_t inBlock = cut % BLOCK;
        if (inBlock != 0 && inBlock != 1 && inBlock != 100 && inBlock != 130 && inBlock != 150 && inBlock != 257 &&
            inBlock != 511)
            continue;
        SCOPED_TRACE(cut);
        const std::string bytes = m_tar.substr(0, cut);
        // The first block cut short is not yet a TAR header.
        EXPECT_IO_ERROR(mountMemory(bytes), "IO Name: bad.tar.");
        EXPECT_IO_ERROR(mountMemory(gzip(bytes)), "IO Name: bad.tar.");
        if (cut % BLOCK == 0) {
            writeFile(m_dir.file("cut.tar"), bytes);
            EXPECT_IO_ERROR(mountFile(m_dir.file("cut.tar")), "Unexcepted end of TAR archive");
            EXPECT_IO_ERROR(mountMemory(bytes), "Unexcepted end of TAR archive");
        }
    }
    // Inside an entry's data the text says the same.
    EXPECT_IO_ERROR(mountMemory(m_tar.substr(0, 3 * BLOCK + 100)), "Unexcepted end of TAR archive");
    EXPECT_IO_ERROR(mountMemory(gzip(m_tar.substr(0, 6 * BLOCK + 700))), "Unexcepted end of TAR archive");
}

TEST_F(TARMalformedTest, TruncatedOrDamagedGzipIsAnError)
{
    QuietLog quiet;
    const std::string packed = gzip(m_tar);
    EXPECT_EQ(mountMemory(packed), 4);
    for (size_t cut = 2; cut < packed.size(); cut += cut < 64 ? 1 : 37) {
        SCOPED_TRACE(cut);
        EXPECT_IO_ERROR(mountMemory(packed.substr(0, cut)), "IO Name: bad.tar.");
    }
    // The TAR data is all there, but its CRC-32 or length does not match.
    for (size_t fromEnd : {8u, 6u, 4u, 1u}) {
        SCOPED_TRACE(fromEnd);
        std::string bad = packed;
        bad[bad.size() - fromEnd] ^= 0x40;
        EXPECT_IO_ERROR(mountMemory(bad), "Zlib deflate failed");
        writeFile(m_dir.file("bad.tar.gz"), bad);
        EXPECT_IO_ERROR(mountFile(m_dir.file("bad.tar.gz")), "Zlib deflate failed");
    }
}

TEST_F(TARMalformedTest, DamagedHeadersFailTheirChecksum)
{
    QuietLog quiet;
    // Headers at blocks 0, 2 (after 100 bytes), 4 (after 512) and 5 (after the empty file).
    for (size_t header : {0u, 2u, 4u, 5u}) {
        SCOPED_TRACE(header);
        expectEveryWayFails(patched(header, 148, "7", false), "TAR header checksum does not match");
        expectEveryWayFails(patched(header, 10, "#", false), "TAR header checksum does not match");
    }
    // A checksum field of garbage, and one that fills its eight bytes with digits.
    expectEveryWayFails(patched(2, 148, "12x456 ", false), "TAR header checksum does not match");
    std::string eightDigits = patched(2, 0, "");
    unsigned sum = 0;
    std::memset(eightDigits.data() + 2 * BLOCK + 148, ' ', 8);
    for (size_t i = 0; i < BLOCK; ++i)
        sum += static_cast<unsigned char>(eightDigits[2 * BLOCK + i]);
    char digits[16];
    std::snprintf(digits, sizeof digits, "%08o", sum);
    std::memcpy(eightDigits.data() + 2 * BLOCK + 148, digits, 8);
    EXPECT_EQ(mountMemory(eightDigits), 4);
}

TEST_F(TARMalformedTest, SizeFieldsAreBoundedOctal)
{
    QuietLog quiet;
    const size_t SIZE = 124;
    // Sizes past the data: a multiple of 512 (the next blocks exist, but not
    // that many), far beyond, and beyond what a stream can address.
    expectEveryWayFails(patched(5, SIZE, "00000100000 "), "Unexcepted end of TAR archive");
    expectEveryWayFails(patched(5, SIZE, "00000010000 "), "Unexcepted end of TAR archive");
    expectEveryWayFails(patched(0, SIZE, "77777777777 "), "Unexcepted end of TAR archive");
    expectEveryWayFails(patched(0, SIZE, "777777777777"), "Unexcepted end of TAR archive");
    // Not octal numbers: a digit 8, a sign, base-256, characters after the
    // number, no digits, a number running on into the next field.
    expectEveryWayFails(patched(0, SIZE, "00000000148 "), "Invalid size field in TAR header");
    expectEveryWayFails(patched(0, SIZE, "-0000000144 "), "Invalid size field in TAR header");
    expectEveryWayFails(patched(0, SIZE, std::string("\x80\0\0\0\0\0\0\0\0\0\0\x64", 12)),
                        "Invalid size field in TAR header");
    expectEveryWayFails(patched(0, SIZE, "144 x       "), "Invalid size field in TAR header");
    expectEveryWayFails(patched(0, SIZE, "            "), "Invalid size field in TAR header");
    // Valid forms: twelve digits with no terminator, leading blanks.
    EXPECT_EQ(mountMemory(patched(0, SIZE, "000000000144")), 4);
    EXPECT_EQ(mountMemory(patched(0, SIZE, "        144 ")), 4);
}

TEST_F(TARMalformedTest, NamesFillingTheirFieldStopAtItsEnd)
{
    QuietLog quiet;
    // A 100-byte name is followed directly by the mode field's digits.
    const std::string name(100, 'N');
    Ref<TARArchive> archive = VORNA3D_NEW TARArchive(memoryStream(patched(0, 0, name)));
    ASSERT_EQ(archive->getEntryCount(), 4);
    EXPECT_EQ(std::string(archive->getEntryName(0).getASCII()), name);
    EXPECT_TRUE(archive->exists(name.c_str(), 0));
}

TEST_F(TARMalformedTest, ArbitraryBytesAreNotAnArchive)
{
    QuietLog quiet;
    expectEveryWayFails(testBytes(2048, 77), "TAR header checksum does not match");
    EXPECT_IO_ERROR(mountMemory("short"), "Unexcepted end of TAR archive");
    EXPECT_IO_ERROR(mountMemory(std::string("\x1f\x8b", 2) + testBytes(600, 5)), "Zlib deflate failed");
    EXPECT_IO_ERROR(mountMemory(std::string(512, '\0')), "Unexcepted end of TAR archive"); // half an end marker
    EXPECT_EQ(mountMemory(std::string(1024, '\0')), 0);
}
