// A level code pasted into the whole game: Ctrl+V on the title menu keeps the level among the
// shared levels and, once checked beside the frames, opens its preview with the sender's run as
// the ghost; a hostile code leaves the title menu with its one line under the page.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "framework/clipboard.h"
#include "records/level_code.h"
#include "records/records_store.h"
#include "shell/quillomar_game.h"
#include "tests/support/game_driver.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

// Frames until the pasted level's check, which runs beside them, has ended.
void until_checked(test::game_driver& d) {
    for (int i = 0; i < 1000 && d.game().screen_name() == "pasting"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        d.frames(1, false);
    }
}

TEST(LevelCodeGame, CtrlVPlaysThePastedLevelWithTheSendersGhost) {
    const test::scratch_dir dir;
    test::use_homes(dir);
    const std::string level_text = test::file_text(test::source_dir() / "levels/02_turning.txt");
    const recording sent = test::proven_run(level_text);
    ASSERT_FALSE(sent.frames.empty());

    test::game_driver d(test::file_text(test::source_dir() / "levels/01_rolling.txt"), false);
    d.start_from_menu();
    d.frames(1);
    ASSERT_EQ(d.game().screen_name(), "title");

    // A hostile code: one line under the title menu, which stays.
    ASSERT_TRUE(set_clipboard_text(d.game().window, "QLM1.AAAA"));
    press(d, GLFW_KEY_V, GLFW_MOD_CONTROL);
    until_checked(d);
    EXPECT_EQ(d.game().screen_name(), "title");
    EXPECT_TRUE(test::hud_shows(d, "The level code is cut short.", true));

    ASSERT_TRUE(set_clipboard_text(d.game().window,
                                   encode_level_code(level_text, format_recording(sent))));
    press(d, GLFW_KEY_V, GLFW_MOD_CONTROL);
    // Checked beside the frames, then previewed.
    EXPECT_EQ(d.game().screen_name(), "pasting");
    until_checked(d);
    ASSERT_EQ(d.game().screen_name(), "preview");
    const play_session* session = d.game().session();
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->level_key(), sent.level_key);
    EXPECT_EQ(test::file_text(session->level_path()), level_text);
    d.game().wait_for_ghost();
    ASSERT_NE(session->ghost(), nullptr);
    ASSERT_FALSE(session->ghost()->poses.empty());
    // The ghost is the sender's run: it ends where that run finished.
    EXPECT_NEAR(session->ghost()->poses.back().play_time, sent.result->seconds, 0.05);
}

}  // namespace
}  // namespace quillomar
