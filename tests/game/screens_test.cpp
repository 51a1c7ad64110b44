// The screens of a game started from the title menu, driven through the shell's own keys: the
// title over its attract mode, every way back with Escape, the pause menu, the locks, the
// preview and the win panel.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "framework/key_map.h"
#include "game/tick_clock.h"
#include "records/records_store.h"
#include "shell/list_screen.h"
#include "shell/title_screen.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// Won by rolling two cells ahead; the second differs only so it is another level.
const char* const first = "start 1 2\nfinish 1 0\npath\n111\n111\n111\n";
const char* const second = "start 1 2\nfinish 1 0\npath\n1111\n1111\n1111\n";

// A game started from the title menu on a set of the two levels above, with its own records.
struct menu_game {
    test::scratch_dir dir;
    std::string a;
    std::string b;
    std::unique_ptr<test::game_driver> d;

    menu_game() {
        test::use_homes(dir);
        a = dir.write("a.txt", first);
        b = dir.write("b.txt", second);
        d = std::make_unique<test::game_driver>(first, false);
        d->start_from_menu(dir.write("order.txt", a + " First\n" + b + " Second\n"));
    }
};

TEST(Screens, EveryEntryOfTheTitleComesBackWithEscapeAndTheAttractModeNeverKeepsAnything) {
    menu_game g;
    test::game_driver& d = *g.d;
    ASSERT_EQ(d.game().screen_name(), "title");
    EXPECT_FALSE(test::hud_shows(d, "Change:", true) || test::hud_shows(d, "Leben:", true));
    // Each entry opens its screen, and Escape comes back to the title with the game running.
    const struct {
        int downs;
        const char* screen;
    } entries[] = {{1, "list"}, {4, "editor list"}, {5, "theatre"}};
    for (const auto& entry : entries) {
        for (int n = 0; n < entry.downs; ++n) {
            press(d, {GLFW_KEY_DOWN});
        }
        press(d, {GLFW_KEY_ENTER});
        EXPECT_EQ(d.game().screen_name(), entry.screen);
        EXPECT_FALSE(test::hud_shows(d, "Change:", true));
        press(d, {GLFW_KEY_ESCAPE});
        EXPECT_EQ(d.game().screen_name(), "title") << entry.screen;
        EXPECT_FALSE(d.game().should_stop());
        for (int n = 0; n < entry.downs; ++n) {
            press(d, {GLFW_KEY_UP});
        }
    }
    // Behind the menu the checking player plays the first level along its proven route.
    const auto& title = dynamic_cast<const title_screen&>(d.game().top());
    d.game().routes().wait(level_key_of_file(g.a));
    d.frames(120, false, 1.0 / 60.0);
    EXPECT_GT(title.attract().ticks_played(), 0u);
    EXPECT_FALSE(std::filesystem::exists(g.dir.path() / "data/quillomar/records.txt"));
    EXPECT_FALSE(std::filesystem::exists(g.dir.path() / "data/quillomar/statistics.txt"));
}

