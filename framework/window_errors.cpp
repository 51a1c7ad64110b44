#include "framework/window_errors.h"

#include <GLFW/glfw3.h>

#include <iostream>

namespace quillomar {
namespace {

void print_window_system_error(int code, const char* description) {
    // After a failed glfwInit every later call reports only that the library is not initialised;
    // the reason was the line before, and repeating the consequence would bury it.
    if (code == GLFW_NOT_INITIALIZED) {
        return;
    }
    std::cerr << "GLFW: " << (description != nullptr ? description : "unknown error") << std::endl;
}

}  // namespace

void report_window_system_errors() {
    glfwSetErrorCallback(print_window_system_error);
}

}  // namespace quillomar
