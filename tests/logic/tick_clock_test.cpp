// The world's clock: whole ticks at any frame rate, the rest carried over, catch-up bounded.
#include <gtest/gtest.h>

#include "game/drawn_pose.h"
#include "game/tick_clock.h"

namespace quillomar {
namespace {

TEST(TickClock, FramesOfAnyLengthRunTheTicksTheirTimeHoldsAndCarryTheRest) {
    const struct {
        double frame_seconds;
        int frames;
        long ticks;  // after the first frame's one tick
    } cases[] = {
        {1.0 / 60.0, 600, 600},   // one a frame, never lost to rounding over ten seconds
        {1.0 / 150.0, 1500, 600},  // two or three frames a tick
        {1.0 / 12.0, 120, 600},   // five a frame
        {0.2, 50, 600},           // twelve a frame, within the catch-up
        {1.0, 10, 150},           // a stalled machine: a quarter second a frame, the rest let go
    };
    for (const auto& c : cases) {
        tick_clock clock;
        double now = 1000.0;
        EXPECT_EQ(clock.advance(now), 1);
        long ticks = 0;
        for (int f = 0; f < c.frames; ++f) {
            now += c.frame_seconds;
            const int due = clock.advance(now);
            EXPECT_LE(due, max_ticks_per_frame);
            ticks += due;
            EXPECT_GE(clock.fraction(now), 0.0);
            EXPECT_LE(clock.fraction(now), 1.0);
        }
        EXPECT_EQ(ticks, c.ticks) << c.frame_seconds;
        EXPECT_EQ(clock.ticks_done(), c.ticks + 1);
    }
    tick_clock clock;
    clock.advance(0.0);
    EXPECT_EQ(clock.advance(0.5 / 60.0), 0);
    EXPECT_NEAR(clock.fraction(0.5 / 60.0), 0.5, 1e-9);
    EXPECT_EQ(clock.advance(1.25 / 60.0), 1);
    EXPECT_NEAR(clock.fraction(1.25 / 60.0), 0.25, 1e-9);
    EXPECT_EQ(tick_time(90), 1.5);
    // What a stall lets go is gone: the next frame runs only its own time's ticks.
    tick_clock stalled;
    stalled.advance(0.0);
    EXPECT_EQ(stalled.advance(1.0), max_ticks_per_frame);
    EXPECT_EQ(stalled.advance(1.0 + 1.0 / 60.0), 1);
}

// The picture between two ticks: everything that moves is as far along as the clock, lists that
// changed size and jumps (a restart) show the newer tick, and the state goes back whole.
TEST(DrawnPose, BlendsMotionButNeverAJumpOrAChangedList) {
    game_state s;
    s.level.cubes = {{0, 1, 0}, {2, 3, 0}};
    s.level.items = {{1, 1, 1}};
    s.level.enemies = {{4, 0, 4}};
    s.ball.position = {0, 2, 0};
    s.cam_pos = {0, 6, 14};
    s.light.position = {0, 30, 0};
    const drawn_pose before = pose_of(s);
    s.ball.position = {1, 2, 0};
    s.cam_pos = {0, 6, 15};
    s.light.position = {2, 30, 0};
    s.level.cubes[1].y = 5;
    s.level.enemies[0].x = 6;
    s.level.items.clear();
    const drawn_pose after = pose_of(s);
    const struct {
        float t;
        float ball_x, camera_z, light_x, cube_y, enemy_x;
    } cases[] = {{0.0f, 0, 14, 0, 3, 4},        {0.25f, 0.25f, 14.25f, 0.5f, 3.5f, 4.5f},
                 {-1.0f, 0, 14, 0, 3, 4},       {1.0f, 1, 15, 2, 5, 6},
                 {0.5f, 0.5f, 14.5f, 1, 4, 5}};
    for (const auto& c : cases) {
        game_state& drawn = s;
        put_pose(drawn, blend(before, after, c.t));
        EXPECT_FLOAT_EQ(drawn.ball.position.x, c.ball_x) << c.t;
        EXPECT_FLOAT_EQ(drawn.cam_pos.z, c.camera_z) << c.t;
        EXPECT_FLOAT_EQ(drawn.light.position.x, c.light_x) << c.t;
        EXPECT_FLOAT_EQ(drawn.level.cubes[1].y, c.cube_y) << c.t;
        EXPECT_FLOAT_EQ(drawn.level.enemies[0].x, c.enemy_x) << c.t;
        EXPECT_TRUE(drawn.level.items.empty());
        put_pose(s, after);
    }
    drawn_pose restarted = after;
    restarted.ball_position = {9, 2, 0};
    EXPECT_EQ(blend(before, restarted, 0.5f).ball_position, restarted.ball_position);
    restarted = after;
    restarted.camera_position = {0, 6, 30};
    EXPECT_EQ(blend(before, restarted, 0.5f).ball_position, restarted.ball_position);
    EXPECT_EQ(s.ball.position, glm::vec3(1, 2, 0));
    EXPECT_EQ(s.level.cubes[1], glm::vec3(2, 5, 0));
    // The free camera looks where it faces.
    s.use_follow_camera = false;
    s.free_camera.position = {1, 2, 3};
    s.free_camera.front = {0, 0, -1};
    EXPECT_EQ(pose_of(s).camera_target, glm::vec3(1, 2, 2));
}

}  // namespace
}  // namespace quillomar
