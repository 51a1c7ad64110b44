// The view frustum and its bounding-sphere test.
#include <cmath>
#include <cstring>
#include <tuple>

#include "camera/camera_math.h"
#include "camera/view_frustum.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

const glm::vec3 up(0, 1, 0);

view_frustum frustum_at(const glm::vec3& eye, const glm::vec3& target) {
    view_frustum f;
    f.set_internals(45.0f, 1.3333334f, 0.1f, 100.0f);
    f.set_camera(eye, target, up);
    return f;
}

// True when a corner of the 2-unit cube at p lands inside the clip volume.
bool corner_on_screen(const glm::mat4& clip, const glm::vec3& p) {
    for (int c = 0; c < 8; ++c) {
        const glm::vec4 q = clip * glm::vec4(p + 2.0f * glm::vec3(c & 1, c >> 1 & 1, c >> 2), 1.0f);
        if (q.w > 0.0f && std::fabs(q.x) <= q.w && std::fabs(q.y) <= q.w && std::fabs(q.z) <= q.w) {
            return true;
        }
    }
    return false;
}

TEST(frustum, no_cube_the_projection_shows_is_culled) {
    const glm::vec3 cameras[][2] = {{{0, 10, 10}, {0, 0, 0}},
                                    {{20, 30, 60}, {20, 20, 50}},
                                    {{5, 3, -4}, {50, 3, -4}},
                                    {{-30, 12, 7}, {-25, 2, 40}}};
    const glm::mat4 projection = perspective(45.0f, 1.3333334f, 0.1f, 100.0f);
    for (const auto& [eye, target] : cameras) {
        const view_frustum f = frustum_at(eye, target);
        const glm::mat4 clip = projection * look_at(eye, target, up);
        int shown = 0;
        // Every cube on a 2-unit grid within reach of the far plane.
        for (int i = 0; i < 101 * 101 * 101; ++i) {
            const glm::vec3 p = eye + 2.0f * glm::vec3(i % 101, i / 101 % 101, i / 10201) - 100.0f;
            if (corner_on_screen(clip, p)) {
                ++shown;
                ASSERT_NE(f.sphere_in_frustum(p + glm::vec3(1), 2.0f), view_frustum::outside)
                    << "cube " << p.x << ", " << p.y << ", " << p.z;
            }
        }
        EXPECT_GT(shown, 1000);
    }
}

TEST(frustum, a_sphere_is_tested_larger_and_the_last_plane_within_reach_decides) {
    const view_frustum f = frustum_at({0, 0, 10.1f}, {0, 0, 0});  // the near plane at z = 10
    const std::tuple<glm::vec3, float, int> cases[] = {
        {{0, 0, 0}, 1.0f, view_frustum::inside},
        {{0, 0, 20}, 1.0f, view_frustum::outside},       // behind the eye
        {{0, 0, -200}, 1.0f, view_frustum::outside},     // beyond the far plane
        {{0, 5, 9}, 0.5f, view_frustum::intersect},      // above the top, the near plane decides
        {{0, 30, -20}, 0.5f, view_frustum::outside},     // above the top, later planes inside
        {{0, 0, 13.5f}, 2.0f, view_frustum::intersect},  // 3.5 behind near: radius + 1.5 reaches
        {{0, 0, 13.6f}, 2.0f, view_frustum::outside},
    };
    for (const auto& [centre, radius, expected] : cases) {
        EXPECT_EQ(f.sphere_in_frustum(centre, radius), expected) << centre.y << ", " << centre.z;
    }
    EXPECT_EQ(view_frustum{}.sphere_in_frustum({1e6f, -1e6f, 3}, 1.0f), view_frustum::intersect);
}

TEST(frustum, a_degenerate_camera_keeps_the_previous_planes) {
    view_frustum f = frustum_at({0, 0, 10}, {0, 0, 0});
    const auto before = f.planes;
    f.set_camera({1, 2, 3}, {1, 2, 3}, up);
    f.set_camera({0, 5, 0}, {0, 0, 0}, up);
    f.set_camera({0, 5, 0}, {0, 0, 1}, glm::vec3(0.0f));
    f.set_internals(45.0f, 1.3333334f, 0.0f, 100.0f);  // no near rectangle
    f.set_camera({0, 5, 0}, {0, 0, 1}, up);
    EXPECT_EQ(std::memcmp(&f.planes, &before, sizeof before), 0);
}

}  // namespace
}  // namespace quillomar
