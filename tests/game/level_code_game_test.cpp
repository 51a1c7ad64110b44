// A level code pasted into the whole game: Ctrl+V on the title menu keeps the level among the
// shared levels and, once checked beside the frames, opens its preview with the sender's run as
// the ghost; a hostile code leaves the title menu with its one line under the page.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "authoring/proven_route.h"
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
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    const std::string level_text = test::file_text(test::source_dir() / "levels/02_turning.txt");
    level read;
    std::istringstream in(level_text);
    read.read_stream(in);
    const proven_route route = prove_route(read);
    ASSERT_TRUE(route.finished);
    recording sent;
    sent.level_key = level_key(level_text);
    sent.frames = route.ticks;
    sent.result = run_result{route.seconds, 0};

    test::game_driver d(test::file_text(test::source_dir() / "levels/01_rolling.txt"), false);
    d.game().start_in_menu = true;
    d.game().startup();
    d.frames(2);
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
    EXPECT_NEAR(session->ghost()->poses.back().play_time, route.seconds, 0.05);
}

}  // namespace
}  // namespace quillomar
