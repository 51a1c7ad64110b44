// What the main pass draws and with which model matrices, decided without a context.
#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "level/draw_selection.h"
#include "level/level_matrices.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

glm::vec3 moved(const glm::mat4& m, const glm::vec3& v) {
    return glm::vec3(m * glm::vec4(v, 1.0f));
}

void expect_near(const glm::vec3& a, const glm::vec3& b) {
    EXPECT_NEAR(a.x, b.x, 1e-5f);
    EXPECT_NEAR(a.y, b.y, 1e-5f);
    EXPECT_NEAR(a.z, b.z, 1e-5f);
}

// Looks from z = 10 towards the origin.
view_frustum frustum_towards_origin() {
    view_frustum f;
    f.set_internals(45.0f, 1.3333334f, 0.1f, 100.0f);
    f.set_camera({0.0f, 0.0f, 10.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    return f;
}

TEST(level_matrices, cubes_turn_a_quarter_about_x_y_z_by_index) {
    const glm::vec3 p(4.0f, 2.0f, 6.0f);
    // The unit x edge of the model: unchanged about x, to −z about y, to +y about z.
    expect_near(moved(cube_matrix(p, 0), {1.0f, 0.0f, 0.0f}), p + glm::vec3(1.0f, 0.0f, 0.0f));
    expect_near(moved(cube_matrix(p, 1), {1.0f, 0.0f, 0.0f}), p + glm::vec3(0.0f, 0.0f, -1.0f));
    expect_near(moved(cube_matrix(p, 2), {1.0f, 0.0f, 0.0f}), p + glm::vec3(0.0f, 1.0f, 0.0f));
    expect_near(moved(cube_matrix(p, 0), {0.0f, 1.0f, 0.0f}), p + glm::vec3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(cube_matrix(p, 3), cube_matrix(p, 0));
    EXPECT_EQ(cube_matrix(p, 7), cube_matrix(p, 1));
    EXPECT_EQ(cube_depth_matrix(p), glm::translate(glm::mat4(1.0f), p));
}

TEST(level_matrices, items_are_half_size_at_their_point) {
    expect_near(moved(item_matrix({2.0f, 4.0f, 6.0f}), {2.0f, 2.0f, 2.0f}), {3.0f, 5.0f, 7.0f});
}

TEST(level_matrices, spiders_turn_with_their_heading_and_scale_down) {
    EXPECT_EQ(enemy_heading_angle({-1.0f, 0.0f, 0.0f}), 0.0f);
    EXPECT_EQ(enemy_heading_angle({0.0f, 0.0f, 1.0f}), 1.5707964f);
    EXPECT_EQ(enemy_heading_angle({0.0f, 0.0f, -1.0f}), -1.5707964f);
    EXPECT_EQ(enemy_heading_angle({1.0f, 0.0f, 0.0f}), -3.1415927f);
    const glm::vec3 p(2.0f, 3.4f, 4.0f);
    // Walking −x: not turned; the model's 100 units of x become 1.5 world units.
    expect_near(moved(enemy_matrix(p, {-1.0f, 0.0f, 0.0f}), {100.0f, 100.0f, 0.0f}),
                p + glm::vec3(1.5f, 1.0f, 0.0f));
    // Walking +x: turned by −π about y.
    expect_near(moved(enemy_matrix(p, {1.0f, 0.0f, 0.0f}), {100.0f, 0.0f, 0.0f}),
                p + glm::vec3(-1.5f, 0.0f, 0.0f));
    EXPECT_EQ(enemy_base_matrix(p), enemy_matrix(p, {-1.0f, 0.0f, 0.0f}));
}

TEST(level_matrices, legs_move_by_their_offsets_in_model_units) {
    const glm::mat4 spider = enemy_matrix({0.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f});
    std::vector<glm::vec3> offsets(8, glm::vec3(0.0f));
    offsets[3].y = 10.0f;
    const auto legs = leg_matrices(spider, offsets);
    expect_near(moved(legs[3], glm::vec3(0.0f)), {0.0f, 0.1f, 0.0f});
    EXPECT_EQ(legs[0], spider);
    // A level without leg state draws the legs with the body matrix.
    EXPECT_EQ(leg_matrices(spider, {})[5], spider);
}

TEST(level_draw_selection, without_culling_every_cube_and_item_is_drawn) {
    const std::vector<glm::vec3> cubes = {{0, 0, 0}, {1000, 0, 0}, {0, 0, 2}};
    std::vector<glm::mat4> drawn;
    view_frustum f = frustum_towards_origin();
    for_each_drawn_cube(cubes, false, f, [&](const glm::mat4& m) { drawn.push_back(m); });
    EXPECT_EQ(drawn.size(), 3u);
    std::size_t items = 0;
    for_each_drawn_item(cubes, false, f, [&](const glm::mat4&) { ++items; });
    EXPECT_EQ(items, 3u);
}

TEST(level_draw_selection, a_culled_cube_is_skipped_and_the_others_keep_their_turn) {
    const std::vector<glm::vec3> cubes = {
        {0.0f, 0.0f, 0.0f}, {1000.0f, 0.0f, 0.0f}, {2.0f, 0.0f, 0.0f}, {-2.0f, 0.0f, 0.0f}};
    std::vector<glm::mat4> drawn;
    for_each_drawn_cube(cubes, true, frustum_towards_origin(),
                        [&](const glm::mat4& m) { drawn.push_back(m); });
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0], cube_matrix(cubes[0], 0));
    EXPECT_EQ(drawn[1], cube_matrix(cubes[2], 2));
    EXPECT_EQ(drawn[2], cube_matrix(cubes[3], 3));
}

TEST(level_draw_selection, culled_items_are_tested_at_their_own_point) {
    const std::vector<glm::vec3> items = {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 40.0f}};
    std::vector<glm::mat4> drawn;
    for_each_drawn_item(items, true, frustum_towards_origin(),
                        [&](const glm::mat4& m) { drawn.push_back(m); });
    EXPECT_EQ(drawn, std::vector<glm::mat4>{item_matrix(items[0])});
}

TEST(level_draw_selection, an_empty_level_draws_nothing) {
    std::size_t calls = 0;
    for_each_drawn_cube({}, true, view_frustum{}, [&](const glm::mat4&) { ++calls; });
    for_each_drawn_item({}, false, view_frustum{}, [&](const glm::mat4&) { ++calls; });
    EXPECT_EQ(calls, 0u);
}

}  // namespace
}  // namespace quillomar
