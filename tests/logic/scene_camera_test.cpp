// The cameras the shell points for the preview, the title screen and the overview, the heading
// arrow, and the routes they follow: proven in the real physics, computed once per level.
#include <gtest/gtest.h>

#include <algorithm>

#include "authoring/proven_route.h"
#include "game/heading_arrow.h"
#include "game/scene_camera.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// A corridor run north from (1, 4) to (1, 1), with a crystal and a spider beside it.
const char* const corridor =
    "start 1 4\nfinish 1 1\nitem 2 3\nenemy 4 4\npath\n11111\n11111\n11111\n11111\n11111\n"
    "11111\n";

TEST(SceneCamera, PointsAlongAPathBlendBetweenTicksAndStopAtItsEnds) {
    const std::vector<glm::vec3> path = {{0, 0, 0}, {6, 0, 0}, {6, 0, 12}};
    const struct {
        double seconds;
        glm::vec3 expected;
    } cases[] = {
        {-1.0, {0, 0, 0}}, {0.0, {0, 0, 0}}, {0.5 / 60, {3, 0, 0}},
        {1.5 / 60, {6, 0, 6}}, {2.5 / 60, {6, 0, 12}}, {10.0, {6, 0, 12}},
    };
    for (const auto& c : cases) {
        EXPECT_LT(glm::distance(point_along(path, c.seconds), c.expected), 1e-4f) << c.seconds;
    }
    EXPECT_EQ(point_along({}, 1.0), glm::vec3(0.0f));
}

TEST(SceneCamera, TheOverviewShowsTheWholeLevelNorthUpAndNamesWhatMatters) {
    test::core_driver d(corridor);
    d.steps(150);  // the ball has landed on its start
    game_state& s = d.state();
    for (const float aspect : {4.0f / 3.0f, 0.5f, 2.5f}) {
        d.core().set_aspect(aspect);
        kept_camera kept(s);
        kept.aim(overview_shot(s.level, aspect, s.follow_camera.fov));
        const int width = static_cast<int>(600 * aspect);
        // Every corner of the level inside the picture; north (low z) above south.
        const std::optional<glm::vec2> north_west = picture_point(s, {-1, 0, -1}, width, 600);
        const std::optional<glm::vec2> south_east = picture_point(s, {9, 0, 11}, width, 600);
        ASSERT_TRUE(north_west && south_east);
        for (const glm::vec2& p : {*north_west, *south_east}) {
            EXPECT_TRUE(p.x > 0 && p.x < width && p.y > 0 && p.y < 600) << aspect;
        }
        EXPECT_LT(north_west->y, south_east->y);
        EXPECT_LT(north_west->x, south_east->x);
        std::vector<std::string> names;
        for (const hud_line& l : overview_labels(s, width, 600)) {
            names.push_back(l.text);
        }
        for (const char* name : {"Ball", "Finish", "*", "Spider"}) {
            EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
        }
    }
    // The game's own camera is back once the shot is drawn.
    const glm::mat4 view = s.view;
    {
        kept_camera kept(s);
        const camera_shot shot = orbit_shot(s.level, 12.0);
        kept.aim(shot);
        EXPECT_NE(s.view, view);
        // The shot culls with its own far plane, well past the game camera's.
        const glm::vec3 far_ahead = shot.eye + 150.0f * glm::normalize(shot.target - shot.eye);
        EXPECT_NE(s.frustum.sphere_in_frustum(far_ahead, 0.5f), view_frustum::outside);
    }
    EXPECT_EQ(s.view, view);
}

