#pragma once
// A last resort for a program that crashes while a full-screen window holds
// a changed display mode: without it the screen would stay in that mode
// after the process is gone.
//
// While armed, SIGSEGV, SIGABRT, SIGFPE and SIGBUS run the restore function
// once and then end the process by the same signal with its default action
// (a core dump where those are enabled). The restore function runs inside a
// signal handler, in whatever state the crash left the program: it should do
// as little as it can. Leaving full screen through SDL is not
// async-signal-safe; it is done all the same, since a process that is dying
// anyway risks nothing worse than the stuck mode it tries to mend.

namespace HAL {

using CrashRestoreFunction = void (*)(void* context);

// Installs the crash handlers (and, if the thread has none, an alternate
// signal stack, so that a stack overflow still reaches them) with
// `restore(context)` to run on a crash. Arming again replaces the function
// and context. Requires `restore`.
void armCrashRestore(CrashRestoreFunction restore, void* context);

// Puts the handlers that were there before back, when `context` is the one
// armed; does nothing otherwise.
void disarmCrashRestore(void* context);

// The context armed, or null.
void* crashRestoreContext();

} // namespace HAL
