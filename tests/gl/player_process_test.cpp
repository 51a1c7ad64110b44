#include <gtest/gtest.h>

#include "framework/command_line.h"
#include "tests/support/process.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

const std::string build_binary = std::string(QUILLOMAR_BINARY_DIR) + "/quillomar";
// The driver's leak at exit is not the game's (see shell_process_test.cpp).
const std::string no_leak_check = "ASAN_OPTIONS=detect_leaks=0";

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
    };
    for (const auto& c : cases) {
        // Without a display a game started by mistake ends at once instead of opening a window.
        test::child_process game(build_binary, test::source_dir(), {"DISPLAY", "WAYLAND_DISPLAY"},
                                 {no_leak_check}, c.args);
        EXPECT_EQ(game.wait(30), c.status) << c.args[0];
        EXPECT_EQ(game.standard_output().substr(0, c.out.size()), c.out) << c.args[0];
        EXPECT_EQ(game.standard_error(), c.err) << c.args[0];
    }
}

}  // namespace
}  // namespace quillomar
