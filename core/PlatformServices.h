#pragma once
// The operating-system services core relies on: the memory manager's mutex,
// files for FileStream and console output for the log. Core names no
// platform code; the platform layer installs its implementation when it
// creates the system object, before the memory manager exists (see
// HAL::installCoreServices).

#include <memory>

namespace core {

class PlatformFile;
class PlatformMutex;
class String;

struct PlatformServices {
    // The console takes texts shorter than this many characters.
    static constexpr int MAX_CONSOLE_TEXT = 1025;

    // Creates an unlocked mutex on the general heap (the pool may not exist yet).
    std::unique_ptr<PlatformMutex> (*createMutex)() = nullptr;
    // Creates the file for `path` in the pool and opens it with the C library
    // mode `flags`; throws PlatformException when it cannot be opened.
    PlatformFile* (*openFile)(const String& path, const String& flags) = nullptr;
    // Writes `length` bytes of formatted text to the console.
    void (*writeConsole)(int length, const char* text) = nullptr;

    // Installs `services`; a null entry keeps what was installed before.
    static void install(const PlatformServices& services);

    // The installed mutex factory's mutex. Asserts when no platform layer
    // installed one.
    static std::unique_ptr<PlatformMutex> newMutex();
    // The installed file factory's open file. Asserts when no platform layer
    // installed one; throws what the factory throws.
    static PlatformFile* newFile(const String& path, const String& flags);
    // Writes to the installed console; before a platform layer installs one,
    // the text goes to standard output (the log works from its first line).
    // Requires 0 <= length < MAX_CONSOLE_TEXT and a text (the console asserts).
    static void console(int length, const char* text);
};

} // namespace core
