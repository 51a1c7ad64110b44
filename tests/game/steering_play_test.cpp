// Steering in a game started from the title menu: the heading turns while a turn is held and
// stops when it is let go, the mouse steers while play holds the pointer, and "Turning" is
// finished by a player with fixed holds at any frame rate. The game started without --menu
// still coasts.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>

#include "framework/key_map.h"
#include "game/steering.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

const char* const plate = "start 5 5\nfinish 0 0\npath\n11111111111\n11111111111\n11111111111\n"
                          "11111111111\n11111111111\n11111111111\n11111111111\n11111111111\n"
                          "11111111111\n11111111111\n11111111111\n";

// A game on `level_text` started from the title menu, with its own settings and records; Play
// chosen, the preview skipped and "Go!" waited out, so the run is on.
struct menu_run {
    test::scratch_dir dir;
    std::unique_ptr<test::game_driver> d;

    explicit menu_run(const std::string& level_text, double frame_seconds = 1.0 / 60.0) {
        test::use_homes(dir);
        const std::string level = dir.write("level.txt", level_text);
        d = std::make_unique<test::game_driver>(level_text, false);
        d->start_from_menu(dir.write("order.txt", level + " Only\n"));
        press(*d, {GLFW_KEY_ENTER});
        EXPECT_EQ(d->game().screen_name(), "preview");
        press(*d, {GLFW_KEY_X});
        EXPECT_EQ(d->game().screen_name(), "ready");
        EXPECT_TRUE(test::hud_shows(*d, "Go!"));
        for (int i = 0; i < 600 && d->game().screen_name() != "play"; ++i) {
            d->frames(1, false, frame_seconds);
        }
        EXPECT_EQ(d->game().screen_name(), "play");
    }
};

float yaw(const glm::vec3& heading) {
    return std::atan2(heading.x, -heading.z);
}

TEST(Steering, ATapTurnsTheHeadingAndTheViewStopsWithItFromTheMenuButCoastsWithout) {
    for (const bool from_menu : {true, false}) {
        std::unique_ptr<menu_run> run;
        std::unique_ptr<test::game_driver> plain;
        if (from_menu) {
            run = std::make_unique<menu_run>(plate);
        } else {
            plain = std::make_unique<test::game_driver>(plate);
        }
        test::game_driver& d = from_menu ? *run->d : *plain;
        d.frames(4 * 60, false);  // the drop
        const float before = yaw(d.state().ball.heading);
        d.hold(command::turn_right);
        d.frames(9, false);  // 150 ms
        d.release(command::turn_right);
        d.frames(72, false);  // 1.2 s
        const glm::mat4 view = d.state().view;
        const glm::vec3 heading = d.state().ball.heading;
        d.frames(90, false);  // 1.5 s more
        if (from_menu) {
            // Nine ticks at the default rate, to the thousandth of a degree, and then nothing.
            const float turned = yaw(heading) - before;
            EXPECT_NEAR(turned, 9 * 2.5f * 3.14159265f / 180.0f, 1e-4f);
            EXPECT_EQ(d.state().ball.heading, heading);
            EXPECT_EQ(d.state().view, view);
        } else {
            EXPECT_GT(glm::distance(d.state().ball.heading, heading), 0.01f);
        }
    }
}

TEST(Steering, TheMouseSteersWhilePlayHoldsThePointerAndThePauseMenuFreesIt) {
    menu_run run(plate);
    test::game_driver& d = *run.d;
    key_input& keys = *d.game().keys();
    d.frames(4 * 60, false);
    EXPECT_TRUE(keys.pointer_captured());
    keys.move_pointer(600.0, 300.0);
    d.frames(1, false);
    const float before = yaw(d.state().ball.heading);
    keys.move_pointer(700.0, 300.0);  // 100 pixels right: 18 degrees right at 100 %
    d.frames(2, false);
    EXPECT_NEAR(yaw(d.state().ball.heading) - before, 18.0f * 3.14159265f / 180.0f, 1e-4f);
    press(d, {GLFW_KEY_PAUSE});
    EXPECT_EQ(d.game().screen_name(), "pause");
    EXPECT_FALSE(keys.pointer_captured());
    // Moving the pointer over the menu turns nothing.
    const glm::vec3 paused = d.state().ball.heading;
    keys.move_pointer(100.0, 300.0);
    d.frames(2, false);
    press(d, {GLFW_KEY_ESCAPE});
    d.frames(2, false);
    EXPECT_EQ(d.game().screen_name(), "play");
    EXPECT_TRUE(keys.pointer_captured());
    EXPECT_EQ(d.state().ball.heading, paused);
    // R is a new attempt: the clock back at 0 after "Go!", every life there.
    d.hold(command::restart);
    d.frames(1, false);
    d.release(command::restart);
    EXPECT_EQ(d.game().screen_name(), "ready");
    d.frames(60, false);
    EXPECT_EQ(d.state().lives, 5);
    EXPECT_LT(d.state().clock_time - d.state().play_started, 0.5);
}

