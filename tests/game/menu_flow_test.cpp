// The title and pause menus in the whole game, driven through the shell's own keys: --menu, a
// setting that outlives the game, a key rebound in the menu, and Escape going back a step.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "framework/key_map.h"
#include "framework/window_config.h"
#include "render/frame_renderer.h"
#include "game/tick_clock.h"
#include "shell/menu_mode.h"
#include "shell/list_screen.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

const char* const level = "start 1 2\nfinish 1 1\npath\n111\n111\n111\n";

TEST(MenuFlow, ASettingAndAKeyChangedInTheTitleMenuHoldAfterARestart) {
    const test::scratch_dir dir;
    test::use_homes(dir);
    const std::string recorded = (dir.path() / "run.replay").string();
    {
        test::game_driver d(level, false);
        d.start_from_menu();
        d.frames(1);
        EXPECT_EQ(d.game().screen_name(), "title");
        EXPECT_TRUE(test::hud_shows(d, "Quillomar") && test::hud_chosen(d, "Play") && test::hud_chosen(d, ">"));
        const long updates = d.state().updates_run;
        // Settings, Sound, the music a step down.
        press(d, {GLFW_KEY_UP, GLFW_KEY_UP, GLFW_KEY_ENTER, GLFW_KEY_DOWN, GLFW_KEY_ENTER,
                  GLFW_KEY_LEFT});
        EXPECT_TRUE(test::hud_chosen(d, "Music volume") && test::hud_chosen(d, "90%"));
        // Back to the settings, Controls, Forward (the first key of play): S is refused, K taken.
        press(d, {GLFW_KEY_ESCAPE, GLFW_KEY_DOWN, GLFW_KEY_ENTER, GLFW_KEY_ENTER, GLFW_KEY_S});
        EXPECT_TRUE(test::hud_shows(d, "S is taken by Back"));
        press(d, {GLFW_KEY_ENTER, GLFW_KEY_K});
        EXPECT_TRUE(test::hud_chosen(d, "Forward") && test::hud_chosen(d, "K"));
        EXPECT_EQ(d.state().updates_run, updates);
        EXPECT_FALSE(d.game().should_stop());
        // Accessibility: the text size applies at once.
        EXPECT_EQ(d.game().renderer()->text_scale, 1.0f);
        press(d, {GLFW_KEY_ESCAPE, GLFW_KEY_DOWN, GLFW_KEY_ENTER, GLFW_KEY_DOWN, GLFW_KEY_RIGHT,
                  GLFW_KEY_RIGHT});
        EXPECT_TRUE(test::hud_chosen(d, "Text size") && test::hud_chosen(d, "200%"));
        EXPECT_EQ(d.game().renderer()->text_scale, 2.0f);
        // Escape goes back a page at a time and never out of the title menu: Quit ends the game.
        press(d, {GLFW_KEY_ESCAPE, GLFW_KEY_ESCAPE});
        EXPECT_TRUE(test::hud_chosen(d, "Settings") && !d.game().should_stop());
        press(d, {GLFW_KEY_ESCAPE, GLFW_KEY_ESCAPE});
        EXPECT_TRUE(test::hud_chosen(d, "Settings") && !d.game().should_stop());
        press(d, {GLFW_KEY_DOWN, GLFW_KEY_ENTER});
        EXPECT_TRUE(d.game().should_stop());
    }
    std::ifstream file(dir.path() / "quillomar/settings.txt");
    const std::string saved(std::istreambuf_iterator<char>(file), {});
    EXPECT_EQ(saved, "quillomar-settings 1\nmusic 90\ntext-size 200\nkey forward K\n");

    test::game_driver d(level, false);
    d.game().record_path = recorded;
    d.game().startup();
    EXPECT_EQ(d.game().menus().saved().music_volume, 90);
    // Only a game started in the title menu draws its text larger.
    EXPECT_EQ(d.game().renderer()->text_scale, 1.0f);
    // The keys drive the game now; K pushes the ball, W no longer does.
    d.game().input_source = nullptr;
    press(d, {GLFW_KEY_K, GLFW_KEY_W, GLFW_KEY_K});
    // The pause menu: Escape resumes, and only Escape in play ends the game.
    press(d, {GLFW_KEY_PAUSE});
    EXPECT_TRUE(d.game().paused() && test::hud_shows(d, "Paused") && test::hud_chosen(d, "Resume"));
    press(d, {GLFW_KEY_ESCAPE});
    EXPECT_FALSE(d.game().paused() || d.game().should_stop());
    d.game().keys()->key_pressed(GLFW_KEY_ESCAPE);
    EXPECT_TRUE(d.game().should_stop());
    d.game().shutdown();
    const std::optional<recording> run = load_recording(recorded);
    ASSERT_TRUE(run);
    int forward = 0;
    for (const frame_input& f : run->frames) {
        forward += f.pressed(command::forward);
    }
    EXPECT_EQ(forward, 2);
}

