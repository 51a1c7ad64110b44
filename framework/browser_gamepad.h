// The browser's GLFW has no gamepad mapping (glfwJoystickIsGamepad, glfwGetGamepadState): here
// the same two calls read the browser's Gamepad API, whose "standard" layout has the same
// buttons and sticks in another numbering. Included only where __EMSCRIPTEN__ is defined.
#pragma once

#include <emscripten/html5.h>

#include <GLFW/glfw3.h>

#include <string_view>

#define GLFW_GAMEPAD_BUTTON_A 0
#define GLFW_GAMEPAD_BUTTON_B 1
#define GLFW_GAMEPAD_BUTTON_X 2
#define GLFW_GAMEPAD_BUTTON_Y 3
#define GLFW_GAMEPAD_BUTTON_LEFT_BUMPER 4
#define GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER 5
#define GLFW_GAMEPAD_BUTTON_BACK 6
#define GLFW_GAMEPAD_BUTTON_START 7
#define GLFW_GAMEPAD_BUTTON_GUIDE 8
#define GLFW_GAMEPAD_BUTTON_LEFT_THUMB 9
#define GLFW_GAMEPAD_BUTTON_RIGHT_THUMB 10
#define GLFW_GAMEPAD_BUTTON_DPAD_UP 11
#define GLFW_GAMEPAD_BUTTON_DPAD_RIGHT 12
#define GLFW_GAMEPAD_BUTTON_DPAD_DOWN 13
#define GLFW_GAMEPAD_BUTTON_DPAD_LEFT 14
#define GLFW_GAMEPAD_BUTTON_LAST GLFW_GAMEPAD_BUTTON_DPAD_LEFT
#define GLFW_GAMEPAD_AXIS_LEFT_X 0
#define GLFW_GAMEPAD_AXIS_LEFT_Y 1
#define GLFW_GAMEPAD_AXIS_RIGHT_X 2
#define GLFW_GAMEPAD_AXIS_RIGHT_Y 3
#define GLFW_GAMEPAD_AXIS_LEFT_TRIGGER 4
#define GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER 5
#define GLFW_GAMEPAD_AXIS_LAST GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER

struct GLFWgamepadstate {
    unsigned char buttons[GLFW_GAMEPAD_BUTTON_LAST + 1];
    float axes[GLFW_GAMEPAD_AXIS_LAST + 1];
};

namespace quillomar::browser {

// The standard layout's button for each GLFW gamepad button, in GLFW's order.
inline constexpr int standard_button[GLFW_GAMEPAD_BUTTON_LAST + 1] = {0, 1, 2,  3,  4,  5,  8, 9,
                                                                      16, 10, 11, 12, 15, 13, 14};

inline bool read_pad(int pad, EmscriptenGamepadEvent& event) {
    // The browser's pads are sampled once a frame, at the first pad's read.
    if (pad == GLFW_JOYSTICK_1 && emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) {
        return false;
    }
    return pad < emscripten_get_num_gamepads() &&
           emscripten_get_gamepad_status(pad, &event) == EMSCRIPTEN_RESULT_SUCCESS &&
           event.connected && std::string_view(event.mapping) == "standard";
}

}  // namespace quillomar::browser

inline int glfwJoystickIsGamepad(int pad) {
    EmscriptenGamepadEvent event{};
    return quillomar::browser::read_pad(pad, event) ? GLFW_TRUE : GLFW_FALSE;
}

inline int glfwGetGamepadState(int pad, GLFWgamepadstate* state) {
    EmscriptenGamepadEvent event{};
    if (!quillomar::browser::read_pad(pad, event)) {
        return GLFW_FALSE;
    }
    for (int b = 0; b <= GLFW_GAMEPAD_BUTTON_LAST; ++b) {
        const int from = quillomar::browser::standard_button[b];
        state->buttons[b] = from < event.numButtons && event.digitalButton[from] ? GLFW_PRESS
                                                                                 : GLFW_RELEASE;
    }
    for (int a = 0; a <= GLFW_GAMEPAD_AXIS_RIGHT_Y; ++a) {
        state->axes[a] = a < event.numAxes ? static_cast<float>(event.axis[a]) : 0.0f;
    }
    // The triggers are buttons 6 and 7 there, 0 to 1; GLFW gives them -1 to 1.
    for (int t = 0; t < 2; ++t) {
        const int from = 6 + t;
        const double pressed = from < event.numButtons ? event.analogButton[from] : 0.0;
        state->axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER + t] = static_cast<float>(pressed * 2.0 - 1.0);
    }
    return GLFW_TRUE;
}
