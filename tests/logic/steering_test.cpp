// Direct steering: the heading turns by exactly the steer of each tick and stops when it stops,
// with no spin left and the rolling ball untouched (the whole-game steering test shows classic
// steering still coasting). Every hand becomes such a turn.
#include <gtest/gtest.h>

#include <cmath>

#include "game/steering.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

std::string plate() {
    std::string text = "start 10 10\nfinish 1 1\npath\n";
    for (int row = 0; row < 21; ++row) {
        text += std::string(21, '1') + "\n";
    }
    return text;
}

float spin_of(const btRigidBody& body) {
    return static_cast<float>(body.getAngularVelocity().length());
}

TEST(DirectSteering, TheHeadingTurnsExactlyWhileSteeredAndStopsAtOnce) {
    test::core_driver d(plate());
    d.steps(4 * 60);  // dropped and at rest
    // A quarter turn left at 90 degrees a second: west after one second, to the tick.
    d.steer = held_turn_steer(true, false, 255, 90);
    d.steps(59);
    EXPECT_GT(glm::distance(d.state().ball.heading, glm::vec3(-1, 0, 0)), 1e-3f);
    d.step();
    EXPECT_LT(glm::distance(d.state().ball.heading, glm::vec3(-1, 0, 0)), 1e-4f);
    EXPECT_EQ(spin_of(*d.state().ball.heading_body), 0.0f);
    EXPECT_LT(spin_of(*d.state().ball.body), 1e-3f);  // the rolling ball was not twisted
    // Let go: the very next tick the heading stands, and stays.
    d.steer = 0;
    d.step();
    const glm::vec3 stopped = d.state().ball.heading;
    d.steps(90);
    EXPECT_EQ(d.state().ball.heading, stopped);
    // W pushes the new way.
    d.hold(command::forward);
    const glm::vec3 from = d.state().ball.position;
    d.steps(60);
    const glm::vec3 moved = d.state().ball.position - from;
    EXPECT_LT(moved.x, -0.8f);
    EXPECT_LT(std::fabs(moved.z), 0.05f);
    d.release(command::forward);
    // Whole turns come back to the start facing exactly, and a restart forgets the steering.
    d.steer = -max_steer_per_tick;
    d.steps(2);
    EXPECT_LT(glm::distance(d.state().ball.heading, stopped), 1e-5f);
    d.steer = 0;
    d.tap(command::restart);
    EXPECT_LT(glm::distance(d.state().ball.heading, glm::vec3(0, 0, -1)), 1e-5f);
    EXPECT_EQ(d.state().ball.steered, 0);
}

TEST(DirectSteering, EveryHandBecomesATurnATick) {
    const struct {
        bool left, right;
        std::uint8_t share;
        int rate;
        std::int32_t steer;
    } held[] = {{false, false, 255, 150, 0},  {true, false, 255, 150, 2500},
                {false, true, 255, 150, -2500}, {true, true, 255, 150, -2500},
                {true, false, 128, 150, 1255},  {true, false, 255, 30, 1000},
                {false, true, 255, 999, -4000}, {true, false, 0, 150, 0}};
    for (const auto& h : held) {
        EXPECT_EQ(held_turn_steer(h.left, h.right, h.share, h.rate), h.steer)
            << h.left << h.right << int{h.share} << " " << h.rate;
    }
    // The pointer: a pixel right turns 0.18 degrees right at 100 %; what is too small to count
    // is carried, so slow movement adds up to the same turn.
    pointer_steer pointer;
    EXPECT_EQ(pointer.take(1.0, 100), -180);
    EXPECT_EQ(pointer.take(-10.0, 50), 900);
    std::int32_t slow = 0;
    for (int i = 0; i < 1000; ++i) {
        slow += pointer.take(0.001, 100);
    }
    EXPECT_EQ(slow, -180);
    EXPECT_EQ(pointer.take(std::nan(""), 100), 0);
    EXPECT_EQ(pointer.take(1e12, 100), -max_steer_per_tick);
    EXPECT_EQ(pointer.take(0.0, 100), 0);
}

}  // namespace
}  // namespace quillomar
