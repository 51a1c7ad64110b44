#pragma once

struct GLFWwindow;
struct GLFWmonitor;

namespace quillomar {

// Sets the game's six window hints: `samples`x MSAA (4 unless the settings say otherwise),
// OpenGL 3.3 core forward-compatible, 60 Hz.
void set_game_window_hints(int samples = 4);

// Creates a window with the game's hints, makes its context current and loads the OpenGL entry
// points. Returns null (after printing the game's message on standard error) when either fails.
// `visible` false gives a hidden window for tests and benchmarks.
GLFWwindow* open_game_window(int width, int height, GLFWmonitor* monitor, bool visible = true,
                             int samples = 4);

// Switches the window between full screen on its monitor at the monitor's mode and the window
// it was before.
void toggle_full_screen(GLFWwindow* window);

// Full screen on or off, whichever it is now; and whether it is.
void set_full_screen(GLFWwindow* window, bool on);
bool is_full_screen(GLFWwindow* window);

// Whether the page holding the game, not the player, gives the window its size and its swap
// rate (the browser build: the canvas fills the page, frames come at the browser's pace).
bool window_sized_by_page();

// Waits for the display's refresh at each swap, or not; the window's context must be current.
void set_vsync(bool on);

}  // namespace quillomar
