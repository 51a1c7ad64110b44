// The shipped levels played through with the real physics by an autopilot that uses only the
// player's commands: each must be finishable, and its recording must replay to the same end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "game/ghost_run.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// Plays a level like a patient player: follows a route of waypoints by pushing and turning, flips
// the level where the route says so, and starts the route again after losing a life. With a
// spider margin it backs off from spiders closer than that (world units).
struct waypoint {
    glm::vec2 target{0.0f};  // world x, z
    float speed = 3.0f;      // the speed to arrive with, units per second
    bool flip = false;       // stop here and flip the level
};

struct autopilot {
    const game_state& game;
    std::vector<waypoint> route;
    float spider_margin = 0.0f;
    std::size_t next = 0;
    int lives_seen = game.lives;
    int flip_phase = 0;

    // The commands to hold for the next step.
    std::set<command> keys() {
        if (game.lives != lives_seen) {  // a life lost: the route starts again
            lives_seen = game.lives;
            next = 0;
            flip_phase = 0;
        }
        const btVector3 v = game.ball.body->getLinearVelocity();
        // Nothing to steer while dying, or while the ball still drops onto its start.
        if (game.dying || game.won || next >= route.size() ||
            (game.ball.position.y > 20.0f && v.y() < -0.5f)) {
            return {};
        }
        const waypoint& wp = route[next];
        const glm::vec2 position(game.ball.position.x, game.ball.position.z);
        const glm::vec2 to_target = wp.target - position;
        const float distance = glm::length(to_target);
        if (wp.flip) {
            // Phase 1: at rest on the mark, press flip until the flip runs. From phase 2: once the
            // flip has ended, hold still for 89 steps, then go on.
            if (flip_phase == 0 && distance < 0.7f && glm::length(glm::vec2(v.x(), v.z())) < 0.4f) {
                flip_phase = 1;
            }
            if (flip_phase == 1 && !game.level.flipping) {
                return {command::flip};
            }
            if (flip_phase >= 1) {
                flip_phase = std::max(flip_phase, 2);
                if (game.level.flipping) {
                    return {};
                }
                if (++flip_phase < 92) {
                    return steer_towards(glm::vec2(0.0f));
                }
                flip_phase = 0;
                ++next;
                return {};
            }
        } else if (distance < 1.0f) {
            ++next;
            return keys();
        }
        // Slow down towards the waypoint's own speed as it comes near.
        const float speed = std::min(std::max(wp.speed, 4.0f), std::max(wp.speed, 1.2f * distance));
        glm::vec2 desired = distance > 1e-4f ? to_target / distance * speed : glm::vec2(0.0f);
        // Keep clear of spiders on the ball's own level: back off from any closer than the margin.
        for (const glm::vec3& e : game.level.enemies) {
            const glm::vec2 away = position - glm::vec2(e.x, e.z);
            const float gap = glm::length(away);
            if (gap < spider_margin && gap > 1e-4f &&
                std::fabs(e.y - game.ball.position.y) < 2.0f) {
                desired += away / gap * (spider_margin - gap) * 3.0f;
            }
        }
        return steer_towards(desired);
    }

    std::set<command> steer_towards(const glm::vec2& desired_velocity) {
        std::set<command> held;
        const btVector3 v = game.ball.body->getLinearVelocity();
        const glm::vec2 error = desired_velocity - glm::vec2(v.x(), v.z());
        const glm::vec2 heading(game.ball.heading.x, game.ball.heading.z);
        const float error_size = glm::length(error);

        // Push along the error: W when the heading points that way, S when it points away.
        glm::vec2 axis = error_size > 1e-4f ? error / error_size : heading;
        const bool backwards = glm::dot(heading, axis) < 0.0f;
        if (backwards) {
            axis = -axis;
        }
        // The angle that turns the heading onto the axis, positive in the sense A turns.
        const float angle =
            std::atan2(heading.y * axis.x - heading.x * axis.y, glm::dot(heading, axis));
        if (error_size > 0.25f && std::fabs(angle) < 0.35f) {
            held.insert(backwards ? command::back : command::forward);
        }

        // The steering sphere coasts: aim for a turn rate that fades as the heading lines up.
        const float spin = game.ball.heading_body->getAngularVelocity().y();
        const float wanted_spin = error_size > 0.25f ? std::clamp(3.0f * angle, -2.5f, 2.5f) : 0.0f;
        if (spin < wanted_spin - 0.15f) {
            held.insert(command::turn_left);
        } else if (spin > wanted_spin + 0.15f) {
            held.insert(command::turn_right);
        }
        return held;
    }
};

