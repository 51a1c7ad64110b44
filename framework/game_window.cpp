#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "framework/game_window.h"

#include <iostream>

#include "framework/console.h"
#include "framework/qlmFramework.h"

namespace quillomar {

void set_game_window_hints() {
    glfwWindowHint(GLFW_SAMPLES, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_REFRESH_RATE, 60);
}

GLFWwindow* open_game_window(int width, int height, GLFWmonitor* monitor, bool visible) {
    set_game_window_hints();
    glfwWindowHint(GLFW_VISIBLE, visible ? GLFW_TRUE : GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(width, height, "Quillomar.", monitor, nullptr);
    if (window == nullptr) {
        std::cerr << "Failed to open GLFW window.\n" << std::flush;
        return nullptr;
    }
    glfwMakeContextCurrent(window);
    check_gl_error(__FILE__, __LINE__);
    glewExperimental = GL_TRUE;
    check_gl_error(__FILE__, __LINE__);
    if (glewInit() != GLEW_OK) {
        check_gl_error(__FILE__, __LINE__);
        std::cerr << "Failed to initilize glew" << std::flush;
        check_gl_error(__FILE__, __LINE__);
        glfwDestroyWindow(window);
        return nullptr;
    }
    // Some drivers leave GL_INVALID_ENUM behind glewInit; it is not the game's error.
    while (glGetError() != GL_NO_ERROR) {
    }
    return window;
}

}  // namespace quillomar
