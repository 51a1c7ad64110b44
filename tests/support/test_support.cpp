#include "tests/support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include "authoring/proven_route.h"
#include "framework/game_window.h"
#include "framework/window_errors.h"
#include "records/records_store.h"

namespace quillomar::test {
namespace {

constexpr const char* xvfb = "/usr/bin/Xvfb";

// An Xvfb server started by this process; it ends with the process (SIGTERM from the kernel
// should the process die without running its destructors, so no server outlives its test).
class xvfb_server {
public:
    xvfb_server() {
        // A server that dies before it accepts clients is started again; a busy machine delays
        // the start, but the wait has a bound.
        for (int attempt = 0; attempt < 3 && display_.empty(); ++attempt) {
            start(std::chrono::seconds(60));
        }
    }
    ~xvfb_server() { stop(); }
    xvfb_server(const xvfb_server&) = delete;
    xvfb_server& operator=(const xvfb_server&) = delete;

    // ":N", or empty when no server came up.
    const std::string& display() const { return display_; }

private:
    void start(std::chrono::seconds bound) {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0) {
            return;
        }
        // Everything the child needs is made before fork: after it, only exec-safe calls.
        const int parent = getpid();
        const char* const argv[] = {xvfb,   "-displayfd", "3",   "-screen", "0", "1280x1024x24",
                                    "-nolisten", "tcp", "-noreset", nullptr};
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) {
                _exit(1);
            }
            const int null = open("/dev/null", O_RDWR);
            // Standard output and error must not be the test's: CTest waits for them to close.
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            dup2(ready[1], 3);  // dup2 clears close-on-exec on the copy
            execv(xvfb, const_cast<char* const*>(argv));
            _exit(127);
        }
        close(ready[1]);
        // Xvfb writes its display number and a newline once it accepts clients.
        std::string number;
        const auto end = std::chrono::steady_clock::now() + bound;
        while (pid_ > 0 && number.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd p{ready[0], POLLIN, 0};
            char bytes[16];
            ssize_t got = 0;
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0 ||
                (got = read(ready[0], bytes, sizeof bytes)) <= 0) {
                break;
            }
            number.append(bytes, static_cast<std::size_t>(got));
        }
        close(ready[0]);
        if (number.find('\n') == std::string::npos) {
            stop();
            return;
        }
        display_ = ":" + number.substr(0, number.find('\n'));
    }

    void stop() {
        if (pid_ <= 0) {
            return;
        }
        // SIGTERM lets Xvfb remove its lock file and socket.
        kill(pid_, SIGTERM);
        for (int i = 0; i < 100 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace

const char* own_display() {
    static const std::string display = [] {
        if (access(xvfb, X_OK) == 0) {
            static xvfb_server server;
            if (!server.display().empty()) {
                setenv("DISPLAY", server.display().c_str(), 1);
                unsetenv("WAYLAND_DISPLAY");
                return server.display();
            }
        }
        const char* inherited = std::getenv("DISPLAY");
        return std::string(inherited != nullptr ? inherited : "");
    }();
    return display.empty() ? nullptr : display.c_str();
}

GLFWwindow* shared_gl_window() {
    static GLFWwindow* window = [] {
        report_window_system_errors();
        // A display busy with other clients may refuse a connection or a context for a moment
        // (an inherited, shared one also resets whenever its last client leaves): ask again, up
        // to half a minute, before giving up. Without any display one try says so.
        const auto end = std::chrono::steady_clock::now() +
                         std::chrono::seconds(own_display() != nullptr ? 30 : 0);
        do {
            if (glfwInit() == GLFW_TRUE) {
                if (GLFWwindow* opened = open_game_window(1024, 768, nullptr, false)) {
                    return opened;
                }
                glfwTerminate();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        } while (std::chrono::steady_clock::now() < end);
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

recording proven_run(const std::string& level_text) {
    const proven_route route = prove_route(level_from_text(level_text));
    recording run;
    run.level_key = level_key(level_text);
    if (route.finished) {
        run.frames = route.ticks;
        run.result = run_result{route.seconds, 0};
    }
    return run;
}

}  // namespace quillomar::test
