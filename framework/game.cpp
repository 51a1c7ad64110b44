#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "framework/asset_paths.h"
#include "framework/console.h"
#include "framework/game_window.h"
#include "framework/qlmFramework.h"
#include "framework/window_config.h"
#include "framework/window_errors.h"

namespace quillomar {

int game::run() {
    report_window_system_errors();
    if (glfwInit() == GLFW_FALSE) {
        std::cerr << "coudln't load glw " << std::flush;
        console_pause();
    }

    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;

    window_config config = read_window_config_file(platform_path("config.txt"));
    GLFWmonitor* window_monitor = nullptr;
    if (!config.fullscreen || mode == nullptr) {
        const std::string note = clamp_window_size(config, mode != nullptr ? mode->width : 0,
                                                   mode != nullptr ? mode->height : 0);
        if (!note.empty()) {
            std::cout << note << std::endl;
        }
    }
    width = config.width;
    height = config.height;
    if (config.fullscreen && mode != nullptr) {
        width = mode->width;
        height = mode->height;
        window_monitor = monitor;
    }

    window = open_game_window(width, height, window_monitor);
    if (window == nullptr) {
        // Both failures have printed their message; neither is reported as success.
        glfwTerminate();
        console_pause();
        return EXIT_FAILURE;
    }

    check_gl_error(__FILE__, __LINE__);
    startup();
    check_gl_error(__FILE__, __LINE__);

    bool running = true;
    do {
        // The picture follows the framebuffer (a resized window, full screen, HiDPI scaling);
        // a minimised window keeps the last size.
        int framebuffer_width = 0;
        int framebuffer_height = 0;
        glfwGetFramebufferSize(window, &framebuffer_width, &framebuffer_height);
        if (framebuffer_width > 0 && framebuffer_height > 0) {
            width = framebuffer_width;
            height = framebuffer_height;
        }
        render();
        glfwSwapBuffers(window);
        glfwPollEvents();
        if (should_stop()) {
            running = false;
        }
    } while (running);

    shutdown();
    glfwTerminate();
    window = nullptr;
    return EXIT_SUCCESS;
}

bool game::should_stop() {
    // Every operand is evaluated: quit_requested takes the presses counted since the last frame.
    const bool asked = quit_requested();
    return (escape_held_quits() && glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS) ||
           glfwWindowShouldClose(window) || asked;
}

}  // namespace quillomar
