#pragma once
// Input devices on SDL: keyboard and mouse from the input state the window
// procedure fills in, joysticks through SDL_Joystick (opened on first read),
// cursor moves by warping inside the focused window.

#include "HAL/Input.h"

struct _SDL_Joystick;

namespace HAL {

class SDLInput : public Input {
public:
    // A handle whose device type is still unknown (createInputHandle sets it).
    SDLInput() = default;
    // Requires a known device type ("SDLInput destructor m_inputDeviceType is
    // UNKNOWN_INPUT_DEVICE"); closes the joystick.
    ~SDLInput() noexcept(false) override;

    void writeInput(int32_t axis, float value) override;
    float readInput(int32_t axis) override;

private:
    friend class Input;

    float readJoystick(int32_t axis);
    void openJoystick();
    void closeJoystick();

    _SDL_Joystick* m_joystick = nullptr;
    bool m_joystickStarted = false;
};

} // namespace HAL
