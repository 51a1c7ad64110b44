// A game started from the title menu names its ends the way a player reads them: a lost game
// shows no life left and offers the fall map with its legend, and a watched best run ends on
// its own time instead of a win.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>

#include "game/hud_lines.h"
#include "render/frame_renderer.h"
#include "shell/theatre_mode.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// Won by rolling one cell ahead.
const char* const short_run = "start 1 2\nfinish 1 1\npath\n111\n111\n111\n";
// The ball rolls from the start over (1, 1) and off its far edge.
const char* const short_floor = "start 1 2\nfinish 9 9\npath\n\n111\n111\n";

// A game from the title menu whose set is the one level, played from the title's Play.
std::unique_ptr<test::game_driver> play_from_menu(const test::scratch_dir& dir, const char* text) {
    test::use_homes(dir);
    const std::string path = dir.write("a.txt", text);
    auto d = std::make_unique<test::game_driver>(text, false);
    d->start_from_menu(dir.write("order.txt", path + " First\n"));
    press(*d, {GLFW_KEY_ENTER});  // Play
    press(*d, {GLFW_KEY_SPACE});  // past the preview
    test::until_screen(*d, "play");
    return d;
}

bool has_line(const std::vector<hud_line>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const hud_line& l) { return l.text == text; });
}

TEST(PlayerWords, ALostGameShowsNoLifeLeftAndItsFallMapComesWithALegend) {
    const test::scratch_dir dir;
    std::unique_ptr<test::game_driver> d = play_from_menu(dir, short_floor);
    ASSERT_EQ(d->game().screen_name(), "play");
    for (int i = 0; i < 60 * 60 && !d->state().lost; ++i) {
        d->hold(command::forward, d->state().ball.position.y < 4.5f);
        d->frames(1, false);
        // Whenever the message shows, the count agrees with it.
        const std::vector<hud_line> lines = hud_lines(d->state());
        ASSERT_FALSE(has_line(lines, "You lost the game") && !has_line(lines, "Lives: 0"));
    }
    ASSERT_TRUE(d->state().lost);
    EXPECT_TRUE(has_line(hud_lines(d->state()), "Lives: 0"));
    EXPECT_TRUE(test::hud_shows(*d, "H: show where lives were lost"));

    // H from the game-over screen: the map, and its legend's colour bar from few to many.
    press(*d, {GLFW_KEY_H});
    ASSERT_TRUE(d->game().fall_map_shown);
    EXPECT_TRUE(test::hud_shows(*d, "H: hide where lives were lost"));
    d->frames(1);
    frame_renderer& renderer = *d->game().renderer();
    ASSERT_TRUE(renderer.fall_map.legend.has_value());
    ASSERT_FALSE(renderer.fall_map.deaths.empty());
    const fall_map_legend_place place = place_fall_map_legend(
        *renderer.fall_map.legend, 1024, 768, renderer.text_scale, renderer.hud_metrics());
    renderer.draw(d->state(), 1024, 768);
    const auto pixel = [](int x, int y_from_top) {
        std::array<unsigned char, 4> rgba{};
        glReadPixels(x, 768 - 1 - y_from_top, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    };
    const int middle = (place.top + place.bottom) / 2;
    const std::array<unsigned char, 4> few = pixel(place.left + 3, middle);
    const std::array<unsigned char, 4> many = pixel(place.right - 3, middle);
    EXPECT_TRUE(few[0] > 200 && few[1] > 150);    // pale yellow
    EXPECT_TRUE(many[0] > 200 && many[1] < 60);  // red
    EXPECT_TRUE(has_line(place.lines, "few") && has_line(place.lines, "many"));
}

TEST(PlayerWords, AWatchedBestRunEndsOnItsOwnTimeAndTheListNamesItsLevel) {
    const test::scratch_dir dir;
    std::unique_ptr<test::game_driver> d = play_from_menu(dir, short_run);
    d->hold(command::forward);
    for (int i = 0; i < 600 && !d->state().won; ++i) {
        d->frames(1, false);
    }
    ASSERT_TRUE(d->state().won);
    const std::string time = format_run_time(d->state().finish_time - d->state().play_started);
    d->release(command::forward);
    d.reset();

    d = std::make_unique<test::game_driver>(short_run, false);
    d->start_from_menu((dir.path() / "order.txt").string());
    press(*d, {GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_DOWN,
               GLFW_KEY_ENTER});  // Replays
    ASSERT_EQ(d->game().screen_name(), "theatre");
    ASSERT_EQ(d->game().theatre()->entries().size(), 1u);
    const replay_entry& entry = d->game().theatre()->entries()[0];
    EXPECT_EQ(entry.title, "First");
    EXPECT_EQ(entry.seconds ? format_run_time(*entry.seconds) : "", time);
    EXPECT_FALSE(entry.date.empty());

    press(*d, {GLFW_KEY_ENTER});
    replay_theatre* replay = d->game().theatre()->playing();
    ASSERT_NE(replay, nullptr);
    d->frames(static_cast<int>(replay->length()) + 60, false);
    d->frames(1);  // drawn, so that the replay's HUD speaks to the player
    ASSERT_EQ(replay->position(), replay->length());
    const std::vector<hud_line> game_lines = hud_lines(replay->core().state);
    EXPECT_TRUE(has_line(game_lines, "Replay finished  " + time));
    EXPECT_FALSE(has_line(game_lines, "You finished the game!"));
    // The bar is full, and ends on the run's own time.
    const std::string full_bar = "[" + std::string(40, '|') + "] " + time + " / " + time;
    EXPECT_TRUE(test::hud_shows(*d, full_bar)) << full_bar;
}

}  // namespace
}  // namespace quillomar
