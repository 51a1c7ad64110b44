// The ball's start heading: a level's facing turns it a quarter at a time, on the first drop,
// after a restart and after a lost life; without the line it is north, exactly as it was.
#include <gtest/gtest.h>

#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// A wide plate, the start in its middle and the finish far off in a corner.
std::string plate(const std::string& facing_line) {
    std::string text = "start 10 10\nfinish 1 1\n" + facing_line + "path\n";
    for (int row = 0; row < 21; ++row) {
        text += std::string(21, '1') + "\n";
    }
    return text;
}

// Drops the ball, then holds W for a second: where the push took it from where it landed.
glm::vec2 pushed(test::core_driver& d) {
    d.release(command::forward);
    d.steps(4 * 60);
    const glm::vec3 landed = d.state().ball.position;
    d.hold(command::forward);
    d.steps(60);
    const glm::vec3 moved = d.state().ball.position - landed;
    return {moved.x, moved.z};
}

TEST(StartFacing, EachFacingTurnsTheStartHeadingAndWPushesThatWay) {
    const struct {
        const char* line;
        glm::vec3 heading;
    } cases[] = {{"", {0, 0, -1}},
                 {"facing north\n", {0, 0, -1}},
                 {"facing east\n", {1, 0, 0}},
                 {"facing south\n", {0, 0, 1}},
                 {"facing west\n", {-1, 0, 0}},
                 {"facing sideways\n", {0, 0, -1}}};
    for (const auto& c : cases) {
        test::core_driver d(plate(c.line));
        EXPECT_EQ(d.state().ball.heading, c.heading) << c.line;
        const glm::vec2 first = pushed(d);
        // A second along the heading covers more than a unit and hardly strays from it.
        EXPECT_GT(glm::dot(first, glm::vec2(c.heading.x, c.heading.z)), 0.8f) << c.line;
        EXPECT_LT(glm::length(first - glm::dot(first, glm::vec2(c.heading.x, c.heading.z)) *
                                          glm::vec2(c.heading.x, c.heading.z)),
                  0.05f)
            << c.line;
        // Turned about, then restarted: the start heading comes back.
        d.hold(command::turn_left);
        d.steps(60);
        d.release(command::turn_left);
        d.tap(command::restart);
        EXPECT_EQ(d.state().lives, 4) << c.line;
        EXPECT_LT(glm::distance(d.state().ball.heading, c.heading), 1e-4f) << c.line;
        const glm::vec2 again = pushed(d);
        EXPECT_GT(glm::dot(again, glm::vec2(c.heading.x, c.heading.z)), 0.8f) << c.line;
    }
}

TEST(StartFacing, ALevelWithoutTheLineReplaysBitForBitAsOneFacingNorth) {
    test::core_driver plain(plate(""));
    test::core_driver north(plate("facing north\n"));
    for (test::core_driver* d : {&plain, &north}) {
        d->hold(command::forward);
        d->hold(command::turn_right);
        d->steps(5 * 60);
    }
    EXPECT_EQ(plain.state().ball.position, north.state().ball.position);
    EXPECT_EQ(plain.state().ball.heading, north.state().ball.heading);
}

TEST(StartFacing, ALostLifeStartsAgainFacingTheSameWay) {
    // A single row heading east: pushed west, the ball falls off and comes back facing east.
    test::core_driver d("start 1 0\nfinish 9 0\nfacing east\npath\n1111111111\n");
    d.steps(4 * 60);
    d.hold(command::back);
    for (int i = 0; i < 12 * 60 && d.state().lives == 5; ++i) {
        d.step();
    }
    d.release(command::back);
    ASSERT_EQ(d.state().lives, 4);
    d.steps(2);
    EXPECT_LT(glm::distance(d.state().ball.heading, glm::vec3(1, 0, 0)), 1e-4f);
}

}  // namespace
}  // namespace quillomar