// The mean brightness of the back buffer's middle third, 0 to 765.
double brightness() {
    std::vector<unsigned char> rgba(340 * 256 * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(340, 256, 340, 256, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    double sum = 0.0;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        sum += rgba[i] + rgba[i + 1] + rgba[i + 2];
    }
    return sum / (340.0 * 256.0);
}

TEST(MenuFlow, SavedSettingsRuleTheStartAndTheMenusLeadIntoTheSet) {
    const test::scratch_dir dir;
    test::use_homes(dir);
    dir.write("quillomar/settings.txt",
              "quillomar-settings 1\nwindow 800 600\nmultisampling 0\nshadows off\n"
              "key level-list L\nkey pause F7\n");
    const std::string first = dir.write("a.txt", level);
    const std::string second = dir.write("b.txt", "start 1 2\nfinish 1 1\npath\n1111\n1111\n");
    test::game_driver d(level);
    d.game().level_set_path = dir.write("order.txt", first + "\n" + second + "\n");
    EXPECT_FALSE(d.game().renderer()->shadows);
    window_config config;
    d.game().choose_window(config);
    EXPECT_EQ(std::tuple(config.width, config.height, config.samples), std::tuple(800, 600, 0));

    // The keys as bound: F7 pauses, Pause no longer; the list names L as its key.
    d.frames(120, false);
    press(d, {GLFW_KEY_PAUSE});
    EXPECT_FALSE(d.game().paused());
    d.frames(1);
    const double lit = brightness();
    press(d, {GLFW_KEY_F7});
    d.frames(1);
    EXPECT_TRUE(d.game().paused() && test::hud_shows(d, "Paused"));
    EXPECT_LT(brightness(), lit * 0.6);
    // Levels from the pause menu opens the list.
    press(d, {GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_ENTER});
    EXPECT_TRUE(d.game().level_list_open() && test::hud_shows(d, "Levels") &&
                test::hud_shows(d, "Enter plays, L or Escape goes back"));
    // Closing it goes back to the pause menu it came from, and Escape there to play.
    press(d, {GLFW_KEY_L});
    EXPECT_TRUE(d.game().paused() && test::hud_chosen(d, "Levels"));
    press(d, {GLFW_KEY_ESCAPE});
    EXPECT_FALSE(d.game().paused() || d.game().should_stop());

    // Losing the focus opens the pause menu; Title menu, then Play, goes on at the first level
    // not yet won.
    d.game().keys()->set_focused(false);
    d.frames(1, false);
    EXPECT_TRUE(test::hud_chosen(d, "Resume"));
    d.game().keys()->set_focused(true);
    std::filesystem::create_directories(dir.path() / "data/quillomar");
    records_store(default_records_folder()).update_with_run(level_key_of_file(first), "a", 2.0, 0);
    press(d, {GLFW_KEY_UP, GLFW_KEY_UP, GLFW_KEY_ENTER});
    EXPECT_TRUE(d.game().menus().title_shown());
    // Keys typed within one slow frame keep their order: Down and Enter open the levels (on the
    // second, not yet won), and the Up after them moves in their list.
    for (const int key : {GLFW_KEY_DOWN, GLFW_KEY_ENTER, GLFW_KEY_UP}) {
        d.game().keys()->key_pressed(key, 0);
    }
    d.frames(2, false);
    ASSERT_EQ(d.game().screen_name(), "list");
    EXPECT_EQ(dynamic_cast<list_screen&>(d.game().top()).choice(), 0u);
    press(d, {GLFW_KEY_ESCAPE, GLFW_KEY_UP});
    press(d, {GLFW_KEY_ENTER});
    EXPECT_EQ(d.game().level_path, second);
    // The level's preview first; a key skips it, and the clock of play starts after it.
    EXPECT_EQ(d.game().screen_name(), "preview");
    d.frames(30, false);
    press(d, {GLFW_KEY_X});
    EXPECT_EQ(d.game().screen_name(), "play");
    EXPECT_EQ(d.state().clock_time, tick_time(1));
}

}  // namespace
}  // namespace quillomar
