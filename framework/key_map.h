// The one place where keys and gamepad buttons become commands. The shell collects the window's
// key presses as they happen (so a tap shorter than a frame still counts) and reads the held keys
// and the gamepads once a frame.
#pragma once

#include "game/commands.h"

struct GLFWwindow;

namespace quillomar {

// The GLFW key that drives a command.
int key_for(command c);

// What keys ask of the window rather than of the game.
enum class window_action { full_screen, pause };

// Collects presses from the window's key callback between two frames, and whether the window
// has the focus.
class key_input {
public:
    // Installs the key callback on the window; the object must outlive the window's use.
    explicit key_input(GLFWwindow* window);
    ~key_input();
    key_input(const key_input&) = delete;
    key_input& operator=(const key_input&) = delete;

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
    void read_gamepads(frame_input& input);

    GLFWwindow* window_;
    frame_input pending_;
    bool gamepad_flip_down_ = false;
    bool gamepad_restart_down_ = false;
    int window_presses_[2] = {0, 0};
    bool focused_ = true;
};

}  // namespace quillomar
