#include "framework/key_map.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace quillomar {
namespace {

// A stick counts as held past a third of its way.
constexpr float dead_zone = 0.33f;

struct binding {
    command action;
    int key;
};

constexpr binding bindings[] = {
    {command::forward, GLFW_KEY_W},
    {command::back, GLFW_KEY_S},
    {command::turn_left, GLFW_KEY_A},
    {command::turn_right, GLFW_KEY_D},
    {command::flip, GLFW_KEY_SPACE},
    {command::restart, GLFW_KEY_R},
    {command::camera, GLFW_KEY_C},
    {command::music, GLFW_KEY_M},
    {command::spiders, GLFW_KEY_P},
    {command::frame_time, GLFW_KEY_F2},
    {command::wireframe, GLFW_KEY_F3},
    {command::sampling, GLFW_KEY_F4},
    {command::mipmap, GLFW_KEY_F5},
    {command::culling, GLFW_KEY_F8},
    {command::transparency, GLFW_KEY_F9},
    {command::free_yaw_left, GLFW_KEY_LEFT},
    {command::free_yaw_right, GLFW_KEY_RIGHT},
    {command::free_pitch_up, GLFW_KEY_Q},
    {command::free_pitch_down, GLFW_KEY_E},
    {command::free_forward, GLFW_KEY_UP},
    {command::free_backward, GLFW_KEY_DOWN},
};
static_assert(sizeof(bindings) / sizeof(bindings[0]) == command_count,
              "every command has exactly one key");

constexpr struct {
    window_action action;
    int key;
} window_bindings[] = {
    {window_action::full_screen, GLFW_KEY_F11}, {window_action::pause, GLFW_KEY_PAUSE},
    {window_action::confirm, GLFW_KEY_ENTER},   {window_action::confirm, GLFW_KEY_KP_ENTER},
    {window_action::level_list, GLFW_KEY_TAB},  {window_action::list_up, GLFW_KEY_UP},
    {window_action::list_down, GLFW_KEY_DOWN},  {window_action::ghost, GLFW_KEY_G},
    {window_action::quit, GLFW_KEY_ESCAPE},
    {window_action::theatre, GLFW_KEY_T},       {window_action::fall_map, GLFW_KEY_H},
    {window_action::practice, GLFW_KEY_P},      {window_action::replay_pause, GLFW_KEY_SPACE},
    {window_action::slower, GLFW_KEY_MINUS},    {window_action::slower, GLFW_KEY_KP_SUBTRACT},
    {window_action::faster, GLFW_KEY_EQUAL},    {window_action::faster, GLFW_KEY_KP_ADD},
    {window_action::left, GLFW_KEY_LEFT},       {window_action::right, GLFW_KEY_RIGHT},
    {window_action::step_forward, GLFW_KEY_PERIOD}, {window_action::step_back, GLFW_KEY_COMMA},
    {window_action::switch_camera, GLFW_KEY_C},
};

// Gamepad buttons that press a command or a window action, counted when they go down.
struct button_binding {
    int button;
    bool is_command;
    command action;
    window_action shell_action;
};
constexpr button_binding button_bindings[] = {
    {GLFW_GAMEPAD_BUTTON_A, true, command::flip, {}},
    {GLFW_GAMEPAD_BUTTON_B, true, command::restart, {}},
    {GLFW_GAMEPAD_BUTTON_START, false, {}, window_action::confirm},
    {GLFW_GAMEPAD_BUTTON_BACK, false, {}, window_action::level_list},
    {GLFW_GAMEPAD_BUTTON_DPAD_UP, false, {}, window_action::list_up},
    {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, false, {}, window_action::list_down},
};

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

void key_input::poll_gamepads() {
    // The d-pad steers as the stick does, all the way. Every
    // gamepad that is plugged in right now drives the ball, so plugging one in or out during
    // play just works.
    gamepad_held_ = frame_input();
    gamepad_held_.push_amount = 0;
    gamepad_held_.turn_amount = 0;
    unsigned buttons_down = 0;
    // Past the dead zone a stick's share grows with its tilt up to the whole. A push starts at
    // 0.6, about where the ball's rolling friction gives way, so a slight tilt creeps; a turn has
    // no such threshold and starts at a quarter.
    const auto amount = [](float tilt, bool pad_down, float least) {
        const float beyond = (std::fabs(tilt) - dead_zone) / (1.0f - dead_zone);
        const float share = pad_down ? 1.0f : least + (1.0f - least) * std::min(1.0f, beyond);
        return static_cast<std::uint8_t>(beyond > 0.0f || pad_down ? std::lround(share * 255.0f)
                                                                   : 0);
    };
    for (int pad = GLFW_JOYSTICK_1; pad <= GLFW_JOYSTICK_LAST; ++pad) {
        GLFWgamepadstate state;
        if (glfwJoystickIsGamepad(pad) == GLFW_FALSE || glfwGetGamepadState(pad, &state) == 0) {
            continue;
        }
        const float x = state.axes[GLFW_GAMEPAD_AXIS_LEFT_X];
        const float y = state.axes[GLFW_GAMEPAD_AXIS_LEFT_Y];
        const auto down = [&state](int button) { return state.buttons[button] == GLFW_PRESS; };
        const auto hold_if = [this](command c, bool held) {
            if (held) {
                gamepad_held_.hold(c);
            }
        };
        hold_if(command::forward, y < -dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_UP));
        hold_if(command::back, y > dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_DOWN));
        hold_if(command::turn_left, x < -dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_LEFT));
        hold_if(command::turn_right, x > dead_zone || down(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT));
        const bool pad_push =
            down(GLFW_GAMEPAD_BUTTON_DPAD_UP) || down(GLFW_GAMEPAD_BUTTON_DPAD_DOWN);
        const bool pad_turn =
            down(GLFW_GAMEPAD_BUTTON_DPAD_LEFT) || down(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT);
        gamepad_held_.push_amount = std::max(gamepad_held_.push_amount, amount(y, pad_push, 0.6f));
        gamepad_held_.turn_amount = std::max(gamepad_held_.turn_amount, amount(x, pad_turn, 0.25f));
        for (std::size_t b = 0; b < std::size(button_bindings); ++b) {
            if (down(button_bindings[b].button)) {
                buttons_down |= 1u << b;
            }
        }
    }
    // Buttons are read once a frame: a press is a button that went down since the last poll.
    for (std::size_t b = 0; b < std::size(button_bindings); ++b) {
        const button_binding& binding = button_bindings[b];
        if ((buttons_down & ~gamepad_buttons_down_ & (1u << b)) == 0) {
            continue;
        }
        if (binding.is_command) {
            pending_.press(binding.action);
        } else {
            ++window_presses_[static_cast<int>(binding.shell_action)];
        }
    }
    gamepad_buttons_down_ = buttons_down;
}

frame_input key_input::sample(double time) {
    frame_input input = pending_;
    pending_ = frame_input();
    input.time = time;
    bool keys_push = false;
    bool keys_turn = false;
    for (const binding& b : bindings) {
        // A tap that began and ended within the frame holds its command for this one frame.
        const bool down = window_ != nullptr && glfwGetKey(window_, b.key) == GLFW_PRESS;
        input.hold(b.action,
                   down || input.pressed(b.action) > 0 || gamepad_held_.is_held(b.action));
        if (down && (b.action == command::forward || b.action == command::back)) {
            keys_push = true;
        } else if (down && (b.action == command::turn_left || b.action == command::turn_right)) {
            keys_turn = true;
        }
    }
    // Keys push and turn all the way; a stick alone as far as it is tilted.
    if (!keys_push && gamepad_held_.push_amount > 0) {
        input.push_amount = gamepad_held_.push_amount;
    }
    if (!keys_turn && gamepad_held_.turn_amount > 0) {
        input.turn_amount = gamepad_held_.turn_amount;
    }
    return input;
}

}  // namespace quillomar
