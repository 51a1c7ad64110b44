// The replay theatre and practice in the whole game, and the fall map drawn from the statistics
// of a played level.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <glm/gtc/matrix_transform.hpp>

#include "framework/key_map.h"
#include "render/fall_map_overlay.h"
#include "render/frame_renderer.h"
#include "shell/theatre_mode.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

const char* const corridor =
    "start 1 6\nfinish 1 1\nitem 1 4\npath\n111\n111\n111\n111\n111\n111\n111\n111\n";

TEST(Theatre, AReplaySoughtBackAndTakenOverPlaysOnFromThatMomentAndNeverCountsForRecords) {
    const test::scratch_dir dir;
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    const std::string records = (dir.path() / "data/quillomar/records.txt").string();
    {
        // A won run, kept as the level's best and as a recording among the player's.
        test::game_driver d(corridor, false);
        d.game().record_path = (dir.path() / "data/quillomar/recordings/run.replay").string();
        d.game().startup();
        for (int i = 0; i < 30 * 60 && !d.state().won; ++i) {
            d.hold(command::forward, i > 300);
            d.frames(1, false);
        }
        ASSERT_TRUE(d.state().won);
    }
    const std::string records_before = test::file_text(records);
    ASSERT_FALSE(records_before.empty());

    test::game_driver d(corridor);
    press(d, GLFW_KEY_T);
    ASSERT_TRUE(d.game().theatre_open());
    ASSERT_EQ(d.game().theatre()->entries().size(), 2u);
    press(d, GLFW_KEY_DOWN);
    press(d, GLFW_KEY_ENTER);
    replay_theatre* replay = d.game().theatre()->playing();
    ASSERT_NE(replay, nullptr);
    d.frames(30, false);
    EXPECT_EQ(replay->position(), 29u);  // the first frame only starts the watcher's clock
    press(d, GLFW_KEY_SPACE);
    // Seeks of five seconds each way, then a tick back.
    for (int key : {GLFW_KEY_RIGHT, GLFW_KEY_LEFT, GLFW_KEY_RIGHT, GLFW_KEY_COMMA}) {
        press(d, key);
    }
    d.frames(20, false);
    const std::size_t moment = 29 + 300 - 1;
    ASSERT_EQ(replay->position(), moment);
    d.frames(1);  // drawn from the replay's own game
    const glm::vec3 ball = replay->core().state.ball.position;

    d.game().keys()->key_pressed(GLFW_KEY_P);
    d.frames(1, false);
    EXPECT_FALSE(d.game().theatre_open());
    EXPECT_TRUE(d.game().practising() && test::hud_shows(d, "Practice"));
    // The taken-over game is the replay's at that moment: its clock goes on from there.
    EXPECT_EQ(d.state().clock_time, tick_time(static_cast<long>(moment) + 1));
    EXPECT_GT(glm::distance(d.state().ball.position, ball), 0.0f);
    EXPECT_LT(glm::distance(d.state().ball.position, ball), 0.2f);

    d.hold(command::forward);
    for (int i = 0; i < 30 * 60 && !d.state().won; ++i) {
        d.frames(1, false);
    }
    ASSERT_TRUE(d.state().won);
    EXPECT_EQ(test::file_text(records), records_before);

    // R goes back to the moment of the takeover, not to the start.
    d.release(command::forward);
    d.hold(command::restart);
    d.frames(1, false);
    EXPECT_FALSE(d.state().won);
    EXPECT_EQ(d.state().ball.position, ball);
    EXPECT_TRUE(d.game().practising());
}

TEST(Theatre, ThreeLivesLostOnOneCellShowThreeThereAndTheFallMapPaintsItHottest) {
    const test::scratch_dir dir;
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    // The ball rolls from the start over (1, 1) and off its far edge.
    const std::string level = "start 1 2\nfinish 9 9\npath\n\n111\n111\n";
    test::game_driver d(level);
    const std::string key = level_key(level);
    for (int i = 0; i < 60 * 60 && d.state().lives > 2; ++i) {
        d.hold(command::forward, d.state().ball.position.y < 4.5f);
        d.frames(1, false);
    }
    const level_statistics* counted = d.game().statistics().find(key);
    ASSERT_NE(counted, nullptr);
    EXPECT_EQ(counted->deaths, (std::map<level_cell, long>{{{1, 1}, 3}}));
    statistics_store saved((dir.path() / "data/quillomar").string());
    saved.load();
    ASSERT_NE(saved.find(key), nullptr);
    EXPECT_EQ(saved.find(key)->deaths.at({1, 1}), 3);

    // Seen from straight above, where the cell's face is not hidden by the ball.
    d.game().keys()->key_pressed(GLFW_KEY_H);
    d.frames(1);
    ASSERT_TRUE(d.game().fall_map_shown);
    game_state& s = d.state();
    const glm::vec3 eye(3.0f, 30.0f, 3.01f);
    s.view = glm::lookAt(eye, glm::vec3(3.0f, 0.0f, 3.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    d.game().renderer()->draw(s, 1024, 768);
    const auto pixel_at = [&](const glm::vec3& p) {
        const glm::vec4 clip = s.projection * s.view * glm::vec4(p, 1.0f);
        const int x = static_cast<int>((clip.x / clip.w * 0.5f + 0.5f) * 1024.0f);
        const int y = static_cast<int>((clip.y / clip.w * 0.5f + 0.5f) * 768.0f);
        std::array<unsigned char, 4> rgba{};
        glReadBuffer(GL_BACK);
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    };
    // The middle of cell (1, 1), and of the cell beside it, where no life was lost.
    const auto hot = pixel_at({3.0f, 3.0f, 3.0f});
    const auto plain = pixel_at({5.0f, 3.0f, 3.0f});
    EXPECT_GT(hot[0], 150);
    EXPECT_LT(hot[1], hot[0] / 3);
    EXPECT_LT(hot[2], hot[0] / 3);
    EXPECT_GT(plain[1], plain[0] / 2);
}

}  // namespace
}  // namespace quillomar
