// The whole game object with the real assets, driven by a manual clock and scripted keys.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// A 9 x 9 platform of level-1 cubes (tops at y = 4); the ball starts at cell (4, 6).
const char* const flat_level = R"(start 4 6
finish 30 30
path
111111111
111111111
111111111
111111111
111111111
111111111
111111111
111111111
111111111
)";

// A long runway towards -z with an item on the way and the finish at its far end.
const char* const runway_level = R"(start 2 14
finish 2 2
item 2 10
path
11111
11111
11111
11111
11111
11111
11111
11111
11111
11111
11111
11111
11111
11111
11111
11111
11111
)";

// The ball starts far beside the only cubes and falls to the ground plane.
const char* const no_ground_level = R"(start 20 20
finish 0 0
item 1 0
path
111
)";

constexpr int second = 60;

TEST(GamePlay, BallDropsOntoTheStartCubeAndComesToRest) {
    test::game_driver driver(flat_level);
    quillomar_game& g = driver.game();
    EXPECT_FLOAT_EQ(g.ball.position.y, 25.0f);
    driver.steps(6 * second);
    EXPECT_NEAR(g.ball.position.x, 8.0f, 0.05f);
    EXPECT_NEAR(g.ball.position.z, 12.0f, 0.05f);
    EXPECT_NEAR(g.ball.position.y, 4.0f, 0.02f);
    EXPECT_FALSE(g.dying);
}

TEST(GamePlay, WRollsAlongTheHeadingAndSAgainstIt) {
    test::game_driver driver(flat_level);
    quillomar_game& g = driver.game();
    driver.steps(6 * second);
    const glm::vec3 rest = g.ball.position;
    EXPECT_NEAR(g.ball.heading.z, -1.0f, 1e-4f);
    driver.hold(GLFW_KEY_W);
    driver.steps(second);
    driver.release(GLFW_KEY_W);
    EXPECT_LT(g.ball.position.z, rest.z - 1.0f);
    EXPECT_NEAR(g.ball.position.x, rest.x, 0.1f);

    driver.steps(3 * second);
    const glm::vec3 after_w = g.ball.position;
    driver.hold(GLFW_KEY_S);
    driver.steps(2 * second);
    driver.release(GLFW_KEY_S);
    driver.steps(second);
    EXPECT_GT(g.ball.position.z, after_w.z + 0.5f);
}

// Holds the keys for a third of a second once the ball rests, and returns the heading then.
glm::vec3 heading_after_holding(std::initializer_list<int> keys) {
    test::game_driver driver(flat_level);
    driver.steps(6 * second);
    for (int key : keys) {
        driver.hold(key);
    }
    driver.steps(20);
    return driver.game().ball.heading;
}

TEST(GamePlay, ATurnsLeftDTurnsRightAndBothTogetherTurnRight) {
    // Left of (0, 0, -1), seen from above, is towards -x.
    const glm::vec3 left = heading_after_holding({GLFW_KEY_A});
    EXPECT_LT(left.x, -0.05f);
    const glm::vec3 right = heading_after_holding({GLFW_KEY_D});
    EXPECT_GT(right.x, 0.05f);
    const glm::vec3 both = heading_after_holding({GLFW_KEY_A, GLFW_KEY_D});
    EXPECT_GT(both.x, 0.05f);
    for (const glm::vec3& h : {left, right, both}) {
        EXPECT_NEAR(glm::length(h), 1.0f, 1e-4f);
        EXPECT_EQ(h.y, 0.0f);
    }
}

