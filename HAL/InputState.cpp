#include "HAL/InputState.h"

#include <cmath>
#include <cstring>

#include "HAL/Input.h"

namespace HAL {

namespace {

// Not an owner: the displays and input handles that hold the state own it,
// and the state clears this when the last of them lets it go.
InputState* processState = nullptr;

float clampUnit(float value)
{
    return value < -1.0f ? -1.0f : (value > 1.0f ? 1.0f : value);
}

float clamp01(float value)
{
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

} // namespace

core::Ref<InputState> InputState::acquire()
{
    if (processState)
        return core::Ref<InputState>(processState);
    return core::Ref<InputState>(VORNA3D_NEW InputState());
}

InputState* InputState::current()
{
    return processState;
}

InputState::InputState()
{
    clear();
    processState = this;
}

InputState::~InputState() noexcept(false)
{
    if (processState == this)
        processState = nullptr;
}

int InputState::axisIndex(int32_t axis_id)
{
    ASSERT(axis_id >= Input::FIRST_DEVICE_AXIS_ID && axis_id <=Input::LAST_DEVICE_AXIS_ID);
    return axis_id - FIRST_DEVICE_AXIS_ID;
}

void InputState::update(int32_t device_type, int32_t axis_id, float value)
{
    ASSERT(device_type >= Input::FIRST_INPUT_DEVICE && device_type <= Input::LAST_INPUT_DEVICE);
    ASSERT(value >= -1.0f && value <= 1.0f);
    if (device_type == Input::INPUT_DEVICE_KEYBOARD) {
        ASSERT(axis_id >= 0);
        ASSERT(axis_id < KEY_STATE_TABLE_SIZE);
        if (value > 0.0f)
            m_keys[axis_id] = 3; // down, and a press nobody has read yet
        else
            m_keys[axis_id] &= static_cast<uint8_t>(~1u);
        return;
    }
    m_axes[device_type][axisIndex(axis_id)] = value;
}

bool InputState::readKey(int32_t code)
{
    ASSERT(code >= 0 && code < KEY_STATE_TABLE_SIZE);
    const bool pressed = m_keys[code] != 0;
    m_keys[code] &= 1;
    return pressed;
}

float InputState::getAxis(int32_t device_type, int32_t axis_id) const
{
    ASSERT(device_type > Input::FIRST_INPUT_DEVICE && device_type <= Input::LAST_INPUT_DEVICE);
    return m_axes[device_type][axisIndex(axis_id)];
}

float InputState::takeAxis(int32_t device_type, int32_t axis_id)
{
    const float value = getAxis(device_type, axis_id);
    m_axes[device_type][axisIndex(axis_id)] = 0.0f;
    return value;
}

void InputState::mouseMoved(int32_t x, int32_t y, int32_t width, int32_t height)
{
    ASSERT(width > 0 && height > 0);
    // Positions outside the client area (a drag past its edge) count as its edge.
    const float nx = clamp01(static_cast<float>(x) / static_cast<float>(width));
    const float ny = clamp01(static_cast<float>(y) / static_cast<float>(height));
    float* mouse = m_axes[Input::INPUT_DEVICE_MOUSE];
    const int ix = Input::AXIS_X - FIRST_DEVICE_AXIS_ID;
    const int iy = Input::AXIS_Y - FIRST_DEVICE_AXIS_ID;
    // Motion adds up until it is read: the sum of the steps is the distance
    // from the position at the last read, so it stays within -1..1.
    mouse[Input::AXIS_MOTION_X - FIRST_DEVICE_AXIS_ID] =
        clampUnit(mouse[Input::AXIS_MOTION_X - FIRST_DEVICE_AXIS_ID] + nx - mouse[ix]);
    mouse[Input::AXIS_MOTION_Y - FIRST_DEVICE_AXIS_ID] =
        clampUnit(mouse[Input::AXIS_MOTION_Y - FIRST_DEVICE_AXIS_ID] + ny - mouse[iy]);
    mouse[ix] = nx;
    mouse[iy] = ny;

    const float dx = 2.0f * (nx - 0.5f);
    const float dy = 2.0f * (ny - 0.5f);
    const float length = std::sqrt(dx * dx + dy * dy + 1.0f);
    float* direction = m_axes[Input::INPUT_DEVICE_DIRECTION];
    direction[ix] = dx / length;
    direction[iy] = dy / length;
    direction[Input::AXIS_Z - FIRST_DEVICE_AXIS_ID] = 1.0f / length;
}

void InputState::mouseWheel(int32_t delta)
{
    float& wheel = m_axes[Input::INPUT_DEVICE_MOUSE][Input::AXIS_Z - FIRST_DEVICE_AXIS_ID];
    wheel = clampUnit(wheel + static_cast<float>(delta) / 32767.0f);
}

void InputState::clear()
{
    std::memset(m_keys, 0, sizeof(m_keys));
    std::memset(m_axes, 0, sizeof(m_axes));
}

} // namespace HAL
