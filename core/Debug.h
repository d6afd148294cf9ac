#pragma once
// The engine's single log. Messages carry a class mask; a message is printed
// when its class ANDed with the current debug level is non-zero. Errors and
// warnings get a prefix and are counted. Text goes to the platform's console
// (PlatformServices::console) and, optionally, to a copy stream.

#include <cstdint>

#include "core/Ref.h"
#include "core/Stream.h"

namespace core {

enum : uint32_t {
    DEBUG_LEVEL_ERROR = 0x1,
    DEBUG_LEVEL_WARNING = 0x2,
    DEBUG_LEVEL_APPLICATION = 0x4,
    DEBUG_LEVEL_ENGINE = 0x8,
    DEBUG_LEVEL_PLATFORM = 0x100,
    DEBUG_LEVEL_FILE = 0x200,
    DEBUG_LEVEL_RENDER = 0x1000,
    DEBUG_LEVEL_FRAMEWORK = 0x10000,
    DEBUG_LEVEL_OUTPUT = 0x100000,
    DEBUG_LEVEL_MEMORY_ALLOC = 0x400000,
    DEBUG_LEVEL_MEMORY_FREE = 0x800000,
    DEBUG_LEVEL_MEMORY_JOIN = 0xE00000,
    DEBUG_LEVEL_MEMORY_MONITOR = 0xF00000,
};

// The log's state, owned by the globals record and allocated on the general
// heap (the log starts before the memory manager).
struct DebugInfo {
    static constexpr int PRINT_BUFFER_SIZE = 2048;
    static constexpr int MAX_MESSAGE_LENGTH = 2040;

    Ref<Stream> outputStream;
    int32_t errorCount = 0;
    int32_t warningCount = 0;
    int32_t messageCount = 1;
    uint32_t debugLevel = 4;
    char printBuffer[PRINT_BUFFER_SIZE] = {};
};

class Debug {
public:
    // Creates the log record in the globals. Requires the globals and no log yet.
    static void initClass();
    // Destroys the log record. Requires the log.
    static void deInitClass();
    // Whether the globals hold a log record (never asserts).
    static bool exists();
    // The log record; asserts " d " when there is none.
    static DebugInfo* getDebugInfoPtr();

    // Sets the class mask: `level` | 0xB when non-zero (errors, warnings and
    // engine lines can only be silenced together), else 0.
    static void setDebugLevel(uint32_t level);
    static uint32_t getDebugLevel();

    // Sets or clears the stream that receives a copy of every printed text.
    // Clearing it logs "Debug: setOutputFile: debug disabled\n" first.
    static void setOutputFile(Ref<Stream> file);

    // Formats and prints a message of class `level` when the mask lets it
    // through. Messages longer than 2040 characters print
    // "<too long debug string>\n" instead. No newline is added.
    static void printf(uint32_t level, const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Writes one text to the console and the copy stream. Requires a text.
    static void messagePrint(const char* text);

    static int32_t getErrorCount();
    static int32_t getWarningCount();
    static int32_t getMessageCount();
};

} // namespace core
