// The Windows music system through its public interface under Wine, which
// has no sound device here (the test prefix sets no audio driver): the
// silent fallback and its one warning, the silent and stepped clocks,
// setPosition, files that cannot play, and the path beside the program.
//
// The test input is a hand-made MP3: MPEG-1 layer III frames at 128 kbit/s
// and 44.1 kHz (417 bytes each: 144 * 128000 / 44100, rounded down) whose
// side information is all zero, so every granule is silence. Without a
// LAME tag only the decoder's own delay is cut, which is less than one
// frame: 40 frames (46080 samples, 1044.9 ms) give a length above 39 frames'
// 1018.8 ms. With the Linux build's bin folder at hand, its override.mp3
// is opened too.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "HAL/Music.h"
#include "tests/HAL/music/MusicCalls.h"
#include "framework/EngineScope.h"
#include "framework/FrameworkConfig.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using namespace HAL;
using namespace music_test;
using testing_support::LogCapture;

namespace {

constexpr size_t FRAME_BYTES = 417;

// `frames` silent frames at 44.1 kHz (417 bytes), or at 48 kHz (384 bytes:
// 144 * 128000 / 48000).
std::vector<uint8_t> silentMp3(int frames, bool at48k = false)
{
    const size_t frameBytes = at48k ? 384 : FRAME_BYTES;
    std::vector<uint8_t> bytes(frameBytes * static_cast<size_t>(frames), 0);
    for (int i = 0; i < frames; ++i) {
        uint8_t* header = &bytes[frameBytes * static_cast<size_t>(i)];
        header[0] = 0xFF; // sync
        header[1] = 0xFB; // MPEG-1, layer III, no CRC
        header[2] = at48k ? 0x94 : 0x90; // 128 kbit/s, 48 or 44.1 kHz, no padding
        header[3] = 0x00; // stereo
    }
    return bytes;
}

class Win32MusicTest : public testing_support::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_dir = std::filesystem::temp_directory_path() /
            ("vorna3d-music-" + std::to_string(Clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(m_dir);
        write("silence.mp3", silentMp3(40));
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
        EngineTest::TearDown();
    }

    std::string file(const std::string& name) const { return (m_dir / name).string(); }
    void write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(m_dir / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good()) << name;
    }

    std::filesystem::path m_dir;
};

} // namespace

