// What the main pass draws and with which model matrices, decided without a context.
#include "level/draw_selection.h"
#include "level/level_matrices.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

void expect_moves(const glm::mat4& m, const glm::vec3& from, const glm::vec3& to) {
    const glm::vec3 moved(m * glm::vec4(from, 1.0f));
    EXPECT_LT(glm::length(moved - to), 1e-5f) << moved.x << ", " << moved.y << ", " << moved.z;
}

TEST(level_matrices, cubes_turn_by_index_items_are_half_size_and_spiders_face_their_heading) {
    const glm::vec3 p(4, 2, 6);
    // The model's x edge stays about x, goes to -z about y and to +y about z; y goes to +z.
    const glm::vec3 x_edge[] = {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {0, 0, -1}};
    for (std::size_t i = 0; i < 5; ++i) {
        expect_moves(cube_matrix(p, i), {1, 0, 0}, p + x_edge[i]);
    }
    expect_moves(cube_matrix(p, 0), {0, 1, 0}, p + glm::vec3(0, 0, 1));
    expect_moves(cube_depth_matrix(p), {1, 1, 1}, p + glm::vec3(1));
    expect_moves(item_matrix(p), {2, 2, 2}, p + glm::vec3(1));
    // The model faces -x and is 100 units to 1.5 wide, 100 to 1 high; legs move in those units.
    const glm::vec3 headings[][2] = {{{-1, 0, 0}, {1.5f, 1, 0}}, {{0, 0, 1}, {0, 1, -1.5f}},
                                     {{0, 0, -1}, {0, 1, 1.5f}}, {{1, 0, 0}, {-1.5f, 1, 0}}};
    for (const auto& [heading, model_corner] : headings) {
        expect_moves(enemy_matrix(p, heading), {100, 100, 0}, p + model_corner);
    }
    std::vector<glm::vec3> offsets(8, glm::vec3(0.0f));
    offsets[3].y = 10.0f;
    const auto legs = leg_matrices(enemy_base_matrix(p), offsets);
    expect_moves(legs[3], glm::vec3(0), p + glm::vec3(0, 0.1f, 0));
    EXPECT_EQ(legs[7], enemy_base_matrix(p));
    EXPECT_EQ(leg_matrices(enemy_base_matrix(p), {})[5], enemy_base_matrix(p));
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
