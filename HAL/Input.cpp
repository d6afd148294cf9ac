#include "HAL/Input.h"

#include "HAL/HALException.h"
#include "core/Debug.h"

namespace HAL {

Input::Input() : m_state(InputState::acquire())
{
}

Input::~Input() noexcept(false)
{
}

void Input::platformUpdatesInput(int32_t device_type, int32_t axis_id, float value)
{
    if (InputState* state = InputState::current())
        state->update(device_type, axis_id, value);
}

void Input::clearInputState()
{
    if (InputState* state = InputState::current())
        state->clear();
}

float Input::readFromState(int32_t axis)
{
    switch (m_inputDeviceType) {
    case INPUT_DEVICE_KEYBOARD:
        if (axis >= 'a' && axis <= 'z')
            axis -= 'a' - 'A';
        // Negative codes are as far outside the table as codes past its end.
        if (axis < 0 || axis >= KEY_STATE_TABLE_SIZE)
            throw HALException("HAL : getAxisState failed because parameter is invalid");
        return m_state->readKey(axis) ? 1.0f : 0.0f;
    case INPUT_DEVICE_MOUSE:
        // Motion is consumed by the read.
        if (axis == AXIS_MOTION_X || axis == AXIS_MOTION_Y)
            return m_state->takeAxis(m_inputDeviceType, axis);
        return m_state->getAxis(m_inputDeviceType, axis);
    case INPUT_DEVICE_DIRECTION:
        return m_state->getAxis(m_inputDeviceType, axis);
    case UNKNOWN_INPUT_DEVICE:
        ASSERT_MSG(false, "m_inputDeviceType is UNKNOWN_INPUT_DEVICE");
        return 0.0f;
    default:
        core::Debug::printf(core::DEBUG_LEVEL_ERROR, "HAL:readInput : unknown input_dev_id\n");
        ASSERT(0);
        return 0.0f;
    }
}

} // namespace HAL
