// The system clipboard through the window: what the shell copies and pastes as text. The shell
// names the window only as the framework hands it out, never through GLFW itself.
#pragma once

#include <cstddef>
#include <string>

struct GLFWwindow;

namespace quillomar {

// Puts `text` on the clipboard; the window keeps serving it to other programs while it lives.
// False without a window.
bool set_clipboard_text(GLFWwindow* window, const std::string& text);

// The clipboard's text, cut at `max_bytes` (a clipboard may hold anything, of any size; the
// rest is not read); empty when it holds no text or there is no window.
std::string clipboard_text(GLFWwindow* window, std::size_t max_bytes);

}  // namespace quillomar
