// SDL events as the window procedure sees them, built by hand: keys, focus,
// mouse and window events turned into input state and display events.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "HAL/Display.h"
#include "HAL/Input.h"
#include "HAL/sdl/SDLKeyMap.h"
#include "HAL/sdl/SDLWindowProc.h"
#include "core/Ref.h"
#include "tests/support/EngineTest.h"
#include "tests/support/LogCapture.h"

using HAL::Display;
using HAL::Input;

namespace {

class SDLEventTest : public testing_support::EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        HAL::DisplayConfig config;
        config.width = 200;
        config.height = 100;
        display = hold(Display::createWindowless(config));
        keyboard = hold(Input::createInputHandle(Input::INPUT_DEVICE_KEYBOARD));
        mouse = hold(Input::createInputHandle(Input::INPUT_DEVICE_MOUSE));
        direction = hold(Input::createInputHandle(Input::INPUT_DEVICE_DIRECTION));
    }
    void TearDown() override
    {
        for (core::Object* object : {static_cast<core::Object*>(display), static_cast<core::Object*>(keyboard),
                                     static_cast<core::Object*>(mouse), static_cast<core::Object*>(direction)})
            object->releaseRef();
        EngineTest::TearDown();
    }

    // The fixture holds its objects by hand: a Ref member's destructor may
    // throw, which a test's destructor must not.
    template <class T> static T* hold(T* object)
    {
        object->addRef();
        return object;
    }

    void send(const SDL_Event& event) { HAL::dispatchSDLEvent(event, display); }

    void key(Uint32 type, SDL_Keycode sym, SDL_Scancode scancode, Uint8 repeat = 0)
    {
        SDL_Event event = {};
        event.type = type;
        event.key.type = type;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.sym = sym;
        event.key.keysym.scancode = scancode;
        send(event);
    }

    void window(Uint8 what, int data1 = 0, int data2 = 0)
    {
        SDL_Event event = {};
        event.type = SDL_WINDOWEVENT;
        event.window.event = what;
        event.window.data1 = data1;
        event.window.data2 = data2;
        send(event);
    }

    void motion(int x, int y)
    {
        SDL_Event event = {};
        event.type = SDL_MOUSEMOTION;
        event.motion.x = x;
        event.motion.y = y;
        send(event);
    }

    void wheel(int notches, Uint32 direction_ = SDL_MOUSEWHEEL_NORMAL)
    {
        SDL_Event event = {};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.y = notches;
        event.wheel.direction = direction_;
        send(event);
    }

    Display* display = nullptr;
    Input* keyboard = nullptr;
    Input* mouse = nullptr;
    Input* direction = nullptr;
};

} // namespace

