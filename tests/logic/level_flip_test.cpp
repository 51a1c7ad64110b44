// The level flip, driven by a manual clock.
#include "framework/seams.h"
#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

class level_flip : public ::testing::Test {
protected:
    void SetUp() override {
        set_clock([this] { return clock; });
    }
    void TearDown() override { set_clock({}); }

    void flip_at(double t) {
        clock = t;
        lvl.flip();
    }

    double clock = 100.0;
    level lvl;
};

TEST_F(level_flip, heights_move_linearly_and_mirror_about_four_in_two_seconds) {
    lvl.cubes = {{0.0f, 2.0f, 0.0f}, {2.0f, 4.0f, 0.0f}, {4.0f, 6.0f, 0.0f}, {6.0f, 8.0f, 0.0f}};
    flip_at(100.0);
    EXPECT_TRUE(lvl.flipping);
    EXPECT_TRUE(lvl.flipped);
    EXPECT_FALSE(lvl.flip_done);
    EXPECT_EQ(lvl.flip_started, 100.0);
    EXPECT_EQ(lvl.saved_heights, (std::vector<float>{2.0f, 4.0f, 6.0f, 8.0f}));
    EXPECT_EQ(lvl.cubes[0].y, 2.0f);

    flip_at(100.5);
    EXPECT_EQ(lvl.cubes[0].y, 3.0f);
    EXPECT_EQ(lvl.cubes[1].y, 4.0f);
    EXPECT_EQ(lvl.cubes[2].y, 5.0f);
    EXPECT_EQ(lvl.cubes[3].y, 6.0f);
    EXPECT_FALSE(lvl.flip_done);

    flip_at(101.9);
    EXPECT_FLOAT_EQ(lvl.cubes[0].y, 5.8f);
    EXPECT_FLOAT_EQ(lvl.cubes[3].y, 0.4f);

    flip_at(102.0);
    EXPECT_EQ(lvl.cubes[0].y, 6.0f);
    EXPECT_EQ(lvl.cubes[1].y, 4.0f);
    EXPECT_EQ(lvl.cubes[2].y, 2.0f);
    EXPECT_EQ(lvl.cubes[3].y, 0.0f);
    EXPECT_TRUE(lvl.flip_done);
    EXPECT_TRUE(lvl.flipping);  // the game clears it in the next frame
}

TEST_F(level_flip, a_cube_that_lands_on_four_stays_there_for_the_rest_of_the_flip) {
    lvl.cubes = {{0.0f, 2.0f, 0.0f}};
    flip_at(100.0);
    flip_at(101.0);
    EXPECT_EQ(lvl.cubes[0].y, 4.0f);
    flip_at(101.5);
    EXPECT_EQ(lvl.cubes[0].y, 4.0f);
    flip_at(102.5);
    EXPECT_EQ(lvl.cubes[0].y, 4.0f);
    EXPECT_TRUE(lvl.flip_done);
}

TEST_F(level_flip, a_second_flip_brings_the_heights_back) {
    lvl.cubes = {{0.0f, 2.0f, 0.0f}, {2.0f, 10.0f, 0.0f}};
    flip_at(100.0);
    flip_at(100.3);
    flip_at(102.2);
    EXPECT_EQ(lvl.cubes[0].y, 6.0f);
    EXPECT_EQ(lvl.cubes[1].y, -2.0f);
    lvl.flipping = false;

    flip_at(200.0);
    EXPECT_FALSE(lvl.flipped);
    EXPECT_EQ(lvl.saved_heights, (std::vector<float>{6.0f, -2.0f}));
    flip_at(200.7);
    flip_at(203.0);
    EXPECT_EQ(lvl.cubes[0].y, 2.0f);
    EXPECT_EQ(lvl.cubes[1].y, 10.0f);
}

TEST_F(level_flip, calling_flip_while_one_runs_only_advances_it) {
    lvl.cubes = {{0.0f, 2.0f, 0.0f}};
    flip_at(100.0);
    flip_at(101.5);
    EXPECT_TRUE(lvl.flipped);
    EXPECT_EQ(lvl.flip_started, 100.0);
    EXPECT_EQ(lvl.saved_heights, std::vector<float>{2.0f});
}

TEST_F(level_flip, items_and_spiders_follow_their_cubes_at_every_step) {
    lvl.cubes = {{0.0f, 2.0f, 0.0f}, {2.0f, 2.0f, 0.0f}, {4.0f, 6.0f, 0.0f}};
    lvl.items = {{2.5f, 0.0f, 1.0f}, {5.0f, 0.0f, 1.0f}};
    lvl.initial_items = lvl.items;
    lvl.enemies = {{1.0f, 0.0f, 1.0f}};
    lvl.place_items();
    lvl.place_enemies();
    const std::vector<glm::vec3> initial = lvl.initial_items;
    EXPECT_EQ(lvl.enemies[0].y, 3.4f);

    flip_at(100.0);
    flip_at(100.5);
    EXPECT_EQ(lvl.items[0].y, 5.0f);
    EXPECT_EQ(lvl.items[1].y, 7.0f);
    EXPECT_EQ(lvl.enemies[0].y, 5.0f - 0.6f);
    flip_at(102.0);
    EXPECT_EQ(lvl.items[0].y, 8.0f);
    EXPECT_EQ(lvl.items[1].y, 4.0f);
    EXPECT_EQ(lvl.enemies[0].y, 7.4f);
    EXPECT_EQ(lvl.initial_items, initial);
}

TEST_F(level_flip, a_flip_of_an_empty_level_completes) {
    flip_at(100.0);
    flip_at(102.0);
    EXPECT_TRUE(lvl.flip_done);
    EXPECT_TRUE(lvl.saved_heights.empty());
}

}  // namespace
}  // namespace quillomar