TEST(GamePlay, RestartCostsALifeResetsTheHeadingAndDoesNothingAtZeroLives) {
    test::game_driver driver(flat_level);
    quillomar_game& g = driver.game();
    driver.steps(6 * second);
    driver.hold(GLFW_KEY_A);
    driver.steps(30);
    driver.release(GLFW_KEY_A);
    ASSERT_GT(std::fabs(g.ball.heading.x), 0.05f);

    driver.tap(GLFW_KEY_R);
    EXPECT_EQ(g.lives, 4);
    EXPECT_NEAR(g.ball.heading.z, -1.0f, 1e-4f);
    EXPECT_GT(g.ball.position.y, 20.0f) << "a new ball drops onto the start cell";

    // Held, R acts once.
    driver.hold(GLFW_KEY_R);
    driver.steps(10);
    driver.release(GLFW_KEY_R);
    driver.step();
    EXPECT_EQ(g.lives, 3);
    for (int i = 0; i < 5; ++i) {
        driver.tap(GLFW_KEY_R);
    }
    EXPECT_EQ(g.lives, 0);
    EXPECT_FALSE(g.lost);
}

TEST(GamePlay, FallingCountsDownRestartsAndTheFifthDeathLosesTheGame) {
    test::game_driver driver(no_ground_level);
    quillomar_game& g = driver.game();
    ASSERT_EQ(g.level.items.size(), 1u);
    g.level.items.clear();  // as if collected: the restart must bring it back

    ASSERT_TRUE(driver.steps_until([&] { return g.dying; }, 6 * second));
    driver.step();
    EXPECT_NE(driver.log().find("lives: 5\n"), std::string::npos);
    EXPECT_EQ(g.countdown_text, "Continue in: 4") << "4 only at the first instant";
    driver.step();
    EXPECT_EQ(g.countdown_text, "Continue in: 3");
    driver.steps(second);
    EXPECT_EQ(g.countdown_text, "Continue in: 2");
    driver.steps(second);
    EXPECT_EQ(g.countdown_text, "Continue in: 1");
    const glm::vec3 frozen = g.ball.position;
    driver.steps(second - 6);
    EXPECT_EQ(g.ball.position, frozen) << "nothing moves while the countdown runs";
    EXPECT_EQ(g.lives, 5);
    ASSERT_TRUE(driver.steps_until([&] { return !g.dying; }, 10));
    EXPECT_EQ(g.lives, 4);
    EXPECT_EQ(g.level.items.size(), 1u);

    // The first update after the countdown sees the whole countdown as its frame time, and the
    // physics takes only two sub-steps of it.
    driver.step();
    EXPECT_NEAR(g.last_dt, 3.0f, 0.1f);
    EXPECT_EQ(g.last_physics_steps, 2);

    for (int death = 2; death <= 5; ++death) {
        ASSERT_TRUE(driver.steps_until([&] { return g.dying; }, 8 * second)) << death;
        ASSERT_TRUE(driver.steps_until([&] { return !g.dying || g.lost; }, 5 * second));
    }
    EXPECT_TRUE(g.lost);
    EXPECT_EQ(g.lives, 1) << "the fifth death loses the game with one life on the HUD";
    const std::vector<hud_line> lines = g.hud_lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().text, "You lost the game");

    // From now on no key of the game acts.
    const long updates = g.updates_run;
    driver.clear_log();
    for (int key : {GLFW_KEY_R, GLFW_KEY_F2, GLFW_KEY_F3, GLFW_KEY_SPACE, GLFW_KEY_C}) {
        driver.tap(key);
    }
    driver.steps(second);
    EXPECT_EQ(g.updates_run, updates);
    EXPECT_EQ(g.lives, 1);
    EXPECT_FALSE(g.show_frame_time);
    EXPECT_FALSE(g.wireframe);
    EXPECT_TRUE(g.use_follow_camera);
    EXPECT_EQ(driver.log(), "");
}

TEST(GamePlay, ASoftLandingOnTheGroundPlaneIsAFallToo) {
    test::game_driver driver(no_ground_level);
    quillomar_game& g = driver.game();
    driver.steps(2);
    // Set the ball down gently just above the plane at y = -19: it never penetrates it.
    g.ball.body->setCenterOfMassTransform(
        btTransform(btQuaternion(0, 0, 0, 1), btVector3(40.0f, -17.98f, 40.0f)));
    g.ball.body->setLinearVelocity(btVector3(0, 0, 0));
    ASSERT_TRUE(driver.steps_until([&] { return g.dying; }, 30));
}

