#include "HAL/win32/Win32WindowProc.h"

#include <windows.h>
#include <windowsx.h>

#include <exception>

#include "HAL/Display.h"
#include "HAL/Input.h"
#include "HAL/InputState.h"

namespace HAL {

namespace {

std::exception_ptr s_pending;

void mouseMoved(HWND window, LPARAM lParam)
{
    InputState* state = InputState::current();
    if (!state)
        return;
    RECT client = {};
    GetClientRect(window, &client);
    const int32_t width = client.right - client.left;
    const int32_t height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return; // minimised: nowhere to be
    state->mouseMoved(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), width, height);
}

// Handles `message`; true when it is done (no default processing).
bool handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        // The frame loop ends the program and closes the window itself.
        Display::handleEvent(window, OS_EVENT_CLOSE, 0, 0);
        return true;
    case WM_MOVE:
        Display::handleEvent(window, OS_EVENT_MOVED, static_cast<int16_t>(LOWORD(lParam)),
                             static_cast<int16_t>(HIWORD(lParam)));
        return false;
    case WM_SIZE: {
        const int32_t width = static_cast<int16_t>(LOWORD(lParam));
        const int32_t height = static_cast<int16_t>(HIWORD(lParam));
        Display* display = Display::findDisplayByNativeDisplayHWND(window);
        // The configured size needs no device reset.
        if (display && (width != display->getConfig().width || height != display->getConfig().height))
            display->handleEvent(OS_EVENT_SIZE_CHANGED, width, height);
        return false;
    }
    case WM_SETFOCUS:
        Display::handleEvent(window, OS_EVENT_FOCUS_GAINED, 0, 0);
        return false;
    case WM_KILLFOCUS:
        // Keys released while another window has the focus never come back
        // up here: forget them all.
        Input::clearInputState();
        Display::handleEvent(window, OS_EVENT_FOCUS_LOST, 0, 0);
        return false;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        if (lParam & (1 << 30))
            return true; // an auto-repeat: a held key is one press
        const int32_t code = mapVirtualKey(static_cast<uint32_t>(wParam));
        if (code >= 0)
            Input::platformUpdatesInput(Input::INPUT_DEVICE_KEYBOARD, code, 1.0f);
        return false;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const int32_t code = mapVirtualKey(static_cast<uint32_t>(wParam));
        if (code >= 0)
            Input::platformUpdatesInput(Input::INPUT_DEVICE_KEYBOARD, code, 0.0f);
        return false;
    }
    case WM_MOUSEMOVE:
        mouseMoved(window, lParam);
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
        const int32_t axis = (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) ? Input::AXIS_BUTTON_1
            : (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP)                ? Input::AXIS_BUTTON_2
                                                                                    : Input::AXIS_BUTTON_3;
        const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
        Input::platformUpdatesInput(Input::INPUT_DEVICE_MOUSE, axis, down ? 1.0f : 0.0f);
        // The position of a click counts as a move there.
        mouseMoved(window, lParam);
        return false;
    }
    case WM_MOUSEWHEEL:
        if (InputState* state = InputState::current())
            state->mouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        return false;
    default:
        return false;
    }
}

} // namespace

int32_t mapVirtualKey(uint32_t vk)
{
    switch (vk) {
    case VK_ESCAPE:
        return Input::KEY_ESCAPE;
    case VK_LEFT:
        return Input::KEY_LEFT;
    case VK_RIGHT:
        return Input::KEY_RIGHT;
    case VK_UP:
        return Input::KEY_UP;
    case VK_DOWN:
        return Input::KEY_DOWN;
    default:
        return vk < static_cast<uint32_t>(Input::KEY_STATE_TABLE_SIZE) ? static_cast<int32_t>(vk) : -1;
    }
}

intptr_t __stdcall platformWindowProc(void* hwnd, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    HWND window = static_cast<HWND>(hwnd);
    try {
        if (handle(window, message, wParam, lParam))
            return 0;
    } catch (...) {
        // Kept for the message pump: unwinding through Windows' own frames
        // is not something to rely on.
        if (!s_pending)
            s_pending = std::current_exception();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void rethrowWindowProcException()
{
    if (!s_pending)
        return;
    std::exception_ptr pending = s_pending;
    s_pending = nullptr;
    std::rethrow_exception(pending);
}

} // namespace HAL
