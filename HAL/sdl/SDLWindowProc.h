#pragma once
// The program's window procedure: every SDL event the message pump takes goes
// through here and becomes a display event, an input-state change, or
// nothing.

union SDL_Event;

namespace HAL {

class Display;

// Dispatches `event` to the display whose window it names (found through
// the display list by window id) and to the input state.
void sdlWindowProc(const SDL_Event& event);

// Translates `event` for `display` (null: no display owns its window):
//   window moved -> OS event 4; size changed -> 3, unless the size equals the
//   configured one (SDL reports entering full screen and, on X11, late
//   start-up sizes that way) and never SDL's duplicate "resized"; focus
//   gained -> 2; focus lost -> the input state is cleared, then 1; close -> 5;
//   key down (not repeats) and up -> the key's state; mouse motion, buttons
//   and wheel -> the mouse axes, positions relative to the display's size.
// Throws what Display::handleEvent throws.
void dispatchSDLEvent(const SDL_Event& event, Display* display);

} // namespace HAL
