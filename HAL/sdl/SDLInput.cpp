#include "HAL/sdl/SDLInput.h"

#include <SDL.h>

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
    SDLInput* input = VORNA3D_NEW SDLInput();
    input->m_inputDeviceType = device_type;
    return input;
}

SDLInput::~SDLInput() noexcept(false)
{
    closeJoystick();
    if (m_joystickStarted)
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    ASSERT_MSG(m_inputDeviceType != UNKNOWN_INPUT_DEVICE,
               "SDLInput destructor m_inputDeviceType is UNKNOWN_INPUT_DEVICE");
}

float SDLInput::readInput(int32_t axis)
{
    if (m_inputDeviceType >= INPUT_DEVICE_JOYSTICK_0 && m_inputDeviceType <= INPUT_DEVICE_JOYSTICK_3)
        return readJoystick(axis);
    return readFromState(axis);
}

void SDLInput::openJoystick()
{
    if (!m_joystickStarted) {
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
            Debug::printf(core::DEBUG_LEVEL_ERROR, "SDLInput: no joystick support (%s)\n", SDL_GetError());
            throw HALException("HAL: gamepad reading error");
        }
        m_joystickStarted = true;
    }
    closeJoystick();
    m_joystick = SDL_JoystickOpen(m_inputDeviceType - INPUT_DEVICE_JOYSTICK_0);
    if (!m_joystick)
        throw HALException("HAL: gamepad reading error");
}

void SDLInput::closeJoystick()
{
    if (m_joystick) {
        SDL_JoystickClose(m_joystick);
        m_joystick = nullptr;
    }
}

float SDLInput::readJoystick(int32_t axis)
{
    // Opened on first read, and again after it was unplugged and plugged in.
    if (!m_joystick || !SDL_JoystickGetAttached(m_joystick))
        openJoystick();
    SDL_JoystickUpdate();
    if (axis >= AXIS_X && axis <= AXIS_Z) {
        // -32768..32767 is the raw 0..65535 range, mapped to -1..1.
        const int raw = SDL_JoystickGetAxis(m_joystick, axis - AXIS_X) + 32768;
        return static_cast<float>(raw) / 65535.0f * 2.0f - 1.0f;
    }
    if (axis >= AXIS_BUTTON_1 && axis <= AXIS_BUTTON_8)
        return SDL_JoystickGetButton(m_joystick, axis - AXIS_BUTTON_1) ? 1.0f : 0.0f;
    Debug::printf(core::DEBUG_LEVEL_ERROR, "unsupported gamepad ID = %d axis id = %d\n",
                  m_inputDeviceType - INPUT_DEVICE_JOYSTICK_0, axis);
    ASSERT(0);
    return 0.0f;
}

void SDLInput::writeInput(int32_t axis, float value)
{
    ASSERT_MSG(m_inputDeviceType == INPUT_DEVICE_MOUSE, "writeInput : m_inputDeviceType != INPUT_DEVICE_MOUSE");
    const SystemInfo info = System::getSystemInfo();
    int x2 = info.screenWidth;
    int y2 = info.screenHeight;
    ASSERT(x2 > 0 && y2 > 0);

    // With displays open, the cursor moves inside the one that has the
    // keyboard focus, in its client coordinates; when none of them has it,
    // the cursor is not the program's to move. Without displays it moves on
    // the screen.
    SDL_Window* window = nullptr;
    const core::Vector<Display*>* displays = core::Globals::get()->m_displays;
    if (displays && displays->size() > 0) {
        SDL_Window* focus = SDL_GetKeyboardFocus();
        if (!focus || !Display::findDisplayByNativeDisplayHWND(focus))
            return;
        window = focus;
        SDL_GetWindowSize(window, &x2, &y2);
        if (x2 <= 0 || y2 <= 0) {
            Debug::printf(core::DEBUG_LEVEL_ERROR, "SDLInput:writeInput : can not read window size\n");
            throw HALException("HAL: can not read window size");
        }
    }

    // Where the pointer is now, asked of the window system: SDL's own mouse
    // state only follows once the events of an earlier move are pumped.
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    if (window) {
        int left = 0;
        int top = 0;
        SDL_GetWindowPosition(window, &left, &top);
        x -= left;
        y -= top;
    }

    auto place = [value](int extent) {
        const int at = static_cast<int>((value + 1.0f) * static_cast<float>(extent) / 2.0f);
        return at < 0 ? 0 : (at >= extent ? extent - 1 : at);
    };
    switch (axis) {
    case AXIS_X:
    case AXIS_Y:
        if (axis == AXIS_X)
            x = place(x2);
        else
            y = place(y2);
        if (window)
            SDL_WarpMouseInWindow(window, x, y);
        else
            SDL_WarpMouseGlobal(x, y);
        break;
    case AXIS_BUTTON_1:
    case AXIS_BUTTON_2: {
        // The click arrives through the event queue like a real one.
        SDL_Event event = {};
        event.type = value != 0.0f ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = window ? SDL_GetWindowID(window) : 0;
        event.button.button = axis == AXIS_BUTTON_1 ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
        event.button.state = value != 0.0f ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = x;
        event.button.y = y;
        SDL_PushEvent(&event);
        break;
    }
    default:
        ASSERT(0);
    }
}

} // namespace HAL
