// sulvanto's command line: the option sets a user types, every kind of bad
// value (each an error naming the option, exit code 2), --help (exit 0) and
// the output of report() on the two streams.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "demo/ShowOptions.h"

namespace {

ShowOptions parse(std::initializer_list<const char*> args)
{
    const std::vector<const char*> list(args);
    return ShowOptions::parse(list.data(), static_cast<int>(list.size()));
}

// What report() printed on each stream, and its result.
struct Report {
    int code;
    std::string out;
    std::string err;
};

std::string readAll(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    std::fclose(file);
    return text;
}

Report report(const ShowOptions& options)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int code = options.report(out, err);
    return {code, readAll(out), readAll(err)};
}

size_t lineCount(const std::string& text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(ShowOptionsTest, NoArgumentsRunTheShowFullScreenAsBefore)
{
    const ShowOptions none = parse({});
    EXPECT_EQ(none.action, ShowOptions::Action::SHOW);
    EXPECT_FALSE(none.windowed);
    // Two blanks in a row on the command line give an empty argument.
    EXPECT_EQ(parse({"", ""}).action, ShowOptions::Action::SHOW);
    const Report printed = report(none);
    EXPECT_EQ(printed.code, -1);
    EXPECT_EQ(printed.out, "");
    EXPECT_EQ(printed.err, "");

    const ShowOptions window = parse({"--window"});
    EXPECT_EQ(window.action, ShowOptions::Action::SHOW);
    EXPECT_TRUE(window.windowed);
}

TEST(ShowOptionsTest, CaptureOptionsInBothSpellings)
{
    const ShowOptions video =
        parse({"--capture", "out.mp4", "--fps", "30", "--size", "320x240", "--capture-seconds", "2.5"});
    EXPECT_EQ(video.action, ShowOptions::Action::CAPTURE);
    EXPECT_EQ(video.capturePath, "out.mp4");
    EXPECT_FALSE(video.pngSequence);
    EXPECT_EQ(video.fps, 30);
    EXPECT_EQ(video.width, 320);
    EXPECT_EQ(video.height, 240);
    EXPECT_DOUBLE_EQ(video.captureSeconds, 2.5);

    const ShowOptions pngs = parse({"--capture=frames/", "--fps=240", "--size=8192x16", "--capture-seconds=10"});
    EXPECT_EQ(pngs.action, ShowOptions::Action::CAPTURE);
    EXPECT_EQ(pngs.capturePath, "frames/");
    EXPECT_TRUE(pngs.pngSequence);
    EXPECT_EQ(pngs.fps, 240);
    EXPECT_EQ(pngs.width, 8192);
    EXPECT_EQ(pngs.height, 16);
    EXPECT_DOUBLE_EQ(pngs.captureSeconds, 10.0);

    // Defaults: 60 fps, 1024 x 768, the whole show.
    const ShowOptions plain = parse({"--capture", "show.mkv"});
    EXPECT_EQ(plain.fps, 60);
    EXPECT_EQ(plain.width, 1024);
    EXPECT_EQ(plain.height, 768);
    EXPECT_EQ(plain.captureSeconds, 0.0);
    // Ten arguments, the most the framework hands on, with every option.
    EXPECT_EQ(parse({"--capture", "a.mp4", "--fps", "1", "--size", "16x16", "--capture-seconds", "0.001", "-h"}).action,
              ShowOptions::Action::HELP);
}

TEST(ShowOptionsTest, StartGoesWithTheShowAndTheCaptureInWholeMilliseconds)
{
    const ShowOptions show = parse({"--window", "--start", "160"});
    EXPECT_EQ(show.action, ShowOptions::Action::SHOW);
    EXPECT_EQ(show.startMs(), 160000u);
    const ShowOptions capture = parse({"--capture", "part/", "--start=20.4", "--capture-seconds", "4"});
    EXPECT_EQ(capture.action, ShowOptions::Action::CAPTURE);
    EXPECT_EQ(capture.startMs(), 20400u);
    EXPECT_DOUBLE_EQ(capture.captureSeconds, 4.0);
    EXPECT_EQ(parse({"--start", "0.0004"}).startMs(), 0u) << "rounded to the millisecond";
    EXPECT_EQ(parse({"--start", "0.0005"}).startMs(), 1u);
    EXPECT_EQ(parse({"--start", "278.349"}).startMs(), 278349u) << "the last millisecond before the end";
    EXPECT_EQ(parse({}).startMs(), 0u);
}

TEST(ShowOptionsTest, HelpPrintsOnStandardOutputAndExitsZero)
{
    for (const char* flag : {"--help", "-h"}) {
        const Report printed = report(parse({"--window", flag}));
        EXPECT_EQ(printed.code, 0) << flag;
        EXPECT_EQ(printed.err, "") << flag;
        EXPECT_EQ(printed.out, ShowOptions::helpText()) << flag;
    }
    const std::string help = ShowOptions::helpText();
    for (const char* option : {"--window", "--capture", "--fps", "--size", "--capture-seconds", "--start", "--help"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(ShowOptionsTest, EveryBadCommandLineIsOneLineNamingItThenTheHelpAndExitCodeTwo)
{
    struct Case {
        std::vector<const char*> args;
        const char* named; // what the error line must contain
    };
    const std::vector<Case> cases = {
        {{"--bogus"}, "'--bogus'"},
        {{"window"}, "'window'"},
        {{"--window=1"}, "--window"},
        {{"--help=yes"}, "--help"},
        {{"--capture"}, "--capture"},
        {{"--capture="}, "--capture"},
        {{"--capture", "--fps", "30"}, "--capture"},
        {{"--capture", "a.mp4", "--capture", "b.mp4"}, "--capture"},
        {{"--capture", "a.mp4", "--fps"}, "--fps"},
        {{"--capture", "a.mp4", "--fps", "0"}, "--fps"},
        {{"--capture", "a.mp4", "--fps", "241"}, "--fps"},
        {{"--capture", "a.mp4", "--fps", "-30"}, "--fps"},
        {{"--capture", "a.mp4", "--fps", "30.5"}, "--fps"},
        {{"--capture", "a.mp4", "--fps", "thirty"}, "--fps"},
        {{"--capture", "a.mp4", "--fps", "9999999999"}, "--fps"},
        {{"--capture", "a.mp4", "--size", "15x240"}, "--size"},
        {{"--capture", "a.mp4", "--size", "320x8193"}, "--size"},
        {{"--capture", "a.mp4", "--size", "320"}, "--size"},
        {{"--capture", "a.mp4", "--size", "320x"}, "--size"},
        {{"--capture", "a.mp4", "--size", "x240"}, "--size"},
        {{"--capture", "a.mp4", "--size", "320x240x2"}, "--size"},
        {{"--capture", "a.mp4", "--size", "-320x240"}, "--size"},
        {{"--capture", "a.mp4", "--capture-seconds", "0"}, "--capture-seconds"},
        {{"--capture", "a.mp4", "--capture-seconds", "-1"}, "--capture-seconds"},
        {{"--capture", "a.mp4", "--capture-seconds", "1e3"}, "--capture-seconds"},
        {{"--capture", "a.mp4", "--capture-seconds", "inf"}, "--capture-seconds"},
        {{"--capture", "a.mp4", "--capture-seconds", "nan"}, "--capture-seconds"},
        {{"--capture", "a.mp4", "--capture-seconds", "1.2.3"}, "--capture-seconds"},
        {{"--capture", "a.mp4", "--capture-seconds", "."}, "--capture-seconds"},
        // The capture settings mean nothing without a capture.
        {{"--fps", "30"}, "--fps"},
        {{"--size", "320x240"}, "--size"},
        {{"--capture-seconds", "10"}, "--capture-seconds"},
        {{"--window", "--capture", "a.mp4"}, "--window"},
        // --start: a plain number of seconds, once, before the show's end
        // (278.35 s, the end a 60 fps capture shows).
        {{"--start"}, "--start"},
        {{"--start", "-5"}, "--start"},
        {{"--start", "1e2"}, "--start"},
        {{"--start", "abc"}, "--start"},
        {{"--start", "10", "--start", "20"}, "--start"},
        {{"--start", "278.35"}, "past the show's end (278.35 s)"},
        {{"--capture", "a/", "--start=300"}, "past the show's end"},
        {{"--start", "99999999999"}, "past the show's end"},
    };
    for (const Case& c : cases) {
        const ShowOptions options = ShowOptions::parse(c.args.data(), static_cast<int>(c.args.size()));
        std::string line;
        for (const char* arg : c.args)
            line += std::string(arg) + " ";
        ASSERT_EQ(options.action, ShowOptions::Action::ERROR) << line;
        const Report printed = report(options);
        EXPECT_EQ(printed.code, 2) << line;
        EXPECT_EQ(printed.out, "") << line;
        const std::string first = printed.err.substr(0, printed.err.find('\n'));
        EXPECT_EQ(first.rfind("sulvanto: ", 0), 0u) << printed.err;
        EXPECT_NE(first.find(c.named), std::string::npos) << line << "-> " << first;
        EXPECT_EQ(printed.err.substr(first.size() + 1), ShowOptions::helpText()) << line;
    }

    const Report tooMany = report(ShowOptions::tooManyArguments(10));
    EXPECT_EQ(tooMany.code, 2);
    EXPECT_EQ(lineCount(tooMany.err), 1 + lineCount(ShowOptions::helpText()));
    EXPECT_NE(tooMany.err.find("too many arguments"), std::string::npos);
}
