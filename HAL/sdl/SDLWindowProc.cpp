#include "HAL/sdl/SDLWindowProc.h"

#include <SDL.h>

#include "HAL/Display.h"
#include "HAL/Input.h"
#include "HAL/InputState.h"
#include "HAL/sdl/SDLKeyMap.h"

namespace HAL {

namespace {

// Windows reports wheel turns in units of 120 per notch.
constexpr int32_t WHEEL_DELTA = 120;

uint32_t windowIdOf(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        return event.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return event.key.windowID;
    case SDL_MOUSEMOTION:
        return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return event.button.windowID;
    case SDL_MOUSEWHEEL:
        return event.wheel.windowID;
    default:
        return 0;
    }
}

void windowEvent(const SDL_WindowEvent& window, Display* display)
{
    if (window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        // Keys released while another window has the focus never come back
        // up here: forget them all.
        Input::clearInputState();
    }
    if (!display)
        return;
    switch (window.event) {
    case SDL_WINDOWEVENT_MOVED:
        display->handleEvent(OS_EVENT_MOVED, window.data1, window.data2);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (window.data1 == display->getConfig().width && window.data2 == display->getConfig().height)
            break; // nothing the device has to adapt to
        display->handleEvent(OS_EVENT_SIZE_CHANGED, window.data1, window.data2);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        display->handleEvent(OS_EVENT_FOCUS_GAINED, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        display->handleEvent(OS_EVENT_FOCUS_LOST, 0, 0);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        display->handleEvent(OS_EVENT_CLOSE, 0, 0);
        break;
    default: // SDL_WINDOWEVENT_RESIZED repeats SIZE_CHANGED; the rest means nothing here
        break;
    }
}

void keyEvent(const SDL_KeyboardEvent& key)
{
    if (key.repeat)
        return; // a held key is one press
    const int32_t code = mapSDLKey(key.keysym.sym, key.keysym.scancode);
    if (code < 0)
        return;
    Input::platformUpdatesInput(Input::INPUT_DEVICE_KEYBOARD, code, key.type == SDL_KEYDOWN ? 1.0f : 0.0f);
}

void mouseMoved(int32_t x, int32_t y, const Display* display)
{
    InputState* state = InputState::current();
    if (!state || !display)
        return;
    state->mouseMoved(x, y, display->getConfig().width, display->getConfig().height);
}

void mouseButton(const SDL_MouseButtonEvent& button, const Display* display)
{
    int32_t axis;
    switch (button.button) {
    case SDL_BUTTON_LEFT:
        axis = Input::AXIS_BUTTON_1;
        break;
    case SDL_BUTTON_RIGHT:
        axis = Input::AXIS_BUTTON_2;
        break;
    case SDL_BUTTON_MIDDLE:
        axis = Input::AXIS_BUTTON_3;
        break;
    default:
        return;
    }
    Input::platformUpdatesInput(Input::INPUT_DEVICE_MOUSE, axis, button.state == SDL_PRESSED ? 1.0f : 0.0f);
    // The position of a click counts as a move there.
    mouseMoved(button.x, button.y, display);
}

void mouseWheel(const SDL_MouseWheelEvent& wheel)
{
    InputState* state = InputState::current();
    if (!state)
        return;
    const int32_t notches = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -wheel.y : wheel.y;
    state->mouseWheel(notches * WHEEL_DELTA);
}

} // namespace

void sdlWindowProc(const SDL_Event& event)
{
    Display* display = nullptr;
    if (const uint32_t id = windowIdOf(event)) {
        if (SDL_Window* window = SDL_GetWindowFromID(id))
            display = Display::findDisplayByNativeDisplayHWND(window);
    }
    dispatchSDLEvent(event, display);
}

void dispatchSDLEvent(const SDL_Event& event, Display* display)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        windowEvent(event.window, display);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        keyEvent(event.key);
        break;
    case SDL_MOUSEMOTION:
        mouseMoved(event.motion.x, event.motion.y, display);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        mouseButton(event.button, display);
        break;
    case SDL_MOUSEWHEEL:
        mouseWheel(event.wheel);
        break;
    default:
        break;
    }
}

} // namespace HAL