TEST(Screens, PlayPausesOnEscapeTheListOpensWhereThePlayerIsAndALockedLevelSaysWhy) {
    menu_game g;
    test::game_driver& d = *g.d;
    press(d, {GLFW_KEY_DOWN, GLFW_KEY_ENTER});
    ASSERT_EQ(d.game().screen_name(), "list");
    EXPECT_EQ(d.game().level_list_choice(), 0u);
    // The mouse: the row under the pointer stands out, and a click opens it or says why not.
    const auto& list = static_cast<const list_screen&>(d.game().top());
    const menu_row_place locked = list.layout(d.game()).rows.at(1);
    d.game().keys()->move_pointer(locked.left + 2, locked.bottom - 2);
    d.frames(1, false);
    const std::vector<hud_line> hovered = d.game().shell_hud_lines();
    EXPECT_TRUE(std::any_of(hovered.begin(), hovered.end(), [](const hud_line& l) {
        return l.text.find("Second") != std::string::npos && l.tone == hud_tone::hover;
    }));
    d.game().keys()->move_pointer(locked.left + 2, 1);  // over the title: no row
    d.game().keys()->mouse_clicked();
    d.frames(1, false);
    EXPECT_EQ(d.game().level_list_choice(), 0u);
    d.game().keys()->move_pointer(locked.left + 2, locked.top);
    d.game().keys()->mouse_clicked();
    d.frames(1, false);
    EXPECT_EQ(d.game().screen_name(), "list");
    EXPECT_EQ(d.game().level_list_choice(), 1u);
    EXPECT_TRUE(test::hud_shows(d, "Locked: win First to open it", true));
    press(d, {GLFW_KEY_UP, GLFW_KEY_ENTER});
    EXPECT_EQ(d.game().screen_name(), "preview");
    EXPECT_EQ(d.game().level_path, g.a);
    press(d, {GLFW_KEY_SPACE});
    EXPECT_EQ(d.game().screen_name(), "ready");
    test::until_screen(d, "play");
    ASSERT_EQ(d.game().screen_name(), "play");

    // Escape in play pauses; Escape in the pause menu goes back to play.
    press(d, {GLFW_KEY_ESCAPE});
    EXPECT_EQ(d.game().screen_name(), "pause");
    EXPECT_TRUE(test::hud_shows(d, "Resume", true) && !d.game().should_stop());
    press(d, {GLFW_KEY_ESCAPE});
    EXPECT_EQ(d.game().screen_name(), "play");

    // The win panel; Enter goes on to the level the win opened, after its preview.
    d.hold(command::forward);
    for (int i = 0; i < 600 && d.game().screen_name() == "play"; ++i) {
        d.frames(1, false);
    }
    d.release(command::forward);
    ASSERT_EQ(d.game().screen_name(), "win");
    EXPECT_TRUE(test::hud_shows(d, "Time ", true) && test::hud_chosen(d, "> Next level <"));
    // The medal the time earned, from the level's proven route.
    ASSERT_NE(d.game().routes().wait(level_key_of_file(g.a)), nullptr);
    d.frames(1, false);  // the panel keeps the times of a route proven after the finish
    EXPECT_TRUE(test::hud_shows(d, "Medal: ", true) || test::hud_shows(d, "No medal", true));
    EXPECT_TRUE(std::filesystem::exists(g.dir.path() / "data/quillomar/medals.txt"));
    EXPECT_FALSE(d.game().should_stop());
    press(d, {GLFW_KEY_ENTER});
    EXPECT_EQ(d.game().level_path, g.b);
    EXPECT_EQ(d.game().screen_name(), "preview");
    // Title menu from the pause menu, and the game goes on there.
    press(d, {GLFW_KEY_SPACE, GLFW_KEY_ESCAPE});
    for (int n = 0; n < 5; ++n) {
        press(d, {GLFW_KEY_DOWN});
    }
    press(d, {GLFW_KEY_ENTER});
    EXPECT_EQ(d.game().screen_name(), "title");
    EXPECT_FALSE(d.game().should_stop());
}

TEST(Screens, FiveWinsEachLeftForTheTitleAndPlayedAgainKeepTheGameRunning) {
    menu_game g;
    test::game_driver& d = *g.d;
    // Escape on a preview goes back where the level was chosen, not into play.
    press(d, {GLFW_KEY_DOWN, GLFW_KEY_ENTER, GLFW_KEY_ENTER});
    ASSERT_EQ(d.game().screen_name(), "preview");
    press(d, {GLFW_KEY_ESCAPE});
    EXPECT_EQ(d.game().screen_name(), "list");
    press(d, {GLFW_KEY_ESCAPE, GLFW_KEY_UP});
    for (int round = 0; round < 5; ++round) {
        press(d, {GLFW_KEY_ENTER});
        ASSERT_EQ(d.game().screen_name(), "preview") << round;
        press(d, {GLFW_KEY_ESCAPE});
        ASSERT_EQ(d.game().screen_name(), "title") << round;
        press(d, {GLFW_KEY_ENTER, GLFW_KEY_SPACE});
        test::until_screen(d, "play");
        ASSERT_EQ(d.game().screen_name(), "play") << round;
        d.hold(command::forward);
        for (int i = 0; i < 600 && d.game().screen_name() == "play"; ++i) {
            d.frames(1, false);
        }
        d.release(command::forward);
        ASSERT_EQ(d.game().screen_name(), "win") << round;
        // The menu of a finished level goes over the panel and Escape comes back to it.
        press(d, {GLFW_KEY_ESCAPE, GLFW_KEY_ESCAPE});
        EXPECT_EQ(d.game().screen_name(), "win") << round;
        // Title menu, second from the bottom.
        press(d, {GLFW_KEY_ESCAPE, GLFW_KEY_UP, GLFW_KEY_UP, GLFW_KEY_ENTER});
        ASSERT_EQ(d.game().screen_name(), "title") << round;
        d.frames(2);
    }
    EXPECT_FALSE(d.game().should_stop());
}

}  // namespace
}  // namespace quillomar
