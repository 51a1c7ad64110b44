#include "framework/clipboard.h"

#include <GLFW/glfw3.h>

#include <cstring>

namespace quillomar {

bool set_clipboard_text(GLFWwindow* window, const std::string& text) {
    if (window == nullptr) {
        return false;
    }
    glfwSetClipboardString(window, text.c_str());
    return true;
}

std::string clipboard_text(GLFWwindow* window, std::size_t max_bytes) {
    const char* text = window != nullptr ? glfwGetClipboardString(window) : nullptr;
    if (text == nullptr) {
        return {};
    }
    return std::string(text, strnlen(text, max_bytes));
}

}  // namespace quillomar
