// Going from level to level in the whole game: Enter after a win or a loss, the level list, the
// pause and the best run's ghost, driven through the shell's own keys.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "framework/key_map.h"
#include "shell/list_screen.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// Won by rolling one cell ahead; the second differs only so it is another level.
const char* const first = "start 1 2\nfinish 1 1\npath\n111\n111\n111\n";
const char* const second = "start 1 2\nfinish 1 1\npath\n1111\n1111\n1111\n";
// Nothing under the start: every life ends in a fall.
const char* const third = "start 1 1\nfinish 9 9\npath\n\n\n111\n";

TEST(LevelFlow, EnterGoesOnAfterAWinAndAgainAfterALossAndTabListsTheOpenLevels) {
    const test::scratch_dir dir;
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    const std::string a = dir.write("a.txt", first);
    const std::string b = dir.write("b.txt", second);
    const std::string c = dir.write("c.txt", third);
    test::game_driver d(first);
    d.game().level_set_path = dir.write("order.txt", a + " First\n" + b + "\n" + c + " Last\n");

    d.hold(command::forward);
    d.frames(240, false);
    ASSERT_TRUE(d.state().won);
    EXPECT_TRUE(test::hud_shows(d, "Enter: next level"));
    press(d, GLFW_KEY_ENTER);
    EXPECT_EQ(d.game().level_path, b);
    EXPECT_EQ(d.state().updates_run, 1);
    d.frames(240, false);
    press(d, GLFW_KEY_KP_ENTER);
    EXPECT_EQ(d.game().level_path, c);
    for (int i = 0; i < 60 * 60 && !d.state().lost; ++i) {
        d.frames(1, false);
    }
    ASSERT_TRUE(d.state().lost);
    EXPECT_TRUE(test::hud_shows(d, "Enter: play again"));
    press(d, GLFW_KEY_ENTER);
    EXPECT_EQ(d.game().level_path, c);
    EXPECT_EQ(d.state().lives, 5);
    EXPECT_FALSE(d.state().lost);

    // The list pauses the game; both won levels and the one after them are open.
    press(d, GLFW_KEY_TAB);
    ASSERT_TRUE(d.game().level_list_open());
    const long updates = d.state().updates_run;
    const std::vector<level_list_row>& rows = d.game().level_list();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(rows[1].best_seconds && rows[2].unlocked && !rows[2].best_seconds);
    EXPECT_TRUE(test::hud_chosen(d, "Last") &&
                test::hud_shows(d, format_run_time(*rows[0].best_seconds), true));
    for (int key : {GLFW_KEY_UP, GLFW_KEY_UP, GLFW_KEY_UP}) {
        press(d, key);
    }
    EXPECT_EQ(d.state().updates_run, updates);
    press(d, GLFW_KEY_ENTER);
    EXPECT_FALSE(d.game().level_list_open());
    EXPECT_EQ(d.game().level_path, a);

    // The first level has a best run now: its ghost races along, and G hides it.
    d.game().wait_for_ghost();
    ASSERT_NE(d.game().ghost(), nullptr);
    EXPECT_GT(d.state().best_splits.finish, 0.0);
    press(d, GLFW_KEY_G);
    EXPECT_FALSE(d.game().ghost_shown());

    // Pause stops the game's clock; play goes on where it stood.
    press(d, GLFW_KEY_PAUSE);
    EXPECT_TRUE(d.game().paused() && test::hud_shows(d, "Paused"));
    const long before = d.state().updates_run;
    d.frames(30, false);
    press(d, GLFW_KEY_PAUSE);
    EXPECT_EQ(d.state().updates_run, before + 1);
    EXPECT_LT(d.state().last_dt, 0.02f);
}

// What a game did, tick-exact: its events in order, the pick-ups' and the finish's times.
struct run_outcome {
    std::vector<event_kind> events;
    std::vector<double> items;
    double finish = -1.0;
    bool operator==(const run_outcome& o) const {
        return events == o.events && items == o.items && finish == o.finish;
    }
};

