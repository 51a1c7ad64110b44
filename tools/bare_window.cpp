// The floor under every memory figure: a 1024 x 768 window with a 3.3 core context and 4x
// multisampling, as the game opens it, cleared and shown once, and nothing else. It links only
// the window library and OpenGL, so what it holds is what any program showing such a window
// holds (the driver, its compiler, the multisampled buffers); everything a game links or makes
// beyond that is the game's own. Its peak resident set is read by quillomar_bench from outside.
//
//   bare_window   (under xvfb-run -a)
#include <GLFW/glfw3.h>

#include <cstdio>

int main() {
    if (glfwInit() == GLFW_FALSE) {
        std::fputs("bare_window: no window system\n", stderr);
        return 1;
    }
    glfwWindowHint(GLFW_SAMPLES, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    GLFWwindow* window = glfwCreateWindow(1024, 768, "bare window", nullptr, nullptr);
    if (window == nullptr) {
        std::fputs("bare_window: no 3.3 core window\n", stderr);
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    // Thirty frames, so the swap's buffers are made as the game's are.
    for (int frame = 0; frame < 30; ++frame) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glfwSwapBuffers(window);
        glfwPollEvents();
    }
    glFinish();
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
