#include "core/PlatformServices.h"

#include <cstdio>

#include "core/Assert.h"
#include "core/PlatformFile.h"
#include "core/PlatformMutex.h"

namespace core {

namespace {

void writeStandardOutput(int length, const char* text)
{
    ASSERT((length >= 0) && (length < PlatformServices::MAX_CONSOLE_TEXT));
    ASSERT(text);
    std::fwrite(text, 1, static_cast<size_t>(length), stdout);
    std::fflush(stdout);
}

// Plain function pointers, constant-initialised: usable before and after
// every engine object's life.
constinit PlatformServices installed{nullptr, nullptr, &writeStandardOutput};

} // namespace

void PlatformServices::install(const PlatformServices& services)
{
    if (services.createMutex)
        installed.createMutex = services.createMutex;
    if (services.openFile)
        installed.openFile = services.openFile;
    if (services.writeConsole)
        installed.writeConsole = services.writeConsole;
}

std::unique_ptr<PlatformMutex> PlatformServices::newMutex()
{
    ASSERT_MSG(installed.createMutex != nullptr, "no platform layer installed (mutex)");
    return installed.createMutex();
}

PlatformFile* PlatformServices::newFile(const String& path, const String& flags)
{
    ASSERT_MSG(installed.openFile != nullptr, "no platform layer installed (files)");
    return installed.openFile(path, flags);
}

void PlatformServices::console(int length, const char* text)
{
    installed.writeConsole(length, text);
}

} // namespace core
