#include "framework/key_map.h"

#include <GLFW/glfw3.h>

namespace quillomar {
namespace {

struct binding {
    command action;
    int key;
};

constexpr binding bindings[] = {
    {command::forward, GLFW_KEY_W},          {command::back, GLFW_KEY_S},
    {command::turn_left, GLFW_KEY_A},        {command::turn_right, GLFW_KEY_D},
    {command::flip, GLFW_KEY_SPACE},         {command::restart, GLFW_KEY_R},
    {command::camera, GLFW_KEY_C},           {command::music, GLFW_KEY_M},
    {command::spiders, GLFW_KEY_P},          {command::frame_time, GLFW_KEY_F2},
    {command::wireframe, GLFW_KEY_F3},       {command::sampling, GLFW_KEY_F4},
    {command::mipmap, GLFW_KEY_F5},          {command::culling, GLFW_KEY_F8},
    {command::transparency, GLFW_KEY_F9},    {command::free_yaw_left, GLFW_KEY_LEFT},
    {command::free_yaw_right, GLFW_KEY_RIGHT}, {command::free_pitch_up, GLFW_KEY_Q},
    {command::free_pitch_down, GLFW_KEY_E},  {command::free_forward, GLFW_KEY_UP},
    {command::free_backward, GLFW_KEY_DOWN},
};
static_assert(sizeof(bindings) / sizeof(bindings[0]) == command_count,
              "every command has exactly one key");

constexpr struct {
    window_action action;
    int key;
} window_bindings[] = {{window_action::full_screen, GLFW_KEY_F11},
                       {window_action::pause, GLFW_KEY_PAUSE}};

void on_key(GLFWwindow* window, int key, int /*scancode*/, int action, int /*mods*/) {
    auto* input = static_cast<key_input*>(glfwGetWindowUserPointer(window));
    if (input != nullptr && action == GLFW_PRESS) {
        input->key_pressed(key);
    }
}

void on_focus(GLFWwindow* window, int focused) {
    auto* input = static_cast<key_input*>(glfwGetWindowUserPointer(window));
    if (input != nullptr) {
        input->set_focused(focused == GLFW_TRUE);
    }
}

}  // namespace

int key_for(command c) {
    for (const binding& b : bindings) {
        if (b.action == c) {
            return b.key;
        }
    }
    return GLFW_KEY_UNKNOWN;
}

key_input::key_input(GLFWwindow* window) : window_(window) {
    if (window_ != nullptr) {
        glfwSetWindowUserPointer(window_, this);
        glfwSetKeyCallback(window_, on_key);
        glfwSetWindowFocusCallback(window_, on_focus);
    }
}

key_input::~key_input() {
    if (window_ != nullptr) {
        glfwSetKeyCallback(window_, nullptr);
        glfwSetWindowFocusCallback(window_, nullptr);
        glfwSetWindowUserPointer(window_, nullptr);
    }
}

void key_input::key_pressed(int key) {
    for (const binding& b : bindings) {
        if (b.key == key) {
            pending_.press(b.action);
        }
    }
    for (const auto& b : window_bindings) {
        if (b.key == key) {
            ++window_presses_[static_cast<int>(b.action)];
        }
    }
}

int key_input::take(window_action action) {
    const int presses = window_presses_[static_cast<int>(action)];
    window_presses_[static_cast<int>(action)] = 0;
    return presses;
}

void key_input::read_gamepads(frame_input& input) {
    // A stick counts as held past a third of its way; the d-pad steers the same way. Every
    // gamepad that is plugged in right now drives the ball, so plugging one in or out during
    // play just works.
    constexpr float dead_zone = 0.33f;
    bool flip_down = false;
    bool restart_down = false;
    for (int pad = GLFW_JOYSTICK_1; pad <= GLFW_JOYSTICK_LAST; ++pad) {
        GLFWgamepadstate state;
        if (glfwJoystickIsGamepad(pad) == GLFW_FALSE || glfwGetGamepadState(pad, &state) == 0) {
            continue;
        }
        const float x = state.axes[GLFW_GAMEPAD_AXIS_LEFT_X];
        const float y = state.axes[GLFW_GAMEPAD_AXIS_LEFT_Y];
        const auto down = [&state](int button) { return state.buttons[button] == GLFW_PRESS; };
        if (y < -dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_UP)) {
            input.hold(command::forward);
        }
        if (y > dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_DOWN)) {
            input.hold(command::back);
        }
        if (x < -dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_LEFT)) {
            input.hold(command::turn_left);
        }
        if (x > dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT)) {
            input.hold(command::turn_right);
        }
        flip_down = flip_down || down(GLFW_GAMEPAD_BUTTON_A);
        restart_down = restart_down || down(GLFW_GAMEPAD_BUTTON_B);
    }
    // Buttons are read once a frame: a press is a button that went down since the last one.
    if (flip_down && !gamepad_flip_down_) {
        input.press(command::flip);
        input.hold(command::flip);
    }
    if (restart_down && !gamepad_restart_down_) {
        input.press(command::restart);
        input.hold(command::restart);
    }
    gamepad_flip_down_ = flip_down;
    gamepad_restart_down_ = restart_down;
}

frame_input key_input::sample(double time) {
    frame_input input = pending_;
    pending_ = frame_input();
    input.time = time;
    for (const binding& b : bindings) {
        // A tap that began and ended within the frame holds its command for this one frame.
        const bool down = window_ != nullptr && glfwGetKey(window_, b.key) == GLFW_PRESS;
        input.hold(b.action, down || input.pressed(b.action) > 0);
    }
    read_gamepads(input);
    return input;
}

}  // namespace quillomar
