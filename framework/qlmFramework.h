// The framework every Quillomar game derives from: the window, the context and the frame loop.
#pragma once

struct GLFWwindow;

namespace quillomar {

struct window_config;

class game {
public:
    GLFWwindow* window = nullptr;
    int width = 1024;
    int height = 768;

    virtual ~game() = default;

    // Opens the window from config.txt, runs startup, the frame loop until Escape or a close
    // request, then shutdown. In the browser the frame loop is the page's animation callback
    // and run returns once it is installed. Returns the process exit status: 0 after a normal run, non-zero
    // when the window or the OpenGL function loader could not be set up.
    int run();

    // Called first thing in run, before the window opens: work that needs no window or context
    // can begin here and run while the window opens.
    virtual void prepare() {}
    virtual void startup() {}
    virtual void update() {}
    virtual void shutdown() {}
    virtual void render() {}

    // Asked once a frame after the events are polled: true when the game wants to end, for a
    // counted Escape press that a key held check would miss (a tap shorter than a frame).
    virtual bool quit_requested() { return false; }
    // Whether Escape held down ends the game now (not while a menu or the editor takes it).
    virtual bool escape_ends_game() { return true; }

    // Given config.txt's window before it opens; a game may change it (saved settings win).
    virtual void choose_window(window_config& /*config*/) {}

    // The frame loop's test after each poll: Escape held, a close request, or quit_requested.
    bool should_stop();

    // One pass of the frame loop: render, swap, poll. False once the game should stop.
    bool frame();
    // After the last frame: shutdown, and the window system let go.
    void finish();
};

}  // namespace quillomar

// Drains every pending OpenGL error and prints one line per error: "GL_<name> - <file>:<line>".
void check_gl_error(const char* file, unsigned line);

#define QLM_CHECK_GL() check_gl_error(__FILE__, __LINE__)
