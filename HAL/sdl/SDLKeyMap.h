#pragma once
// SDL keys to the engine's key codes (the keyboard axes of HAL::Input).

#include <cstdint>

namespace HAL {

// The key code for an SDL key: `keycode` is the key's SDL_Keycode (what the
// layout puts on it), `scancode` its SDL_Scancode (where it sits). Letters
// are 0x41 to 0x5A and digits 0x30 to 0x39 (the key's position decides for
// layouts whose letters are not Latin), Escape 271, the arrows 267 to 270,
// the rest the Windows virtual-key codes. -1 for keys the engine does not
// know.
int32_t mapSDLKey(int32_t keycode, int32_t scancode);

} // namespace HAL
