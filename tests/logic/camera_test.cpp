// The projection and view builders, the follow and free cameras, and the view frustum.
#include <cmath>
#include <glm/gtc/constants.hpp>
#include <tuple>

#include "camera/camera_math.h"
#include "camera/follow_camera.h"
#include "camera/free_camera.h"
#include "camera/view_frustum.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

const glm::vec3 up(0, 1, 0);
const glm::mat4 game_projection = perspective(45.0f, 1.3333334f, 0.1f, 100.0f);

void expect_near(const glm::vec3& a, const glm::vec3& b) {
    EXPECT_LT(glm::length(a - b), 1e-5f) << a.x << ", " << a.y << ", " << a.z;
}

// Where a view matrix puts a world point, in eye space.
glm::vec3 to_eye(const glm::mat4& view, const glm::vec3& world) {
    return glm::vec3(view * glm::vec4(world, 1.0f));
}

TEST(camera_math, the_angle_is_radians_the_view_right_handed_and_degenerate_views_refused) {
    EXPECT_NEAR(game_projection[1][1], 1.792591f, 1e-5f);  // 45 radians: about 58.3 degrees
    EXPECT_NEAR(game_projection[0][0], 1.3444432f, 1e-5f);
    const glm::mat4 previous = look_at(glm::vec3(0), {5, 0, 0}, up);
    expect_near(to_eye(previous, {5, 0, 0}), {0, 0, -5});
    expect_near(to_eye(previous, {0, 0, 1}), {1, 0, 0});
    // Eye on the centre, looking along up, no up, not finite, a view that overflows.
    const glm::vec3 degenerate[][3] = {{glm::vec3(2), glm::vec3(2), up},
                                       {{0, 10, 0}, glm::vec3(0), up},
                                       {glm::vec3(0), {0, 3, 0}, up},
                                       {glm::vec3(0), glm::vec3(1), glm::vec3(0)},
                                       {glm::vec3(NAN), glm::vec3(0), up},
                                       {{3e38f, 0, 3e38f}, {3e38f + 1e32f, 0, 3e38f - 1e32f}, up}};
    glm::mat4 out = previous;
    for (const auto& d : degenerate) {
        EXPECT_FALSE(try_look_at(d[0], d[1], d[2], out)) << d[0].y << ", " << d[1].y;
    }
    EXPECT_EQ(out, previous);
    EXPECT_TRUE(try_look_at(glm::vec3(1), glm::vec3(0), up * 1e-4f, out));  // any length of up
    EXPECT_EQ(out, look_at(glm::vec3(1), glm::vec3(0), up * 1e-4f));
}

TEST(follow_camera, hangs_ten_behind_and_ten_above_the_ball_along_its_heading) {
    follow_camera camera;
    camera.init(20, 30, 60);
    EXPECT_EQ(camera.projection, game_projection);
    expect_near(to_eye(camera.view, {20, 20, 50}), {0, 0, -std::sqrt(200.0f)});  // 45 degrees down
    const glm::vec3 ball(4, 5, -6);
    for (const glm::vec3& heading : {glm::vec3(0, 0, -1), glm::normalize(glm::vec3(1, 0, 1))}) {
        camera.update(ball, heading);
        expect_near(camera.position, ball + glm::vec3(-heading.x * 10, 10, -heading.z * 10));
        expect_near(to_eye(camera.view, ball), {0, 0, -std::sqrt(200.0f)});
    }
    const glm::mat4 previous = camera.view;
    camera.update({2, 0, 2}, up);  // no horizontal heading: the view stays
    EXPECT_EQ(camera.view, previous);
}

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
    const glm::vec3 cameras[][2] = {
        {{20, 30, 60}, {20, 20, 50}}, {{5, 3, -4}, {50, 3, -4}}, {{-30, 12, 7}, {-25, 2, 40}}};
    for (const auto& [eye, target] : cameras) {
        const view_frustum f = frustum_at(eye, target);
        const glm::mat4 clip = game_projection * look_at(eye, target, up);
        const clip_planes planes(clip);
        int shown = 0;
        int left_out = 0;
        // Every cube on a 2-unit grid within reach of the far plane.
        for (int i = 0; i < 101 * 101 * 101; ++i) {
            const glm::vec3 p = eye + 2.0f * glm::vec3(i % 101, i / 101 % 101, i / 10201) - 100.0f;
            const bool outside = planes.outside(p + glm::vec3(1), std::sqrt(3.0f));
            left_out += outside ? 1 : 0;
            if (corner_on_screen(clip, p)) {
                ++shown;
                ASSERT_NE(f.sphere_in_frustum(p + glm::vec3(1), 2.0f), view_frustum::outside)
                    << "cube " << p.x << ", " << p.y << ", " << p.z;
                ASSERT_FALSE(outside) << "cube " << p.x << ", " << p.y << ", " << p.z;
            }
        }
        EXPECT_GT(shown, 1000);
        EXPECT_GT(left_out + shown, 101 * 101 * 101 * 9 / 10);  // the sphere test is tight
    }
}

TEST(frustum, a_sphere_is_tested_larger_and_the_last_plane_within_reach_decides) {
    const view_frustum f = frustum_at({0, 0, 10.1f}, {0, 0, 0});  // the near plane at z = 10
    const std::tuple<glm::vec3, float, int> cases[] = {
        {{0, 0, 0}, 1.0f, view_frustum::inside},
        {{0, 0, 20}, 1.0f, view_frustum::outside},       // behind the eye
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

}  // namespace
}  // namespace quillomar
