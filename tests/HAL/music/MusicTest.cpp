// The music player through its public interface: the stepped clock, files
// that cannot play, the SDL "dummy" audio device, and the silent fallback
// when no device opens (also through SDL's ALSA back end without a sound
// card, whose library would print its own errors on standard error).
// Expected lengths come from the encoded tone: LAME records its delay and
// padding, so a gapless decode gives back exactly the frames that went in
// (a 1 s tone at 44.1 kHz is 44100 frames, 1000 ms).

#include <dlfcn.h>
#include <glob.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "HAL/Music.h"
#include "HAL/sdl/AlsaMessages.h"
#include "core/Debug.h"
#include "framework/EngineScope.h"
#include "framework/FrameworkConfig.h"
#include "tests/HAL/music/MusicCalls.h"
#include "tests/HAL/music/Mp3Files.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using namespace HAL;
using namespace music_test;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;
using testing_support::LogCapture;

namespace {

// Plays on for `ms` of wall time, checking on the way that the position
// never goes back, and returns how far it moved against the wall clock.
struct Stretch {
    double wallMs;
    double positionMs;
};
Stretch playFor(MusicChannel* channel, double ms)
{
    const Clock::time_point start = Clock::now();
    const uint32_t first = positionOf(channel);
    uint32_t last = first;
    while (msSince(start) < ms) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const uint32_t now = positionOf(channel);
        EXPECT_GE(now, last) << "position went backwards";
        last = now;
    }
    // Read the position and the wall clock as close together as possible.
    const uint32_t end = positionOf(channel);
    return {msSince(start), static_cast<double>(end - first)};
}

void waitUntil(MusicChannel* channel, uint32_t positionMs)
{
    const Clock::time_point start = Clock::now();
    while (positionOf(channel) < positionMs && msSince(start) < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// A playback device node of an ALSA card ("/dev/snd/pcmC0D0p"): with one,
// ALSA's "default" may open, and the tests that need it to fail skip.
bool hasSoundCard()
{
    glob_t found{};
    const bool any = ::glob("/dev/snd/pcmC*D*p", 0, nullptr, &found) == 0 && found.gl_pathc > 0;
    ::globfree(&found);
    return any;
}

// Forgets what ALSA's handler kept before the test (the handler is process-wide).
void forgetAlsaMessages()
{
    char line[AlsaMessages::MAX_LENGTH];
    while (AlsaMessages::takeOne(line, sizeof line)) { }
    AlsaMessages::takeDropped();
}

class MusicTest : public testing_support::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        writeFile(m_files.file("tone1s.mp3"), encodeTone(44100, 2, 1.0));
    }

    ScratchDir m_files;
};

} // namespace

