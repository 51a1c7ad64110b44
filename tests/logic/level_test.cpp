// The level's geometry: the ground under a point, the flip, and what the main pass draws with which
// model matrices.
#include <cstdlib>
#include <glm/gtc/constants.hpp>
#include <limits>
#include <tuple>

#include "level/draw_selection.h"
#include "level/ground_index.h"
#include "level/level.h"
#include "level/level_matrices.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

constexpr float inf = std::numeric_limits<float>::infinity();

TEST(level_height, cells_include_their_borders_and_the_earliest_cube_wins) {
    level lvl;
    EXPECT_EQ(lvl.height_at(0, 0), -22.0f);
    lvl.cubes = {{2, 2, 2}, {4, 6, 4}};
    const float cases[][3] = {{2, 2, 4},       {4, 4, 4},       {3, 3, 4},
                              {4.5f, 4.5f, 8}, {6, 6, 8},       {1.99f, 3, -22},
                              {3, 1.99f, -22}, {6.01f, 5, -22}, {5, 6.01f, -22}};
    for (const auto& [x, z, top] : cases) {
        EXPECT_EQ(lvl.height_at(x, z), top) << x << ", " << z;
    }
    std::swap(lvl.cubes[0], lvl.cubes[1]);
    EXPECT_EQ(lvl.height_at(4, 4), 8.0f);
}

float random_coordinate(float spread) {
    // Mostly grid points and cell borders, where ties are decided, plus arbitrary points.
    const int kind = std::rand() % 3;
    const float whole = static_cast<float>(std::rand() % static_cast<int>(spread)) - spread / 2;
    return kind == 0 ? whole * 2.0f : kind == 1 ? whole : whole + (std::rand() % 1000) / 1000.0f;
}

TEST(level_height, the_bulk_index_answers_exactly_like_the_walk) {
    std::srand(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<glm::vec3> cubes;
        for (int i = 200 + std::rand() % 800; i > 0; --i) {
            cubes.emplace_back(random_coordinate(40), std::rand() % 10, random_coordinate(40));
        }
        // Cubes far out and not finite take the index's slow path.
        cubes.insert(cubes.end(),
                     {{3e7f, 1, 4}, {NAN, 1, 0}, {-inf, 3, 0}, {-16777216.0f, 5, 0}});
        const ground_index index(cubes, 1u << 20);
        ASSERT_TRUE(index.indexed());
        for (int probe = 0; probe < 2000; ++probe) {
            const float x = random_coordinate(50.0f), z = random_coordinate(50.0f);
            ASSERT_EQ(index.height_at(x, z), cube_top_at(cubes, x, z)) << x << ", " << z;
        }
        EXPECT_EQ(index.height_at(3e7f + 1.0f, 5.0f), 3.0f);
        EXPECT_EQ(index.height_at(-inf, 0.0f), 5.0f);
        EXPECT_EQ(index.height_at(-16777215.0f, 1.0f), 7.0f);  // a far cube reaching in
    }
    EXPECT_FALSE(ground_index(std::vector<glm::vec3>(100), 10).indexed());
}

TEST(level_matrices, a_spider_faces_its_heading) {
    const float quarter = glm::half_pi<float>();
    const std::pair<glm::vec3, float> headings[] = {
        {{-1, 0, 0}, 0.0f}, {{0, 0, 1}, quarter}, {{0, 0, -1}, -quarter}, {{1, 0, 0}, -2 * quarter}};
    for (const auto& [heading, angle] : headings) {
        EXPECT_FLOAT_EQ(enemy_heading_angle(heading), angle) << heading.x << ", " << heading.z;
    }
}

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
    level empty;  // a level without cubes flips too
    empty.flip(0.0);
    empty.flip(2.0);
    EXPECT_TRUE(empty.flip_done);
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

TEST(level_draw_selection, culling_skips_by_sphere_and_keeps_every_cube_s_turn) {
    view_frustum f;
    f.set_internals(45.0f, 1.3333334f, 0.1f, 100.0f);
    f.set_camera({0, 0, 10}, {0, 0, 0}, {0, 1, 0});
    // Behind the near plane (z 9.9): a cube's sphere sits at its corner + 1 with radius 2, an
    // item's at its point with radius 1, each 1.5 larger; both reach up to z 12.4.
    const std::vector<glm::vec3> cubes = {{-1, -1, 12.3f}, {-1, -1, 12.5f}, {-1, -1, 0}};
    const std::vector<glm::vec3> items = {{0, 0, 12.3f}, {0, 0, 12.5f}, {0, 0, 0}};
    std::vector<glm::mat4> drawn;
    const auto record = [&drawn](const glm::mat4& m) { drawn.push_back(m); };
    for_each_drawn_cube(cubes, true, f, record);
    for_each_drawn_item(items, true, f, record);
    EXPECT_EQ(drawn, (std::vector<glm::mat4>{cube_matrix(cubes[0], 0), cube_matrix(cubes[2], 2),
                                             item_matrix(items[0]), item_matrix(items[2])}));
    drawn.clear();
    for_each_drawn_cube(cubes, false, f, record);
    for_each_drawn_item(items, false, f, record);
    EXPECT_EQ(drawn.size(), 6u);
    EXPECT_EQ(drawn[1], cube_matrix(cubes[1], 1));
}

}  // namespace
}  // namespace quillomar
