// The vorna3d tool as a program: its listing agrees with the system's
// `tar -tv`, cat gives each entry's bytes, pack writes archives that tar
// and gzip accept, and every failure is one line on standard error with
// exit code 1 and nothing on standard output.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ToolTest.h"

namespace {

using tool_test::quote;
using tool_test::Result;

std::string readFile(const std::string& path)
{
    return tool_test::readText(path);
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Deterministic bytes of every value, with runs that compress.
std::string testBytes(size_t size, uint32_t seed)
{
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 7u;
    for (size_t i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = (x & 0x300) ? static_cast<char>('A' + (x % 5)) : static_cast<char>(x >> 24);
    }
    return out;
}

class Vorna3dToolTest : public tool_test::ToolTest {
protected:
    Vorna3dToolTest() : ToolTest("vorna3d-tool") { }

    void SetUp() override
    {
        ToolTest::SetUp();
        if (HasFatalFailure())
            return;
        // Several entries, an empty file, a 100-character name, sizes that
        // are and are not multiples of 512.
        const std::vector<std::pair<std::string, size_t>> files = {
            {"readme.txt", 100},         {"empty.dat", 0}, {"block.bin", 512},
            {"blocks.bin", 2048},        {"odd.bin", 513}, {"assets/" + std::string(89, 'n') + ".png", 4000},
            {"assets/scene.m3g", 70000},
        };
        ASSERT_EQ(files[5].first.size(), 100u);
        uint32_t seed = 1;
        for (const auto& [name, size] : files) {
            m_files.emplace_back(name, testBytes(size, seed++));
            writeFile(path("in/" + name), m_files.back().second);
        }
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    std::string fileList() const
    {
        std::string list;
        for (const auto& file : m_files)
            list += " " + quote(file.first);
        return list;
    }

    // "SIZE NAME" lines from `tar -tv` output (size is the third column, the name the sixth on).
    static std::string sizesAndNames(const std::string& tarListing)
    {
        std::istringstream lines(tarListing);
        std::string line, result;
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string mode, owner, size, date, time, name;
            fields >> mode >> owner >> size >> date >> time;
            std::getline(fields >> std::ws, name);
            result += size + " " + name + "\n";
        }
        return result;
    }

    std::vector<std::pair<std::string, std::string>> m_files;
};

} // namespace

TEST_F(Vorna3dToolTest, LsAndCatAgreeWithTheSystemTar)
{
    ASSERT_EQ(shell("cd " + quote(path("in")) + " && tar --format=ustar -cf ../a.tar" + fileList()).code, 0);
    ASSERT_EQ(shell("gzip -c " + quote(path("a.tar")) + " > " + quote(path("a.tar.gz"))).code, 0);
    const Result reference = shell("tar -tvf " + quote(path("a.tar")));
    ASSERT_EQ(reference.code, 0);
    const std::string expected = sizesAndNames(reference.out);
    ASSERT_NE(expected.find("\n0 empty.dat\n"), std::string::npos) << expected;

    for (const char* archive : {"a.tar", "a.tar.gz"}) {
        SCOPED_TRACE(archive);
        const Result listing = tool("ls " + quote(path(archive)));
        EXPECT_EQ(listing.code, 0);
        EXPECT_EQ(listing.err, "");
        EXPECT_EQ(listing.out, expected);
        for (const auto& [name, bytes] : m_files) {
            const Result content = tool("cat " + quote(path(archive)) + " " + quote(name));
            EXPECT_EQ(content.code, 0) << name << ": " << content.err;
            EXPECT_TRUE(content.out == bytes) << name;
        }
    }
    // A relative archive path works from the archive's directory.
    const Result relative = shell("cd " + quote(m_dir.string()) + " && " + VORNA3D_TOOL + " ls a.tar");
    EXPECT_EQ(relative.out, expected);
}

TEST_F(Vorna3dToolTest, PackWritesArchivesThatTarAndGzipRead)
{
    for (const char* out : {"p.tar", "p.tar.gz"}) {
        SCOPED_TRACE(out);
        const Result packed =
            shell("cd " + quote(path("in")) + " && " + VORNA3D_TOOL + " pack " + quote(path(out)) + fileList());
        ASSERT_EQ(packed.code, 0) << packed.err;
        EXPECT_EQ(packed.out + packed.err, "");
        const bool gz = std::string(out).size() > 3 && std::string(out).substr(std::string(out).size() - 3) == ".gz";
        if (gz) {
            EXPECT_EQ(shell("gzip -t " + quote(path(out))).code, 0);
        }
        // Names, sizes, order, owner 0/0, mode 0644 and time 0, as tar lists them.
        const Result listing = shell("TZ=UTC tar --numeric-owner -tvf " + quote(path(out)));
        ASSERT_EQ(listing.code, 0) << listing.err;
        std::string expected;
        for (const auto& [name, bytes] : m_files)
            expected += std::to_string(bytes.size()) + " " + name + "\n";
        EXPECT_EQ(sizesAndNames(listing.out), expected);
        EXPECT_NE(listing.out.find("-rw-r--r-- 0/0"), std::string::npos);
        EXPECT_NE(listing.out.find("1970-01-01 00:00"), std::string::npos);
        for (const auto& [name, bytes] : m_files)
            EXPECT_TRUE(shell("tar -xOf " + quote(path(out)) + " " + quote(name)).out == bytes) << name;
        EXPECT_EQ(tool("ls " + quote(path(out))).out, expected);
    }
    // Deterministic: the same files give the same bytes.
    ASSERT_EQ(shell("cd " + quote(path("in")) + " && " + VORNA3D_TOOL + " pack ../q.tar" + fileList()).code, 0);
    EXPECT_TRUE(readFile(path("p.tar")) == readFile(path("q.tar")));
    // Absolute paths are stored relative, as tar does.
    ASSERT_EQ(tool("pack " + quote(path("abs.tar")) + " " + quote(path("in/readme.txt"))).code, 0);
    EXPECT_EQ(shell("tar -tf " + quote(path("abs.tar"))).out, path("in/readme.txt").substr(1) + "\n");
}

TEST_F(Vorna3dToolTest, FailuresAreOneLineOnStandardErrorAndExitOne)
{
    ASSERT_EQ(shell("cd " + quote(path("in")) + " && tar --format=ustar -cf ../a.tar" + fileList()).code, 0);
    const std::string tar = readFile(path("a.tar"));

    expectFailure(tool("ls " + quote(path("missing.tar"))), "missing.tar");
    expectFailure(tool("ls " + quote(path("in"))), "not a file");
    expectFailure(tool("cat " + quote(path("a.tar")) + " nothing.here"), "File not found!");
    writeFile(path("cut.tar"), tar.substr(0, 1024 + 100));
    expectFailure(tool("ls " + quote(path("cut.tar"))), "Unexcepted end of TAR archive");
    expectFailure(tool("cat " + quote(path("cut.tar")) + " readme.txt"), "Unexcepted end of TAR archive");
    std::string flipped = tar;
    flipped[512 + 512 + 150] ^= 1; // the second header's checksum
    writeFile(path("flipped.tar"), flipped);
    expectFailure(tool("ls " + quote(path("flipped.tar"))), "checksum");
    ASSERT_EQ(shell("gzip -c " + quote(path("a.tar")) + " > " + quote(path("a.tar.gz"))).code, 0);
    std::string badCrc = readFile(path("a.tar.gz"));
    ASSERT_GT(badCrc.size(), 100u);
    badCrc[badCrc.size() - 6] ^= 0x10; // inside the CRC-32
    writeFile(path("crc.tar.gz"), badCrc);
    expectFailure(tool("cat " + quote(path("crc.tar.gz")) + " readme.txt"), "Zlib");

    expectFailure(tool(""), "no command given");
    expectFailure(tool("frobnicate"), "unknown command 'frobnicate'");
    expectFailure(tool("ls"), "usage: vorna3d ls ARCHIVE");
    expectFailure(tool("cat a b c"), "usage: vorna3d cat ARCHIVE NAME");
    expectFailure(tool("pack " + quote(path("out.tar"))), "usage: vorna3d pack");

    // A missing input leaves no output file, and an existing one untouched.
    expectFailure(
        tool("pack " + quote(path("out.tar")) + " " + quote(path("in/readme.txt")) + " " + quote(path("in/nope"))),
        "nope");
    EXPECT_FALSE(std::filesystem::exists(path("out.tar")));
    EXPECT_FALSE(std::filesystem::exists(path("out.tar.vorna3d-partial")));
    expectFailure(tool("pack " + quote(path("a.tar")) + " " + quote(path("in"))), "can not open");
    EXPECT_TRUE(readFile(path("a.tar")) == tar);

    const Result help = tool("--help");
    EXPECT_EQ(help.code, 0);
    for (const char* command : {"ls", "cat", "pack"})
        EXPECT_NE(help.out.find(std::string("  ") + command + " "), std::string::npos) << command;
}
