// The game clock: the shell reads it once a frame. Tools and tests install a manual clock to
// replay a game frame by frame.
#pragma once

#include <functional>

namespace quillomar {

using clock_function = std::function<double()>;

// Seconds as double; glfwGetTime unless a clock has been installed.
double now();

// An empty function restores the default.
void set_clock(clock_function clock);

}  // namespace quillomar
