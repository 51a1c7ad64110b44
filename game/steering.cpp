#include "game/steering.h"

#include <algorithm>
#include <cmath>

#include "game/commands.h"
#include "game/tick_clock.h"

namespace quillomar {

std::int32_t held_turn_steer(bool left, bool right, std::uint8_t share, int degrees_per_second) {
    if (!left && !right) {
        return 0;
    }
    const int rate = std::clamp(degrees_per_second, min_turn_speed, max_turn_speed);
    // Thousandths of a degree a tick, rounded: 150 degrees a second is 2,500 a tick.
    const std::int64_t full = (std::int64_t{rate} * 1000 + ticks_per_second / 2) / ticks_per_second;
    const auto turn = static_cast<std::int32_t>((full * share + 127) / 255);
    return right ? -turn : turn;
}

std::int32_t pointer_steer::take(double dx, int sensitivity_percent) {
    if (!std::isfinite(dx)) {
        return 0;
    }
    const int sensitivity =
        std::clamp(sensitivity_percent, min_mouse_sensitivity, max_mouse_sensitivity);
    carried_ -= dx * mouse_degrees_per_1000_pixels * sensitivity / 100.0;
    // A hair of slack, so that parts that add up to a whole count as one despite rounding.
    const double whole =
        std::clamp(std::trunc(carried_ + std::copysign(1e-9, carried_)),
                   -double{max_steer_per_tick}, double{max_steer_per_tick});
    carried_ -= whole;
    if (!(std::fabs(carried_) < 1.0)) {
        carried_ = 0.0;  // beyond the most a tick may turn: let go, not saved up
    }
    return static_cast<std::int32_t>(whole);
}

}  // namespace quillomar