// Frames of `frame_seconds` until the game is won; W is held once the ball has landed.
// The events are kept up to the win: a slow frame runs a few ticks past it.
run_outcome play(test::game_driver& d, double frame_seconds) {
    run_outcome outcome;
    for (int i = 0; i < 30 * 60 && !d.state().won; ++i) {
        d.hold(command::forward, i * frame_seconds > 3.0);
        d.frames(1, false, frame_seconds);
        for (const game_event& e : d.game().last_events) {
            if (outcome.events.empty() || outcome.events.back() != event_kind::won) {
                outcome.events.push_back(e.kind);
            }
        }
    }
    outcome.items = d.state().splits.items;
    outcome.finish = d.state().splits.finish;
    return outcome;
}

TEST(LevelFlow, ARunRecordedAtOneFrameRatePlaysTheSameAtAnotherAndOldRecordingsStillPlay) {
    const std::string corridor =
        "start 1 6\nfinish 1 1\nitem 1 4\npath\n111\n111\n111\n111\n111\n111\n111\n111\n";
    const test::scratch_dir dir;
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    const std::string ticks = (dir.path() / "ticks.replay").string();
    run_outcome live;
    {
        test::game_driver d(corridor, false);
        d.game().record_path = ticks;
        d.game().startup();
        live = play(d, 1.0 / 150.0);
        d.game().shutdown();
    }
    ASSERT_GT(live.finish, 0.0);
    EXPECT_EQ(live.items.size(), 1u);

    // A run recorded before the game ticked: frames of their own lengths, played as they were.
    test::core_driver old(corridor);
    for (int i = 0; i < 30 * 60 && !old.state().won; ++i) {
        old.hold(command::forward, i > 3 * 50);
        old.step(i % 3 == 0 ? 1.0 / 25.0 : 1.0 / 90.0);
    }
    const std::string timed = (dir.path() / "timed.replay").string();
    ASSERT_TRUE(old.state().won && save_recording(old.run, timed));

    for (const auto& [path, expected] :
         {std::pair{ticks, live},
          std::pair{timed, run_outcome{{}, old.state().splits.items, old.state().splits.finish}}}) {
        test::game_driver d(corridor, false);
        d.game().replay_path = path;
        d.game().startup();
        const run_outcome replayed = play(d, 1.0 / 12.0);
        EXPECT_EQ(replayed.items, expected.items) << path;
        EXPECT_EQ(replayed.finish, expected.finish) << path;
        EXPECT_TRUE(expected.events.empty() || replayed == expected) << path;
    }
}

TEST(LevelFlow, AnEscapeTapBetweenSlowFramesEndsTheGameAndALongSetListsOnlyAScreenful) {
    const test::scratch_dir dir;
    std::ifstream level(test::source_dir() / "levels/benchmark_64x64.txt");
    test::game_driver d(std::string(std::istreambuf_iterator<char>(level), {}));
    std::string order;
    for (int i = 0; i <= 1000; ++i) {
        order += "missing" + std::to_string(i) + ".txt Level" + std::to_string(i) + "\n";
    }
    d.game().level_set_path = dir.write("order.txt", order);
    d.clear_log();
    press(d, GLFW_KEY_TAB);
    EXPECT_NE(d.log_lines().at(0).find("only its first 1000 levels"), std::string::npos);
    ASSERT_EQ(d.game().level_list().size(), 1002u);
    for (int i = 0; i < 500; ++i) {
        d.game().keys()->key_pressed(GLFW_KEY_DOWN);
    }
    d.frames(1, false);
    EXPECT_TRUE(test::hud_chosen(d, "Level500"));
    EXPECT_LE(d.game().shell_hud_lines().size(), 60u);  // a long list scrolls

    // The tap begins and ends within one poll, as a 10 ms tap does between frames of 130 ms: the
    // key is up again when the loop asks, and the counted press still counts: it closes the
    // list, and in play it ends the game.
    for (bool list_open : {true, false}) {
        EXPECT_EQ(d.game().level_list_open(), list_open);
        d.time += 0.13;
        d.game().render();
        EXPECT_FALSE(d.game().should_stop());
        d.game().keys()->key_pressed(GLFW_KEY_ESCAPE);
        EXPECT_EQ(d.game().should_stop(), !list_open);
    }
}

}  // namespace
}  // namespace quillomar
