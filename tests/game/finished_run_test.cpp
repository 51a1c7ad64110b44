// The end of a run in a game started from the title menu: the win panel's choices, the menu of a
// finished level over it, a win with help that opens the next level and keeps no record, and
// the pause menu that opens on Resume however it was left.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "records/assisted_store.h"
#include "records/records_store.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// Won by rolling one cell ahead; the second differs only so it is another level.
const char* const first = "start 1 2\nfinish 1 1\npath\n111\n111\n111\n";
const char* const second = "start 1 2\nfinish 1 1\npath\n1111\n1111\n1111\n";

TEST(FinishedRun, AnAssistedWinOpensTheNextLevelKeepsNoRecordAndThePanelOffersNextAndRetry) {
    const test::scratch_dir dir;
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    const std::string data = (dir.path() / "data").string();
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    std::filesystem::create_directories(dir.path() / "quillomar");
    std::ofstream(dir.path() / "quillomar/settings.txt")
        << "quillomar-settings 1\ngame-speed 50\nlevel-preview off\n";
    const std::string a = dir.write("a.txt", first);
    const std::string b = dir.write("b.txt", second);
    test::game_driver d(first, false);
    d.start_from_menu(dir.write("order.txt", a + " First\n" + b + " Second\n"));
    press(d, {GLFW_KEY_ENTER});
    test::until_screen(d, "play");
    d.hold(command::forward);
    test::until_screen(d, "win", 60 * 60);
    ASSERT_EQ(d.game().screen_name(), "win");
    d.release(command::forward);

    EXPECT_TRUE(test::hud_shows(d, "Won with assist: no record kept"));
    EXPECT_TRUE(test::hud_chosen(d, "> Next level <") && test::hud_shows(d, "Retry"));
    records_store records(data + "/quillomar");
    records.load();
    EXPECT_TRUE(records.records().empty());
    assisted_store assisted(data + "/quillomar");
    assisted.load();
    EXPECT_EQ(assisted.keys(), (std::set<std::string>{level_key(first)}));
    EXPECT_EQ(d.game().statistics().find(level_key(first))->wins, 0);
    const std::vector<level_list_row> rows = d.game().level_rows();
    EXPECT_TRUE(rows[0].assisted && rows[1].unlocked);

    // Escape: the menu of a finished level, with no Resume; Escape again is the panel.
    press(d, {GLFW_KEY_ESCAPE});
    EXPECT_EQ(d.game().screen_name(), "pause");
    EXPECT_TRUE(test::hud_shows(d, "Level finished") && test::hud_chosen(d, "Next level") &&
                !test::hud_shows(d, "Resume"));
    press(d, {GLFW_KEY_ESCAPE});
    EXPECT_EQ(d.game().screen_name(), "win");
    // Down to Retry and back up: Enter takes the next level.
    press(d, {GLFW_KEY_DOWN});
    EXPECT_TRUE(test::hud_chosen(d, "> Retry <"));
    press(d, {GLFW_KEY_UP, GLFW_KEY_ENTER});
    EXPECT_EQ(d.game().level_path, b);
    test::until_screen(d, "play");

    // The pause menu left through the level list opens on Resume the next time.
    press(d, {GLFW_KEY_PAUSE, GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_ENTER});
    EXPECT_EQ(d.game().screen_name(), "list");
    press(d, {GLFW_KEY_ESCAPE});
    EXPECT_TRUE(test::hud_chosen(d, "Levels"));
    press(d, {GLFW_KEY_ESCAPE});
    EXPECT_EQ(d.game().screen_name(), "play");
    press(d, {GLFW_KEY_PAUSE});
    EXPECT_TRUE(test::hud_chosen(d, "Resume"));
}

}  // namespace
}  // namespace quillomar
