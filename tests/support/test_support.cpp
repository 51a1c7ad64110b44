#include "tests/support/test_support.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "framework/game_window.h"
#include "framework/window_errors.h"

namespace quillomar::test {

GLFWwindow* shared_gl_window() {
    static GLFWwindow* window = [] {
        report_window_system_errors();
        return glfwInit() == GLFW_FALSE ? nullptr : open_game_window(1024, 768, nullptr, false);
    }();
    return window;
}

void gl_test::SetUp() {
    window = shared_gl_window();
    ASSERT_NE(window, nullptr) << "an OpenGL 3.3 core context is needed (run under xvfb-run -a)";
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace quillomar::test
