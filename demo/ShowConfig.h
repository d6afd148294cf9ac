#pragma once
// The show's framework configuration, one place for the program, the
// capture, the benchmarks and the frame tests.

#include "framework/FrameworkConfig.h"

// Where the frames go.
enum class ShowScreen {
    FULL_SCREEN, // the desktop's screen, no cursor
    WINDOW, // a window of the show's size with the cursor
    OFFSCREEN, // no screen at all (SDL's offscreen driver): capture, headless runs
};

// How much the engine logs while the show runs.
enum class ShowLog {
    FULL, // the configured debug level and "FPS : n" once a second (the live show)
    NO_FPS, // the configured debug level without the frame rate (frame tests)
    QUIET, // errors, warnings and engine lines, no frame rate (capture, benchmark)
    SILENT, // nothing (a benchmark that prints only its figures)
};

// Fills `config` with the show's settings: a 1024 x 768 display holding a
// 1024 x 768 picture (fitted between black bars into whatever size the
// window takes), 5 ms fixed step and minimum frame time, a 40,960,000-byte
// pool, no console, no statistics overlay, lighting on, the show's title;
// then the screen and the log as asked. Everything else is left as it is.
void applyShowConfig(framework::FrameworkConfig& config, ShowScreen screen, ShowLog log);
