#pragma once
// The demo's entry function.

#include "framework/FrameworkConfig.h"
#include "framework/Vorna3DFramework.h"

// Whether a window can be shown: an X11 or Wayland session, or a video
// driver chosen by hand (SDL_VIDEODRIVER).
bool displayServerAvailable();

// Starts the soundtrack paused (prints "MUSIC NOT FOUND!" and ends the
// process with -1 without it), applies the demo's configuration (1024 x 768
// full screen without cursor, "--window" for a window, 5 ms fixed step and
// minimum frame time, 40,960,000-byte pool, no console, no statistics
// overlay, lighting on), creates the framework with the OpenGL renderer and
// the demo, which loads its assets. Returns null (after one line on the
// console, the music released) when there is no display. Throws what the framework's
// constructor or the loading throws, after releasing what it made.
framework::Vorna3DFramework* vorna3DMain(framework::FrameworkConfig& config);
