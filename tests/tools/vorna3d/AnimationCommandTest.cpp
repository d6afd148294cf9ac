// vorna3d on the shared skinned, animated scene file: info --all lists the
// animation objects with the indices they refer to, convert writes a file
// that lists and prints the same, and play refuses what it cannot show
// before it opens a window (playing itself is the e2e test play_e2e.sh).
// Indices and counts come from a Python dump of the file's records.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ToolTest.h"

namespace fs = std::filesystem;

namespace {

using tool_test::quote;
using tool_test::readText;
using tool_test::Result;

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// How many lines name `className` as their class (index, blank, class).
int countClass(const std::string& listing, const std::string& className)
{
    int count = 0;
    for (const std::string& line : lines(listing)) {
        const size_t blank = line.find(' ');
        if (blank == std::string::npos)
            continue;
        const std::string rest = line.substr(blank + 1);
        if (rest == className || rest.rfind(className + " ", 0) == 0)
            ++count;
    }
    return count;
}

class AnimationCommandTest : public tool_test::ToolTest {
protected:
    AnimationCommandTest() : ToolTest("vorna3d-anim") { }

    void SetUp() override
    {
        ToolTest::SetUp();
        m_scene = fs::path(VORNA3D_TESTDATA_DIR) / "m3g" / "test.m3g";
    }

    fs::path m_scene;
};

} // namespace

TEST_F(AnimationCommandTest, InfoAllListsTheAnimationObjectsWithTheirReferences)
{
    if (!fs::exists(m_scene))
        GTEST_SKIP() << "test.m3g not present";
    const Result r = tool("info --all " + quote(m_scene.string()));
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<std::string> all = lines(r.out);
    ASSERT_GE(all.size(), 142u);
    // Objects 23 to 25: the first sequence (268 quaternion keyframes over
    // 8833 ms), its controller, and the track binding both to ORIENTATION;
    // object 26 is the group the track animates.
    EXPECT_EQ(all[22], "23 KeyframeSequence keyframes=268 components=4 duration=8833");
    EXPECT_EQ(all[23], "24 AnimationController");
    EXPECT_EQ(all[24], "25 AnimationTrack property=ORIENTATION refs=23,24");
    EXPECT_EQ(all[25].rfind("26 Group refs=25", 0), 0u) << all[25];
    // Object 140: the skinned mesh, its buffer, submesh and skeleton first
    // among its references, then its bones.
    EXPECT_EQ(all[139].rfind("140 SkinnedMesh vertices=1657 submeshes=1 bones=37 refs=133,134,138,139,129,", 0), 0u)
        << all[139].substr(0, 120);
    EXPECT_EQ(countClass(r.out, "AnimationTrack"), 23);
    EXPECT_EQ(countClass(r.out, "AnimationController"), 23);
    EXPECT_EQ(countClass(r.out, "KeyframeSequence"), 23);
    EXPECT_EQ(countClass(r.out, "SkinnedMesh"), 1);
}

TEST_F(AnimationCommandTest, ConvertKeepsTheAnimatedScene)
{
    if (!fs::exists(m_scene))
        GTEST_SKIP() << "test.m3g not present";
    const Result tree = tool("info " + quote(m_scene.string()));
    ASSERT_EQ(tree.code, 0) << tree.err;
    for (const char* option : {"", " --compress"}) {
        SCOPED_TRACE(option);
        const fs::path out = m_dir / "converted.m3g";
        const Result converted = tool("convert " + quote(m_scene.string()) + " " + quote(out.string()) + option);
        ASSERT_EQ(converted.code, 0) << converted.err;
        EXPECT_EQ(tool("info " + quote(out.string())).out, tree.out);
        const Result all = tool("info --all " + quote(out.string()));
        ASSERT_EQ(all.code, 0) << all.err;
        EXPECT_EQ(countClass(all.out, "AnimationTrack"), 23);
        EXPECT_EQ(countClass(all.out, "KeyframeSequence"), 23);
        EXPECT_NE(all.out.find("KeyframeSequence keyframes=268 components=3 duration=8833"), std::string::npos);
    }
}

TEST_F(AnimationCommandTest, PlayRefusesWhatItCannotShowBeforeOpeningAWindowAndExplainsItself)
{
    const fs::path text = m_dir / "notes.txt";
    std::ofstream(text) << "hi\n";
    expectFailure(tool("play " + quote(text.string())), "is not a scene file");
    expectFailure(tool("play " + quote((m_dir / "missing.m3g").string())), "is not a scene file");
    expectFailure(tool("play scene.m3g --fast"), "unknown option '--fast'");
    expectFailure(tool("play scene.m3g --shot=abc"), "--shot needs MS:FILE.png");
    expectFailure(tool("play scene.m3g --shot=100:"), "--shot needs MS:FILE.png");
    expectFailure(tool("play"), "usage: vorna3d play");
    expectFailure(tool("play a.m3g b.m3g"), "one scene file at a time");
    expectFailure(tool("play --fit"), "usage: vorna3d play");

    // Both help forms print play's usage and its keys, and open no window.
    for (const char* help : {"play --help", "help play", "play -h"}) {
        SCOPED_TRACE(help);
        const Result r = tool(help);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out.rfind("usage: vorna3d play FILE.m3g [--fit] [--shot=MS:FILE.png]...\n", 0), 0u) << r.out;
        for (const char* key : {"left drag", "wheel", "Space", "Left/Right", "Home", "+ / -", "F1", "F12", "Escape,"})
            EXPECT_NE(r.out.find(std::string("\n  ") + key + " "), std::string::npos) << key;
    }
    EXPECT_NE(tool("help ls").out.find("usage: vorna3d ls ARCHIVE"), std::string::npos);
    expectFailure(tool("help frobnicate"), "unknown command 'frobnicate'");
}
