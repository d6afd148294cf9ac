#pragma once
// The demo's entry function and what runs it.
//
// Exit codes: 0 after the show (or a capture) ends normally and after
// --help; 2 for a bad command line (one line naming the option, then the
// help, on standard error); 1 when the framework cannot be created, there
// is no display for the show, a capture cannot write its output, or the
// show fails; -1 when the soundtrack cannot be played ("MUSIC NOT FOUND!",
// the process ends there at once, before the engine exists); 128 + the
// signal when SIGINT or SIGTERM stops a capture. Codes other than 1 and -1
// travel back to main through SulvantoSession::exitCode.

#include <memory>

#include "demo/ShowCapture.h"
#include "demo/ShowOptions.h"
#include "framework/FrameworkConfig.h"
#include "framework/Vorna3DFramework.h"

// What the entry function decided, shared with the run function and main.
struct SulvantoSession {
    // main saw more arguments than the framework hands on (they would be
    // dropped).
    bool tooManyArguments = false;
    ShowOptions options;
    // Set when capturing: the renderer's frame reader, so it outlives the framework.
    std::unique_ptr<ShowCapture> capture;
    // >= 0: the process's exit code, unless the run or the shut-down failed.
    int exitCode = -1;
    // vorna3DMain returned a framework.
    bool frameworkCreated = false;
};

// Whether a window can be shown: an X11 or Wayland session, or a video
// driver chosen by hand (SDL_VIDEODRIVER); always on Windows.
bool displayServerAvailable();

// Reads the command line (config.args, see ShowOptions). For --help or a bad
// command line prints as ShowOptions::report does, sets session.exitCode
// and returns null before anything starts. Otherwise starts the soundtrack
// paused (prints "MUSIC NOT FOUND!" and ends the process with -1 without
// it) on the default audio device, or silently on the system clock with one
// warning when none opens; applies the demo's configuration (1024 x 768 full
// screen without cursor, "--window" for a window with the cursor, a 1024 x
// 768 picture fitted between black bars into whatever size the window takes,
// 5 ms fixed step and minimum frame time, 40,960,000-byte pool, no console,
// no statistics overlay, lighting on), creates the framework with the OpenGL
// renderer and the demo, which loads its assets.
// With --capture the soundtrack runs on its stepped clock, no audio device
// is opened, and the display is offscreen at the capture size with the 1024
// x 768 picture fitted into it; a capture that cannot write its output says
// so in one line and the result is null (exit code 1) before the music
// starts.
// Returns null (after one line on standard error, like the capture's
// problems, the music released) when the show has no display; the soundtrack is then checked on the stepped clock
// too, so that line is the only one. Throws what the framework's constructor
// or the loading throws, after releasing what it made.
framework::Vorna3DFramework* vorna3DMain(framework::FrameworkConfig& config, SulvantoSession& session);

// Runs the created framework: the frame loop for the show, the frame-exact
// capture (ShowCapture::run, its exit code in session.exitCode) otherwise.
void runSulvanto(framework::Vorna3DFramework& framework, SulvantoSession& session);
