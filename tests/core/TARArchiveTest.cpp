// TARArchive against archives made at test time by the system's tar and
// gzip (ustar, GNU and pax formats), mounted from memory and from files,
// plain and gzipped; and TARWriter's output read back by the system's tar.
// Windows has no tar: there the archives are ustar ones written by the
// tests' helper (ArchiveTestUtil.h), and what only tar can check is left out.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/FileStream.h"
#include "core/GZStream.h"
#include "core/MemoryStream.h"
#include "core/TARArchive.h"
#include "core/TARWriter.h"
#include "tests/core/ArchiveTestUtil.h"
#include "tests/support/EngineTest.h"

using core::FileStream;
using core::GZStream;
using core::MemoryStream;
using core::Ref;
using core::Stream;
using core::TARArchive;
using core::TARWriter;
using namespace archive_test;

namespace {

// 100 characters, so the name field has no terminator.
const std::string NAME_100 = "long/" + std::string(91, 'x') + ".bin";

class TARArchiveTest : public testing_support::EngineTest {
protected:
    void configure(framework::FrameworkConfig& config) override
    {
        EngineTest::configure(config);
        config.memorySize = 32 * 1024 * 1024;
    }

    void SetUp() override
    {
        EngineTest::SetUp();
        // Sizes below, at and above one block, a multiple of it, none, and many blocks.
        const std::vector<std::pair<std::string, size_t>> files = {
            {"small.txt", 100}, {"block.bin", 512}, {"odd.bin", 513},           {"empty.txt", 0},
            {NAME_100, 700},    {"two.bin", 1024},  {"dir/nested.bin", 100000},
        };
        uint32_t seed = 1;
        std::vector<std::string> names;
        for (const auto& [name, size] : files) {
            m_files.emplace_back(name, testBytes(size, seed++));
            writeFile(m_dir.file("in/" + name), m_files.back().second);
            names.push_back(name);
        }
        ASSERT_EQ(makeTar(m_dir.file("in"), names, m_dir.file("a.tar")), 0);
        ASSERT_EQ(gzipFile(m_dir.file("a.tar"), m_dir.file("a.tar.gz")), 0);
    }

    // Checks that `archive` holds exactly the test files, in order, with their bytes.
    void expectAllEntries(TARArchive& archive)
    {
        ASSERT_EQ(archive.getEntryCount(), static_cast<int>(m_files.size()));
        for (int i = 0; i < archive.getEntryCount(); ++i) {
            const auto& [name, bytes] = m_files[static_cast<size_t>(i)];
            EXPECT_EQ(std::string(archive.getEntryName(i).getASCII()), name);
            EXPECT_EQ(archive.getEntrySize(i), static_cast<int>(bytes.size()));
            ASSERT_TRUE(archive.exists(name.c_str(), 0)) << name;
            Ref<Stream> entry;
            archive.openFile(entry, name.c_str(), 0);
            EXPECT_EQ(entry->available(), static_cast<int>(bytes.size()));
            EXPECT_EQ(readAll(*entry), bytes) << name;
        }
    }

    TempDir m_dir;
    std::vector<std::pair<std::string, std::string>> m_files;
};

} // namespace

TEST_F(TARArchiveTest, SystemTarArchivesMountFromMemoryAndFilesPlainAndGzipped)
{
    QuietLog quiet;
#ifndef _WIN32
    // tar's own listing is the reference for the names and their order.
    std::string listed;
    for (const auto& file : m_files)
        listed += file.first + "\n";
    ASSERT_EQ(runOutput("tar -tf " + quote(m_dir.file("a.tar"))), listed);
    // The ustar writer that stands in for tar on Windows: tar reads the same names and bytes from it.
    std::vector<std::string> names;
    std::string everything;
    for (const auto& [name, bytes] : m_files) {
        names.push_back(name);
        everything += bytes;
    }
    writeFile(m_dir.file("own.tar"), ustarOf(m_dir.file("in"), names));
    EXPECT_EQ(runOutput("tar -tf " + quote(m_dir.file("own.tar"))), listed);
    EXPECT_EQ(runOutput("tar -xOf " + quote(m_dir.file("own.tar"))), everything);
#endif

    const std::string plain = readFile(m_dir.file("a.tar"));
    const std::string packed = readFile(m_dir.file("a.tar.gz"));
    ASSERT_EQ(static_cast<unsigned char>(packed[0]), 0x1F);
    {
        Ref<MemoryStream> source = memoryStream(plain, "a.tar");
        Ref<TARArchive> archive = VORNA3D_NEW TARArchive(source);
        EXPECT_EQ(archive->getName(), "a.tar");
        expectAllEntries(*archive);
        // Entries share the archive's bytes.
        Ref<Stream> entry;
        archive->openFile(entry, "block.bin", 0);
        const unsigned char* shared = static_cast<MemoryStream*>(entry.get())->getData();
        EXPECT_GE(shared, source->getData());
        EXPECT_LT(shared, source->getData() + source->getSize());
    }
    {
        Ref<TARArchive> archive = VORNA3D_NEW TARArchive(memoryStream(packed, "a.tar.gz"));
        expectAllEntries(*archive);
    }
    {
        Ref<TARArchive> archive =
            VORNA3D_NEW TARArchive(Ref<Stream>(VORNA3D_NEW FileStream(m_dir.file("a.tar").c_str(), "rb")));
        expectAllEntries(*archive);
    }
    {
        Ref<TARArchive> archive =
            VORNA3D_NEW TARArchive(Ref<Stream>(VORNA3D_NEW FileStream(m_dir.file("a.tar.gz").c_str(), "rb")));
        expectAllEntries(*archive);
    }
    {
        // A gzip layer handed over directly works the same.
        Ref<Stream> gz = VORNA3D_NEW GZStream(memoryStream(packed, "a.tar.gz"));
        Ref<TARArchive> archive = VORNA3D_NEW TARArchive(gz);
        expectAllEntries(*archive);
    }
}

