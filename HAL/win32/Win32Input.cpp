#include "HAL/win32/Win32Input.h"

#include <windows.h>
#include <mmsystem.h>

#include "HAL/Display.h"
#include "HAL/HALException.h"
#include "HAL/System.h"
#include "core/Debug.h"
#include "core/Globals.h"
#include "core/Vector.h"

namespace HAL {

using core::Debug;

Input* Input::createInputHandle(int32_t device_type)
{
    ASSERT(device_type >= Input::FIRST_INPUT_DEVICE && device_type <= Input::LAST_INPUT_DEVICE);
    ASSERT(device_type != 2);
    Win32Input* input = VORNA3D_NEW Win32Input();
    input->m_inputDeviceType = device_type;
    return input;
}

Win32Input::~Win32Input() noexcept(false)
{
    ASSERT_MSG(m_inputDeviceType != UNKNOWN_INPUT_DEVICE,
               "Win32Input destructor m_inputDeviceType is UNKNOWN_INPUT_DEVICE");
}

float Win32Input::joystickAxis(uint32_t raw)
{
    return static_cast<float>(raw) / 65535.0f * 2.0f - 1.0f;
}

float Win32Input::readInput(int32_t axis)
{
    if (m_inputDeviceType >= INPUT_DEVICE_JOYSTICK_0 && m_inputDeviceType <= INPUT_DEVICE_JOYSTICK_3)
        return readJoystick(axis);
    return readFromState(axis);
}

float Win32Input::readJoystick(int32_t axis)
{
    JOYINFO info = {};
    // No joystick gives JOYERR_UNPLUGGED, or JOYERR_PARMS for an id the
    // system has no driver slot for: both are "not there".
    const MMRESULT result =
        joyGetPos(static_cast<UINT>(JOYSTICKID1 + (m_inputDeviceType - INPUT_DEVICE_JOYSTICK_0)), &info);
    if (result != JOYERR_NOERROR)
        throw HALException("HAL: gamepad reading error");
    switch (axis) {
    case AXIS_X:
        return joystickAxis(info.wXpos);
    case AXIS_Y:
        return joystickAxis(info.wYpos);
    case AXIS_Z:
        return joystickAxis(info.wZpos);
    default:
        break;
    }
    if (axis >= AXIS_BUTTON_1 && axis <= AXIS_BUTTON_8)
        return (info.wButtons & (1u << (axis - AXIS_BUTTON_1))) ? 1.0f : 0.0f;
    Debug::printf(core::DEBUG_LEVEL_ERROR, "unsupported gamepad ID = %d axis id = %d\n",
                  m_inputDeviceType - INPUT_DEVICE_JOYSTICK_0, axis);
    ASSERT(0);
    return 0.0f;
}

void Win32Input::writeInput(int32_t axis, float value)
{
    ASSERT_MSG(m_inputDeviceType == INPUT_DEVICE_MOUSE, "writeInput : m_inputDeviceType != INPUT_DEVICE_MOUSE");
    const SystemInfo info = System::getSystemInfo();
    RECT area = {0, 0, info.screenWidth, info.screenHeight};
    ASSERT(area.right > 0 && area.bottom > 0);

    // With displays open, the cursor moves inside the one that has the
    // keyboard focus, in its client area; when none of them has it, the
    // cursor is not the program's to move. Without displays it moves on
    // the screen.
    const core::Vector<Display*>* displays = core::Globals::get()->m_displays;
    if (displays && displays->size() > 0) {
        HWND focus = GetFocus();
        if (!focus || !Display::findDisplayByNativeDisplayHWND(focus))
            return;
        if (!GetClientRect(focus, &area)) {
            Debug::printf(core::DEBUG_LEVEL_ERROR, "Win32Input:writeInput : can not read window size\n");
            throw HALException("HAL: can not read window size");
        }
        // Client coordinates to the screen's, where the cursor lives.
        MapWindowPoints(focus, nullptr, reinterpret_cast<POINT*>(&area), 2);
    }
    const LONG width = area.right - area.left;
    const LONG height = area.bottom - area.top;
    POINT cursor = {};
    GetCursorPos(&cursor);
    auto place = [value](LONG start, LONG extent) {
        LONG at = static_cast<LONG>((value + 1.0f) * static_cast<float>(extent) / 2.0f);
        at = at < 0 ? 0 : (at >= extent ? extent - 1 : at);
        return start + at;
    };
    switch (axis) {
    case AXIS_X:
        SetCursorPos(place(area.left, width), cursor.y);
        break;
    case AXIS_Y:
        SetCursorPos(cursor.x, place(area.top, height));
        break;
    case AXIS_BUTTON_1:
    case AXIS_BUTTON_2: {
        // The click arrives through the message queue like a real one.
        INPUT click = {};
        click.type = INPUT_MOUSE;
        if (axis == AXIS_BUTTON_1)
            click.mi.dwFlags = value != 0.0f ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
        else
            click.mi.dwFlags = value != 0.0f ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
        SendInput(1, &click, sizeof click);
        break;
    }
    default:
        ASSERT(0);
    }
}

} // namespace HAL
