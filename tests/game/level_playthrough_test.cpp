// The shipped levels played through with the real physics by an autopilot that uses only the
// player's commands: each must be finishable.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "tests/support/autopilot.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

std::string read_level(const std::string& relative) {
    std::ifstream in(test::source_dir() / relative);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// World point of the middle of cell (column, row), where the ball rests on that cube.
glm::vec2 cell(int column, int row) {
    return glm::vec2(2.0f * column, 2.0f * row);
}

void play_through(const std::string& level_file, const std::vector<test::waypoint>& route,
                  int max_seconds, float spider_margin = 0.0f) {
    test::core_driver driver(read_level(level_file));
    const game_state& g = driver.state();
    test::autopilot pilot(g, route, spider_margin);
    std::size_t best = 0;
    for (int step = 0; step < max_seconds * 60 + 120 && !g.lost && !g.won; ++step) {
        driver.hold_only(pilot.keys());
        driver.step();
        best = std::max(best, pilot.next_waypoint());
        if (std::getenv("QUILLOMAR_PILOT_TRACE") != nullptr && step % 15 == 0) {
            std::cerr << step << " " << pilot.status() << "\n";
        }
    }
    EXPECT_TRUE(g.won) << level_file << ": " << pilot.status() << ", furthest waypoint " << best;
    EXPECT_FALSE(g.lost);

    // The run, written as a recording and read back, plays into a fresh game to the same end:
    // the same events in the same order and the same finish time.
    const std::optional<recording> run = parse_recording(format_recording(driver.run));
    ASSERT_TRUE(run.has_value());
    test::core_driver replay(read_level(level_file));
    game_events replayed;
    for (const frame_input& frame : run->frames) {
        const game_events happened = replay.core().step(frame);
        replayed.insert(replayed.end(), happened.begin(), happened.end());
    }
    ASSERT_EQ(replayed.size(), driver.events.size());
    for (std::size_t i = 0; i < replayed.size(); ++i) {
        EXPECT_EQ(replayed[i].kind, driver.events[i].kind) << i;
        EXPECT_EQ(replayed[i].text, driver.events[i].text) << i;
    }
    EXPECT_EQ(replay.state().finish_time, g.finish_time);
}

TEST(LevelPlaythrough, ShippedLevelIsFinishable) {
    play_through("level.txt",
                 {{cell(6, 3)},
                  {cell(10, 3), 2.0f},
                  {cell(12, 2), 2.0f},
                  {cell(13, 3), 0.0f, true},
                  {cell(15, 3)},
                  {cell(17, 3), 2.0f},
                  {cell(18, 5)},
                  {cell(18, 8), 2.0f},
                  {cell(18, 10)},
                  {cell(18, 12), 0.0f, true},
                  {cell(21, 13)},
                  {cell(24, 13), 1.0f}},
                 240);
}

TEST(LevelPlaythrough, TutorialIsFinishable) {
    play_through("levels/tutorial.txt",
                 {{cell(5, 3)},
                  {cell(7, 3), 2.0f},
                  {cell(8, 3), 0.0f, true},
                  {cell(10, 3)},
                  {cell(12, 3), 1.0f}},
                 180);
}

TEST(LevelPlaythrough, HardLevelIsFinishable) {
    play_through("levels/hard.txt",
                 {{cell(4, 3)},
                  // A run-up along the terrace, then the jump over the one-cell gap.
                  {cell(13, 3), 7.5f},
                  {cell(15, 3), 1.0f},
                  {cell(16, 5)},
                  {cell(16, 8), 1.0f},
                  {cell(16, 9), 0.0f, true},
                  {cell(16, 11)},
                  {cell(15, 13), 1.0f},
                  {cell(18, 13)},
                  {cell(20, 13), 0.0f, true},
                  {cell(22, 13)},
                  {cell(24, 13), 0.0f, true},
                  {cell(24, 10)},
                  {cell(24, 8), 1.0f}},
                 300, 4.0f);
}

TEST(LevelPlaythrough, BenchmarkLevelIsFinishable) {
    play_through("levels/benchmark_64x64.txt", {{cell(3, 5)}, {cell(1, 6), 1.0f}}, 60);
}

}  // namespace
}  // namespace quillomar
