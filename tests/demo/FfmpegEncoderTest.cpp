// The video encoder's process handling, with small shell scripts standing
// in for ffmpeg: every byte of every frame reaches the child, a child that
// quits early or fails at the end is an error naming its exit status (never
// a hang or a SIGPIPE death), a missing program is one line. And ffmpeg's
// command line: raw RGBA from the pipe flipped upright, H.264 yuv420p, the
// soundtrack as AAC cut to the video.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "demo/CaptureException.h"
#include "demo/FfmpegEncoder.h"

namespace {

class FfmpegEncoderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("ffmpeg_encoder_test_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // An executable script `name` with `body` after the shebang line.
    std::string script(const char* name, const char* body) const
    {
        const std::filesystem::path file = m_dir / name;
        std::ofstream(file) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
        return file.string();
    }

    FfmpegEncoder::Settings settings(const std::string& program) const
    {
        FfmpegEncoder::Settings s;
        s.program = program;
        s.output = (m_dir / "out.raw").string();
        s.width = 256; // a frame of 256 KiB, more than a pipe holds
        s.height = 256;
        s.fps = 30;
        return s;
    }

    std::filesystem::path m_dir;
};

// Whether `args` holds `a` directly followed by `b`.
bool hasPair(const std::vector<std::string>& args, const std::string& a, const std::string& b)
{
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == a && args[i + 1] == b)
            return true;
    return false;
}

} // namespace

TEST_F(FfmpegEncoderTest, CommandLineReadsRgbaFromThePipeAndMuxesTheSoundtrack)
{
    FfmpegEncoder::Settings s;
    s.output = "show.mp4";
    s.soundtrack = "/bin/override.mp3";
    s.width = 320;
    s.height = 240;
    s.fps = 30;
    const std::vector<std::string> args = FfmpegEncoder::commandLine(s);
    ASSERT_FALSE(args.empty());
    EXPECT_EQ(args.front(), "ffmpeg");
    EXPECT_EQ(args.back(), "show.mp4");
    EXPECT_NE(std::find(args.begin(), args.end(), "-y"), args.end());
    EXPECT_TRUE(hasPair(args, "-loglevel", "error"));
    EXPECT_TRUE(hasPair(args, "-f", "rawvideo"));
    EXPECT_TRUE(hasPair(args, "-pix_fmt", "rgba"));
    EXPECT_TRUE(hasPair(args, "-video_size", "320x240"));
    EXPECT_TRUE(hasPair(args, "-framerate", "30"));
    EXPECT_TRUE(hasPair(args, "-i", "pipe:0"));
    EXPECT_TRUE(hasPair(args, "-i", "/bin/override.mp3"));
    EXPECT_TRUE(hasPair(args, "-map", "0:v:0"));
    EXPECT_TRUE(hasPair(args, "-map", "1:a:0"));
    EXPECT_TRUE(hasPair(args, "-vf", "vflip"));
    EXPECT_TRUE(hasPair(args, "-c:v", "libx264"));
    EXPECT_TRUE(hasPair(args, "-pix_fmt", "yuv420p"));
    EXPECT_TRUE(hasPair(args, "-c:a", "aac"));
    EXPECT_NE(std::find(args.begin(), args.end(), "-shortest"), args.end());
    // The raw input's options come before the pipe they describe.
    const auto pipe = std::find(args.begin(), args.end(), "pipe:0");
    EXPECT_LT(std::find(args.begin(), args.end(), "rawvideo"), pipe);
    EXPECT_LT(std::find(args.begin(), args.end(), "320x240"), pipe);

    // An odd picture is padded to even for yuv420p; a path that looks like
    // an option is made a path; no soundtrack, no audio options.
    s.width = 933;
    s.height = 701;
    s.output = "-odd.mkv";
    s.soundtrack.clear();
    const std::vector<std::string> odd = FfmpegEncoder::commandLine(s);
    EXPECT_TRUE(hasPair(odd, "-vf", "vflip,pad=934:702"));
    EXPECT_EQ(odd.back(), "./-odd.mkv");
    EXPECT_EQ(std::find(odd.begin(), odd.end(), "-c:a"), odd.end());
    EXPECT_FALSE(hasPair(odd, "-map", "1:a:0"));
}