TEST(GamePlay, ReachingTheFinishWinsPlaysTheWinSoundOnceAndStopsUpdating) {
    test::game_driver driver(runway_level);
    quillomar_game& g = driver.game();
    driver.steps(5 * second);
    driver.hold(GLFW_KEY_W);
    ASSERT_TRUE(driver.steps_until([&] { return g.won; }, 20 * second));
    driver.release(GLFW_KEY_W);
    EXPECT_LT(std::fabs(g.ball.position.z - 4.0f), 2.0f);
    const long updates = g.updates_run;
    driver.steps(second);
    EXPECT_EQ(g.updates_run, updates);
    EXPECT_TRUE(g.win_sound_played);
    const std::vector<hud_line> lines = g.hud_lines();
    EXPECT_EQ(lines.front().text, "You finished the game!");
}

TEST(GamePlay, PickingUpAnItemEarnsAChangeAndStartsTheBurst) {
    test::game_driver driver(runway_level);
    quillomar_game& g = driver.game();
    ASSERT_EQ(g.level.items.size(), 1u);
    const glm::vec3 item = g.level.items[0];
    EXPECT_FLOAT_EQ(item.y, 4.0f);
    driver.steps(5 * second);
    driver.hold(GLFW_KEY_W);
    ASSERT_TRUE(driver.steps_until([&] { return g.change_count == 1; }, 10 * second));
    driver.release(GLFW_KEY_W);
    EXPECT_TRUE(g.level.items.empty());
    EXPECT_NE(driver.log().find("removed item\n"), std::string::npos);
    EXPECT_TRUE(g.particles_active);
    EXPECT_EQ(g.emitter_pos, item);
    EXPECT_EQ(g.hud_lines()[0].text, "Change: 1");
    driver.steps(3 * second);
    EXPECT_FALSE(g.particles_active) << "the burst lasts 2.5 s";
}

TEST(GamePlay, SpaceSpendsAChangeAndFlipsTheLevelWhileLiftingTheBall) {
    test::game_driver driver(flat_level);
    quillomar_game& g = driver.game();
    driver.steps(6 * second);
    ASSERT_NEAR(g.ball.position.y, 4.0f, 0.05f);

    // Without a change Space does nothing.
    driver.tap(GLFW_KEY_SPACE);
    EXPECT_FALSE(g.level.flipping);

    g.change_count = 2;
    driver.hold(GLFW_KEY_SPACE);
    driver.step();
    EXPECT_EQ(g.change_count, 1);
    EXPECT_TRUE(g.level.flipping);
    for (const auto& body : g.cube_bodies) {
        EXPECT_FALSE(body->isInWorld());
    }
    driver.steps(30);
    EXPECT_EQ(g.change_count, 1) << "a held Space acts once";
    driver.release(GLFW_KEY_SPACE);

    // Halfway the level-1 cubes have risen from y = 2 towards 6 and carried the ball up. Frames
    // of 1/61 s keep the flip off the one instant that would put a cube exactly on 4, where it
    // would stay for the rest of the flip.
    for (int i = 0; i < 30; ++i) {
        driver.step(1.0 / 61.0);
    }
    EXPECT_GT(g.level.cubes[0].y, 3.5f);
    EXPECT_LT(g.level.cubes[0].y, 6.0f);
    // The ball follows the rising top a frame behind.
    EXPECT_GE(g.ball.position.y, g.level.height_at(g.ball.position.x, g.ball.position.z) - 0.25f);

    for (int i = 0; i < 2 * second && g.level.flipping; ++i) {
        driver.step(1.0 / 61.0);
    }
    ASSERT_FALSE(g.level.flipping);
    EXPECT_FLOAT_EQ(g.level.cubes[0].y, 6.0f);
    ASSERT_EQ(g.cube_bodies.size(), g.level.cubes.size());
    for (const auto& body : g.cube_bodies) {
        EXPECT_TRUE(body->isInWorld());
        EXPECT_FLOAT_EQ(body->getWorldTransform().getOrigin().y(), 6.0f);
    }
    driver.steps(2 * second);
    EXPECT_NEAR(g.ball.position.y, 8.0f, 0.1f) << "the ball rests on the raised cubes";
    EXPECT_FALSE(g.dying);
}

