// The world's clock: whole ticks at any frame rate, the rest carried over, catch-up bounded.
#include <gtest/gtest.h>

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
}

}  // namespace
}  // namespace quillomar