TEST(SceneCamera, ChaseAndOrbitLookAtTheWayAheadAndBlendsEaseToTheirEnds) {
    const std::vector<glm::vec3> path = {{0, 1, 40}, {0, 1, 20}, {0, 1, 0}};
    const camera_shot chase = chase_shot(path, 0.0);
    // Behind the ball (south of it), above it, looking north past it.
    EXPECT_GT(chase.eye.z, 40.0f);
    EXPECT_GT(chase.eye.y, 1.0f);
    EXPECT_LT(chase.target.z, 40.0f);
    const camera_shot a{{0, 0, 0}, {0, 0, -1}};
    const camera_shot b{{10, 0, 0}, {10, 0, -1}};
    EXPECT_EQ(blend_shots(a, b, -1.0).eye, a.eye);
    EXPECT_EQ(blend_shots(a, b, 2.0).eye, b.eye);
    EXPECT_FLOAT_EQ(blend_shots(a, b, 0.5).eye.x, 5.0f);
    EXPECT_LT(blend_shots(a, b, 0.1).eye.x, 1.0f);  // eased: slow at first

    test::core_driver d(corridor);
    const camera_shot orbit = orbit_shot(d.state().level, 7.0);
    const glm::vec3 middle(d.state().level.centre.x, 0, d.state().level.centre.z);
    EXPECT_EQ(orbit.target, middle);
    // Once round a minute, at 1.6 times the level's extent out and 1.2 times it up (plus 6).
    const float extent = std::max({d.state().level.centre.x, d.state().level.centre.z, 6.0f});
    for (const double t : {0.0, 15.0, 60.0}) {
        const glm::vec3 eye = orbit_shot(d.state().level, t).eye;
        EXPECT_NEAR(glm::distance(glm::vec2(eye.x, eye.z), glm::vec2(middle.x, middle.z)),
                    1.6f * extent, 1e-3f);
        EXPECT_NEAR(eye.y, 1.2f * extent + 6.0f, 1e-4f);
    }
    const glm::vec3 start = orbit_shot(d.state().level, 0.0).eye - middle;
    const glm::vec3 quarter = orbit_shot(d.state().level, 15.0).eye - middle;
    EXPECT_NEAR(glm::dot(glm::vec2(start.x, start.z), glm::vec2(quarter.x, quarter.z)), 0.0f, 1e-2f);
    EXPECT_LT(glm::distance(orbit_shot(d.state().level, 60.0).eye, start + middle), 1e-3f);
}

TEST(HeadingArrow, LiesOnTheCubeAheadOfTheBallAndNowhereElse) {
    test::core_driver d(corridor);
    d.steps(150);  // the ball has landed on its start
    game_state& s = d.state();
    const struct {
        glm::vec3 heading;
        bool over_cubes;
    } cases[] = {
        {{0, 0, -1}, true},   // north, along the corridor
        {{1, 0, 0}, true},    // east
        {{0, 1, 0}, false},   // no horizontal heading
    };
    for (const auto& c : cases) {
        s.ball.heading = c.heading;
        const std::vector<glm::vec3> arrow = heading_arrow(s);
        if (!c.over_cubes) {
            continue;
        }
        ASSERT_EQ(arrow.size() % 3, 0u);
        ASSERT_FALSE(arrow.empty());
        for (const glm::vec3& corner : arrow) {
            EXPECT_GT(glm::dot(corner - s.ball.position, c.heading), 1.0f);
            // On the top face of the cube under it, below the ball's centre.
            EXPECT_NEAR(corner.y, s.level.height_at(corner.x, corner.z) - 1.0f, 0.1f);
            EXPECT_LT(corner.y, s.ball.position.y - 1.0f);
        }
    }
    s.ball.heading = {0, 1, 0};
    EXPECT_TRUE(heading_arrow(s).empty());
    s.ball.heading = {0, 0, -1};
    s.dying = true;
    EXPECT_TRUE(heading_arrow(s).empty());
}

TEST(ProvenRoute, ARouteIsPlayedToTheFinishOnceAndALevelWithoutOneIsNotFinished) {
    test::core_driver d(corridor);
    level as_read;
    std::istringstream in(corridor);
    as_read.read_stream(in, "corridor");
    route_cache cache;
    cache.request("corridor", as_read);
    const proven_route* route = cache.wait("corridor");
    ASSERT_NE(route, nullptr);
    ASSERT_TRUE(route->finished);
    EXPECT_EQ(route->path.size(), route->ticks.size());
    EXPECT_NEAR(route->seconds, static_cast<double>(route->ticks.size()) / 60.0, 0.5);
    // The path runs from the start's corner point, (2, 8) in world units, to the finish's, (2, 2).
    const auto across = [](const glm::vec3& p, glm::vec2 to) {
        return glm::distance(glm::vec2(p.x, p.z), to);
    };
    EXPECT_LT(across(route->path.front(), {2.0f, 8.0f}), 0.5f);
    EXPECT_LT(across(route->path.back(), {2.0f, 2.0f}), 3.0f);
    cache.request("corridor", as_read);
    EXPECT_EQ(cache.find("corridor"), route);  // known: never computed again

    level cut_off;
    std::istringstream gap("start 1 1\nfinish 5 1\npath\n11\n11\n\n\n\n");
    cut_off.read_stream(gap, "gap");
    cache.request("gap", cut_off);
    ASSERT_NE(cache.wait("gap"), nullptr);
    EXPECT_FALSE(cache.find("gap")->finished);
    EXPECT_EQ(cache.find("never asked"), nullptr);
}

}  // namespace
}  // namespace quillomar
