// vorna3d info and pixel, run as a program: for every valid file of the
// PNG suites the format, size and pixels agree with png_pixels.py, a
// decoder written separately in Python on zlib alone; files that are not
// valid images end with one error line on standard error and exit code 1.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/vorna3d/ToolTest.h"

namespace {

namespace fs = std::filesystem;

using tool_test::quote;
using tool_test::Result;

fs::path testData()
{
    return fs::path(VORNA3D_TESTDATA_DIR) / "png";
}

std::vector<fs::path> pngFiles(const fs::path& dir)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir, error))
        if (entry.is_regular_file() && entry.path().extension() == ".png")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// A decoded image as png_pixels.py prints it.
struct Decoded {
    std::string format;
    int width = 0;
    int height = 0;
    std::vector<std::vector<std::string>> rows;
};

class ImageCommandTest : public tool_test::ToolTest {
protected:
    ImageCommandTest() : ToolTest("vorna3d-image") { }

    void SetUp() override
    {
        if (!fs::is_directory(testData()))
            GTEST_SKIP() << "PNG test data not found at " << testData();
        ToolTest::SetUp();
    }

    // The Python decoder's view of each file, by path; files it rejects
    // are left out. Returns false when the decoder could not be run.
    bool decode(const std::vector<fs::path>& files, std::map<std::string, Decoded>& decoded) const
    {
        std::string command = "python3 " + quote(VORNA3D_PNG_PIXELS);
        for (const fs::path& file : files)
            command += " " + quote(file.string());
        const Result r = shell(command);
        if (r.code != 0 && r.code != 1)
            return false;
        std::istringstream lines(r.out);
        std::string line;
        Decoded* current = nullptr;
        while (std::getline(lines, line)) {
            if (line.rfind("FILE ", 0) == 0) {
                current = nullptr;
                const std::string path = line.substr(5);
                if (std::getline(lines, line) && line.rfind("REJECTED ", 0) != 0) {
                    current = &decoded[path];
                    std::istringstream header(line);
                    header >> current->format >> current->width >> current->height;
                }
            } else if (current) {
                std::istringstream pixels(line);
                current->rows.emplace_back(std::istream_iterator<std::string>(pixels),
                                           std::istream_iterator<std::string>());
            }
        }
        return true;
    }

    // Any failure the tool reports, whatever its text.
    static void expectFailure(const Result& r) { ToolTest::expectFailure(r, ""); }
};

} // namespace

TEST_F(ImageCommandTest, EveryValidFileAgreesWithAnIndependentDecoder)
{
    if (shell("python3 -c 'import zlib'").code != 0)
        GTEST_SKIP() << "python3 with zlib is not available";
    std::vector<fs::path> files;
    for (const fs::path& dir : {testData() / "pngsuite", testData() / "pngsuite" / "interlaced",
                                testData() / "testpngs", testData() / "testpngs" / "png-3"}) {
        const auto found = pngFiles(dir);
        files.insert(files.end(), found.begin(), found.end());
    }
    std::map<std::string, Decoded> reference;
    ASSERT_TRUE(decode(files, reference));
    int compared = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        if (!reference.count(file.string()))
            continue; // not a valid file for the reference decoder either
        const Decoded& expected = reference.at(file.string());
        ASSERT_EQ(static_cast<int>(expected.rows.size()), expected.height);

        const Result info = tool("info " + quote(file.string()));
        EXPECT_EQ(info.code, 0) << info.err;
        EXPECT_EQ(info.out,
                  "Image2D " + expected.format + " " + std::to_string(expected.width) + "x" +
                      std::to_string(expected.height) + "\n");
        EXPECT_EQ(info.err, "");

        // Every pixel of small images; a spread of about 1500 of larger
        // ones, corners included.
        std::vector<std::pair<int, int>> points;
        const int total = expected.width * expected.height;
        const int step = std::max(1, total / 1500);
        for (int i = 0; i < total; i += step)
            points.emplace_back(i % expected.width, i / expected.width);
        points.emplace_back(expected.width - 1, 0);
        points.emplace_back(0, expected.height - 1);
        points.emplace_back(expected.width - 1, expected.height - 1);
        std::string arguments = "pixel " + quote(file.string());
        std::string want;
        for (const auto& [x, y] : points) {
            arguments += " " + std::to_string(x) + " " + std::to_string(y);
            want += expected.rows[y][x] + "\n";
        }
        const Result pixels = tool(arguments);
        EXPECT_EQ(pixels.code, 0) << pixels.err;
        if (pixels.out != want) {
            // Report the first differing pixel rather than two long texts.
            std::istringstream got(pixels.out), exp(want);
            std::string a, b;
            for (const auto& [x, y] : points) {
                std::getline(got, a);
                std::getline(exp, b);
                if (a != b) {
                    ADD_FAILURE() << "pixel " << x << " " << y << ": tool " << a << ", reference " << b;
                    break;
                }
            }
        }
        ++compared;
    }
    // 51 + 9 + 106 + 1 files in the four folders, all valid.
    EXPECT_GE(compared, 160);
}

TEST_F(ImageCommandTest, FilesThatAreNotValidImagesFail)
{
    const fs::path crashers = testData() / "testpngs" / "crashers";
    for (const fs::path& file : pngFiles(crashers)) {
        SCOPED_TRACE(file.string());
        expectFailure(tool("info " + quote(file.string())));
        expectFailure(tool("pixel " + quote(file.string()) + " 0 0"));
    }
    const fs::path text = m_dir / "notes.txt";
    std::ofstream(text) << "just a few words of text\n";
    expectFailure(tool("info " + quote(text.string())));
    const Result missing = tool("info " + quote((m_dir / "missing.png").string()));
    expectFailure(missing);
    EXPECT_NE(missing.err.find("missing.png"), std::string::npos) << missing.err;
    // A scene file is no image: pixel refuses it (info describes it instead).
    const fs::path scene = fs::path(VORNA3D_TESTDATA_DIR) / "m3g" / "simple.m3g";
    if (fs::exists(scene))
        expectFailure(tool("pixel " + quote(scene.string()) + " 0 0"));
}

TEST_F(ImageCommandTest, PixelArgumentsAreChecked)
{
    const std::string file = quote((testData() / "pngsuite" / "basn2c08.png").string());
    const Result ok = tool("pixel " + file + " 0 0 31 31");
    EXPECT_EQ(ok.code, 0);
    EXPECT_EQ(ok.out, "FFFFFF\n000000\n");
    expectFailure(tool("pixel " + file + " 32 0"));
    expectFailure(tool("pixel " + file + " 0 -1"));
    expectFailure(tool("pixel " + file + " 0 0 1"));
    expectFailure(tool("pixel " + file + " x 0"));
    expectFailure(tool("pixel " + file + " 0 99999999999"));
    expectFailure(tool("info"));
}
