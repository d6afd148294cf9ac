// Input handles: axis ranges and their failures, the shared input state, and
// joysticks on SDL's virtual joystick.

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "HAL/HALException.h"
#include "HAL/Input.h"
#include "HAL/InputState.h"
#include "core/Ref.h"
#include "tests/support/AssertionText.h"
#include "tests/support/EngineTest.h"

using HAL::Input;

namespace {

class InputTest : public testing_support::EngineTest { };

using testing_support::assertionText;

template <class F> std::string halErrorOf(F action)
{
    try {
        action();
    } catch (const HAL::HALException& e) {
        return e.getMessage();
    }
    return "";
}

} // namespace

TEST_F(InputTest, AxisRangesOfEachDevice)
{
    core::Ref<Input> keyboard = Input::createInputHandle(Input::INPUT_DEVICE_KEYBOARD);
    core::Ref<Input> mouse = Input::createInputHandle(Input::INPUT_DEVICE_MOUSE);
    core::Ref<Input> direction = Input::createInputHandle(Input::INPUT_DEVICE_DIRECTION);

    // Keyboard: 0..286. Below the table is as invalid as past its end.
    const std::string invalid = "HAL : getAxisState failed because parameter is invalid";
    EXPECT_EQ(keyboard->readInput(0), 0.0f);
    EXPECT_EQ(keyboard->readInput(286), 0.0f);
    EXPECT_EQ(halErrorOf([&] { keyboard->readInput(287); }), invalid);
    EXPECT_EQ(halErrorOf([&] { keyboard->readInput(-1); }), invalid);
    EXPECT_EQ(halErrorOf([&] { keyboard->getAxisState(-100000); }), invalid);

    // Devices: 255..287.
    const std::string range = " axis_id >= Input::FIRST_DEVICE_AXIS_ID && axis_id <=Input::LAST_DEVICE_AXIS_ID ";
    EXPECT_EQ(mouse->readInput(287), 0.0f);
    EXPECT_EQ(direction->readInput(255), 0.0f);
    EXPECT_EQ(assertionText([&] { mouse->readInput(288); }), range);
    EXPECT_EQ(assertionText([&] { mouse->readInput(254); }), range);
    EXPECT_EQ(assertionText([&] { direction->readInput(288); }), range);

    // Stored states go through the same checks.
    Input::platformUpdatesInput(Input::INPUT_DEVICE_MOUSE, 287, -1.0f);
    EXPECT_EQ(mouse->readInput(287), -1.0f);
    Input::platformUpdatesInput(Input::INPUT_DEVICE_KEYBOARD, 286, 1.0f);
    EXPECT_EQ(keyboard->readInput(286), 1.0f);
    EXPECT_EQ(assertionText([] { Input::platformUpdatesInput(Input::INPUT_DEVICE_KEYBOARD, 287, 1.0f); }),
              " axis_id < KEY_STATE_TABLE_SIZE ");
    EXPECT_EQ(assertionText([] { Input::platformUpdatesInput(Input::INPUT_DEVICE_MOUSE, 288, 0.0f); }), range);
    EXPECT_EQ(assertionText([] { Input::platformUpdatesInput(8, 255, 0.0f); }),
              " device_type >= Input::FIRST_INPUT_DEVICE && device_type <= Input::LAST_INPUT_DEVICE ");

    // Writing is for the mouse only.
    EXPECT_EQ(assertionText([&] { keyboard->writeInput(Input::AXIS_X, 0.0f); }),
              "writeInput : m_inputDeviceType != INPUT_DEVICE_MOUSE");
    // 2 is not a device.
    EXPECT_EQ(assertionText([] { core::Ref<Input> none = Input::createInputHandle(2); }), " device_type != 2 ");
}

TEST_F(InputTest, OneStatePerProcessWhileSomebodyHoldsIt)
{
    EXPECT_EQ(HAL::InputState::current(), nullptr);
    core::Ref<Input> first = Input::createInputHandle(Input::INPUT_DEVICE_KEYBOARD);
    Input::platformUpdatesInput(Input::INPUT_DEVICE_KEYBOARD, 'Q', 1.0f);
    core::Ref<Input> second = Input::createInputHandle(Input::INPUT_DEVICE_KEYBOARD);
    EXPECT_EQ(second->readInput('Q'), 1.0f); // the same table
    first = nullptr;
    second = nullptr;
    EXPECT_EQ(HAL::InputState::current(), nullptr);
    // Nobody listening: updates go nowhere, and a new state starts cleared.
    Input::platformUpdatesInput(Input::INPUT_DEVICE_KEYBOARD, 'Q', 1.0f);
    core::Ref<Input> third = Input::createInputHandle(Input::INPUT_DEVICE_KEYBOARD);
    EXPECT_EQ(third->readInput('Q'), 0.0f);
}

TEST_F(InputTest, JoystickAxesAndButtonsFromAVirtualJoystick)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 3, 8, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    if (index > 3) {
        SDL_JoystickDetachVirtual(index);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        GTEST_SKIP() << "four real joysticks come first";
    }
    SDL_Joystick* stick = SDL_JoystickOpen(index);
    ASSERT_NE(stick, nullptr) << SDL_GetError();
    SDL_JoystickSetVirtualAxis(stick, 0, 32767);
    SDL_JoystickSetVirtualAxis(stick, 1, -32768);
    SDL_JoystickSetVirtualAxis(stick, 2, 0);
    SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(stick, 7, SDL_PRESSED);

    {
        core::Ref<Input> pad = Input::createInputHandle(Input::INPUT_DEVICE_JOYSTICK_0 + index);
        // Raw 0..65535 (SDL's value + 32768) onto -1..1.
        EXPECT_EQ(pad->readInput(Input::AXIS_X), 1.0f);
        EXPECT_EQ(pad->readInput(Input::AXIS_Y), -1.0f);
        EXPECT_FLOAT_EQ(pad->readInput(Input::AXIS_Z), 32768.0f / 65535.0f * 2.0f - 1.0f);
        EXPECT_EQ(pad->readInput(Input::AXIS_BUTTON_1), 1.0f);
        EXPECT_EQ(pad->readInput(Input::AXIS_BUTTON_2), 0.0f);
        EXPECT_EQ(pad->readInput(Input::AXIS_BUTTON_8), 1.0f);
        SDL_JoystickSetVirtualButton(stick, 0, SDL_RELEASED);
        SDL_JoystickSetVirtualAxis(stick, 0, -32768);
        EXPECT_EQ(pad->readInput(Input::AXIS_BUTTON_1), 0.0f); // polled on every read
        EXPECT_EQ(pad->readInput(Input::AXIS_X), -1.0f);
        EXPECT_EQ(assertionText([&] { pad->readInput(Input::AXIS_MOTION_X); }), " 0 ");

        // A joystick that is not there fails when read, not when its handle is made.
        core::Ref<Input> absent = Input::createInputHandle(Input::INPUT_DEVICE_JOYSTICK_0 + SDL_NumJoysticks());
        if (SDL_NumJoysticks() <= 3) {
            EXPECT_EQ(halErrorOf([&] { absent->readInput(Input::AXIS_X); }), "HAL: gamepad reading error");
        }
    }
    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}
