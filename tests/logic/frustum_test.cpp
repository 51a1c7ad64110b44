// The view frustum and its bounding-sphere test.
#include "camera/view_frustum.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

// The game's follow camera values, looking from z = 10 towards the origin.
view_frustum game_frustum() {
    view_frustum f;
    f.set_internals(45.0f, 1.3333334f, 0.1f, 100.0f);
    f.set_camera({0.0f, 0.0f, 10.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    return f;
}

float distance(const view_frustum::plane& p, const glm::vec3& point) {
    return glm::dot(p.normal, point) + p.d;
}

TEST(frustum, internals_for_the_game_camera) {
    view_frustum f;
    f.set_internals(45.0f, 1.3333334f, 0.1f, 100.0f);
    EXPECT_EQ(f.tang, 0.41421357f);
    EXPECT_EQ(f.nh, 0.041421358f);
    EXPECT_EQ(f.nw, 0.05522848f);
    EXPECT_EQ(f.angle, 45.0f);
    EXPECT_EQ(f.ratio, 1.3333334f);
    EXPECT_EQ(f.near_d, 0.1f);
    EXPECT_EQ(f.far_d, 100.0f);
}

TEST(frustum, planes_face_inwards_with_unit_normals) {
    const view_frustum f = game_frustum();
    for (const view_frustum::plane& p : f.planes) {
        EXPECT_NEAR(glm::length(p.normal), 1.0f, 1e-6f);
        EXPECT_GT(distance(p, {0.0f, 0.0f, 0.0f}), 0.0f);
    }
    EXPECT_EQ(f.planes[view_frustum::near_plane].normal, glm::vec3(0.0f, 0.0f, -1.0f));
    EXPECT_NEAR(distance(f.planes[view_frustum::near_plane], {0.0f, 0.0f, 9.9f}), 0.0f, 1e-5f);
    EXPECT_NEAR(distance(f.planes[view_frustum::far_plane], {0.0f, 0.0f, -90.0f}), 0.0f, 1e-4f);
    // The side planes pass through the eye; the top one is tilted by half the opening.
    EXPECT_NEAR(distance(f.planes[view_frustum::top], {0.0f, 0.0f, 10.0f}), 0.0f, 1e-5f);
    EXPECT_NEAR(distance(f.planes[view_frustum::top], {0.0f, 0.41421357f, 9.0f}), 0.0f, 1e-5f);
    EXPECT_NEAR(distance(f.planes[view_frustum::right], {0.5522848f, 0.0f, 9.0f}), 0.0f, 1e-5f);
}

TEST(frustum, spheres_in_view_are_inside_and_behind_the_eye_outside) {
    const view_frustum f = game_frustum();
    EXPECT_EQ(f.sphere_in_frustum({0.0f, 0.0f, 0.0f}, 1.0f), view_frustum::inside);
    EXPECT_EQ(f.sphere_in_frustum({0.0f, 0.0f, 20.0f}, 1.0f), view_frustum::outside);
    EXPECT_EQ(f.sphere_in_frustum({0.0f, 0.0f, -200.0f}, 1.0f), view_frustum::outside);
}

TEST(frustum, the_last_plane_within_reach_decides) {
    const view_frustum f = game_frustum();
    // Far above the top plane, but within reach of the near plane, which is tested later.
    const glm::vec3 above(0.0f, 5.0f, 9.0f);
    ASSERT_LT(distance(f.planes[view_frustum::top], above), -2.0f);
    ASSERT_LT(distance(f.planes[view_frustum::near_plane], above), 2.0f);
    EXPECT_EQ(f.sphere_in_frustum(above, 0.5f), view_frustum::intersect);
    // Far above with every later plane well inside: outside.
    EXPECT_EQ(f.sphere_in_frustum({0.0f, 30.0f, -20.0f}, 0.5f), view_frustum::outside);
}

TEST(frustum, every_sphere_is_tested_one_and_a_half_units_larger) {
    const view_frustum f = game_frustum();
    // 3.4 behind the near plane: within radius 2 + 1.5, beyond radius 2 alone.
    EXPECT_EQ(f.sphere_in_frustum({0.0f, 0.0f, 13.3f}, 2.0f), view_frustum::intersect);
    EXPECT_EQ(f.sphere_in_frustum({0.0f, 0.0f, 13.5f}, 2.0f), view_frustum::outside);
}

TEST(frustum, a_degenerate_camera_keeps_the_previous_planes) {
    view_frustum f = game_frustum();
    const auto before = f.planes;
    f.set_camera({1.0f, 2.0f, 3.0f}, {1.0f, 2.0f, 3.0f}, {0.0f, 1.0f, 0.0f});
    f.set_camera({0.0f, 5.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    f.set_camera({0.0f, 5.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f});
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(f.planes[i].normal, before[i].normal);
        EXPECT_EQ(f.planes[i].d, before[i].d);
    }
}

TEST(frustum, an_unset_frustum_culls_nothing) {
    const view_frustum f;
    EXPECT_EQ(f.sphere_in_frustum({1e6f, -1e6f, 3.0f}, 1.0f), view_frustum::intersect);
}

}  // namespace
}  // namespace quillomar
