#include "HAL/sdl/AlsaMessages.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace HAL {

namespace {

// libasound's types, spelled out so that building needs no ALSA headers
// (the engine never links the library; it is there when SDL can use it).
using ErrorHandler = void (*)(const char* file, int line, const char* function, int error, const char* format, ...);
using SetErrorHandler = int (*)(ErrorHandler handler);
using ErrorText = const char* (*)(int error);

// Constant-initialised and trivially destroyed: the handler may still run
// while the process exits.
struct Kept {
    std::mutex lock;
    char lines[AlsaMessages::MAX_KEPT][AlsaMessages::MAX_LENGTH] = {};
    size_t first = 0;
    size_t count = 0;
    uint32_t dropped = 0;
    std::atomic<bool> waiting{false};
    std::atomic<ErrorText> errorText{nullptr};
};
constinit Kept kept;

} // namespace

bool AlsaMessages::install()
{
    static const bool installed = [] {
        // Never closed: while this handle lives, SDL's own dlclose cannot
        // unload the library and take the handler with it.
        void* library = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return false;
        auto setHandler = reinterpret_cast<SetErrorHandler>(dlsym(library, "snd_lib_error_set_handler"));
        if (!setHandler)
            return false;
        kept.errorText.store(reinterpret_cast<ErrorText>(dlsym(library, "snd_strerror")));
        return setHandler(&AlsaMessages::handle) == 0;
    }();
    return installed;
}

void AlsaMessages::handle(const char* file, int line, const char* function, int error, const char* format, ...)
{
    std::lock_guard<std::mutex> guard(kept.lock);
    if (kept.count == MAX_KEPT) { // the oldest makes room
        kept.first = (kept.first + 1) % MAX_KEPT;
        --kept.count;
        ++kept.dropped;
    }
    char* out = kept.lines[(kept.first + kept.count) % MAX_KEPT];
    int used =
        std::snprintf(out, MAX_LENGTH, "ALSA lib %s:%d:(%s) ", file ? file : "?", line, function ? function : "?");
    if (used >= 0 && static_cast<size_t>(used) < MAX_LENGTH && format) {
        va_list args;
        va_start(args, format);
        const int text = std::vsnprintf(out + used, MAX_LENGTH - static_cast<size_t>(used), format, args);
        va_end(args);
        used = text < 0 ? used : used + text;
    }
    if (error != 0 && used >= 0 && static_cast<size_t>(used) < MAX_LENGTH) {
        const ErrorText errorText = kept.errorText.load();
        const char* why = errorText ? errorText(error) : nullptr;
        if (why)
            std::snprintf(out + used, MAX_LENGTH - static_cast<size_t>(used), ": %s", why);
        else
            std::snprintf(out + used, MAX_LENGTH - static_cast<size_t>(used), ": error %d", error);
    }
    // ALSA's texts carry no line end of their own; a stray one is cut here so
    // that every kept message is one line.
    out[std::strcspn(out, "\r\n")] = '\0';
    ++kept.count;
    kept.waiting.store(true);
}

bool AlsaMessages::pending()
{
    return kept.waiting.load(std::memory_order_relaxed);
}

bool AlsaMessages::takeOne(char* line, size_t size)
{
    if (!line || size == 0)
        return false;
    std::lock_guard<std::mutex> guard(kept.lock);
    if (kept.count == 0)
        return false;
    std::snprintf(line, size, "%s", kept.lines[kept.first]);
    kept.first = (kept.first + 1) % MAX_KEPT;
    --kept.count;
    kept.waiting.store(kept.count > 0 || kept.dropped > 0);
    return true;
}

uint32_t AlsaMessages::takeDropped()
{
    std::lock_guard<std::mutex> guard(kept.lock);
    const uint32_t dropped = kept.dropped;
    kept.dropped = 0;
    kept.waiting.store(kept.count > 0);
    return dropped;
}

} // namespace HAL
