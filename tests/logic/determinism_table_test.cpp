// One world on every build: every level of the set, played by the checking player, recorded and
// played again, ends on the tick and with the state hash that tests/determinism_table.txt holds.
// The native, sanitizer and WebAssembly builds all answer to that one file, so a change that
// moves the simulation changes the file, on purpose: `build/determinism_table >
// tests/determinism_table.txt`.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>

#include "authoring/determinism_table.h"
#include "game/state_hash.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

TEST(DeterminismTable, EveryLevelOfTheSetEndsAsCommitted) {
    const level_set set = load_level_set((test::source_dir() / level_order_file).string());
    ASSERT_GE(set.size(), 19u);
    std::ostringstream table;
    EXPECT_EQ(write_determinism_table(set, table), 0);
    std::string committed;
    std::istringstream lines(test::file_text(test::source_dir() / "tests/determinism_table.txt"));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] != '#') {
            committed += line + "\n";
        }
    }
    EXPECT_EQ(table.str(), committed);
}

TEST(DeterminismTable, ALineNeverHidesARunThatWentWrong) {
    determinism_row row{"a.txt", true, 90, 0xabcdefu, 90, 0xabcdefu};
    EXPECT_EQ(determinism_line(row), "a.txt 90 0000000000abcdef");
    row.finished = false;
    EXPECT_EQ(determinism_line(row), "a.txt unfinished 90 0000000000abcdef");
    row.recorded_ticks = 91;
    EXPECT_EQ(determinism_line(row),
              "a.txt replay differs: recorded 91 0000000000abcdef, replayed 90 0000000000abcdef");
    row.recorded_ticks = 90;
    row.recorded_hash = 0x1u;
    EXPECT_EQ(determinism_line(row),
              "a.txt replay differs: recorded 90 0000000000000001, replayed 90 0000000000abcdef");
}

float up(float f) {
    return std::nextafter(f, 1e30f);
}
void nudge(glm::vec3& v) {
    v.y = up(v.y);
}
void lift(btRigidBody& body) {
    btTransform t = body.getWorldTransform();
    t.getOrigin().setY(up(t.getOrigin().y()));
    body.setWorldTransform(t);
}
void turn(btRigidBody& body) {
    btTransform t = body.getWorldTransform();
    t.setRotation(btQuaternion(0.0f, 0.6f, 0.0f, 0.8f));
    body.setWorldTransform(t);
}

// The last bit of any part of the world changes the hash.
TEST(StateHash, EveryPartOfTheWorldCounts) {
    using change = std::function<void(game_state&)>;
    const std::vector<std::pair<const char*, change>> changes = {
        {"ball place", [](game_state& s) { lift(*s.ball.body); }},
        {"ball turn", [](game_state& s) { turn(*s.ball.body); }},
        {"ball speed",
         [](game_state& s) {
             s.ball.body->setLinearVelocity({0, up(0), 0});
         }},
        {"ball spin",
         [](game_state& s) {
             s.ball.body->setAngularVelocity({0, up(0), 0});
         }},
        {"steering place", [](game_state& s) { lift(*s.ball.heading_body); }},
        {"position", [](game_state& s) { nudge(s.ball.position); }},
        {"rotation", [](game_state& s) { s.ball.rotation.w = up(s.ball.rotation.w); }},
        {"heading", [](game_state& s) { nudge(s.ball.heading); }},
        {"lives", [](game_state& s) { --s.lives; }},
        {"changes", [](game_state& s) { ++s.change_count; }},
        {"dying", [](game_state& s) { s.dying = !s.dying; }},
        {"death time", [](game_state& s) { s.death_time += 1.0; }},
        {"won", [](game_state& s) { s.won = !s.won; }},
        {"lost", [](game_state& s) { s.lost = !s.lost; }},
        {"play started", [](game_state& s) { s.play_started += 1.0; }},
        {"finish time", [](game_state& s) { s.finish_time += 1.0; }},
        {"clock", [](game_state& s) { s.clock_time += 1.0; }},
        {"item split", [](game_state& s) { s.splits.items.push_back(0.0); }},
        {"finish split", [](game_state& s) { s.splits.finish += 1.0; }},
        {"updates", [](game_state& s) { ++s.updates_run; }},
        {"cube", [](game_state& s) { nudge(s.level.cubes.back()); }},
        {"item", [](game_state& s) { nudge(s.level.items.back()); }},
        {"spider", [](game_state& s) { nudge(s.level.enemies.back()); }},
        {"spider heading", [](game_state& s) { nudge(s.level.headings.back()); }},
        {"leg", [](game_state& s) { nudge(s.level.leg_offsets.back()); }},
        {"flipping", [](game_state& s) { s.level.flipping = !s.level.flipping; }},
        {"flipped", [](game_state& s) { s.level.flipped = !s.level.flipped; }},
        {"flip start", [](game_state& s) { s.level.flip_started += 1.0; }},
        {"random", [](game_state& s) { s.random.next(); }},
    };
    const std::string level_text = test::file_text(test::source_dir() / "level.txt");
    std::uint64_t first = 0;
    for (const auto& [name, apply] : changes) {
        test::core_driver game(level_text);
        game.steps(120);
        const std::uint64_t before = state_hash(game.state());
        EXPECT_TRUE(first == 0 || before == first) << "the same steps, another hash";
        first = before;
        apply(game.state());
        EXPECT_NE(state_hash(game.state()), before) << name;
    }
}

}  // namespace
}  // namespace quillomar
