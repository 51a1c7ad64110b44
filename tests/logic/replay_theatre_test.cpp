// Watching a run in the theatre: every way to reach a tick lands on the same game, the speed
// paces the ticks, and a takeover hands over the game exactly as it stood.
#include <gtest/gtest.h>

#include "game/replay_theatre.h"
#include "game/tick_clock.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

const char* const corridor =
    "start 1 6\nfinish 1 1\nitem 1 4\npath\n111\n111\n111\n111\n111\n111\n111\n111\n";

// The level as the game loads it, and a ticked run over it: a wait, a push with a turn, a flip.
struct fixture {
    test::scratch_dir dir;
    test::stream_capture quiet;
    level loaded;
    recording run;
    fixture() {
        game_core reader;
        reader.read_level(dir.write("level.txt", corridor));
        reader.place_items();
        reader.place_enemies();
        loaded = reader.state.level;
        run.level_key = level_key(corridor);
        held_to_presses presses;
        for (int i = 0; i < 900; ++i) {
            std::array<bool, command_count> held{};
            held[static_cast<std::size_t>(command::forward)] = i > 200;
            held[static_cast<std::size_t>(command::turn_left)] = i > 300 && i < 320;
            held[static_cast<std::size_t>(command::flip)] = i == 500;
            run.frames.push_back(presses.next(0.0, held));
        }
    }
};

// What tells two games apart tick for tick.
void expect_same_game(const game_state& a, const game_state& b) {
    EXPECT_EQ(a.ball.position, b.ball.position);
    EXPECT_EQ(a.ball.heading, b.ball.heading);
    EXPECT_EQ(a.clock_time, b.clock_time);
    EXPECT_EQ(a.change_count, b.change_count);
    EXPECT_EQ(a.level.items, b.level.items);
    EXPECT_EQ(a.level.cubes, b.level.cubes);
}

TEST(ReplayTheatre, SeekingBackAndForthLandsOnTheGamePlayedStraightToThatTick) {
    fixture f;
    replay_theatre straight(f.loaded, f.run);
    for (int i = 0; i < 420; ++i) {
        straight.step();
    }
    replay_theatre sought(f.loaded, f.run);
    for (std::size_t to : {700u, 100u, 600u, 420u}) {
        sought.seek(to);
        EXPECT_EQ(sought.position(), to);
    }
    expect_same_game(sought.core().state, straight.core().state);
    // The item was picked up on the way, at the time of play its split says.
    ASSERT_EQ(sought.events().size(), straight.events().size());
    ASSERT_FALSE(sought.events().empty());
    EXPECT_EQ(sought.events()[0].text, "item");
    EXPECT_EQ(sought.events()[0].play_seconds, straight.core().state.splits.items.at(0));
    sought.seek(5000);
    EXPECT_EQ(sought.position(), f.run.frames.size());
    EXPECT_EQ(sought.total_seconds(), 15.0);
}

TEST(ReplayTheatre, TheSpeedPacesTheTicksAndAPausedReplayOnlySteps) {
    fixture f;
    const struct {
        int slower, faster;
        double wall_seconds, speed;
        int frames;
    } cases[] = {
        {0, 0, 1.0, 1.0, 60}, {0, 2, 0.1, 4.0, 24}, {2, 0, 1.0, 0.25, 15},
        {5, 0, 2.0, 0.25, 30}, {0, 5, 5.0, 4.0, 60}, {1, 0, 1.0 / 60.0, 0.5, 0},
    };
    for (const auto& c : cases) {
        replay_theatre t(f.loaded, f.run);
        for (int i = 0; i < c.slower; ++i) {
            t.slower();
        }
        for (int i = 0; i < c.faster; ++i) {
            t.faster();
        }
        EXPECT_EQ(t.speed(), c.speed);
        EXPECT_EQ(t.advance(c.wall_seconds), c.frames) << c.speed;
        EXPECT_EQ(t.position(), static_cast<std::size_t>(c.frames));
    }
    // A run recorded frame by frame keeps its own frames' times: 30 a second here.
    recording old = f.run;
    old.version = 1;
    for (std::size_t i = 0; i < old.frames.size(); ++i) {
        old.frames[i].time = 1000.0 + static_cast<double>(i) / 30.0;
    }
    replay_theatre timed(f.loaded, old);
    EXPECT_EQ(timed.advance(0.5), 16);
    replay_theatre t(f.loaded, f.run);
    t.set_paused(true);
    EXPECT_EQ(t.advance(10.0), 0);
    t.step();
    EXPECT_EQ(t.position(), 1u);
    EXPECT_EQ(t.seconds(), tick_seconds);
}

TEST(ReplayTheatre, ATakeoverHandsOverTheGameAsItStoodAndPracticeRebuildsIt) {
    fixture f;
    replay_theatre t(f.loaded, f.run);
    t.seek(650);
    replay_theatre reference(f.loaded, f.run);
    reference.seek(650);
    practice_start start;
    const std::unique_ptr<game_core> taken = t.take_over(start);
    expect_same_game(taken->state, reference.core().state);
    EXPECT_EQ(start.before.frames.size(), 650u);
    EXPECT_EQ(start.before.level_key, f.run.level_key);
    EXPECT_EQ(t.position(), 0u);
    expect_same_game(build_practice(start)->state, reference.core().state);

    // From the list: the ball drops onto the middle of the chosen cell instead of the start,
    // facing as it would on the start.
    start = {f.loaded, recording(), level_cell{1, 3}};
    start.loaded.start_facing = facing::west;
    const std::unique_ptr<game_core> practice = build_practice(start);
    EXPECT_EQ(practice->state.ball.position, glm::vec3(3.0f, 25.0f, 7.0f));
    EXPECT_EQ(practice->state.ball.heading, glm::vec3(-1.0f, 0.0f, 0.0f));
}

TEST(ReplayTheatre, TheListHasEveryBestRunThenEveryRecordingAndRecordingsGetFreeDatedNames) {
    test::scratch_dir dir;
    dir.write("data/0123456789abcdef.replay", "");
    dir.write("data/records.txt", "");
    dir.write("data/recordings/b.replay", "");
    dir.write("data/recordings/a", "");
    const std::string data = (dir.path() / "data").string();
    const std::vector<replay_entry> list =
        list_replays(data, data + "/recordings", {{"0123456789abcdef", "levels/01_rolling.txt"}});
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].title, "Best run: 01_rolling.txt");
    EXPECT_EQ(list[1].title + list[2].title, "ab.replay");
    EXPECT_TRUE(list[0].best_run && !list[1].best_run);
    const std::string level = dir.write("level.txt", corridor);
    EXPECT_EQ(level_file_for_key(level_key(corridor), {data + "/none.txt", level}), level);
    const std::string first = dated_recording_path(data, 2026, 12, 7, 9, 5, 3);
    EXPECT_EQ(first, data + "/2026-12-07_09-05-03.replay");
    dir.write("data/2026-12-07_09-05-03.replay", "");
    EXPECT_EQ(dated_recording_path(data, 2026, 12, 7, 9, 5, 3),
              data + "/2026-12-07_09-05-03-2.replay");
}

}  // namespace
}  // namespace quillomar
