#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/support/process.h"
#include "tests/support/test_support.h"

// Xlib defines macros such as None and Bool that clash with GoogleTest, so it comes last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace quillomar {
namespace {

std::string game_binary() {
    return std::string(QUILLOMAR_BINARY_DIR) + "/quillomar";
}

// In a sanitizer build the Mesa driver, unloaded by glfwTerminate, leaves a few hundred bytes
// that LeakSanitizer reports against an unknown module and turns into exit status 1. The game's
// own code is leak-checked by the in-process suites; here only the exit status matters.
const std::vector<std::string> child_environment = {"ASAN_OPTIONS=detect_leaks=0"};

Window find_window_named(Display* display, Window root, const std::string& name) {
    char* window_name = nullptr;
    if (XFetchName(display, root, &window_name) != 0 && window_name != nullptr) {
        const bool match = name == window_name;
        XFree(window_name);
        if (match) {
            return root;
        }
    }
    Window root_return = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, root, &root_return, &parent, &children, &count) == 0) {
        return 0;
    }
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        found = find_window_named(display, children[i], name);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

// An Xvfb server of the test's own, so that no other test's window or keyboard focus can meet
// the game's. The server picks a free display number and reports it on a pipe once it accepts
// clients; `name` stays empty when it did not within 30 seconds.
class private_display {
public:
    private_display() {
        int report[2];
        if (pipe(report) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            const int null = open("/dev/null", O_RDWR);
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            const std::string fd = std::to_string(report[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(report[1]);
        pollfd ready{report[0], POLLIN, 0};
        char number[16] = {};
        if (pid_ > 0 && poll(&ready, 1, 30000) == 1 &&
            read(report[0], number, sizeof number - 1) > 0) {
            name = ":" + std::to_string(std::atoi(number));
        }
        close(report[0]);
    }
    ~private_display() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    private_display(const private_display&) = delete;
    private_display& operator=(const private_display&) = delete;

    std::string name;

private:
    pid_t pid_ = -1;
};

class ShellProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(server.name.empty()) << "Xvfb did not start";
        display = XOpenDisplay(server.name.c_str());
        ASSERT_NE(display, nullptr);
        environment.push_back("DISPLAY=" + server.name);
    }
    void TearDown() override {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    Window wait_for_game_window(test::child_process& game) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline && game.running()) {
            // The window has its name before it is mapped, and focus goes only to a mapped one.
            const Window w = find_window_named(display, DefaultRootWindow(display), "Quillomar.");
            XWindowAttributes attributes;
            if (w != 0 && XGetWindowAttributes(display, w, &attributes) != 0 &&
                attributes.map_state == IsViewable) {
                return w;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return 0;
    }

    private_display server;
    Display* display = nullptr;
    std::vector<std::string> environment = child_environment;
};

TEST_F(ShellProcessTest, OpensTheConfiguredWindowAndExitsCleanlyOnEscape) {
    test::child_process game(game_binary(), test::source_dir(), {}, environment);
    const Window window = wait_for_game_window(game);
    ASSERT_NE(window, 0u) << game.standard_output() << game.standard_error();
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(display, window, &attributes), 0);
    EXPECT_EQ(attributes.width, 1024);
    EXPECT_EQ(attributes.height, 768);

    // Let a few frames pass, then hold Escape until the loop notices it, however long a frame
    // takes on a busy machine: the display is this test's alone, so the key may stay down.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string command = "DISPLAY=" + server.name + " xdotool windowfocus --sync " +
                                std::to_string(window) + " keydown Escape >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(game.wait(60), 0) << game.standard_output() << game.standard_error();
}

TEST_F(ShellProcessTest, ExitsCleanlyWhenTheWindowIsClosed) {
    test::child_process game(game_binary(), test::source_dir(), {}, environment);
    const Window window = wait_for_game_window(game);
    ASSERT_NE(window, 0u) << game.standard_output() << game.standard_error();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &close);
    XFlush(display);
    EXPECT_EQ(game.wait(60), 0) << game.standard_output() << game.standard_error();
}

TEST(ShellWithoutDisplay, ReportsTheWindowFailureAndExitsNonZeroWithoutWaiting) {
    test::child_process game(game_binary(), test::source_dir(), {"DISPLAY", "WAYLAND_DISPLAY"},
                             child_environment);
    const int status = game.wait(30);
    EXPECT_NE(status, -1) << "the process hung";
    EXPECT_NE(status, 0);
    EXPECT_NE(game.standard_error().find("Failed to open GLFW window.\n"), std::string::npos)
        << game.standard_error();
}

}  // namespace
}  // namespace quillomar
