// The log's class masks, prefixes, counters and length limit.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Debug.h"
#include "HAL/CoreServices.h"
#include "HAL/System.h"
#include "core/Globals.h"
#include "core/PlatformServices.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using core::Debug;
using testing_support::LogCapture;

namespace {

class DebugTest : public testing_support::EngineTest { };

// A copy target that records what the log writes to it.
class RecordingStream : public core::Stream {
public:
    int write(const void* src, int len) override
    {
        // Logging from inside the copy target must not recurse into it.
        Debug::printf(core::DEBUG_LEVEL_ERROR, "written from the stream\n");
        text.append(static_cast<const char*>(src), static_cast<size_t>(len));
        return len;
    }
    int read(void*, int) override { return 0; }
    int peek(void*, int) override { return 0; }
    void setSeek(int) override { }
    void close() override { }
    int getSeek() override { return 0; }
    int available() override { return 0; }
    core::String getName() override { return "recording stream"; }
    std::string text;
};

} // namespace

TEST_F(DebugTest, DefaultLevelPrintsErrorsWarningsProgressAndEngine)
{
    // Level 4 from the configuration becomes 4 | 0xB.
    EXPECT_EQ(Debug::getDebugLevel(), 0xFu);
    LogCapture capture;
    Debug::printf(core::DEBUG_LEVEL_ERROR, "e\n");
    Debug::printf(core::DEBUG_LEVEL_WARNING, "w\n");
    Debug::printf(core::DEBUG_LEVEL_APPLICATION, "a\n");
    Debug::printf(core::DEBUG_LEVEL_ENGINE, "n\n");
    Debug::printf(core::DEBUG_LEVEL_RENDER, "r\n");
    Debug::printf(core::DEBUG_LEVEL_FRAMEWORK, "f\n");
    Debug::printf(core::DEBUG_LEVEL_MEMORY_ALLOC, "m\n");
    EXPECT_EQ(capture.text(), " ERROR  |e\nWARNING |w\na\nn\n");
}

TEST_F(DebugTest, LevelsKeepErrorsWarningsAndEngineUnlessZero)
{
    Debug::setDebugLevel(0x1000);
    EXPECT_EQ(Debug::getDebugLevel(), 0x100Bu);
    Debug::setDebugLevel(0);
    EXPECT_EQ(Debug::getDebugLevel(), 0u);

    const int errors = Debug::getErrorCount();
    const int messages = Debug::getMessageCount();
    LogCapture capture;
    Debug::printf(core::DEBUG_LEVEL_ERROR, "silenced\n");
    EXPECT_THROW(ASSERT(false), AssertationFailedException); // banner silenced too
    EXPECT_EQ(capture.text(), "");
    EXPECT_EQ(Debug::getErrorCount(), errors); // a filtered message changes no counter
    EXPECT_EQ(Debug::getMessageCount(), messages);
}

TEST_F(DebugTest, CountersFollowPrintedMessages)
{
    const int errors = Debug::getErrorCount();
    const int warnings = Debug::getWarningCount();
    const int messages = Debug::getMessageCount();
    LogCapture capture;
    Debug::printf(core::DEBUG_LEVEL_ERROR | core::DEBUG_LEVEL_WARNING, "both\n"); // counts as an error only
    Debug::printf(core::DEBUG_LEVEL_WARNING, "warning\n");
    Debug::printf(core::DEBUG_LEVEL_APPLICATION, "plain\n");
    EXPECT_EQ(capture.text(), " ERROR  |both\nWARNING |warning\nplain\n");
    EXPECT_EQ(Debug::getErrorCount(), errors + 1);
    EXPECT_EQ(Debug::getWarningCount(), warnings + 1);
    EXPECT_EQ(Debug::getMessageCount(), messages + 3);
}

TEST_F(DebugTest, MessagesUpTo2040CharactersPassLongerOnesAreReplaced)
{
    const std::string fits(2040, 'x');
    const std::string tooLong(2041, 'y');
    LogCapture capture;
    // 2040 characters reach the console whole, although the console itself
    // takes at most 1024 a call: the log hands them over in pieces.
    Debug::printf(core::DEBUG_LEVEL_APPLICATION, "%s", fits.c_str());
    Debug::printf(core::DEBUG_LEVEL_APPLICATION, "%s", tooLong.c_str());
    EXPECT_EQ(capture.text(), fits + "<too long debug string>\n");
}

TEST_F(DebugTest, OutputStreamGetsACopyWithoutRecursion)
{
    core::Ref<RecordingStream> stream = VORNA3D_NEW RecordingStream();
    Debug::setOutputFile(stream);
    {
        LogCapture capture;
        Debug::printf(core::DEBUG_LEVEL_WARNING, "to both %d\n", 42);
        EXPECT_EQ(capture.text(), "WARNING |to both 42\n");
    }
    EXPECT_EQ(stream->text, "WARNING |to both 42\n");

    Debug::setDebugLevel(0x100000); // let the "debug disabled" line through
    LogCapture capture;
    Debug::setOutputFile(nullptr);
    EXPECT_EQ(capture.text(), "Debug: setOutputFile: debug disabled\n");
    EXPECT_EQ(stream->text, "WARNING |to both 42\nDebug: setOutputFile: debug disabled\n");
}

TEST_F(DebugTest, ConsoleRejectsOverlongPieces)
{
    const std::string piece(1024, 'c');
    LogCapture capture;
    HAL::System::printf(1024, piece.c_str());
    EXPECT_EQ(capture.text(), piece);
    try {
        HAL::System::printf(1025, piece.c_str());
        FAIL() << "no exception";
    } catch (const AssertationFailedException& e) {
        EXPECT_STREQ(e.getMessage(), " (len >= 0) && (len < MAX_PRINTF_DATA_SIZE) ");
    }
    EXPECT_THROW(HAL::System::printf(0, nullptr), AssertationFailedException);
}

namespace {
std::string consoleText;
std::vector<int> consolePieces;
void recordConsole(int length, const char* text)
{
    consolePieces.push_back(length);
    consoleText.append(text, static_cast<size_t>(length));
}
} // namespace

TEST_F(DebugTest, LogWritesThroughTheInstalledConsoleInPieces)
{
    // Only the console is replaced: the mutex and files installed by the
    // platform layer stay (the pool keeps working during the test).
    core::PlatformServices console;
    console.writeConsole = &recordConsole;
    core::PlatformServices::install(console);
    consoleText.clear();
    consolePieces.clear();
    const std::string line = std::string(1500, 'x') + "\n";
    Debug::printf(core::DEBUG_LEVEL_ERROR, "%s", line.c_str());
    HAL::installCoreServices(); // the real console back before any check can fail

    // The prefix " ERROR  |" (9 characters) goes first; the 1501 characters
    // of the message follow as a full console piece of 1024 and 477.
    EXPECT_EQ(consoleText, " ERROR  |" + line);
    EXPECT_EQ(consolePieces, (std::vector<int>{9, 1024, 477}));
}

TEST(DebugWithoutEngine, MissingRecordIsAnAssertion)
{
    EXPECT_THROW(Debug::printf(core::DEBUG_LEVEL_ERROR, "x"), AssertationFailedException);
    EXPECT_FALSE(Debug::exists());
}