// W to the corner, D held for a quarter turn at the default rate, W to the finish.
TEST(Steering, FixedHoldsFinishTurningFromTheMenuAtTwoFrameRates) {
    const std::string turning = test::file_text(test::source_dir() / "levels/02_turning.txt");
    for (const double frame : {1.0 / 60.0, 1.0 / 24.0}) {
        menu_run run(turning, frame);
        test::game_driver& d = *run.d;
        const auto until = [&](const std::function<bool()>& done, double seconds) {
            for (double t = 0.0; t < seconds && !done() && !d.state().won; t += frame) {
                d.frames(1, false, frame);
            }
        };
        until([] { return false; }, 2.0);  // the drop
        d.hold(command::forward);
        until([&] { return d.state().ball.position.z < 6.5f; }, 10.0);
        d.release(command::forward);
        d.hold(command::back);
        until([&] { return d.state().ball.body->getLinearVelocity().z() > -0.05f; }, 5.0);
        d.release(command::back);
        d.hold(command::turn_right);
        until([] { return false; }, 90.0 / default_turn_speed);
        d.release(command::turn_right);
        d.hold(command::forward);
        until([] { return false; }, 20.0);
        EXPECT_TRUE(d.state().won) << frame;
        EXPECT_EQ(d.state().lives, 5) << frame;
    }
}

}  // namespace
}  // namespace quillomar

namespace quillomar {
namespace {

// Escape as the window delivers it, between frames (what the frame loop's quit check takes).
void escape_between_frames(test::game_driver& d) {
    d.game().keys()->key_pressed(GLFW_KEY_ESCAPE);
    EXPECT_FALSE(d.game().quit_requested());
    d.frames(1, false);
}

TEST(Steering, TheSteeringPageIsReachedFromBothMenusAndEscapeGoesBackOnePageAtATime) {
    menu_run run(plate);
    test::game_driver& d = *run.d;
    press(d, {GLFW_KEY_PAUSE, GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_ENTER});
    ASSERT_TRUE(test::hud_chosen(d, "Display"));
    // Controls, then up from its top to Steering, six rows from the bottom.
    press(d, {GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_ENTER, GLFW_KEY_UP, GLFW_KEY_UP, GLFW_KEY_UP,
              GLFW_KEY_UP, GLFW_KEY_UP, GLFW_KEY_UP, GLFW_KEY_ENTER});
    EXPECT_TRUE(test::hud_chosen(d, "Steering") && test::hud_chosen(d, "Direct"));
    // Classic from here on: the turn keys spin the sphere again, in the run under the menu.
    press(d, {GLFW_KEY_RIGHT});
    EXPECT_EQ(d.game().steering_in_play(), steering::classic);
    for (const char* page : {"Controls", "Settings", "Paused"}) {
        escape_between_frames(d);
        EXPECT_TRUE(test::hud_shows(d, page)) << page;
        EXPECT_EQ(d.game().screen_name(), "pause") << page;
    }
    escape_between_frames(d);
    EXPECT_EQ(d.game().screen_name(), "play");
    d.frames(60, false);
    d.hold(command::turn_left);
    d.frames(9, false);
    d.release(command::turn_left);
    d.frames(2, false);
    const glm::vec3 released = d.state().ball.heading;
    d.frames(30, false);
    EXPECT_GT(glm::distance(d.state().ball.heading, released), 0.01f);
}

}  // namespace
}  // namespace quillomar
