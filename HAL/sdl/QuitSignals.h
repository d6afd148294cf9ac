#pragma once
// SIGINT, SIGTERM and SIGHUP as a request to quit. Their handler only
// records the signal; the message pump (SDLSystem::pumpMessages) takes it
// and latches the quit, so the frame loop ends as for a closed window and
// the display puts the desktop's mode back on its way out. A signal that
// arrives again while the program is shutting down is recorded again and
// does nothing else.

namespace HAL {

// Handles the three signals wherever they still have their default action
// (an ignored signal stays ignored, as under nohup; a handler someone else
// installed, such as SDL's own for SIGINT and SIGTERM, stays). Counted:
// every call needs one uninstallQuitSignals.
void installQuitSignals();

// Undoes one installQuitSignals; the last one puts the previous handlers
// back where ours are still in place (one installed over ours since is left
// to its owner). A signal recorded and not yet taken stays recorded.
void uninstallQuitSignals();

// True once for every signal recorded since the last call: the caller owns
// the quit from then on. Safe to call at any time.
bool takeQuitSignal();

} // namespace HAL