TEST_F(SDLEventTest, KeysAreStatesAndRepeatsChangeNothing)
{
    key(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q);
    // Lower-case q (113) asks for the Q key (81).
    EXPECT_EQ(keyboard->readInput(113), 1.0f);
    EXPECT_EQ(keyboard->readInput(81), 1.0f);
    key(SDL_KEYUP, SDLK_q, SDL_SCANCODE_Q);
    EXPECT_EQ(keyboard->readInput('Q'), 0.0f);

    // The OS repeating a held key is not a new press, even after a release
    // that arrived in between.
    key(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q, 1);
    EXPECT_EQ(keyboard->readInput('Q'), 0.0f);

    // A tap whose press and release both come before the next read is
    // still seen once.
    key(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    key(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_EQ(keyboard->readInput(Input::KEY_ESCAPE), 1.0f);
    EXPECT_EQ(keyboard->readInput(Input::KEY_ESCAPE), 0.0f);
    EXPECT_EQ(keyboard->readInput(0x1B), 0.0f); // Escape has its own code, not VK_ESCAPE
}

TEST_F(SDLEventTest, KeyCodesFollowTheEngineTable)
{
    // Codes from the Windows virtual-key list, arrows and Escape from the
    // engine's own 267..271.
    EXPECT_EQ(HAL::mapSDLKey(SDLK_a, SDL_SCANCODE_A), 0x41);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_z, SDL_SCANCODE_Z), 0x5A);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_0, SDL_SCANCODE_0), 0x30);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_9, SDL_SCANCODE_9), 0x39);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_F1, SDL_SCANCODE_F1), 0x70);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_F12, SDL_SCANCODE_F12), 0x7B);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_SPACE, SDL_SCANCODE_SPACE), 0x20);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_RETURN, SDL_SCANCODE_RETURN), 0x0D);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 0x0D);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_TAB, SDL_SCANCODE_TAB), 0x09);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), 0x08);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), 0x10);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_LCTRL, SDL_SCANCODE_LCTRL), 0x11);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_RALT, SDL_SCANCODE_RALT), 0x12);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_PAGEUP, SDL_SCANCODE_PAGEUP), 0x21);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_HOME, SDL_SCANCODE_HOME), 0x24);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_KP_0, SDL_SCANCODE_KP_0), 0x60);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE), 0x6F);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 271);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_LEFT, SDL_SCANCODE_LEFT), 267);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_RIGHT, SDL_SCANCODE_RIGHT), 268);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_UP, SDL_SCANCODE_UP), 269);
    EXPECT_EQ(HAL::mapSDLKey(SDLK_DOWN, SDL_SCANCODE_DOWN), 270);
    // A Cyrillic layout puts U+0439 on the Q key; an AZERTY one '&' on the 1 key.
    EXPECT_EQ(HAL::mapSDLKey(0x0439, SDL_SCANCODE_Q), 'Q');
    EXPECT_EQ(HAL::mapSDLKey('&', SDL_SCANCODE_1), '1');
    EXPECT_EQ(HAL::mapSDLKey(SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP), -1);

    // Unknown keys change nothing.
    key(SDL_KEYDOWN, SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP);
    for (int code = 0; code < Input::KEY_STATE_TABLE_SIZE; ++code)
        ASSERT_EQ(keyboard->readInput(code), 0.0f) << code;
}

