#include "framework/seams.h"

#include <GLFW/glfw3.h>

#include <utility>

namespace quillomar {
namespace {

// The installed clock. Empty means the window library's own clock.
clock_function& installed_clock() {
    static clock_function clock;
    return clock;
}

}  // namespace

double now() {
    const clock_function& clock = installed_clock();
    return clock ? clock() : glfwGetTime();
}

void set_clock(clock_function clock) {
    installed_clock() = std::move(clock);
}

}  // namespace quillomar
