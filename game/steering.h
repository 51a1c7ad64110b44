// Direct steering: every hand (keys, a stick, the mouse, a finger) becomes one turn of the
// heading per tick, in thousandths of a degree, which the core applies as it is. The turn rate
// and the mouse's sensitivity are the player's settings; a recording keeps the turns themselves,
// so it replays the same whatever the settings are when it is played.
#pragma once

#include <cstdint>

namespace quillomar {

// How a run's turns are made: classic spins the steering sphere with the turn commands, so the
// heading coasts (every recording and medal time made before there was a choice); direct turns
// the heading by each tick's steer and stops it when the steer stops.
enum class steering { classic, direct };

// The turn speed out of the box, and the range the settings offer (degrees a second).
inline constexpr int default_turn_speed = 150;
inline constexpr int min_turn_speed = 60;
inline constexpr int max_turn_speed = 240;
inline constexpr int turn_speed_step = 15;
// Degrees of turn for a pointer moved across 1,000 pixels at 100 % sensitivity.
inline constexpr int mouse_degrees_per_1000_pixels = 180;
inline constexpr int min_mouse_sensitivity = 25;
inline constexpr int max_mouse_sensitivity = 400;

// One tick's turn from held turn keys or a tilted stick: `share` of the full rate (0 to 255, as
// frame_input's turn_amount), left positive; right wins when both are held, as in classic play.
std::int32_t held_turn_steer(bool left, bool right, std::uint8_t share, int degrees_per_second);

// Turns a pointer's sideways movement into steer, carrying what is too small to count so that
// slow movements add up exactly. Moving right turns right.
class pointer_steer {
public:
    // Adds `dx` pixels; returns the steer they make now at `sensitivity_percent`.
    std::int32_t take(double dx, int sensitivity_percent);

private:
    double carried_ = 0.0;  // thousandths of a degree not yet handed out
};

}  // namespace quillomar