TEST_F(FfmpegEncoderTest, EveryFrameByteReachesTheEncoder)
{
    // The output file is the last argument: the stand-in stores its input there.
    const std::string store = script("store", "for a; do out=$a; done; cat > \"$out\"");
    const FfmpegEncoder::Settings s = settings(store);
    std::vector<uint8_t> frame(size_t(s.width) * s.height * 4);
    {
        FfmpegEncoder encoder(s);
        for (int i = 0; i < 5; ++i) {
            std::fill(frame.begin(), frame.end(), static_cast<uint8_t>(i + 1));
            encoder.writeFrame(frame.data(), s.width, s.height);
        }
        encoder.finish();
    }
    std::ifstream in(s.output, std::ios::binary);
    const std::vector<char> stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(stored.size(), frame.size() * 5);
    EXPECT_EQ(stored.front(), 1);
    EXPECT_EQ(stored[frame.size() * 3], 4);
    EXPECT_EQ(stored.back(), 5);

    // A frame of another size is refused before anything is written.
    FfmpegEncoder encoder(s);
    EXPECT_THROW(encoder.writeFrame(frame.data(), s.width / 2, s.height), CaptureException);
}

TEST_F(FfmpegEncoderTest, AnEncoderThatQuitsOrFailsIsAnErrorWithItsStatus)
{
    std::vector<uint8_t> frame(256 * 256 * 4, 0x80);

    // Quits at once: the next write finds the pipe closed (EPIPE, not a
    // SIGPIPE that would kill this process) and names the exit status.
    {
        FfmpegEncoder encoder(settings(script("quits", "exit 3")));
        try {
            for (int i = 0; i < 100; ++i)
                encoder.writeFrame(frame.data(), 256, 256);
            FAIL() << "100 frames went to an encoder that had quit";
        } catch (const CaptureException& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("exit status 3"), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }

    // Reads everything, then fails: finish reports it.
    {
        FfmpegEncoder encoder(settings(script("fails", "cat > /dev/null; exit 1")));
        encoder.writeFrame(frame.data(), 256, 256);
        try {
            encoder.finish();
            FAIL() << "a failing encoder passed as a finished video";
        } catch (const CaptureException& e) {
            EXPECT_NE(std::string(e.what()).find("exit status 1"), std::string::npos) << e.what();
        }
    }

    // Killed by a signal.
    {
        FfmpegEncoder encoder(settings(script("killed", "cat > /dev/null; kill -KILL $$")));
        try {
            encoder.finish();
            FAIL() << "a killed encoder passed as a finished video";
        } catch (const CaptureException& e) {
            EXPECT_NE(std::string(e.what()).find("signal 9"), std::string::npos) << e.what();
        }
    }
}

TEST_F(FfmpegEncoderTest, AMissingProgramIsOneLine)
{
    EXPECT_EQ(FfmpegEncoder::findProgram((m_dir / "nothing").string()), "");
    EXPECT_EQ(FfmpegEncoder::findProgram("no-such-program-anywhere"), "");
    EXPECT_EQ(FfmpegEncoder::findProgram("sh").empty(), false);
    // Not executable.
    std::ofstream(m_dir / "plain") << "#!/bin/sh\n";
    EXPECT_EQ(FfmpegEncoder::findProgram((m_dir / "plain").string()), "");

    try {
        FfmpegEncoder encoder(settings("no-such-program-anywhere"));
        FAIL() << "an encoder started without its program";
    } catch (const CaptureException& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("no-such-program-anywhere not found"), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}
