// The one place where keys become commands. The shell collects the window's key presses as they
// happen (so a tap shorter than a frame still counts) and reads the held keys once a frame.
#pragma once

#include "game/commands.h"

struct GLFWwindow;

namespace quillomar {

// The GLFW key that drives a command.
int key_for(command c);

// Collects presses from the window's key callback between two frames.
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

private:
    GLFWwindow* window_;
    frame_input pending_;
};

}  // namespace quillomar
