#pragma once
// The program's window procedure: every message of a display's window goes
// through here and becomes a display event, an input-state change, or
// Windows' default handling.

#include <cstdint>

namespace HAL {

// The window class's procedure (a WNDPROC). Messages of windows no display
// owns change nothing but the input state.
//   WM_CLOSE -> OS event 5 (the window stays until the program closes it);
//   WM_MOVE -> 4; WM_SIZE -> 3, unless the size is the configured one;
//   WM_SETFOCUS -> 2 (full screen re-entered); WM_KILLFOCUS -> input state
//   cleared, then 1 (full screen left); keys (auto-repeats ignored), mouse
//   moves, buttons and the wheel -> the input state.
// An exception thrown while handling a message is kept and rethrown by
// rethrowWindowProcException: it must not unwind through Windows' frames.
intptr_t __stdcall platformWindowProc(void* hwnd, unsigned message, uintptr_t wParam, intptr_t lParam);

// Rethrows (once) the exception a message handler kept, if any.
void rethrowWindowProcException();

// The engine's key code for Windows virtual key `vk`: the code itself,
// except Escape (271) and the arrows (267 to 270). -1 for codes the table
// has no room for.
int32_t mapVirtualKey(uint32_t vk);

} // namespace HAL