// One line per event: its kind and its text.
std::string summary(const game_events& events) {
    std::string lines;
    for (const game_event& e : events) {
        lines += std::to_string(static_cast<int>(e.kind)) + " " + e.text + "\n";
    }
    return lines;
}

// A waypoint in the middle of cell (column, row), where the ball rests on that cube.
waypoint at(int column, int row, float speed = 3.0f, bool flip = false) {
    return {glm::vec2(2.0f * column, 2.0f * row), speed, flip};
}
waypoint flip_at(int column, int row) {
    return at(column, row, 0.0f, true);
}

void play_through(const std::string& level_file, const std::vector<waypoint>& route,
                  int max_seconds, float spider_margin = 0.0f) {
    std::stringstream text;
    text << std::ifstream(test::source_dir() / level_file).rdbuf();
    test::core_driver driver(text.str());
    const game_state& g = driver.state();
    autopilot pilot{g, route, spider_margin};
    std::size_t best = 0;
    for (int step = 0; step < max_seconds * 60 + 120 && !g.lost && !g.won; ++step) {
        driver.hold_only(pilot.keys());
        driver.step();
        best = std::max(best, pilot.next);
    }
    EXPECT_TRUE(g.won) << level_file << ": waypoint " << pilot.next << " of " << route.size()
                       << ", furthest " << best << ", ball at " << g.ball.position.x << ", "
                       << g.ball.position.z << ", lives " << g.lives;

    if (const char* keep = std::getenv("QUILLOMAR_PLAYTHROUGH_RECORDINGS")) {
        save_recording(driver.run, std::string(keep) + "/" +
                                       level_file.substr(level_file.rfind('/') + 1) + ".replay");
    }
    // The run, written as a recording and read back, plays into a fresh game to the same end:
    // the same events in the same order and the same finish time.
    const std::optional<recording> run = parse_recording(format_recording(driver.run));
    ASSERT_TRUE(run.has_value());
    test::core_driver replay(text.str());
    game_events replayed;
    for (const frame_input& frame : run->frames) {
        const game_events happened = replay.core().step(frame);
        replayed.insert(replayed.end(), happened.begin(), happened.end());
    }
    EXPECT_EQ(summary(replayed), summary(driver.events));
    EXPECT_EQ(replay.state().finish_time, g.finish_time);

    // Its ghost is the run: the same splits, and the ball where it was at the finish.
    test::core_driver fresh(text.str());
    const ghost_run ghost = simulate_run(fresh.state().level, *run);
    EXPECT_EQ(ghost.splits.items, g.splits.items);
    EXPECT_EQ(ghost.splits.finish, g.splits.finish);
    const std::optional<glm::mat4> end = ghost_matrix_at(ghost, g.splits.finish);
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(glm::vec3((*end)[3]), g.ball.position);
    EXPECT_FALSE(ghost_matrix_at(ghost, g.splits.finish + 0.01).has_value());
}

TEST(LevelPlaythrough, ShippedLevelIsFinishable) {
    play_through("level.txt",
                 {at(6, 3), at(10, 3, 2), at(12, 2, 2), flip_at(13, 3), at(15, 3), at(17, 3, 2),
                  at(18, 5), at(18, 8, 2), at(18, 10), flip_at(18, 12), at(21, 13), at(24, 13, 1)},
                 240);
}

TEST(LevelPlaythrough, TutorialIsFinishable) {
    play_through("levels/tutorial.txt",
                 {at(5, 3), at(7, 3, 2), flip_at(8, 3), at(10, 3), at(12, 3, 1)}, 180);
}

TEST(LevelPlaythrough, HardLevelIsFinishable) {
    play_through(
        "levels/hard.txt",
        {at(4, 3), at(13, 3, 7.5f),  // a run-up along the terrace, then over the gap
         at(15, 3, 1), at(16, 5), at(16, 8, 1), flip_at(16, 9), at(16, 11), at(15, 13, 1),
         at(18, 13), flip_at(20, 13), at(22, 13), flip_at(24, 13), at(24, 10), at(24, 8, 1)},
        300, 4.0f);
}

TEST(LevelPlaythrough, BenchmarkLevelIsFinishable) {
    play_through("levels/benchmark_64x64.txt", {at(3, 5), at(1, 6, 1)}, 60);
}

}  // namespace
}  // namespace quillomar
