#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/support/process.h"
#include "tests/support/test_support.h"

// Xlib defines macros such as None and Bool that clash with GoogleTest, so it comes last.
#include <X11/Xlib.h>

namespace quillomar {
namespace {

// The game on the test's own Xvfb server (test::own_display), so that no other test's window or
// keyboard focus can meet it.
class ShellProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(test::own_display(), nullptr) << "no X display";
        display = test::own_display();
        // In a sanitizer build the Mesa driver, unloaded by glfwTerminate, leaves a few hundred
        // bytes that LeakSanitizer turns into exit status 1; here only the exit status matters.
        game = std::make_unique<test::child_process>(
            std::string(QUILLOMAR_BINARY_DIR) + "/quillomar", test::source_dir(),
            std::vector<std::string>{"ASAN_OPTIONS=detect_leaks=0", "DISPLAY=" + display});
        window = game->wait_for_window(60, display);
        ASSERT_NE(window, 0u) << game->standard_output() << game->standard_error();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // a few frames
    }
    int run(const std::string& command) {
        return std::system(("DISPLAY=" + display + " " + command).c_str());
    }

    std::string display;
    std::unique_ptr<test::child_process> game;
    unsigned long window = 0;
};

TEST_F(ShellProcessTest, OpensTheConfiguredWindowAndExitsCleanlyOnEscape) {
    const std::string id = std::to_string(window);
    EXPECT_EQ(run("xdotool getwindowgeometry " + id + " | grep -q 'Geometry: 1024x768'"), 0);
    // Hold Escape until the loop notices it, however long a frame takes on a busy machine: the
    // display is this test's alone, so the key may stay down.
    ASSERT_EQ(run("xdotool windowfocus --sync " + id + " keydown Escape >/dev/null"), 0);
    EXPECT_EQ(game->wait(60), 0) << game->standard_output() << game->standard_error();
}

// Assimp and FreeImage (with the libraries it brings) are in the game only while models and
// images load: once start-up is over none of their pages are left.
TEST_F(ShellProcessTest, ModelAndImageLibrariesLeaveWithStartUp) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (game->standard_output().find("end startup()") == std::string::npos &&
           std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::stringstream maps;
    maps << std::ifstream("/proc/" + std::to_string(game->pid()) + "/maps").rdbuf();
    ASSERT_NE(maps.str().find("libGL"), std::string::npos) << "the game's own map";
    for (const char* library : {"libassimp", "libfreeimage", "libOpenEXR", "libraw"}) {
        EXPECT_EQ(maps.str().find(library), std::string::npos) << library;
    }
}

TEST_F(ShellProcessTest, ExitsCleanlyWhenTheWindowIsClosed) {
    Display* x = XOpenDisplay(display.c_str());
    ASSERT_NE(x, nullptr);
    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    XSendEvent(x, window, False, NoEventMask, &close);
    XCloseDisplay(x);  // sends what is queued
    EXPECT_EQ(game->wait(60), 0) << game->standard_output() << game->standard_error();
}

}  // namespace
}  // namespace quillomar
