// The capture's progress away from a terminal (a log file): a plain line at
// every 10% of the frames expected, no carriage returns, and the final line.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "demo/CaptureProgress.h"

namespace {

std::string readAll(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    return text;
}

size_t count(const std::string& text, const std::string& what)
{
    size_t found = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++found;
    return found;
}

} // namespace

TEST(CaptureProgressTest, ALogGetsAPlainLineAtEveryTenthAndTheFinalOne)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        // The whole show at 60 fps: 16,701 frames to its end at 278.35 s.
        CaptureProgress progress(file, 16701, false);
        for (uint32_t frame = 1; frame <= 16700; ++frame)
            progress.update(frame);
        progress.finish(16700);
    }
    const std::string text = readAll(file);
    std::fclose(file);
    EXPECT_EQ(count(text, "\r"), 0u) << text;
    EXPECT_EQ(count(text, "\n"), 10u) << "9 tenths and the final line: " << text;
    // 10% of 16,701 is reached at frame 1,671 (16,701 / 10 rounded up).
    EXPECT_EQ(text.rfind("frame 1671 (10.0%)", 0), 0u) << text;
    EXPECT_NE(text.find("frame 15031 (90.0%)"), std::string::npos) << text;
    EXPECT_NE(text.find("frame 16700 (100.0%)"), std::string::npos) << text;
    EXPECT_LT(text.size(), 600u) << "a whole show's progress stays a few lines long";
}

TEST(CaptureProgressTest, UnknownLengthInALogPrintsTheFinalLineOnly)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        CaptureProgress progress(file, 0, false);
        for (uint32_t frame = 1; frame <= 500; ++frame)
            progress.update(frame);
        progress.finish(500);
    }
    const std::string text = readAll(file);
    std::fclose(file);
    EXPECT_EQ(count(text, "\n"), 1u) << text;
    EXPECT_EQ(text.rfind("frame 500 ", 0), 0u) << text;
}