TEST(GamePlay, TouchingASpiderStartsDyingAndPStopsTheWalkButNotTheLegs) {
    const char* const spider_level = R"(start 2 2
finish 30 30
enemy 2 2
path
11111
11111
11111
11111
11111
)";
    test::game_driver driver(spider_level);
    quillomar_game& g = driver.game();
    ASSERT_EQ(g.level.enemies.size(), 1u);
    driver.tap(GLFW_KEY_P);
    EXPECT_FALSE(g.level.enemies_walk);
    const glm::vec3 spider = g.level.enemies[0];
    const std::vector<glm::vec3> legs = g.level.leg_offsets;
    driver.steps(10);
    EXPECT_EQ(g.level.enemies[0], spider);
    EXPECT_NE(g.level.leg_offsets, legs) << "the legs keep moving";
    ASSERT_TRUE(driver.steps_until([&] { return g.dying; }, 6 * second));
    EXPECT_NEAR(g.ball.position.x, spider.x, 2.0f);

    test::game_driver walking(spider_level);
    walking.steps(10);
    EXPECT_LT(walking.game().level.enemies[0].x, spider.x) << "spiders walk towards -x first";
}

TEST(GamePlay, FunctionKeysAnnounceAndApplyTheirSettings) {
    test::game_driver driver(flat_level);
    quillomar_game& g = driver.game();
    driver.steps(2);
    struct expectation {
        int key;
        const char* message;
    };
    const expectation keys[] = {
        {GLFW_KEY_F2, "Frame time on."},
        {GLFW_KEY_F3, "Wire frame on."},
        {GLFW_KEY_F4, "TSQ: Nearest Neighbor."},
        {GLFW_KEY_F5, "MMQ: off."},
        {GLFW_KEY_F5, "MMQ: Nearest Neighbor."},
        {GLFW_KEY_F5, "MMQ: Linear."},
        {GLFW_KEY_F5, "MMQ: off."},
        {GLFW_KEY_F8, "Viewfrustum-Culling off."},
        {GLFW_KEY_F9, "Transparency off."},
    };
    for (const expectation& e : keys) {
        driver.clear_log();
        driver.tap(e.key);
        EXPECT_EQ(g.message, e.message);
        // Echoed on the console once per frame while visible.
        const std::vector<std::string> lines = driver.log_lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(e.message)), 2) << e.message;
    }
    EXPECT_TRUE(g.show_frame_time);
    EXPECT_TRUE(g.wireframe);
    EXPECT_TRUE(g.nearest_sampling);
    EXPECT_EQ(g.mipmap_mode, 0);
    EXPECT_FALSE(g.culling);
    EXPECT_FALSE(g.level.culling);
    EXPECT_FALSE(g.transparency);

    // A drawn frame hands the sampling settings to the meshes it draws.
    driver.frame();
    ASSERT_FALSE(g.ball.model.meshes.empty());
    EXPECT_EQ(g.ball.model.meshes[0].mipmap_mode, 0);
    EXPECT_TRUE(g.ball.model.meshes[0].nearest_sampling);

    driver.tap(GLFW_KEY_F8);
    EXPECT_EQ(g.message, "Viewfrustum-Culling on.");
    EXPECT_TRUE(g.level.culling);
}

}  // namespace
}  // namespace quillomar