TEST_F(TARArchiveTest, DirectoriesAreSkippedAndBlockSizedDataNeedsNoPadding)
{
    QuietLog quiet;
    std::filesystem::create_directories(m_dir.file("in/somedir"));
    // Sizes 100, 512 and a directory: the 512-byte entry is followed directly by the next header.
    ASSERT_EQ(makeTar(m_dir.file("in"), {"small.txt", "block.bin", "somedir"}, m_dir.file("b.tar")), 0);
    Ref<TARArchive> archive = VORNA3D_NEW TARArchive(memoryStream(readFile(m_dir.file("b.tar")), "b.tar"));
    ASSERT_EQ(archive->getEntryCount(), 2);
    EXPECT_EQ(archive->getEntryName(1), "block.bin");
    EXPECT_FALSE(archive->exists("somedir/", 0));
    EXPECT_FALSE(archive->exists("somedir", 0));
    Ref<Stream> entry;
    archive->openFile(entry, "block.bin", 0);
    EXPECT_EQ(readAll(*entry), m_files[1].second);
}

TEST_F(TARArchiveTest, LongNamesOfGnuAndPaxFormats)
{
    QuietLog quiet;
    // 150 characters: GNU tar writes a long-name entry, pax a "path" record,
    // ustar splits it into the prefix and name fields.
    const std::string longName = "deep/" + std::string(70, 'y') + "/" + std::string(70, 'z') + ".dat";
    const std::string bytes = testBytes(3000, 99);
    writeFile(m_dir.file("in/" + longName), bytes);
#ifdef _WIN32
    const auto formats = {"ustar"}; // the GNU and pax forms need the system's tar
#else
    const auto formats = {"gnu", "pax", "ustar"};
#endif
    for (const char* format : formats) {
        SCOPED_TRACE(format);
        const std::string tarFile = m_dir.file(std::string(format) + ".tar");
        ASSERT_EQ(makeTar(m_dir.file("in"), {"small.txt", longName}, tarFile, format), 0);
        Ref<TARArchive> archive = VORNA3D_NEW TARArchive(memoryStream(readFile(tarFile)));
        ASSERT_EQ(archive->getEntryCount(), 2); // the long-name and pax headers are not files
        EXPECT_EQ(std::string(archive->getEntryName(1).getASCII()), longName);
        Ref<Stream> entry;
        archive->openFile(entry, longName.c_str(), 0);
        EXPECT_EQ(readAll(*entry), bytes);
    }
}

TEST_F(TARArchiveTest, OpeningEntriesAndWhatCannotBeOpened)
{
    QuietLog quiet;
    Ref<TARArchive> archive = VORNA3D_NEW TARArchive(memoryStream(readFile(m_dir.file("a.tar")), "a.tar"));

    // Two opens of one entry read independently from its first byte.
    Ref<Stream> first, second;
    archive->openFile(first, "odd.bin", 0);
    char buffer[10];
    ASSERT_EQ(first->read(buffer, 10), 10);
    archive->openFile(second, "odd.bin", 0);
    EXPECT_EQ(readAll(*second), m_files[2].second);
    EXPECT_EQ(readAll(*first), m_files[2].second.substr(10));
    EXPECT_EQ(first->getName(), "odd.bin");

    // The empty file is an entry with no bytes.
    Ref<Stream> empty;
    archive->openFile(empty, "empty.txt", 0);
    EXPECT_EQ(empty->available(), 0);

    Ref<Stream> out;
    EXPECT_IO_ERROR(archive->openFile(out, "small.txt", 1),
                    "TARArchive::openFile: TAR Archives are read only! (trying to open file:small.txt)");
    EXPECT_FALSE(archive->exists("small.txt", 1));
    EXPECT_IO_ERROR(archive->openFile(out, "nope", 0),
                    "TARArchive::openFile: Could not open file \"nope\" from TARArchive");
    EXPECT_FALSE(archive->exists("nope", 0));
    EXPECT_FALSE(archive->exists("small", 0));

    // Nothing at all is an empty archive.
    Ref<TARArchive> none = VORNA3D_NEW TARArchive(memoryStream(""));
    EXPECT_EQ(none->getEntryCount(), 0);
    Ref<TARArchive> noneGz = VORNA3D_NEW TARArchive(memoryStream(gzip("")));
    EXPECT_EQ(noneGz->getEntryCount(), 0);
}

