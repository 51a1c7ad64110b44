#include <cstdlib>
#include <iostream>

#include "framework/console.h"
#include "framework/qlmFramework.h"
#include "framework/seams.h"
#include "framework/window_config.h"

namespace quillomar {

int game::run() {
    if (glfwInit() == GLFW_FALSE) {
        std::cerr << "coudln't load glw " << std::flush;
        console_pause();
    }

    glfwWindowHint(GLFW_SAMPLES, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_REFRESH_RATE, 60);

    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;

    const window_config config = read_window_config_file("config.txt");
    GLFWmonitor* window_monitor = nullptr;
    width = config.width;
    height = config.height;
    if (config.fullscreen && mode != nullptr) {
        width = mode->width;
        height = mode->height;
        window_monitor = monitor;
    }

    window = glfwCreateWindow(width, height, "Quillomar.", window_monitor, nullptr);
    if (window == nullptr) {
        std::cerr << "Failed to open GLFW window.\n" << std::flush;
        glfwTerminate();
        console_pause();
        return EXIT_FAILURE;
    }

    glfwMakeContextCurrent(window);
    check_gl_error(__FILE__, __LINE__);
    glewExperimental = GL_TRUE;
    check_gl_error(__FILE__, __LINE__);
    if (glewInit() != GLEW_OK) {
        check_gl_error(__FILE__, __LINE__);
        std::cerr << "Failed to initilize glew" << std::flush;
        check_gl_error(__FILE__, __LINE__);
        console_pause();
        glfwTerminate();
        window = nullptr;
        return EXIT_FAILURE;
    }
    // Some drivers leave GL_INVALID_ENUM behind glewInit; drain it silently so the first check
    // of the game reports only the game's own errors.
    while (glGetError() != GL_NO_ERROR) {
    }

    check_gl_error(__FILE__, __LINE__);
    startup();
    check_gl_error(__FILE__, __LINE__);

    bool running = true;
    do {
        render();
        glfwSwapBuffers(window);
        glfwPollEvents();
        if (key_down(window, GLFW_KEY_ESCAPE) || glfwWindowShouldClose(window)) {
            running = false;
        }
    } while (running);

    shutdown();
    glfwTerminate();
    window = nullptr;
    return EXIT_SUCCESS;
}

}  // namespace quillomar
