// The bake program run as the build runs it: the same bytes every time,
// and an archive the engine's own tool can list.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "BakedArchive.h"

namespace bake_test {

namespace {

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs `command`, returning its standard output and storing its exit status.
std::string run(const std::string& command, int& status)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    status = pclose(pipe);
    return output;
}

std::filesystem::path scratchDir(const char* name)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("bake_tests_" + std::to_string(::getpid()) + "_" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace

TEST(BakeTool, AnotherBakeGivesTheSameBytesAsTheBuild)
{
    const std::filesystem::path dir = scratchDir("again");
    const std::string again = (dir / "sulvanto.dat").string();
    int status = 0;
    run(std::string("'") + BAKE_TOOL + "' '" + again + "'", status);
    ASSERT_EQ(status, 0);
    const std::string built = readBytes(bakedArchivePath());
    const std::string rebaked = readBytes(again);
    ASSERT_GT(built.size(), 100000u);
    EXPECT_TRUE(built == rebaked) << "sizes " << built.size() << " and " << rebaked.size();
    // gzip header without a time stamp or a file name (RFC 1952: flags at
    // byte 3, the time in bytes 4..7).
    ASSERT_GE(built.size(), 10u);
    EXPECT_EQ(static_cast<unsigned char>(built[0]), 0x1F);
    EXPECT_EQ(static_cast<unsigned char>(built[1]), 0x8B);
    EXPECT_EQ(built[3], 0);
    EXPECT_EQ(built.substr(4, 4), std::string(4, '\0'));
    std::filesystem::remove_all(dir);
}

TEST(BakeTool, PreviewWritesEveryPictureAndAViewOfEveryMesh)
{
    const std::filesystem::path dir = scratchDir("preview");
    int status = 0;
    run(std::string("'") + BAKE_TOOL + "' --preview '" + dir.string() + "'", status);
    ASSERT_EQ(status, 0);
    for (const char* name :
         {"font.png", "2dgfx.png", "sulvantobynorvalliproductions.png", "wtr.png", "v3d.png", "preview-demoball.png",
          "preview-stoneball-inside.png", "preview-heelix.png", "preview-v3d.png"})
        EXPECT_TRUE(std::filesystem::is_regular_file(dir / name)) << name;
    EXPECT_FALSE(std::filesystem::exists(dir / "sulvanto.dat"));
    std::filesystem::remove_all(dir);
}

TEST(BakeTool, RefusesUnknownArguments)
{
    int status = 0;
    run(std::string("'") + BAKE_TOOL + "' --colour red 2>/dev/null", status);
    EXPECT_NE(status, 0);
    run(std::string("'") + BAKE_TOOL + "' 2>/dev/null", status);
    EXPECT_NE(status, 0);
}

TEST(BakeTool, Vorna3dListsTheTenFiles)
{
    const std::string tool = VORNA3D_TOOL;
    if (tool.empty())
        GTEST_SKIP() << "the vorna3d tool is not built";
    int status = 0;
    const std::string listing = run("'" + tool + "' ls '" + bakedArchivePath() + "'", status);
    ASSERT_EQ(status, 0);
    for (const char* name : {"font.txt", "font.png", "demoball.m3g", "stoneball.m3g", "2dgfx.png",
                             "sulvantobynorvalliproductions.png", "wtr.png", "heelix.m3g", "v3d.m3g", "v3d.png"})
        EXPECT_NE(listing.find(name), std::string::npos) << name << " not in:\n" << listing;
}

} // namespace bake_test
