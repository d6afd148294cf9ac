#pragma once
// Input devices as axes: every key, the mouse position, motion, wheel and
// buttons, up to four joysticks and a pointing direction derived from the
// mouse read as one float each.
//
// Keyboard axes are key codes 0 to 286: the Windows virtual-key codes,
// except Escape (271) and the arrows (Left 267, Right 268, Up 269, Down
// 270). The other devices use axes 255 to 287:
//   mouse (1):      255 x, 256 y (0..1 across the client area), 257 wheel
//                   (-1..1), 258/259 x/y motion since the last read, 261 left,
//                   262 right, 263 middle button;
//   joysticks (3-6): 255, 256, 257 x, y, z (-1..1), 261-268 buttons 1 to 8;
//   direction (7):  255, 256, 257 the unit vector (2(x - 0.5), 2(y - 0.5), 1).
// Keyboard and mouse read the process's input state (InputState), which the
// window procedure fills in; joysticks are polled when read.

#include <cstdint>

#include "HAL/InputState.h"
#include "core/Object.h"
#include "core/Ref.h"

namespace HAL {

class Input : public core::Object {
public:
    enum : int32_t {
        UNKNOWN_INPUT_DEVICE = -1,
        INPUT_DEVICE_KEYBOARD = 0,
        INPUT_DEVICE_MOUSE = 1,
        INPUT_DEVICE_JOYSTICK_0 = 3,
        INPUT_DEVICE_JOYSTICK_3 = 6,
        INPUT_DEVICE_DIRECTION = 7,
        FIRST_INPUT_DEVICE = 0,
        LAST_INPUT_DEVICE = 7,
    };
    enum : int32_t {
        KEY_STATE_TABLE_SIZE = InputState::KEY_STATE_TABLE_SIZE,
        FIRST_DEVICE_AXIS_ID = InputState::FIRST_DEVICE_AXIS_ID,
        LAST_DEVICE_AXIS_ID = InputState::LAST_DEVICE_AXIS_ID,
    };
    // Keys with codes of their own.
    enum : int32_t {
        KEY_LEFT = 267,
        KEY_RIGHT = 268,
        KEY_UP = 269,
        KEY_DOWN = 270,
        KEY_ESCAPE = 271,
    };
    // Axes of the mouse, the joysticks and the direction.
    enum : int32_t {
        AXIS_X = 255,
        AXIS_Y = 256,
        AXIS_Z = 257, // mouse: wheel
        AXIS_MOTION_X = 258,
        AXIS_MOTION_Y = 259,
        AXIS_BUTTON_1 = 261, // mouse: left
        AXIS_BUTTON_2 = 262, // mouse: right
        AXIS_BUTTON_3 = 263, // mouse: middle
        AXIS_BUTTON_8 = 268,
    };

    // Creates a handle for device `device_type` (0, 1, 3 to 7) in the pool.
    // Joysticks open when first read. Throws MemoryManagerException when
    // the pool is full.
    static Input* createInputHandle(int32_t device_type);

    ~Input() noexcept(false) override;

    // Moves the mouse cursor inside the focused window (255 x, 256 y, value
    // -1..1 across the client area) or presses (value != 0) or releases a
    // button (261 left, 262 right). Requires the mouse device.
    virtual void writeInput(int32_t axis, float value) = 0;

    // The state of `axis`. Keyboard: 1.0 when the key is down (or was
    // tapped since the last read), else 0.0; a-z read as A-Z; an axis
    // outside 0..286 throws HALException "HAL : getAxisState failed because
    // parameter is invalid". Other devices require 255 <= axis <= 287.
    // Joysticks throw HALException "HAL: gamepad reading error" when the
    // joystick is not there.
    virtual float readInput(int32_t axis) = 0;
    float getAxisState(int32_t axis) { return readInput(axis); }

    int32_t getDeviceType() const { return m_inputDeviceType; }

    // The window procedure's entry for a new state; see InputState::update.
    // Does nothing when no display or handle holds the input state.
    static void platformUpdatesInput(int32_t device_type, int32_t axis_id, float value);
    // Clears every key and axis (focus lost).
    static void clearInputState();

protected:
    Input();

    // Keyboard, mouse and direction reads from the input state.
    float readFromState(int32_t axis);

    int32_t m_inputDeviceType = UNKNOWN_INPUT_DEVICE;
    core::Ref<InputState> m_state;
};

} // namespace HAL
