#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "framework/game_window.h"

#ifdef __EMSCRIPTEN__
#include <emscripten/em_asm.h>
#include <emscripten/html5.h>
#endif

#include <iostream>

#include "framework/console.h"
#include "framework/qlmFramework.h"

namespace quillomar {

#ifdef __EMSCRIPTEN__
namespace {

// The canvas takes the page's window below the page's strip of file buttons, and follows it when
// the window is resized: the game
// draws at the framebuffer's size every frame, as it does when a desktop window is resized. Full
// screen sizes the canvas itself. The canvas is sized as the browser's own resizing does (GLFW
// hears of it so): glfwSetWindowSize asks for full screen instead when the size is the screen's.
// A touch screen (a phone) is often smaller than the game's menus need: there the game draws at
// least 640 x 480 pixels, shown shrunk to the same place (the pointer is scaled with it).
void fit_canvas(int width, int height) {
    EmscriptenFullscreenChangeEvent status{};
    const bool full = emscripten_get_fullscreen_status(&status) == EMSCRIPTEN_RESULT_SUCCESS &&
                      status.isFullscreen;
    if (!full && width > 0 && height > 0) {
        EM_ASM({
            const touch = window.matchMedia && window.matchMedia('(pointer: coarse)').matches;
            const scale = touch ? Math.max(1, 640 / $0, 480 / $1) : 1;
            Browser.setCanvasSize(Math.round($0 * scale), Math.round($1 * scale));
            Module.canvas.style.width = $0 + 'px';
            Module.canvas.style.height = $1 + 'px';
        }, width, height);
    }
}

// The height the strip of file buttons above the canvas takes.
int strip_height() {
    return EM_ASM_INT({
        const strip = document.getElementById('files');
        return strip ? strip.offsetHeight : 0;
    });
}

EM_BOOL on_page_resized(int /*type*/, const EmscriptenUiEvent* event, void* /*data*/) {
    fit_canvas(event->windowInnerWidth, event->windowInnerHeight - strip_height());
    return EM_FALSE;
}

void fill_the_page() {
    fit_canvas(EM_ASM_INT(return window.innerWidth),
               EM_ASM_INT(return window.innerHeight) - strip_height());
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE,
                                   on_page_resized);
}

}  // namespace
#endif

void set_game_window_hints(int samples) {
    glfwWindowHint(GLFW_SAMPLES, samples);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_REFRESH_RATE, 60);
}

GLFWwindow* open_game_window(int width, int height, GLFWmonitor* monitor, bool visible,
                             int samples) {
    set_game_window_hints(samples);
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
#ifdef __EMSCRIPTEN__
    fill_the_page();
#endif
    return window;
}

#ifdef __EMSCRIPTEN__
void toggle_full_screen(GLFWwindow* /*window*/) {
    // The browser's own full screen, of the canvas; it is granted only within a key or click,
    // so a request from the frame loop waits for the next one.
    EmscriptenFullscreenChangeEvent status{};
    if (emscripten_get_fullscreen_status(&status) == EMSCRIPTEN_RESULT_SUCCESS &&
        status.isFullscreen) {
        emscripten_exit_fullscreen();
    } else {
        emscripten_request_fullscreen("#canvas", 1);
    }
}

#else
void toggle_full_screen(GLFWwindow* window) {
    // Where the window was before it went full screen.
    static int saved_x = 0;
    static int saved_y = 0;
    static int saved_width = 1024;
    static int saved_height = 768;
    if (glfwGetWindowMonitor(window) != nullptr) {
        glfwSetWindowMonitor(window, nullptr, saved_x, saved_y, saved_width, saved_height, 0);
        return;
    }
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
    if (mode == nullptr) {
        return;
    }
    glfwGetWindowPos(window, &saved_x, &saved_y);
    glfwGetWindowSize(window, &saved_width, &saved_height);
    glfwSetWindowMonitor(window, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
}

#endif

void set_full_screen(GLFWwindow* window, bool on) {
    if (is_full_screen(window) != on) {
        toggle_full_screen(window);
    }
}

#ifdef __EMSCRIPTEN__
bool is_full_screen(GLFWwindow* window) {
    EmscriptenFullscreenChangeEvent status{};
    return window != nullptr &&
           emscripten_get_fullscreen_status(&status) == EMSCRIPTEN_RESULT_SUCCESS &&
           status.isFullscreen;
}

#else
bool is_full_screen(GLFWwindow* window) {
    return window != nullptr && glfwGetWindowMonitor(window) != nullptr;
}

#endif

bool window_sized_by_page() {
#ifdef __EMSCRIPTEN__
    return true;
#else
    return false;
#endif
}

void set_vsync(bool on) {
    glfwSwapInterval(on ? 1 : 0);
}

}  // namespace quillomar
