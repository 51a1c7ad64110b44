// The world's one clock: the game advances in fixed ticks of 1/60 s whatever the frame rate, so
// the same inputs give the same game on every machine. The shell asks once a frame how many ticks
// are due; what is left of a tick carries over to the next frame, and the renderer draws that
// far between the last two ticks.
#pragma once

namespace quillomar {

inline constexpr int ticks_per_second = 60;
inline constexpr double tick_seconds = 1.0 / ticks_per_second;
// At most a quarter of a second of catch-up a frame: a stalled machine sees the game slow down
// rather than a burst of hundreds of ticks that stalls it further.
inline constexpr int max_ticks_per_frame = ticks_per_second / 4;

// The game time of a tick: computed afresh from its number, never summed, so tick n has the same
// time in every run.
inline double tick_time(long tick) {
    return static_cast<double>(tick) / ticks_per_second;
}

class tick_clock {
public:
    // The ticks due at wall time `now` (seconds, any origin; the first call starts the clock with
    // one tick). Time beyond max_ticks_per_frame ticks is let go.
    int advance(double now) {
        if (!started_) {
            started_ = true;
            origin_ = now - tick_seconds;
        }
        // A hair of slack, so that a clock stepping by exactly 1/60 s never loses a tick to
        // rounding in the division.
        const double elapsed = now - origin_;
        const long due = static_cast<long>((elapsed + 1e-9) * ticks_per_second) - ticks_done_;
        if (due <= 0) {
            return 0;
        }
        if (due > max_ticks_per_frame) {
            origin_ += tick_time(due - max_ticks_per_frame);
            ticks_done_ += max_ticks_per_frame;
            return max_ticks_per_frame;
        }
        ticks_done_ += due;
        return static_cast<int>(due);
    }

    // How far the wall clock at the last advance stands past the last tick, in ticks: 0 to 1.
    double fraction(double now) const {
        const double past = (now - origin_) * ticks_per_second - static_cast<double>(ticks_done_);
        return past < 0.0 ? 0.0 : past > 1.0 ? 1.0 : past;
    }

    long ticks_done() const { return ticks_done_; }

private:
    bool started_ = false;
    double origin_ = 0.0;
    long ticks_done_ = 0;
};

}  // namespace quillomar
