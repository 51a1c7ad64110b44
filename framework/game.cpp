#include <GL/glew.h>
#include <GLFW/glfw3.h>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

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
    prepare();
    report_window_system_errors();
    if (glfwInit() == GLFW_FALSE) {
        std::cerr << "coudln't load glw " << std::flush;
        console_pause();
    }

    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;

    window_config config = read_window_config_file(platform_path("config.txt"));
    choose_window(config);
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

    window = open_game_window(width, height, window_monitor, true, config.samples);
    if (window == nullptr) {
        // Both failures have printed their message; neither is reported as success.
        glfwTerminate();
        console_pause();
        return EXIT_FAILURE;
    }

    check_gl_error(__FILE__, __LINE__);
    startup();
    check_gl_error(__FILE__, __LINE__);

#ifdef __EMSCRIPTEN__
    // The browser owns the loop: it calls one frame per animation frame, and run returns at once
    // without unwinding (the game lives on until the page goes).
    emscripten_set_main_loop_arg(
        [](void* self) {
            auto* g = static_cast<game*>(self);
            if (!g->frame()) {
                emscripten_cancel_main_loop();
                g->finish();
            }
        },
        this, 0, 1);
    return EXIT_SUCCESS;
#else
    while (frame()) {
    }
    finish();
    return EXIT_SUCCESS;
#endif
}

bool game::frame() {
    // The picture follows the framebuffer (a resized window, full screen, HiDPI scaling); a
    // minimised window keeps the last size.
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
    return !should_stop();
}

void game::finish() {
    shutdown();
    glfwTerminate();
    window = nullptr;
}

bool game::should_stop() {
    // Every operand is evaluated: quit_requested takes the presses counted since the last frame.
    const bool asked = quit_requested();
    const bool escape = escape_ends_game() && glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS;
    return escape || glfwWindowShouldClose(window) || asked;
}

}  // namespace quillomar