TEST_F(MusicTest, SteppedClockStartsPausedHoldsWhilePausedAndStopsAtTheEnd)
{
    Player player;
    ASSERT_EQ(player->init(100, MUSIC_INIT_STEPPED_CLOCK), MUSIC_OK);
    MusicOutput output = MusicOutput::NONE;
    EXPECT_EQ(player->getOutput(&output), MUSIC_OK);
    EXPECT_EQ(output, MusicOutput::STEPPED);

    MusicStream* stream = nullptr;
    ASSERT_EQ(player->createStream(m_files.file("tone1s.mp3").c_str(), &stream), MUSIC_OK);
    EXPECT_EQ(stream->getLength(), 1000u);
    MusicChannel* channel = nullptr;
    ASSERT_EQ(player->playSound(stream, true, &channel), MUSIC_OK);

    bool paused = false;
    EXPECT_EQ(channel->getPaused(&paused), MUSIC_OK);
    EXPECT_TRUE(paused);
    EXPECT_EQ(positionOf(channel), 0u);
    EXPECT_EQ(player->advanceClock(300), MUSIC_OK);
    EXPECT_EQ(positionOf(channel), 0u) << "a paused channel does not move";

    EXPECT_EQ(channel->setPaused(false), MUSIC_OK);
    EXPECT_EQ(player->advanceClock(250), MUSIC_OK);
    EXPECT_EQ(positionOf(channel), 250u);
    for (int i = 0; i < 10; ++i)
        player->advanceClock(5); // the frame loop's fixed step
    EXPECT_EQ(positionOf(channel), 300u);

    EXPECT_EQ(channel->setPaused(true), MUSIC_OK);
    player->advanceClock(400);
    EXPECT_EQ(positionOf(channel), 300u);
    EXPECT_TRUE(playing(channel));
    channel->setPaused(false);

    player->advanceClock(699);
    EXPECT_EQ(positionOf(channel), 999u);
    EXPECT_TRUE(playing(channel));
    player->advanceClock(10000);
    EXPECT_EQ(positionOf(channel), 1000u) << "the position stops at the stream's end";
    EXPECT_FALSE(playing(channel));

    // Playing again starts over; a stopped channel refuses and keeps the caller's value.
    ASSERT_EQ(player->playSound(stream, false, &channel), MUSIC_OK);
    EXPECT_EQ(positionOf(channel), 0u);
    EXPECT_TRUE(playing(channel));
    EXPECT_EQ(channel->stop(), MUSIC_OK);
    uint32_t kept = 1234;
    EXPECT_EQ(channel->getPosition(&kept), MUSIC_ERR_CHANNEL_STOPPED);
    EXPECT_EQ(kept, 1234u);
    EXPECT_EQ(channel->setPaused(false), MUSIC_ERR_CHANNEL_STOPPED);
    EXPECT_EQ(channel->stop(), MUSIC_ERR_CHANNEL_STOPPED);
    EXPECT_FALSE(playing(channel));
    // A null pointer is refused before the channel's state is looked at.
    EXPECT_EQ(channel->getPaused(nullptr), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(channel->getPosition(nullptr), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(channel->isPlaying(nullptr), MUSIC_ERR_INVALID_PARAM);
}

TEST_F(MusicTest, SetPositionMovesTheSteppedClockBothWaysAndRefusesPastTheEnd)
{
    Player player;
    ASSERT_EQ(player->init(100, MUSIC_INIT_STEPPED_CLOCK), MUSIC_OK);
    MusicStream* stream = nullptr;
    ASSERT_EQ(player->createStream(m_files.file("tone1s.mp3").c_str(), &stream), MUSIC_OK);
    MusicChannel* channel = nullptr;
    ASSERT_EQ(player->playSound(stream, true, &channel), MUSIC_OK);

    // Paused, as a show is before it starts: the position is there at once
    // and holds until the channel plays.
    EXPECT_EQ(channel->setPosition(640), MUSIC_OK);
    EXPECT_EQ(positionOf(channel), 640u);
    player->advanceClock(100);
    EXPECT_EQ(positionOf(channel), 640u);
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
    EXPECT_EQ(channel->setPosition(1000), MUSIC_OK);
    EXPECT_FALSE(playing(channel));
    EXPECT_EQ(channel->setPosition(0), MUSIC_OK);
    EXPECT_EQ(channel->setPosition(1001), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(positionOf(channel), 0u) << "a refused position changes nothing";

    EXPECT_EQ(channel->stop(), MUSIC_OK);
    EXPECT_EQ(channel->setPosition(10), MUSIC_ERR_CHANNEL_STOPPED);

    // A stream that lasts a fraction of a millisecond beyond its length:
    // 22072 frames at 44.1 kHz are 500.49 ms, reported as 500. Position 500
    // is still its end.
    writeFile(m_files.file("tone500ms.mp3"), encodeTone(44100, 2, 22072.0 / 44100));
    ASSERT_EQ(player->createStream(m_files.file("tone500ms.mp3").c_str(), &stream), MUSIC_OK);
    ASSERT_EQ(stream->getLength(), 500u);
    ASSERT_EQ(player->playSound(stream, false, &channel), MUSIC_OK);
    EXPECT_EQ(channel->setPosition(500), MUSIC_OK);
    EXPECT_EQ(positionOf(channel), 500u);
    EXPECT_FALSE(playing(channel));
    EXPECT_EQ(channel->setPosition(501), MUSIC_ERR_INVALID_PARAM);
}

TEST_F(MusicTest, SetPositionOnTheDummyDevicePlaysOnFromThere)
{
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    writeFile(m_files.file("tone10s.mp3"), encodeTone(44100, 2, 10.0));
    Player player;
    ASSERT_EQ(player->init(100, MUSIC_INIT_NORMAL), MUSIC_OK);
    MusicOutput output = MusicOutput::NONE;
    player->getOutput(&output);
    ASSERT_EQ(output, MusicOutput::DEVICE);
    MusicStream* stream = nullptr;
    ASSERT_EQ(player->createStream(m_files.file("tone10s.mp3").c_str(), &stream), MUSIC_OK);
    MusicChannel* channel = nullptr;
    ASSERT_EQ(player->playSound(stream, true, &channel), MUSIC_OK);

    EXPECT_EQ(channel->setPosition(8000), MUSIC_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(positionOf(channel), 8000u) << "paused at the new place";
    channel->setPaused(false);
    waitUntil(channel, 8100);
    const uint32_t moved = positionOf(channel);
    EXPECT_GE(moved, 8100u);
    EXPECT_LT(moved, 9500u);
    // From there the stream ends after the remaining two seconds, not ten.
    const Clock::time_point started = Clock::now();
    while (playing(channel) && msSince(started) < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(playing(channel));
    EXPECT_LT(msSince(started), 4000.0);
    EXPECT_EQ(positionOf(channel), 10000u);
}

TEST_F(MusicTest, FilesThatCannotPlayGiveDistinctErrorCodes)
{
    const std::vector<uint8_t> tone = encodeTone(44100, 2, 1.0);
    const std::string text = "ID3 is what an MP3 might start with, but this is text.\n";
    std::vector<uint8_t> noise(20000);
    uint32_t seed = 12345;
    for (uint8_t& byte : noise) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    writeFile(m_files.file("empty.mp3"), {});
    writeFile(m_files.file("text.mp3"), std::vector<uint8_t>(text.begin(), text.end()));
    writeFile(m_files.file("noise.mp3"), noise);
    writeFile(m_files.file("zeros.mp3"), std::vector<uint8_t>(20000, 0));
    // The LAME tag frame takes the first 417 bytes; 500 ends inside the first audio frame.
    writeFile(m_files.file("cut-in-first-frame.mp3"), std::vector<uint8_t>(tone.begin(), tone.begin() + 500));
    writeFile(m_files.file("first-half.mp3"), std::vector<uint8_t>(tone.begin(), tone.begin() + tone.size() / 2));

    Player player;
    MusicStream* stream = nullptr;
    EXPECT_EQ(player->createStream(m_files.file("tone1s.mp3").c_str(), &stream), MUSIC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(player->advanceClock(10), MUSIC_ERR_NOT_STEPPED);
    EXPECT_EQ(player->getOutput(nullptr), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(player->init(0, MUSIC_INIT_STEPPED_CLOCK), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(player->init(1, MUSIC_INIT_STEPPED_CLOCK | 0x80), MUSIC_ERR_INVALID_PARAM) << "an unknown flag";
    EXPECT_EQ(player->init(1, MUSIC_INIT_STEPPED_CLOCK | MUSIC_INIT_REQUIRE_DEVICE), MUSIC_ERR_INVALID_PARAM);
    ASSERT_EQ(player->init(1, MUSIC_INIT_STEPPED_CLOCK), MUSIC_OK);
    EXPECT_EQ(player->init(1, MUSIC_INIT_STEPPED_CLOCK), MUSIC_ERR_INITIALIZED);

    EXPECT_EQ(player->createStream(m_files.file("missing.mp3").c_str(), &stream), MUSIC_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(player->createStream(m_files.file("").c_str(), &stream), MUSIC_ERR_FILE_NOT_FOUND) << "a folder";
    for (const char* name : {"empty.mp3", "text.mp3", "noise.mp3", "zeros.mp3", "cut-in-first-frame.mp3"})
        EXPECT_EQ(player->createStream(m_files.file(name).c_str(), &stream), MUSIC_ERR_FORMAT) << name;
    EXPECT_EQ(stream, nullptr) << "no failed call writes a stream";
    EXPECT_EQ(player->createStream(nullptr, &stream), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(player->createStream(m_files.file("tone1s.mp3").c_str(), nullptr), MUSIC_ERR_INVALID_PARAM);

    // A file cut in the middle is a shorter stream, not an error: half the
    // bytes of a constant-bit-rate file hold half the tone, give or take a
    // frame (26 ms) and the encoder delay the cut-off tag no longer covers.
    ASSERT_EQ(player->createStream(m_files.file("first-half.mp3").c_str(), &stream), MUSIC_OK);
    EXPECT_NEAR(stream->getLength(), 500.0, 50.0);

    MusicChannel* channel = nullptr;
    EXPECT_EQ(player->playSound(nullptr, true, &channel), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(player->playSound(stream, true, nullptr), MUSIC_ERR_INVALID_PARAM);
    EXPECT_EQ(channel, nullptr);
    EXPECT_EQ(musicResultText(MUSIC_ERR_FILE_NOT_FOUND), std::string("file not found"));

    Player silent;
    ASSERT_EQ(silent->init(1, MUSIC_INIT_SILENT), MUSIC_OK);
    EXPECT_EQ(silent->advanceClock(10), MUSIC_ERR_NOT_STEPPED);
    EXPECT_EQ(silent->playSound(stream, true, &channel), MUSIC_ERR_INVALID_PARAM) << "another system's stream";
}

TEST_F(MusicTest, DummyDeviceFollowsWallTimeHoldsWhenPausedAndStopsAtTheEnd)
{
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    writeFile(m_files.file("tone10s.mp3"), encodeTone(44100, 2, 10.0));
    Player player;
    int result = -1;
    std::string initLog;
    {
        // Captures stay short: a failure reported inside one would be swallowed.
        LogCapture log;
        result = player->init(100, MUSIC_INIT_NORMAL);
        initLog = log.text();
    }
    ASSERT_EQ(result, MUSIC_OK);
    EXPECT_EQ(occurrences(initLog, "WARNING |"), 0) << initLog;
    MusicOutput output = MusicOutput::NONE;
    player->getOutput(&output);
    ASSERT_EQ(output, MusicOutput::DEVICE);

    MusicStream* stream = nullptr;
    ASSERT_EQ(player->createStream(m_files.file("tone10s.mp3").c_str(), &stream), MUSIC_OK);
    EXPECT_EQ(stream->getLength(), 10000u);
    MusicChannel* channel = nullptr;
    ASSERT_EQ(player->playSound(stream, true, &channel), MUSIC_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(positionOf(channel), 0u) << "the device runs, the paused channel does not";

    // Measure once sound is flowing: the first block reaches the listener
    // only after the device's buffer, which is latency, not rate.
    channel->setPaused(false);
    waitUntil(channel, 100);
    // The dummy driver paces itself with sleeps, so on an overloaded machine
    // the "device" itself falls behind the wall clock (SDL's own count of
    // consumed frames lags just the same). A fault of the player (a wrong
    // rate, lost or repeated frames, a starved decoder) shows in every
    // stretch; the machine's load seldom spoils three in a row.
    Stretch stretch{};
    for (int attempt = 0; attempt < 3; ++attempt) {
        stretch = playFor(channel, 3000);
        if (std::abs(stretch.positionMs - stretch.wallMs) <= 0.02 * stretch.wallMs)
            break;
    }
    EXPECT_NEAR(stretch.positionMs, stretch.wallMs, 0.02 * stretch.wallMs) << "over " << stretch.wallMs << " ms";

    channel->setPaused(true);
    const uint32_t held = positionOf(channel);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(positionOf(channel), held);
    EXPECT_TRUE(playing(channel));

    // The end, on the short tone: playing it replaces the long one.
    MusicStream* shortStream = nullptr;
    ASSERT_EQ(player->createStream(m_files.file("tone1s.mp3").c_str(), &shortStream), MUSIC_OK);
    ASSERT_EQ(player->playSound(shortStream, false, &channel), MUSIC_OK);
    const Clock::time_point started = Clock::now();
    while (playing(channel) && msSince(started) < 3000)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(playing(channel));
    EXPECT_EQ(positionOf(channel), 1000u);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(positionOf(channel), 1000u) << "the position stays at the end";
}

TEST_F(MusicTest, DecodingFailureMidStreamEndsThePlaybackWithOneWarning)
{
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    // 3000 bytes of 0xFF a third of the way in: libmpg123 gives up there
    // (its frame scan stops at the same place, so the length agrees).
    std::vector<uint8_t> damaged = encodeTone(44100, 2, 1.0);
    std::fill(damaged.begin() + damaged.size() / 3, damaged.begin() + damaged.size() / 3 + 3000, 0xFF);
    writeFile(m_files.file("damaged.mp3"), damaged);

    Player player;
    ASSERT_EQ(player->init(1, MUSIC_INIT_REQUIRE_DEVICE), MUSIC_OK);
    MusicStream* stream = nullptr;
    ASSERT_EQ(player->createStream(m_files.file("damaged.mp3").c_str(), &stream), MUSIC_OK);
    EXPECT_GT(stream->getLength(), 200u);
    EXPECT_LT(stream->getLength(), 500u);
    MusicChannel* channel = nullptr;
    ASSERT_EQ(player->playSound(stream, false, &channel), MUSIC_OK);

    // The warning is written by the first query after the decoder gave up.
    std::string text;
    bool stillPlaying = true;
    uint32_t position = 0;
    {
        LogCapture log;
        const Clock::time_point start = Clock::now();
        while (stillPlaying && msSince(start) < 3000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            channel->isPlaying(&stillPlaying);
        }
        channel->getPosition(&position);
        channel->getPosition(&position);
        text = log.text();
    }
    EXPECT_FALSE(stillPlaying);
    EXPECT_EQ(position, stream->getLength());
    EXPECT_EQ(occurrences(text, "WARNING |Music: decoding stopped early: "), 1) << text;
    EXPECT_EQ(occurrences(text, "WARNING |"), 1) << text;
}

TEST_F(MusicTest, WithoutADeviceItWarnsOnceAndPlaysSilentlyInRealTime)
{
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    {
        Player strict;
        EXPECT_EQ(strict->init(1, MUSIC_INIT_REQUIRE_DEVICE), MUSIC_ERR_NO_DEVICE);
    }
    writeFile(m_files.file("tone3500ms.mp3"), encodeTone(44100, 2, 3.5));
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
    MusicOutput output = MusicOutput::NONE;
    player->getOutput(&output);
    EXPECT_EQ(output, MusicOutput::SILENT);

    MusicStream* stream = nullptr;
    ASSERT_EQ(player->createStream(m_files.file("tone3500ms.mp3").c_str(), &stream), MUSIC_OK);
    MusicChannel* channel = nullptr;
    ASSERT_EQ(player->playSound(stream, true, &channel), MUSIC_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(positionOf(channel), 0u);

    channel->setPaused(false);
    const Stretch stretch = playFor(channel, 3000);
    EXPECT_NEAR(stretch.positionMs, stretch.wallMs, 0.02 * stretch.wallMs) << "over " << stretch.wallMs << " ms";

    channel->setPaused(true);
    const uint32_t held = positionOf(channel);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(positionOf(channel), held);
    std::string laterLog;
    {
        LogCapture log;
        channel->setPaused(false);
        player->createStream(m_files.file("tone3500ms.mp3").c_str(), &stream);
        laterLog = log.text();
    }
    EXPECT_EQ(occurrences(laterLog, "WARNING |"), 0) << "warned once only: " << laterLog;
    waitUntil(channel, 3500);
    EXPECT_EQ(positionOf(channel), 3500u);
    EXPECT_FALSE(playing(channel));
}

// The demo starts its music before the engine (and its log) exists: the
// warning then waits for the first call made once the log is up.
TEST(MusicBeforeTheEngine, StartsPausedAndLogsTheFallbackWarningOnceTheLogExists)
{
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ScratchDir files;
    writeFile(files.file("override.mp3"), encodeTone(22050, 1, 0.5));

    const MusicStart missing = startMusicPaused(files.file("absent.mp3").c_str());
    EXPECT_EQ(missing.result, MUSIC_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(missing.failedStep, MusicStart::STREAM);
    EXPECT_EQ(missing.system, nullptr);

    const MusicStart start = startMusicPaused(files.file("override.mp3").c_str());
    ASSERT_EQ(start.result, MUSIC_OK);
    ASSERT_NE(start.channel, nullptr);
    EXPECT_EQ(start.stream->getLength(), 500u) << "22.05 kHz mono, resampled to the output rate";

    framework::FrameworkConfig config;
    config.createConsole = 0;
    config.memorySize = 1024 * 1024;
    framework::EngineScope engine(&config);
    std::string text;
    uint32_t position = 1;
    int unpaused = -1;
    {
        LogCapture log;
        start.channel->getPosition(&position);
        unpaused = start.channel->setPaused(false);
        start.channel->getPosition(&position);
        text = log.text();
    }
    EXPECT_EQ(unpaused, MUSIC_OK);
    EXPECT_LT(position, 100u);
    EXPECT_EQ(occurrences(text, "WARNING |Music: no audio device ("), 1) << text;
    EXPECT_EQ(occurrences(text, "WARNING |"), 1) << text;
    EXPECT_EQ(start.system->release(), MUSIC_OK);
}

// ALSA's library itself, called the way SDL calls it (the same loaded
// instance): an unknown PCM name is one error message from its
// snd_pcm_open, which its default handler would print as "ALSA lib
// pcm.c:2666:(snd_pcm_open_noupdate) Unknown PCM NAME" (ALSA 1.2.8).
TEST(AlsaMessages, KeepsALSAsErrorsOffStandardErrorInItsOwnLayoutAndCountsTheOverflow)
{
    if (!AlsaMessages::install())
        GTEST_SKIP() << "no libasound.so.2 on this machine";
    EXPECT_TRUE(AlsaMessages::install()) << "a second call changes nothing";
    forgetAlsaMessages();
    void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    using PcmOpen = int (*)(void** pcm, const char* name, int stream, int mode);
    const auto pcmOpen = reinterpret_cast<PcmOpen>(dlsym(library, "snd_pcm_open"));
    ASSERT_NE(pcmOpen, nullptr);
    const auto openUnknown = [pcmOpen](int n) {
        void* pcm = nullptr;
        EXPECT_LT(pcmOpen(&pcm, ("vorna3d_no_such_pcm_" + std::to_string(n)).c_str(), 0, 0), 0);
    };

    // The last from a thread of its own, as from SDL's audio thread.
    CaptureStderr();
    for (int n = 0; n < 39; ++n)
        openUnknown(n);
    std::thread(openUnknown, 39).join();
    const std::string printed = GetCapturedStderr();
    EXPECT_EQ(printed, "");

    EXPECT_TRUE(AlsaMessages::pending());
    std::vector<std::string> lines;
    char line[AlsaMessages::MAX_LENGTH];
    while (AlsaMessages::takeOne(line, sizeof line))
        lines.push_back(line);
    ASSERT_EQ(lines.size(), AlsaMessages::MAX_KEPT) << "the newest are kept";
    const std::regex first(R"(^ALSA lib [a-z_]+\.c:[0-9]+:\([a-z_]+\) Unknown PCM vorna3d_no_such_pcm_8$)");
    EXPECT_TRUE(std::regex_match(lines.front(), first)) << lines.front();
    EXPECT_NE(lines.back().find("Unknown PCM vorna3d_no_such_pcm_39"), std::string::npos) << lines.back();
    EXPECT_TRUE(AlsaMessages::pending()) << "the dropped count still waits";
    EXPECT_EQ(AlsaMessages::takeDropped(), 8u);
    EXPECT_FALSE(AlsaMessages::pending());
    EXPECT_EQ(AlsaMessages::takeDropped(), 0u);

    // A short buffer gets the message cut, not overrun.
    openUnknown(40);
    char shortLine[10] = "xxxxxxxxx";
    ASSERT_TRUE(AlsaMessages::takeOne(shortLine, sizeof shortLine));
    EXPECT_STREQ(shortLine, "ALSA lib ");
    EXPECT_FALSE(AlsaMessages::takeOne(shortLine, sizeof shortLine));
    dlclose(library);
}

// SDL's ALSA back end on a machine without a sound card, as in CI: ALSA
// explains the failed open of "default" in a few messages, whose wording
// depends on the machine's ALSA configuration; none reaches standard error, the one warning says what happened, and ALSA's account
// sits in the log at DEBUG_LEVEL_PLATFORM, ahead of the warning.
TEST_F(MusicTest, SdlAlsaWithoutASoundCardPrintsNothingButTheOneWarning)
{
    if (hasSoundCard())
        GTEST_SKIP() << "this machine has a sound card";
    // Looked for without installing the handler: the music system must do that.
    void* library = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        GTEST_SKIP() << "no libasound.so.2 on this machine";
    dlclose(library);
    ::setenv("SDL_AUDIODRIVER", "alsa", 1);
    forgetAlsaMessages();
    const uint32_t level = core::Debug::getDebugLevel();

    const auto initialise = [](Player& player, std::string& log, std::string& printed) {
        CaptureStderr();
        int result = -1;
        {
            LogCapture capture;
            result = player->init(100, MUSIC_INIT_NORMAL);
            log = capture.text();
        }
        printed = GetCapturedStderr();
        EXPECT_EQ(result, MUSIC_OK);
        MusicOutput output = MusicOutput::NONE;
        player->getOutput(&output);
        EXPECT_EQ(output, MusicOutput::SILENT);
    };

    core::Debug::setDebugLevel(core::DEBUG_LEVEL_APPLICATION); // as the show runs
    std::string log, printed;
    {
        Player player;
        initialise(player, log, printed);
    }
    EXPECT_EQ(printed, "");
    EXPECT_EQ(occurrences(log, "WARNING |"), 1) << log;
    EXPECT_EQ(occurrences(log, "WARNING |Music: no audio device (ALSA: "), 1) << log;
    EXPECT_EQ(occurrences(log, "ALSA lib"), 0) << log;

    core::Debug::setDebugLevel(core::DEBUG_LEVEL_APPLICATION | core::DEBUG_LEVEL_PLATFORM);
    {
        Player player;
        initialise(player, log, printed);
    }
    core::Debug::setDebugLevel(level);
    EXPECT_EQ(printed, "");
    EXPECT_GE(occurrences(log, "Music: ALSA lib "), 1) << log;
    EXPECT_LT(log.find("Music: ALSA lib "), log.find("WARNING |Music: no audio device")) << log;
    EXPECT_EQ(occurrences(log, "WARNING |"), 1) << log;
}
