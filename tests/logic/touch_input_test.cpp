// Fingers on a touch screen: the left half steers by the sideways movement, the right half
// pushes while held, and nonsense from the page changes nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "framework/key_map.h"
#include "framework/touch_input.h"

namespace quillomar {
namespace {

TEST(TouchInput, LeftHalfSteersRightHalfPushes) {
    touch_input touch;
    touch.finger_down(1, 100.0, 800.0);  // left half
    touch.finger_down(2, 700.0, 800.0);  // right half
    EXPECT_TRUE(touch.pushing());
    touch.finger_moved(1, 140.0);
    touch.finger_moved(2, 500.0);  // a pushing finger that wanders steers nothing
    EXPECT_DOUBLE_EQ(touch.take_steer_dx(), 40.0 * finger_to_mouse_pixels);
    EXPECT_DOUBLE_EQ(touch.take_steer_dx(), 0.0);
    touch.finger_moved(1, 120.0);
    EXPECT_DOUBLE_EQ(touch.take_steer_dx(), -20.0 * finger_to_mouse_pixels);
    touch.finger_up(2);
    EXPECT_FALSE(touch.pushing());
    touch.finger_up(1);
    touch.finger_moved(1, 400.0);  // lifted: its movement is gone
    EXPECT_DOUBLE_EQ(touch.take_steer_dx(), 0.0);
}

TEST(TouchInput, NonsenseFromThePageIsIgnored) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    touch_input touch;
    touch.finger_down(1, nan, 800.0);
    touch.finger_down(2, 700.0, 0.0);
    touch.finger_down(3, 700.0, -inf);
    touch.finger_moved(99, 5.0);
    touch.finger_up(-7);
    EXPECT_FALSE(touch.pushing());
    EXPECT_DOUBLE_EQ(touch.take_steer_dx(), 0.0);
    // More fingers than the hands have, the same one twice, and huge or non-number moves.
    for (int id = 0; id < 100; ++id) {
        touch.finger_down(id, 10.0, 800.0);
        touch.finger_down(id, 790.0, 800.0);
    }
    touch.finger_moved(0, inf);
    touch.finger_moved(0, nan);
    touch.finger_moved(0, 1e300);
    EXPECT_FALSE(touch.pushing());  // every finger went down on the left half first
    const double dx = touch.take_steer_dx();
    EXPECT_TRUE(std::isfinite(dx));
    EXPECT_LE(std::fabs(dx), 1e6);
    touch.lift_all();
    EXPECT_DOUBLE_EQ(touch.take_steer_dx(), 0.0);
}

TEST(TouchInput, KeyInputPushesAndSteersWithAFingerOnlyWhileCaptured) {
    key_input keys(nullptr);
    keys.touch().finger_down(4, 600.0, 800.0);
    EXPECT_TRUE(keys.sample(0.0).is_held(command::forward));
    keys.touch().finger_down(5, 100.0, 800.0);
    keys.touch().finger_moved(5, 80.0);
    EXPECT_DOUBLE_EQ(keys.take_pointer_dx(), 0.0);  // not captured: the movement is dropped
    keys.capture_pointer(true);
    keys.touch().finger_moved(5, 60.0);
    EXPECT_DOUBLE_EQ(keys.take_pointer_dx(), -20.0 * finger_to_mouse_pixels);
    keys.press(command::flip);
    keys.press(window_action::pause);
    EXPECT_EQ(keys.sample(0.0).pressed(command::flip), 1);
    EXPECT_EQ(keys.take(window_action::pause), 1);
    keys.touch().finger_up(4);
    EXPECT_FALSE(keys.sample(0.0).is_held(command::forward));
}

}  // namespace
}  // namespace quillomar
