// The level flip and its reversal.
#include <tuple>

#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

// One row of cubes at the given heights.
level level_at(const std::vector<float>& heights) {
    level lvl;
    for (std::size_t i = 0; i < heights.size(); ++i) {
        lvl.cubes.emplace_back(2.0f * i, heights[i], 0.0f);
    }
    return lvl;
}

std::vector<float> heights(const level& lvl) {
    std::vector<float> result;
    for (const glm::vec3& c : lvl.cubes) {
        result.push_back(c.y);
    }
    return result;
}

TEST(level_flip, heights_mirror_about_four_linearly_in_two_seconds_and_a_second_flip_returns) {
    level lvl = level_at({2, 4, 6, 8, 10});
    const std::pair<double, std::vector<float>> steps[] = {{100.0, {2, 4, 6, 8, 10}},
                                                           {100.5, {3, 4, 5, 6, 7}},
                                                           {101.9, {5.8f, 4, 2.2f, 0.4f, -1.4f}},
                                                           {102.0, {6, 4, 2, 0, -2}},
                                                           {103.0, {6, 4, 2, 0, -2}}};
    for (const auto& [time, expected] : steps) {
        lvl.flip(time);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_NEAR(lvl.cubes[i].y, expected[i], 1e-5f) << time << " cube " << i;
        }
        EXPECT_TRUE(lvl.flipped && lvl.flipping);
        EXPECT_EQ(lvl.flip_started, 100.0);  // a flip while one runs only advances it
        EXPECT_EQ(lvl.flip_done, time >= 102.0) << time;
    }
    lvl.flipping = false;  // as the game ends it; a second flip brings the heights back
    for (const double t : {200.0, 200.7, 203.0}) {
        lvl.flip(t);
        EXPECT_TRUE(!lvl.flipped && lvl.flip_done == (t > 202.0)) << t;
    }
    EXPECT_EQ(heights(lvl), (std::vector<float>{2, 4, 6, 8, 10}));
    level landing = level_at({2});  // a step that lands a cube on 4 does not stop it there
    for (const double t : {100.0, 101.0, 101.5, 102.5}) {
        landing.flip(t);
    }
    EXPECT_EQ(heights(landing), std::vector<float>{6});
}

TEST(level_flip, reversing_retraces_the_heights_and_ends_at_the_start) {
    level lvl = level_at({2, 4, 8, 10, -2});
    lvl.flip(100.0);
    lvl.flip(100.5);
    const std::vector<float> quarter = heights(lvl);
    lvl.flip(100.75);
    lvl.reverse_flip(100.75);
    lvl.flip(101.0);
    EXPECT_EQ(heights(lvl), quarter);
    EXPECT_FALSE(lvl.flip_done || lvl.flipped);
    lvl.flip(101.5);
    EXPECT_EQ(heights(lvl), (std::vector<float>{2, 4, 8, 10, -2}));
    EXPECT_TRUE(lvl.flip_done && !lvl.flipped);
    level ended = level_at({2});
    ended.reverse_flip(5.0);  // no flip runs: nothing to turn round
    EXPECT_FALSE(ended.flipped);
    ended.flip(0.0);  // a flip that has reached its end but still runs turns round too
    ended.flip(2.5);
    ended.reverse_flip(3.0);
    EXPECT_FALSE(ended.flip_done || ended.flipped);
    ended.flip(3.5);
    EXPECT_EQ(heights(ended), std::vector<float>{5});
    ended.flip(5.0);
    EXPECT_EQ(heights(ended), std::vector<float>{2});
}

TEST(level_flip, items_and_spiders_follow_their_cubes_at_every_step) {
    level lvl = level_at({2, 2, 6});
    lvl.items = lvl.initial_items = {{2.5f, 0, 1}, {5, 0, 1}};
    lvl.enemies = {{1, 0, 1}};
    lvl.place_items();
    lvl.place_enemies();
    lvl.flip(100.0);
    for (const auto& [time, item0, item1, spider] :
         {std::tuple{100.5, 5.0f, 7.0f, 5.0f - 0.6f}, std::tuple{102.0, 8.0f, 4.0f, 7.4f}}) {
        lvl.flip(time);
        EXPECT_EQ(lvl.items[0].y, item0);
        EXPECT_EQ(lvl.items[1].y, item1);
        EXPECT_EQ(lvl.enemies[0].y, spider);
    }
    EXPECT_EQ(lvl.initial_items[1], glm::vec3(5, 8, 1));  // as loaded
}

}  // namespace
}  // namespace quillomar
