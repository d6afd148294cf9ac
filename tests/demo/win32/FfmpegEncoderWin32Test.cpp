// The video encoder's child process on Windows, with fake_encoder.exe
// standing in for ffmpeg.exe: every byte of every frame and every argument
// (blanks, quotes and backslashes in them) reaches the child as ffmpeg's
// run-time would read them; a child that quits early or fails at the end
// is an error naming its exit status, never a hang; the program is found
// on PATH with ".exe" added, and a missing one is one line.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "HAL/Music.h"
#include "demo/CaptureException.h"
#include "demo/FfmpegEncoder.h"

namespace {

class FfmpegEncoderWin32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A blank in the folder: the program's own path needs quoting too.
        m_dir = std::filesystem::temp_directory_path() / "ffmpeg encoder test";
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        std::filesystem::copy_file(HAL::pathBesideProgram("fake_encoder.exe"), m_dir / "ffmpeg.exe");
        const char* path = std::getenv("PATH");
        m_oldPath = path ? path : "";
    }

    void TearDown() override
    {
        _putenv("FAKE_ENCODER_EXIT=");
        _putenv("FAKE_ENCODER_QUIT=");
        _putenv(("PATH=" + m_oldPath).c_str());
        std::error_code error;
        std::filesystem::remove_all(m_dir, error);
    }

    FfmpegEncoder::Settings settings() const
    {
        FfmpegEncoder::Settings s;
        s.program = (m_dir / "ffmpeg.exe").string();
        s.output = (m_dir / "the report.txt").string();
        s.width = 256; // a frame of 256 KiB, more than a pipe holds
        s.height = 256;
        s.fps = 30;
        return s;
    }

    // The fake encoder's report: the bytes it read, then its arguments.
    std::vector<std::string> report() const
    {
        std::ifstream in(m_dir / "the report.txt", std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    std::filesystem::path m_dir;
    std::string m_oldPath;
};

TEST_F(FfmpegEncoderWin32Test, EveryByteAndEveryArgumentReachesTheEncoder)
{
    FfmpegEncoder::Settings s = settings();
    // Never opened by the fake: the run-time's quoting rules at their
    // edges (a quote, backslashes before a quote and at the end).
    s.soundtrack = R"(a "sound" track \" with \\" backslashes\\)";
    s.soundtrackStartMs = 1500;
    std::vector<uint8_t> frame(256 * 256 * 4);
    {
        FfmpegEncoder encoder(s);
        for (int i = 0; i < 3; ++i) {
            std::fill(frame.begin(), frame.end(), static_cast<uint8_t>(i));
            encoder.writeFrame(frame.data(), 256, 256);
        }
        encoder.finish();
        EXPECT_GT(encoder.getChildCpuSeconds(), -1.0);
    }
    const std::vector<std::string> lines = report();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], std::to_string(3 * frame.size()));
    std::vector<std::string> expected = FfmpegEncoder::commandLine(s);
    expected.erase(expected.begin()); // the program's name
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), expected);
}

TEST_F(FfmpegEncoderWin32Test, AnEncoderThatQuitsOrFailsIsAnErrorWithItsStatus)
{
    std::vector<uint8_t> frame(256 * 256 * 4, 0x80);

    // Quits at once: a write finds the pipe broken and names the exit status.
    _putenv("FAKE_ENCODER_QUIT=3");
    {
        FfmpegEncoder encoder(settings());
        try {
            for (int i = 0; i < 100; ++i)
                encoder.writeFrame(frame.data(), 256, 256);
            FAIL() << "100 frames went to an encoder that had quit";
        } catch (const CaptureException& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("stopped before the end of the video (exit status 3)"), std::string::npos)
                << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
    _putenv("FAKE_ENCODER_QUIT=");

    // Reads everything, then fails: finish reports it.
    _putenv("FAKE_ENCODER_EXIT=1");
    FfmpegEncoder encoder(settings());
    encoder.writeFrame(frame.data(), 256, 256);
    try {
        encoder.finish();
        FAIL() << "a failing encoder passed as a finished video";
    } catch (const CaptureException& e) {
        EXPECT_NE(std::string(e.what()).find("exit status 1"), std::string::npos) << e.what();
    }
}

TEST_F(FfmpegEncoderWin32Test, TheProgramIsFoundOnPathWithItsExtension)
{
    const std::string exe = (m_dir / "ffmpeg.exe").string();
    _putenv(("PATH=C:\\no such folder;;" + m_dir.string()).c_str());
    EXPECT_EQ(FfmpegEncoder::findProgram("ffmpeg"), exe);
    EXPECT_EQ(FfmpegEncoder::findProgram("ffmpeg.exe"), exe);
    EXPECT_EQ(FfmpegEncoder::findProgram((m_dir / "ffmpeg").string()), exe);
    EXPECT_EQ(FfmpegEncoder::findProgram("no-such-program-anywhere"), "");
    EXPECT_EQ(FfmpegEncoder::findProgram((m_dir / "nothing").string()), "");
    // A folder is no program.
    std::filesystem::create_directory(m_dir / "folder.exe");
    EXPECT_EQ(FfmpegEncoder::findProgram("folder"), "");

    FfmpegEncoder::Settings s = settings();
    s.program = "no-such-program-anywhere";
    try {
        FfmpegEncoder encoder(s);
        FAIL() << "an encoder started without its program";
    } catch (const CaptureException& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("no-such-program-anywhere not found on PATH"), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

} // namespace
