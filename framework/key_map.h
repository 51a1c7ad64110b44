// The one place where keys and gamepad buttons become commands. The shell collects the window's
// key presses as they happen (so a tap shorter than a frame still counts) and reads the held keys
// and the gamepads once a frame.
#pragma once

#include "game/commands.h"

struct GLFWwindow;

namespace quillomar {

// The GLFW key that drives a command.
int key_for(command c);

// What keys and buttons ask of the shell rather than of the game's rules: the window, the pause,
// the ghost ball, the level list (Enter takes the end-of-game and list choice), and quitting.
enum class window_action {
    full_screen,
    pause,
    confirm,
    level_list,
    list_up,
    list_down,
    ghost,
    quit,
    // The replay theatre (open and close), the fall map, practice (from a replay's moment, or
    // from the level list at a reached cell), and the theatre's controls; Left and Right also
    // choose the list's practice cell.
    theatre,
    fall_map,
    practice,
    replay_pause,
    slower,
    faster,
    left,
    right,
    step_forward,
    step_back,
    switch_camera,
};
inline constexpr int window_action_count = static_cast<int>(window_action::switch_camera) + 1;

// Collects presses from the window's key callback between two frames, and whether the window
// has the focus.
class key_input {
public:
    // Installs the key callback on the window; the object must outlive the window's use.
    explicit key_input(GLFWwindow* window);
    ~key_input();
    key_input(const key_input&) = delete;
    key_input& operator=(const key_input&) = delete;

    // Reads the gamepads once a frame, before take and sample: their buttons' presses and what
    // their sticks and pads hold. Gamepads plugged in or out since the last frame just count or
    // stop counting.
    void poll_gamepads();

    // The frame record at `time`: the commands held now and the presses since the last call.
    frame_input sample(double time);

    // Counts one press of the key (what the callback does for GLFW_PRESS).
    void key_pressed(int key);

    // The presses of the action since the last call.
    int take(window_action action);

    // False once the window has lost the focus, until it has it again.
    bool focused() const { return focused_; }
    void set_focused(bool focused) { focused_ = focused; }

private:
    GLFWwindow* window_;
    frame_input pending_;
    frame_input gamepad_held_;  // the commands the gamepads hold this frame
    unsigned gamepad_buttons_down_ = 0;  // bit per button, as of the last poll
    int window_presses_[window_action_count] = {};
    bool focused_ = true;
};

}  // namespace quillomar
