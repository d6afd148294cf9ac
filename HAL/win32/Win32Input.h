#pragma once
// Input devices on Windows: keyboard and mouse from the input state the
// window procedure fills in, joysticks through the multimedia joystick
// query (joyGetPos) at every read, cursor moves and clicks inside the
// focused display's window.

#include "HAL/Input.h"

namespace HAL {

class Win32Input : public Input {
public:
    // A handle whose device type is still unknown (createInputHandle sets it).
    Win32Input() = default;
    // Requires a known device type ("Win32Input destructor m_inputDeviceType
    // is UNKNOWN_INPUT_DEVICE").
    ~Win32Input() noexcept(false) override;

    void writeInput(int32_t axis, float value) override;
    float readInput(int32_t axis) override;

    // A joystick axis value of a raw position (0..65535): -1..1.
    static float joystickAxis(uint32_t raw);

private:
    friend class Input;
    float readJoystick(int32_t axis);
};

} // namespace HAL
