#pragma once

namespace quillomar {

// Installs the window library's error callback: from then on every error it reports is printed on
// standard error as one line with the window system's own reason ("GLFW: X11: Failed to open
// display"). May be called before glfwInit, whose failures are reported this way too.
void report_window_system_errors();

}  // namespace quillomar
