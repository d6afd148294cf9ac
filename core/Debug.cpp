#include "core/Debug.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/PlatformServices.h"
#include "core/Globals.h"
#include "core/Stream.h"

namespace core {

namespace {

DebugInfo* infoOrAssert()
{
    DebugInfo* info = Debug::getDebugInfoPtr();
    ASSERT(info);
    return info;
}

} // namespace

void Debug::initClass()
{
    Globals* g = Globals::get();
    ASSERT(!g->m_debug);
    g->m_debug = new DebugInfo();
}

void Debug::deInitClass()
{
    Globals* g = Globals::get();
    ASSERT(g->m_debug);
    DebugInfo* info = g->m_debug;
    info->outputStream = nullptr;
    delete info;
    g->m_debug = nullptr;
}

bool Debug::exists()
{
    return Globals::exists() && Globals::get()->m_debug != nullptr;
}

DebugInfo* Debug::getDebugInfoPtr()
{
    DebugInfo* d = Globals::get()->m_debug;
    ASSERT(d);
    return d;
}

void Debug::setDebugLevel(uint32_t level)
{
    DebugInfo* info = infoOrAssert();
    info->debugLevel = level ? (level | 0xB) : 0;
}

uint32_t Debug::getDebugLevel()
{
    return infoOrAssert()->debugLevel;
}

void Debug::setOutputFile(Ref<Stream> file)
{
    DebugInfo* info = infoOrAssert();
    if (!file)
        printf(DEBUG_LEVEL_OUTPUT, "Debug: setOutputFile: debug disabled\n");
    info->outputStream = file;
}

void Debug::printf(uint32_t level, const char* format, ...)
{
    DebugInfo* info = infoOrAssert();
    if ((info->debugLevel & level) == 0)
        return;

    if (level & DEBUG_LEVEL_ERROR) {
        messagePrint(" ERROR  |");
        ++info->errorCount;
    } else if (level & DEBUG_LEVEL_WARNING) {
        messagePrint("WARNING |");
        ++info->warningCount;
    }

    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(info->printBuffer, sizeof info->printBuffer, format, args);
    va_end(args);
    if (length < 0 || length > DebugInfo::MAX_MESSAGE_LENGTH)
        std::strcpy(info->printBuffer, "<too long debug string>\n");

    messagePrint(info->printBuffer);
    ++info->messageCount;
}

void Debug::messagePrint(const char* text)
{
    DebugInfo* info = Debug::getDebugInfoPtr();
    ASSERT(info);
    ASSERT(text);
    const size_t length = std::strlen(text);

    // The console takes at most MAX_CONSOLE_TEXT - 1 characters a call,
    // the log up to 2040: long texts go out in pieces.
    for (size_t done = 0; done < length;) {
        size_t piece = length - done;
        if (piece > PlatformServices::MAX_CONSOLE_TEXT - 1)
            piece = PlatformServices::MAX_CONSOLE_TEXT - 1;
        PlatformServices::console(static_cast<int>(piece), text + done);
        done += piece;
    }

    if (info->outputStream) {
        // Silence the log while the stream writes, so that whatever the
        // stream itself logs cannot recurse into it.
        const uint32_t savedLevel = info->debugLevel;
        info->debugLevel = 0;
        try {
            info->outputStream->write(text, static_cast<int32_t>(length));
        } catch (...) {
            info->debugLevel = savedLevel;
            throw;
        }
        info->debugLevel = savedLevel;
    }
}

int32_t Debug::getErrorCount()
{
    return infoOrAssert()->errorCount;
}
int32_t Debug::getWarningCount()
{
    return infoOrAssert()->warningCount;
}
int32_t Debug::getMessageCount()
{
    return infoOrAssert()->messageCount;
}

} // namespace core
