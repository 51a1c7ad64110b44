#include <gtest/gtest.h>

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

class ShellProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
        }
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
    }
    void TearDown() override {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    // By process id: a window title alone may be another test's game.
    Window wait_for_game_window(test::child_process& game) { return game.wait_for_window(60); }

    Display* display = nullptr;
};

TEST_F(ShellProcessTest, OpensTheConfiguredWindowAndExitsCleanlyOnEscape) {
    test::child_process game(game_binary(), test::source_dir(), {}, child_environment);
    const Window window = wait_for_game_window(game);
    ASSERT_NE(window, 0u) << game.standard_output() << game.standard_error();
    XWindowAttributes attributes;
    ASSERT_NE(XGetWindowAttributes(display, window, &attributes), 0);
    EXPECT_EQ(attributes.width, 1024);
    EXPECT_EQ(attributes.height, 768);

    // Let a few frames pass, then hold Escape until the loop notices it. A window that another
    // test shows meanwhile takes the focus, and with it the held key, so hold it again.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const std::string command = "timeout 5 xdotool windowfocus --sync " + std::to_string(window) +
                                " keydown Escape sleep 1 keyup Escape >/dev/null 2>&1";
    for (int tries = 0; tries < 10 && game.running(); ++tries) {
        std::system(command.c_str());
    }
    EXPECT_EQ(game.wait(60), 0) << game.standard_output() << game.standard_error();
}

TEST_F(ShellProcessTest, ExitsCleanlyWhenTheWindowIsClosed) {
    test::child_process game(game_binary(), test::source_dir(), {}, child_environment);
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