TEST_F(SDLEventTest, FocusLossForgetsHeldKeysAndTheMouse)
{
    key(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
    key(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT);
    motion(100, 50);
    window(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(keyboard->readInput('A'), 0.0f);
    EXPECT_EQ(keyboard->readInput(Input::KEY_LEFT), 0.0f);
    EXPECT_EQ(mouse->readInput(Input::AXIS_X), 0.0f);
    EXPECT_EQ(mouse->readInput(Input::AXIS_MOTION_X), 0.0f);
    EXPECT_EQ(direction->readInput(Input::AXIS_Z), 0.0f);
    EXPECT_EQ(display->getOSEvent().type, HAL::OS_EVENT_FOCUS_LOST);

    window(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(display->getOSEvent().type, HAL::OS_EVENT_FOCUS_GAINED);
}

TEST_F(SDLEventTest, WindowEventsBecomeDisplayEvents)
{
    window(SDL_WINDOWEVENT_MOVED, 30, -20);
    // SDL reports a size twice (resized, then size changed); and the size
    // the display already has (entering full screen, late X11 start-up
    // events) is no change at all.
    window(SDL_WINDOWEVENT_RESIZED, 300, 150);
    window(SDL_WINDOWEVENT_SIZE_CHANGED, 300, 150);
    window(SDL_WINDOWEVENT_SIZE_CHANGED, 300, 150);
    window(SDL_WINDOWEVENT_EXPOSED);
    window(SDL_WINDOWEVENT_CLOSE);

    HAL::OSEvent event = display->getOSEvent();
    EXPECT_EQ(event.type, HAL::OS_EVENT_MOVED);
    EXPECT_EQ(event.value1, 30);
    EXPECT_EQ(event.value2, -20);
    event = display->getOSEvent();
    EXPECT_EQ(event.type, HAL::OS_EVENT_SIZE_CHANGED);
    EXPECT_EQ(event.value1, 300);
    EXPECT_EQ(event.value2, 150);
    EXPECT_EQ(display->getOSEvent().type, HAL::OS_EVENT_CLOSE);
    EXPECT_EQ(display->getOSEvent().type, HAL::OS_EVENT_NONE);
    EXPECT_EQ(display->getConfig().width, 300);

    // Without a display (a window the engine does not own) nothing is queued.
    SDL_Event close = {};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    HAL::dispatchSDLEvent(close, nullptr);
    EXPECT_EQ(display->getPendingEventCount(), 0);
}

TEST_F(SDLEventTest, MousePositionIsRelativeToTheClientAreaAndClamped)
{
    // 200 x 100 client area: (50, 75) is a quarter across, three quarters down.
    motion(50, 75);
    EXPECT_FLOAT_EQ(mouse->readInput(Input::AXIS_X), 0.25f);
    EXPECT_FLOAT_EQ(mouse->readInput(Input::AXIS_Y), 0.75f);
    // Direction (2 (0.25 - 0.5), 2 (0.75 - 0.5), 1) = (-0.5, 0.5, 1), length sqrt(1.5).
    EXPECT_NEAR(direction->readInput(Input::AXIS_X), -0.408248f, 1e-6f);
    EXPECT_NEAR(direction->readInput(Input::AXIS_Y), 0.408248f, 1e-6f);
    EXPECT_NEAR(direction->readInput(Input::AXIS_Z), 0.816497f, 1e-6f);

    // Two moves before a read: the motion is the whole way since the last
    // read, and a read takes it.
    EXPECT_FLOAT_EQ(mouse->readInput(Input::AXIS_MOTION_X), 0.25f);
    motion(100, 75);
    motion(150, 50);
    EXPECT_FLOAT_EQ(mouse->readInput(Input::AXIS_MOTION_X), 0.5f);
    // y was never read: 0 to 0.75 to 0.5.
    EXPECT_FLOAT_EQ(mouse->readInput(Input::AXIS_MOTION_Y), 0.5f);
    EXPECT_EQ(mouse->readInput(Input::AXIS_MOTION_X), 0.0f);

    // Dragged past the edges: the edges.
    motion(400, -30);
    EXPECT_EQ(mouse->readInput(Input::AXIS_X), 1.0f);
    EXPECT_EQ(mouse->readInput(Input::AXIS_Y), 0.0f);

    SDL_Event click = {};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_RIGHT;
    click.button.state = SDL_PRESSED;
    click.button.x = 20;
    click.button.y = 10;
    send(click);
    EXPECT_EQ(mouse->readInput(Input::AXIS_BUTTON_2), 1.0f);
    EXPECT_EQ(mouse->readInput(Input::AXIS_BUTTON_1), 0.0f);
    EXPECT_FLOAT_EQ(mouse->readInput(Input::AXIS_X), 0.1f);
    click.type = SDL_MOUSEBUTTONUP;
    click.button.state = SDL_RELEASED;
    send(click);
    EXPECT_EQ(mouse->readInput(Input::AXIS_BUTTON_2), 0.0f);
}

TEST_F(SDLEventTest, WheelSaturatesAndComesBack)
{
    // 120 units a notch, 32767 units the full range: 273 notches reach 1.
    for (int i = 0; i < 300; ++i)
        wheel(1);
    EXPECT_EQ(mouse->readInput(Input::AXIS_Z), 1.0f);
    wheel(-1);
    EXPECT_FLOAT_EQ(mouse->readInput(Input::AXIS_Z), 1.0f - 120.0f / 32767.0f);
    // A flipped wheel turns the other way.
    wheel(-1, SDL_MOUSEWHEEL_FLIPPED);
    EXPECT_EQ(mouse->readInput(Input::AXIS_Z), 1.0f);
    for (int i = 0; i < 600; ++i)
        wheel(-1);
    EXPECT_EQ(mouse->readInput(Input::AXIS_Z), -1.0f);
}
