#pragma once
// ALSA's own error messages, kept off the terminal.
//
// SDL's ALSA back end loads libasound at run time, and ALSA's default error
// handler writes every failure it meets to standard error: on a machine
// without a sound card one attempt to open "default" prints eight lines
// ("ALSA lib confmisc.c:855:(parse_card) cannot find card '0'" ... "Unknown
// PCM default"), and a busy or misconfigured card prints its own. People read
// them as a crash, while the music system goes on silently with one warning
// of its own. install() puts a handler into that same library (a second
// dlopen of the library returns the instance SDL uses) that keeps the
// messages here; the music system writes them to the engine log at
// DEBUG_LEVEL_PLATFORM, which the demo does not show by default.
//
// Silencing ALSA is preferred over guessing beforehand whether a device
// exists: a guess from /dev/snd and the sound servers' sockets misses real
// set-ups (a server reached over the network or named in a client
// configuration, Bluetooth or other ALSA plugins without a card node) and
// would then keep a working desktop silent, and it cannot foresee a busy or
// muted card at all. The handler never changes whether a device opens.
//
// The handler runs on whatever thread ALSA fails on (SDL's audio and
// device-enumeration threads too): it only formats into fixed slots under a
// mutex. Reading the slots back allocates nothing.

#include <cstddef>
#include <cstdint>

namespace HAL {

class AlsaMessages {
public:
    // Messages kept until taken. Beyond that the oldest go (and are counted):
    // the failure itself comes last, after what SDL's device enumeration
    // stirs up on the way.
    static constexpr size_t MAX_KEPT = 32;
    // Longest message kept, in bytes with the terminating zero; longer ones
    // are cut.
    static constexpr size_t MAX_LENGTH = 256;

    // Loads libasound (once per process; it then stays loaded, so the
    // handler stays in place however often SDL loads and unloads it) and
    // installs the handler. False when there is no libasound, in which case
    // ALSA prints nothing either. Thread-safe; never throws.
    static bool install();

    // Whether messages (or dropped ones) wait to be taken. Any thread; lock-free.
    static bool pending();
    // Copies the oldest waiting message into `line` (`size` >= 1 bytes,
    // cut to fit, without a line end) and forgets it. False when none waits.
    static bool takeOne(char* line, size_t size);
    // How many messages were dropped because MAX_KEPT newer ones were
    // waiting; resets the count.
    static uint32_t takeDropped();

private:
    // The handler ALSA calls (its snd_lib_error_handler_t): keeps the
    // message in ALSA's own layout, "ALSA lib FILE:LINE:(FUNCTION) TEXT",
    // with ": " and the error's text when `error` is non-zero.
    static void handle(const char* file, int line, const char* function, int error, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
};

} // namespace HAL
