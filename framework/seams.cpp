#include "framework/seams.h"

#include <GLFW/glfw3.h>

#include <utility>

namespace quillomar {
namespace {

// The installed seams. Empty means the window library's own clock and keyboard.
clock_function& installed_clock() {
    static clock_function clock;
    return clock;
}

key_reader& installed_key_reader() {
    static key_reader reader;
    return reader;
}

}  // namespace

double now() {
    const clock_function& clock = installed_clock();
    return clock ? clock() : glfwGetTime();
}

bool key_down(GLFWwindow* window, int key) {
    const key_reader& reader = installed_key_reader();
    if (reader) {
        return reader(window, key) == GLFW_PRESS;
    }
    return window != nullptr && glfwGetKey(window, key) == GLFW_PRESS;
}

void set_clock(clock_function clock) {
    installed_clock() = std::move(clock);
}

void set_key_reader(key_reader reader) {
    installed_key_reader() = std::move(reader);
}

}  // namespace quillomar
