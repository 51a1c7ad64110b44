#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "framework/command_line.h"
#include "tests/support/process.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

const std::string build_binary = std::string(QUILLOMAR_BINARY_DIR) + "/quillomar";
// The driver's leak at exit is not the game's (see shell_process_test.cpp).
const std::string no_leak_check = "ASAN_OPTIONS=detect_leaks=0";

int run(const std::string& command) {
    return std::system(command.c_str());
}

// Without a display the game itself fails at its window, at once and with a non-zero status.
TEST(PlayerCommandLine, AnswersWithoutAWindowAndWithTheRightStatus) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out, err;
    } cases[] = {
        {{"--fast", "--help"}, 0, "Usage: quillomar [OPTION]... [LEVEL_FILE]\n", ""},
        {{"--version"}, 0, version_line() + "\n", ""},
        {{"--fast"}, 2, "", "quillomar: unknown option --fast (try --help)\n"},
        {{"no-such-level.txt"}, 2, "", "quillomar: level file no-such-level.txt not found\n"},
        // --record took its file and "--" ended the options, or the level would be another file.
        {{"--record", "a", "--", "-x"}, 2, "", "quillomar: level file -x not found\n"},
        {{"--replay="}, 2, "", "quillomar: option --replay needs a file name\n"},
        {{}, 1, "", "Failed to open GLFW window.\n"},
    };
    for (const auto& c : cases) {
        test::child_process game(build_binary, test::source_dir(),
                                 {"DISPLAY", "WAYLAND_DISPLAY", no_leak_check}, c.args);
        const std::string what = c.args.empty() ? "" : c.args[0];
        EXPECT_EQ(game.wait(30), c.status) << what;
        const std::string err = game.standard_error();
        EXPECT_EQ(game.standard_output().substr(0, c.out.size()), c.out) << what;
        // The window failure follows the window system's own complaint.
        EXPECT_EQ(err.substr(err.size() - std::min(err.size(), c.err.size())), c.err) << err;
    }
}

// The installed game takes its assets from beside its executable; the build's game started
// outside the repository finds none, says so and plays on. Either way a bad config.txt in the
// working directory gives a window in range and one line naming the file.
TEST(PlayerProcess, InstalledGameValidatesAndPlaysFromAnyWorkingDirectory) {
    test::scratch_dir scratch;
    const std::string prefix = (scratch.path() / "prefix").string();
    ASSERT_EQ(run("cmake --install " QUILLOMAR_BINARY_DIR " --prefix " + prefix + " >/dev/null"),
              0);
    if (run("command -v desktop-file-validate appstreamcli >/dev/null") == 0) {
        EXPECT_EQ(run("desktop-file-validate " + prefix + "/share/applications/*.desktop && " +
                      "appstreamcli validate --no-net " + prefix + "/share/metainfo/*.xml"),
                  0);
    }
    if (test::own_display() == nullptr) {
        GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    }
    scratch.write("cwd/config.txt", "nofullscreen\n-5\n99999\n");
    for (const std::string& binary : {prefix + "/bin/quillomar", build_binary}) {
        test::child_process game(
            binary, (scratch.path() / "cwd").string(),
            {no_leak_check, "ALSOFT_DRIVERS=null", "XDG_DATA_HOME=" + scratch.path().string()});
        const std::string window = std::to_string(game.wait_for_window(60));
        ASSERT_NE(window, "0") << binary << game.standard_output() << game.standard_error();
        EXPECT_EQ(run("xdotool getwindowgeometry " + window + " | grep -q 'Geometry: 320x'"), 0);
        game.wait_for_output("end startup()", 60);  // the whole start-up said
        const std::string out = game.standard_output();
        EXPECT_NE(out.find("config.txt: window size -5 x 99999 is out of range"),
                  std::string::npos);
        for (const char* missing : {"ERROR::", "Unable", "failed", "could not", "GL_INVALID"}) {
            EXPECT_TRUE(binary == build_binary || out.find(missing) == std::string::npos)
                << missing << " in " << out.substr(0, 4000);
        }
        // A few frames on, it still plays; the child's destructor ends it.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        EXPECT_TRUE(game.running()) << binary << game.standard_error();
    }
}

}  // namespace
}  // namespace quillomar
