// The overlapped capture against the sequential one: the same frames through
// PngSequence and through CapturePipeline (two and three PNG workers, and
// the video path into a sink that records what it got) give the same bytes
// in the same order; a failure on the writer thread reaches the caller.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "demo/CaptureException.h"
#include "demo/CapturePipeline.h"
#include "demo/PngSequence.h"
#include "tests/support/EngineTest.h"

namespace {

constexpr int W = 96;
constexpr int H = 64;

// Frame `k`: a gradient that moves with k, alpha left as noise (it is not stored).
std::vector<uint8_t> frame(uint32_t k)
{
    std::vector<uint8_t> pixels(size_t(W) * H * 4);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint8_t* p = &pixels[(size_t(y) * W + x) * 4];
            p[0] = uint8_t(x * 2 + k);
            p[1] = uint8_t(y * 3 + k * 7);
            p[2] = uint8_t((x ^ y) + k * 13);
            p[3] = uint8_t(x * y + k);
        }
    return pixels;
}

std::string bytesOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Keeps what reaches it, as the video encoder's pipe would.
struct RecordingSink final : FrameSink {
    std::vector<std::vector<uint8_t>>* frames;
    bool* finished;
    int failAt = -1;
    void writeFrame(const uint8_t* rgba, int width, int height) override
    {
        if (int(frames->size()) == failAt)
            throw CaptureException("ffmpeg stopped before the end of the video (exit status 1)");
        frames->emplace_back(rgba, rgba + size_t(width) * height * 4);
    }
    void finish() override { *finished = true; }
};

class CapturePipelineTest : public testing_support::EngineTest {
protected:
    void SetUp() override
    {
        testing_support::EngineTest::SetUp();
        m_dir = std::filesystem::temp_directory_path() / ("pipeline_test_" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_dir);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(m_dir);
        testing_support::EngineTest::TearDown();
    }
    std::filesystem::path m_dir;
};

} // namespace

TEST_F(CapturePipelineTest, PngFilesAreByteIdenticalToTheSequentialOnesAndKeepTheirNumbers)
{
    constexpr uint32_t FIRST = 1224; // a capture that started at 20.4 s at 60 fps
    constexpr uint32_t FRAMES = 23;
    PngSequence sequential((m_dir / "seq").string(), FIRST);
    for (uint32_t k = 0; k < FRAMES; ++k)
        sequential.writeFrame(frame(k).data(), W, H);
    sequential.finish();

    for (unsigned workers : {2u, 3u}) {
        const std::string folder = (m_dir / ("par" + std::to_string(workers))).string();
        CapturePipeline pipeline(std::make_unique<PngSequence>(folder, FIRST), workers);
        EXPECT_EQ(pipeline.getWorkerCount(), workers);
        for (uint32_t k = 0; k < FRAMES; ++k)
            pipeline.writeFrame(frame(k).data(), W, H);
        pipeline.finish();
        size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            (void)entry;
            ++files;
        }
        EXPECT_EQ(files, FRAMES);
        for (uint32_t k = 0; k < FRAMES; ++k) {
            const std::string a = bytesOf(sequential.framePath(FIRST + k));
            const std::string b = bytesOf(PngSequence(folder).framePath(FIRST + k));
            ASSERT_FALSE(a.empty());
            EXPECT_EQ(a, b) << workers << " workers, frame " << FIRST + k;
        }
    }
}

TEST_F(CapturePipelineTest, VideoFramesReachTheEncoderInOrderAndItsFailureReachesTheCaller)
{
    std::vector<std::vector<uint8_t>> got;
    bool finished = false;
    {
        auto sink = std::make_unique<RecordingSink>();
        sink->frames = &got;
        sink->finished = &finished;
        CapturePipeline pipeline(std::move(sink));
        for (uint32_t k = 0; k < 40; ++k)
            pipeline.writeFrame(frame(k).data(), W, H); // the buffer is reused at once: the pipeline copies
        pipeline.finish();
    }
    ASSERT_EQ(got.size(), 40u);
    for (uint32_t k = 0; k < 40; ++k)
        EXPECT_EQ(got[k], frame(k)) << "frame " << k;
    EXPECT_TRUE(finished);

    // ffmpeg gone at the fifth frame: a later writeFrame or finish throws its line.
    got.clear();
    auto sink = std::make_unique<RecordingSink>();
    sink->frames = &got;
    sink->finished = &finished;
    sink->failAt = 4;
    CapturePipeline pipeline(std::move(sink));
    std::string message;
    try {
        for (uint32_t k = 0; k < 40; ++k)
            pipeline.writeFrame(frame(k).data(), W, H);
        pipeline.finish();
    } catch (const CaptureException& e) {
        message = e.what();
    }
    EXPECT_NE(message.find("ffmpeg stopped before the end"), std::string::npos) << message;
    EXPECT_EQ(got.size(), 4u);
}

TEST_F(CapturePipelineTest, AFileThatCannotBeWrittenFailsWithItsName)
{
    const std::string folder = (m_dir / "blocked").string();
    CapturePipeline pipeline(std::make_unique<PngSequence>(folder, 0), 2);
    // A folder where frame 3's file should go.
    std::filesystem::create_directories(PngSequence(folder).framePath(3));
    std::string message;
    try {
        for (uint32_t k = 0; k < 10; ++k)
            pipeline.writeFrame(frame(k).data(), W, H);
        pipeline.finish();
    } catch (const CaptureException& e) {
        message = e.what();
    }
    EXPECT_NE(message.find("frame_00003.png"), std::string::npos) << message;
    EXPECT_TRUE(std::filesystem::exists(PngSequence(folder).framePath(2)));
}