TEST_F(TARArchiveTest, WriterOutputIsReadByTheSystemTarAndByTheArchive)
{
    QuietLog quiet;
    // 100 characters fit the name field; 170 need the prefix field.
    const std::string prefixed = std::string(60, 'p') + "/" + std::string(60, 'q') + "/" + std::string(48, 'r');
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"a.txt", testBytes(100, 1)},   {"b/c.bin", testBytes(512, 2)},  {"empty", ""},
        {NAME_100, testBytes(1500, 3)}, {prefixed, testBytes(70000, 4)},
    };
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed);
        const std::string path = m_dir.file(compressed ? "w.tar.gz" : "w.tar");
        {
            Ref<Stream> file = VORNA3D_NEW FileStream(path.c_str(), "wb");
            Ref<Stream> out = compressed ? Ref<Stream>(VORNA3D_NEW GZStream(file)) : file;
            Ref<TARWriter> writer = VORNA3D_NEW TARWriter(out);
            for (const auto& [name, bytes] : entries)
                writer->addFile(name.c_str(), bytes.data(), static_cast<int>(bytes.size()));
            writer->finish();
            out->close();
            file->close();
        }
#ifndef _WIN32
        // The system's tar sees the same names and sizes, owner 0/0, mode 0644, time 0.
        const std::string listing =
            runOutput("TZ=UTC tar --numeric-owner -tvf " + quote(path) + " | awk '{print $1, $2, $3, $4, $6}'");
        std::string expected;
        for (const auto& [name, bytes] : entries)
            expected += "-rw-r--r-- 0/0 " + std::to_string(bytes.size()) + " 1970-01-01 " + name + "\n";
        EXPECT_EQ(listing, expected);
        EXPECT_EQ(runOutput("tar -xOf " + quote(path) + " " + quote(prefixed)), entries[4].second);
#endif

        Ref<TARArchive> archive = VORNA3D_NEW TARArchive(memoryStream(readFile(path)));
        ASSERT_EQ(archive->getEntryCount(), static_cast<int>(entries.size()));
        for (const auto& [name, bytes] : entries) {
            Ref<Stream> entry;
            archive->openFile(entry, name.c_str(), 0);
            EXPECT_EQ(readAll(*entry), bytes) << name;
        }
    }
    // Same input, same bytes.
    Ref<MemoryStream> sink = VORNA3D_NEW MemoryStream();
    Ref<TARWriter> writer = VORNA3D_NEW TARWriter(sink);
    for (const auto& [name, bytes] : entries)
        writer->addFile(name.c_str(), bytes.data(), static_cast<int>(bytes.size()));
    writer->finish();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sink->getData()), static_cast<size_t>(sink->getSize())),
              readFile(m_dir.file("w.tar")));

    sink = VORNA3D_NEW MemoryStream();
    writer = VORNA3D_NEW TARWriter(sink);
    EXPECT_IO_ERROR(writer->addFile(std::string(101, 'n').c_str(), "", 0), "Name does not fit a ustar header");
    EXPECT_IO_ERROR(writer->addFile("", "", 0), "Name does not fit a ustar header");
    writer->finish();
    EXPECT_IO_ERROR(writer->addFile("late", "", 0), "Archive already finished");
}

TEST_F(TARArchiveTest, TwoEntriesOfOneNameAbortTheArchive)
{
    QuietLog quiet;
    Ref<MemoryStream> sink = VORNA3D_NEW MemoryStream();
    Ref<TARWriter> writer = VORNA3D_NEW TARWriter(sink);
    writer->addFile("same", "one", 3);
    writer->addFile("same", "two", 3);
    writer->finish();
    Ref<MemoryStream> bytes = VORNA3D_NEW MemoryStream(sink->getBuffer());
    EXPECT_IO_ERROR((void)Ref<TARArchive>(VORNA3D_NEW TARArchive(bytes)),
                    "TARArchive::TARArchive: TARArchive contains multiple streams with same name \"same\"");
}
