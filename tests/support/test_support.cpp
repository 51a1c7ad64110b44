#include "tests/support/test_support.h"

#include <chrono>
#include <thread>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "framework/game_window.h"
#include "framework/window_errors.h"

namespace quillomar::test {

GLFWwindow* shared_gl_window() {
    static GLFWwindow* window = [] {
        report_window_system_errors();
        // An X server busy with other test processes may refuse a connection for a moment
        // ("Failed to open display"): ask again for a few seconds before giving up.
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (glfwInit() == GLFW_TRUE) {
                return open_game_window(1024, 768, nullptr, false);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return static_cast<GLFWwindow*>(nullptr);
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
