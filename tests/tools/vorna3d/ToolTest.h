#pragma once
// What the vorna3d tool's tests share: a fresh temporary folder per test,
// the tool (or any command line) run as a program with its exit code and
// its standard output and error kept apart, and the check of a failure as
// the tool reports it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tool_test {

namespace fs = std::filesystem;

struct Result {
    int code = -1; // the exit code; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// The file's bytes; empty when it cannot be read.
inline std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// `text` as one shell word.
inline std::string quote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class ToolTest : public ::testing::Test {
protected:
    // The temporary folder is named `prefix`-XXXXXX in the system's one.
    explicit ToolTest(const char* prefix) : m_prefix(prefix) { }

    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / (m_prefix + "-XXXXXX")).string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }

    void TearDown() override
    {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }

    // Runs a shell command line; its output goes through files in the folder.
    Result shell(const std::string& line) const
    {
        Result r;
        const std::string out = (m_dir / "stdout").string(), err = (m_dir / "stderr").string();
        const int status = std::system(("(" + line + ") >" + quote(out) + " 2>" + quote(err)).c_str());
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = readText(out);
        r.err = readText(err);
        return r;
    }

    // Runs the tool with `arguments` (shell words, quoted by the caller).
    Result tool(const std::string& arguments) const { return shell(std::string(VORNA3D_TOOL) + " " + arguments); }

    // A failure as the tool reports it: exit code 1, nothing on standard
    // output, and one line "vorna3d: ..." holding `part` on standard error.
    static void expectFailure(const Result& r, const std::string& part)
    {
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out, "");
        ASSERT_FALSE(r.err.empty());
        EXPECT_EQ(r.err.rfind("vorna3d: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err; // exactly one line
        EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
    }

    fs::path m_dir;

private:
    std::string m_prefix;
};

} // namespace tool_test
