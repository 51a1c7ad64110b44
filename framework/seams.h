// The two seams between the game and the outside world: the clock and the keyboard. Game code reads
// time and keys only through these, so a test can install a manual clock and scripted keys and
// replay a game frame by frame.
#pragma once

#include <functional>

struct GLFWwindow;

namespace quillomar {

using clock_function = std::function<double()>;
using key_reader = std::function<int(GLFWwindow*, int)>;

// Seconds as double; glfwGetTime unless a clock has been installed.
double now();

// True when the key reads as pressed (GLFW_PRESS); glfwGetKey unless a reader has been installed.
bool key_down(GLFWwindow* window, int key);

// An empty function restores the default.
void set_clock(clock_function clock);
void set_key_reader(key_reader reader);

}  // namespace quillomar
