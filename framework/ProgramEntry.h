#pragma once
// The program entry's steps, shared by every program built on the framework:
// configuration defaults, the command line, the application's entry
// function, the loop and the shut-down, with the process exit code.

#include <functional>

#include "framework/FrameworkConfig.h"

namespace framework {

class Vorna3DFramework;

// The application's entry function: fills in `config`, creates the framework
// from it (plain new) with its renderer and application, and returns it.
using CreateFramework = std::function<Vorna3DFramework*(FrameworkConfig& config)>;

// What runs a created framework that has an application; empty: its frame
// loop (gameLoop). A program that drives the frames itself (a frame-exact
// capture) passes its own. Exceptions are handled as the loop's are.
using RunFramework = std::function<void(Vorna3DFramework& framework)>;

// Builds the default configuration, hands it the command line (argv[1..]
// joined with blanks; on Windows, for main's own argv, the process's
// command line after the program name, as UTF-8), split into at most ten arguments, calls
// `createFramework`, runs the loop and destroys the framework.
// Returns 0 after a normal stop. Returns 1 when creating the framework threw
// (a MemoryManagerException logs "createFramework failed : Memory manager
// error (...)") or returned null, and when the loop or the shut-down threw
// (printed as "RUN ERROR : ..." on standard output; the engine is still
// stopped). A framework without an application has nothing to run: it is
// destroyed at once and the result is 0. `run` replaces the frame loop.
int runProgram(int argc, const char* const* argv, const CreateFramework& createFramework, const RunFramework& run = {});

} // namespace framework
