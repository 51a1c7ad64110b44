#pragma once

struct GLFWwindow;
struct GLFWmonitor;

namespace quillomar {

// Sets the game's six window hints: 4x MSAA, OpenGL 3.3 core forward-compatible, 60 Hz.
void set_game_window_hints();

// Creates a window with the game's hints, makes its context current and loads the OpenGL entry
// points. Returns null (after printing the game's message on standard error) when either fails.
// `visible` false gives a hidden window for tests and benchmarks.
GLFWwindow* open_game_window(int width, int height, GLFWmonitor* monitor, bool visible = true);

// Switches the window between full screen on its monitor at the monitor's mode and the window
// it was before.
void toggle_full_screen(GLFWwindow* window);

}  // namespace quillomar
