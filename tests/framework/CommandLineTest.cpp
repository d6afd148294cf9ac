// Splitting the command line into at most ten arguments.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/CommandLine.h"

namespace {

// Splits a copy of `line` and returns the arguments as strings.
std::vector<std::string> split(std::string line, int maxArgs = 10)
{
    const char* args[16] = {};
    const int count = framework::splitCommandLine(line.data(), args, maxArgs);
    return std::vector<std::string>(args, args + count);
}

using Args = std::vector<std::string>;

} // namespace

TEST(CommandLine, SplitsOnSingleBlanksOnly)
{
    EXPECT_EQ(split("demo"), Args{"demo"});
    EXPECT_EQ(split("-w 640 480"), (Args{"-w", "640", "480"}));
    // Tabs are ordinary characters.
    EXPECT_EQ(split("a\tb c"), (Args{"a\tb", "c"}));
    // Two blanks: the empty argument between them counts.
    EXPECT_EQ(split("one  two"), (Args{"one", "", "two"}));
    // A leading blank ends an empty first argument.
    EXPECT_EQ(split(" x"), (Args{"", "x"}));
}

TEST(CommandLine, EndsAndLimits)
{
    EXPECT_EQ(split(""), Args{});
    EXPECT_EQ(framework::splitCommandLine(nullptr, nullptr, 10), 0);
    // One trailing blank ends the last argument and starts none.
    EXPECT_EQ(split("word "), Args{"word"});
    // Two trailing blanks: the second ends an empty argument.
    EXPECT_EQ(split("word  "), (Args{"word", ""}));
    // Eleven words: the eleventh is ignored.
    EXPECT_EQ(split("1 2 3 4 5 6 7 8 9 10 11"), (Args{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    EXPECT_EQ(split("a b c", 2), (Args{"a", "b"}));
}

TEST(CommandLine, SplitsInPlace)
{
    char line[] = "ab cd";
    const char* args[10] = {};
    ASSERT_EQ(framework::splitCommandLine(line, args, 10), 2);
    EXPECT_EQ(args[0], line);
    EXPECT_EQ(args[1], line + 3);
    EXPECT_EQ(line[2], '\0');
}

TEST(CommandLine, JoinedArgumentsSplitBackTheSameWay)
{
    const char* argv[] = {"sulvanto", "a", "", "b", nullptr};
    EXPECT_EQ(framework::joinArguments(4, argv), "a  b");
    EXPECT_EQ(split(framework::joinArguments(4, argv)), (Args{"a", "", "b"}));
    EXPECT_EQ(framework::joinArguments(1, argv), "");
    EXPECT_EQ(framework::joinArguments(0, argv), "");
}