TEST_F(Win32MusicTest, WithoutADeviceItWarnsOnceAndPlaysSilentlyInRealTime)
{
    {
        Player strict;
        const int result = strict->init(1, MUSIC_INIT_REQUIRE_DEVICE);
        if (result == MUSIC_OK)
            GTEST_SKIP() << "this machine has a waveOut device";
        EXPECT_EQ(result, MUSIC_ERR_NO_DEVICE);
    }
    Player player;
    int result = -1;
    std::string initLog;
    {
        LogCapture log;
        result = player->init(100, MUSIC_INIT_NORMAL);
        initLog = log.text();
    }
    ASSERT_EQ(result, MUSIC_OK) << "an audio failure must not stop the show";
    EXPECT_EQ(occurrences(initLog, "WARNING |"), 1) << initLog;
    EXPECT_EQ(occurrences(initLog, "WARNING |Music: no audio device ("), 1) << initLog;
    EXPECT_EQ(occurrences(initLog, "\n"), 1) << "one line: " << initLog;
    MusicOutput output = MusicOutput::NONE;
    player->getOutput(&output);
    EXPECT_EQ(output, MusicOutput::SILENT);

    MusicStream* stream = nullptr;
    ASSERT_EQ(player->createStream(file("silence.mp3").c_str(), &stream), MUSIC_OK);
    const uint32_t length = stream->getLength();
    EXPECT_GT(length, 1018u);
    EXPECT_LE(length, 1045u);
    MusicChannel* channel = nullptr;
    ASSERT_EQ(player->playSound(stream, true, &channel), MUSIC_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(positionOf(channel), 0u) << "starts paused";

    // The position follows the wall clock, never going back.
    std::string laterLog;
    {
        LogCapture log;
        channel->setPaused(false);
        const Clock::time_point start = Clock::now();
        uint32_t last = 0;
        while (msSince(start) < 500) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const uint32_t now = positionOf(channel);
            EXPECT_GE(now, last) << "position went backwards";
            last = now;
        }
        const double wall = msSince(start);
        EXPECT_NEAR(positionOf(channel), wall, 0.05 * wall + 5);
        laterLog = log.text();
    }
    EXPECT_EQ(occurrences(laterLog, "WARNING |"), 0) << "warned once only: " << laterLog;

    channel->setPaused(true);
    const uint32_t held = positionOf(channel);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(positionOf(channel), held);
    EXPECT_TRUE(playing(channel));

    // Moved while paused: there at once, held until resumed.
    EXPECT_EQ(channel->setPosition(900), MUSIC_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(positionOf(channel), 900u);
    channel->setPaused(false);
    const Clock::time_point resumed = Clock::now();
    while (playing(channel) && msSince(resumed) < 3000)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(playing(channel));
    EXPECT_LT(msSince(resumed), 1000.0) << "the rest of the stream, not all of it";
    EXPECT_EQ(positionOf(channel), length) << "the position stops at the end";
}

// Through a waveOut device, when there is one (the test prefix has none; a
// prefix whose Wine audio driver opens ALSA's null device has one, which
// plays faster than real time). The position is the device's count of
// played frames, so only its rules are checked here, not its speed.
TEST_F(Win32MusicTest, DeviceCountsWhatItPlayedHoldsWhenPausedAndMovesBySetPosition)
{
    Player player;
    const int result = player->init(1, MUSIC_INIT_REQUIRE_DEVICE);
    if (result == MUSIC_ERR_NO_DEVICE)
        GTEST_SKIP() << "no waveOut device";
    ASSERT_EQ(result, MUSIC_OK);
    MusicOutput output = MusicOutput::NONE;
    player->getOutput(&output);
    ASSERT_EQ(output, MusicOutput::DEVICE);
    write("silence10s.mp3", silentMp3(400)); // 460800 samples, at most 10449 ms
    MusicStream* stream = nullptr;
    ASSERT_EQ(player->createStream(file("silence10s.mp3").c_str(), &stream), MUSIC_OK);
    const uint32_t length = stream->getLength();
    MusicChannel* channel = nullptr;
    ASSERT_EQ(player->playSound(stream, true, &channel), MUSIC_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(positionOf(channel), 0u) << "a paused device plays nothing";

    channel->setPaused(false);
    Clock::time_point start = Clock::now();
    uint32_t last = positionOf(channel);
    EXPECT_LT(last, 200u) << "the device played while the channel was paused";
    while (last < 500 && msSince(start) < 5000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const uint32_t now = positionOf(channel);
        EXPECT_GE(now, last) << "position went backwards";
        last = now;
    }
    EXPECT_GE(last, 500u) << "the device plays";
    channel->setPaused(true);
    const uint32_t held = positionOf(channel);
    EXPECT_LT(held, length);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(positionOf(channel), held);

    // Backwards while paused: there at once and held; then on from there.
    EXPECT_EQ(channel->setPosition(100), MUSIC_OK);
    EXPECT_EQ(positionOf(channel), 100u);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(positionOf(channel), 100u);
    bool paused = false;
    channel->getPaused(&paused);
    EXPECT_TRUE(paused);
    EXPECT_EQ(channel->setPosition(length - 300), MUSIC_OK);
    channel->setPaused(false);
    start = Clock::now();
    while (playing(channel) && msSince(start) < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(playing(channel));
    EXPECT_EQ(positionOf(channel), length) << "the position stops at the end";
    EXPECT_EQ(channel->setPosition(length), MUSIC_OK);
    EXPECT_FALSE(playing(channel));

    // A stream at another rate reopens the device at that rate.
    write("silence48k.mp3", silentMp3(40, true)); // 46080 samples, at most 960 ms
    MusicStream* stream48k = nullptr;
    ASSERT_EQ(player->createStream(file("silence48k.mp3").c_str(), &stream48k), MUSIC_OK);
    EXPECT_GT(stream48k->getLength(), 936u);
    EXPECT_LE(stream48k->getLength(), 960u);
    ASSERT_EQ(player->playSound(stream48k, false, &channel), MUSIC_OK);
    start = Clock::now();
    while (playing(channel) && msSince(start) < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(positionOf(channel), stream48k->getLength());
    player->getOutput(&output);
    EXPECT_EQ(output, MusicOutput::DEVICE);
    EXPECT_EQ(channel->stop(), MUSIC_OK);
}

TEST_F(Win32MusicTest, SteppedClockAndSetPositionFollowTheCallerOnly)
{
    Player player;
    ASSERT_EQ(player->init(100, MUSIC_INIT_STEPPED_CLOCK), MUSIC_OK);
    MusicOutput output = MusicOutput::NONE;
    player->getOutput(&output);
    EXPECT_EQ(output, MusicOutput::STEPPED);
    MusicStream* stream = nullptr;
    ASSERT_EQ(player->createStream(file("silence.mp3").c_str(), &stream), MUSIC_OK);
    const uint32_t length = stream->getLength();
    MusicChannel* channel = nullptr;
    ASSERT_EQ(player->playSound(stream, true, &channel), MUSIC_OK);

    EXPECT_EQ(player->advanceClock(300), MUSIC_OK);
    EXPECT_EQ(positionOf(channel), 0u) << "a paused channel does not move";
    EXPECT_EQ(channel->setPosition(640), MUSIC_OK);
    EXPECT_EQ(positionOf(channel), 640u);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(positionOf(channel), 640u) << "wall time plays no part";
    bool paused = false;
    channel->getPaused(&paused);
    EXPECT_TRUE(paused) << "the pause state is kept";
    channel->setPaused(false);
    for (int i = 0; i < 3; ++i)
        player->advanceClock(5);
    EXPECT_EQ(positionOf(channel), 655u);

    // Backwards, then to the very end (nothing more plays), then past it.
    EXPECT_EQ(channel->setPosition(100), MUSIC_OK);
    EXPECT_EQ(positionOf(channel), 100u);
    EXPECT_TRUE(playing(channel));
    EXPECT_EQ(channel->setPosition(length), MUSIC_OK);
    EXPECT_FALSE(playing(channel));
    EXPECT_EQ(channel->setPosition(0), MUSIC_OK);
    EXPECT_EQ(channel->setPosition(length + 1), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(positionOf(channel), 0u) << "a refused position changes nothing";
    player->advanceClock(100000);
    EXPECT_EQ(positionOf(channel), length);
    EXPECT_FALSE(playing(channel));

    // Playing again starts over; a stopped channel refuses and keeps the caller's value.
    ASSERT_EQ(player->playSound(stream, false, &channel), MUSIC_OK);
    EXPECT_EQ(positionOf(channel), 0u);
    EXPECT_EQ(channel->stop(), MUSIC_OK);
    uint32_t kept = 1234;
    EXPECT_EQ(channel->getPosition(&kept), MUSIC_ERR_CHANNEL_STOPPED);
    EXPECT_EQ(kept, 1234u);
    EXPECT_EQ(channel->setPosition(10), MUSIC_ERR_CHANNEL_STOPPED);
    EXPECT_EQ(channel->setPaused(false), MUSIC_ERR_CHANNEL_STOPPED);
    EXPECT_FALSE(playing(channel));
}

TEST_F(Win32MusicTest, FilesThatCannotPlayGiveDistinctErrorCodes)
{
    const std::string text = "ID3 is what an MP3 might start with, but this is text.\n";
    std::vector<uint8_t> noise(20000);
    uint32_t seed = 12345;
    for (uint8_t& byte : noise) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    write("empty.mp3", {});
    write("text.mp3", std::vector<uint8_t>(text.begin(), text.end()));
    write("noise.mp3", noise);
    write("zeros.mp3", std::vector<uint8_t>(20000, 0));
    write("header-only.mp3", std::vector<uint8_t>{0xFF, 0xFB, 0x90, 0x00});

    Player player;
    MusicStream* stream = nullptr;
    EXPECT_EQ(player->createStream(file("silence.mp3").c_str(), &stream), MUSIC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(player->init(0, MUSIC_INIT_STEPPED_CLOCK), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(player->init(1, MUSIC_INIT_SILENT | MUSIC_INIT_REQUIRE_DEVICE), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(player->init(1, 0x80), MUSIC_ERR_INVALID_PARAM);
    ASSERT_EQ(player->init(1, MUSIC_INIT_STEPPED_CLOCK), MUSIC_OK);
    EXPECT_EQ(player->init(1, MUSIC_INIT_STEPPED_CLOCK), MUSIC_ERR_INITIALIZED);

    EXPECT_EQ(player->createStream(file("missing.mp3").c_str(), &stream), MUSIC_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(player->createStream(m_dir.string().c_str(), &stream), MUSIC_ERR_FILE_NOT_FOUND) << "a folder";
    for (const char* name : {"empty.mp3", "text.mp3", "noise.mp3", "zeros.mp3", "header-only.mp3"})
        EXPECT_EQ(player->createStream(file(name).c_str(), &stream), MUSIC_ERR_FORMAT) << name;
    EXPECT_EQ(stream, nullptr) << "no failed call writes a stream";
    EXPECT_EQ(player->createStream(nullptr, &stream), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(player->createStream(file("silence.mp3").c_str(), nullptr), MUSIC_ERR_INVALID_PARAM);

    ASSERT_EQ(player->createStream(file("silence.mp3").c_str(), &stream), MUSIC_OK);
    MusicChannel* channel = nullptr;
    EXPECT_EQ(player->playSound(nullptr, true, &channel), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(player->playSound(stream, true, nullptr), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(channel, nullptr);

    Player silent;
    ASSERT_EQ(silent->init(1, MUSIC_INIT_SILENT), MUSIC_OK);
    EXPECT_EQ(silent->advanceClock(10), MUSIC_ERR_NOT_STEPPED);
    EXPECT_EQ(silent->playSound(stream, true, &channel), MUSIC_ERR_INVALID_PARAM) << "another system's stream";
}

// The demo starts its music before the engine (and its log) exists: the
// warning then waits for the first call made once the log is up.
TEST(Win32MusicBeforeTheEngine, StartsPausedAndLogsTheFallbackWarningOnceTheLogExists)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
        ("vorna3d-music-" + std::to_string(Clock::now().time_since_epoch().count()) + ".mp3");
    {
        const std::vector<uint8_t> bytes = silentMp3(20);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    const MusicStart missing = startMusicPaused((path.string() + ".absent").c_str());
    EXPECT_EQ(missing.result, MUSIC_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(missing.failedStep, MusicStart::STREAM);
    EXPECT_EQ(missing.system, nullptr);

    const MusicStart start = startMusicPaused(path.string().c_str());
    ASSERT_EQ(start.result, MUSIC_OK);
    ASSERT_NE(start.channel, nullptr);
    MusicOutput output = MusicOutput::NONE;
    start.system->getOutput(&output);
    if (output == MusicOutput::DEVICE) {
        start.system->release();
        std::filesystem::remove(path);
        GTEST_SKIP() << "this machine has a waveOut device";
    }

    framework::FrameworkConfig config;
    config.createConsole = 0;
    config.memorySize = 1024 * 1024;
    std::string text;
    {
        framework::EngineScope engine(&config);
        LogCapture log;
        uint32_t position = 1;
        start.channel->getPosition(&position);
        EXPECT_EQ(position, 0u);
        EXPECT_EQ(start.channel->setPaused(false), MUSIC_OK);
        start.channel->getPosition(&position);
        text = log.text();
    }
    EXPECT_EQ(occurrences(text, "WARNING |Music: no audio device ("), 1) << text;
    EXPECT_EQ(occurrences(text, "WARNING |"), 1) << text;
    EXPECT_EQ(start.system->release(), MUSIC_OK);
    std::filesystem::remove(path);
}

TEST(Win32MusicPath, BesideProgramIsInTheFolderOfTheExe)
{
    const std::string beside = pathBesideProgram("hal_win32_tests.exe");
    EXPECT_TRUE(std::filesystem::is_regular_file(beside)) << beside << " is this very program";
    const std::string mp3 = pathBesideProgram("override.mp3");
    EXPECT_EQ(mp3.substr(0, mp3.size() - 12), beside.substr(0, beside.size() - 19));
    EXPECT_EQ(mp3.substr(mp3.size() - 13), "\\override.mp3");
    EXPECT_EQ(pathBesideProgram(nullptr), "");
}

#ifdef VORNA3D_HOST_MP3
// The soundtrack the Linux build plays: both systems must give it the same
// length, or the show's clock would mean different things on each.
TEST(Win32MusicSoundtrack, HasTheLengthTheLinuxBuildFindsForIt)
{
    Player player;
    ASSERT_EQ(player->init(1, MUSIC_INIT_STEPPED_CLOCK), MUSIC_OK);
    MusicStream* stream = nullptr;
    ASSERT_EQ(player->createStream(VORNA3D_HOST_MP3, &stream), MUSIC_OK) << VORNA3D_HOST_MP3;
    // The Linux build's musicplay prints "Length 4:45.000" for this file.
    EXPECT_EQ(stream->getLength(), 285000u);
    MusicChannel* channel = nullptr;
    ASSERT_EQ(player->playSound(stream, false, &channel), MUSIC_OK);
    EXPECT_EQ(channel->setPosition(284990), MUSIC_OK);
    player->advanceClock(5);
    EXPECT_TRUE(playing(channel));
    player->advanceClock(5);
    EXPECT_FALSE(playing(channel));
}
#endif
