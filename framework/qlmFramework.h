// The framework every Quillomar game derives from: the window, the context and the frame loop.
#pragma once

struct GLFWwindow;

namespace quillomar {

class game {
public:
    GLFWwindow* window = nullptr;
    int width = 1024;
    int height = 768;

    virtual ~game() = default;

    // Opens the window from config.txt, runs startup, the frame loop until Escape or a close
    // request, then shutdown. Returns the process exit status: 0 after a normal run, non-zero
    // when the window or the OpenGL function loader could not be set up.
    int run();

    virtual void startup() {}
    virtual void update() {}
    virtual void shutdown() {}
    virtual void render() {}
};

}  // namespace quillomar

// Drains every pending OpenGL error and prints one line per error: "GL_<name> - <file>:<line>".
void check_gl_error(const char* file, unsigned line);

#define QLM_CHECK_GL() check_gl_error(__FILE__, __LINE__)
