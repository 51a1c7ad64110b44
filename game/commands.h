// What the player asks of the game in one frame, as named commands rather than keys: the shell
// maps keys (or a gamepad, or a recording) to these, and the core never sees a key code.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quillomar {

enum class command : std::uint8_t {
    forward,        // push the ball along its heading
    back,           // push it against its heading
    turn_left,      // spin the heading left
    turn_right,     // spin it right
    flip,           // spend one change on a level flip
    restart,        // back to the start cell for a life
    camera,         // follow camera <-> free camera
    music,          // music on or off
    spiders,        // the spiders' walk stops or goes on
    frame_time,     // frame-rate display
    wireframe,      // wire frame
    sampling,       // bilinear <-> nearest texture sampling
    mipmap,         // mip-mapping: linear -> off -> nearest -> linear
    culling,        // view-frustum culling
    transparency,   // blending
    free_yaw_left,  // the free camera's moves
    free_yaw_right,
    free_pitch_up,
    free_pitch_down,
    free_forward,
    free_backward,
};

inline constexpr std::size_t command_count = static_cast<std::size_t>(command::free_backward) + 1;

// The steer of one tick is bounded: half a turn a tick is more than any hand asks.
inline constexpr std::int32_t max_steer_per_tick = 180000;

// One frame's record: the game clock and the controls. `held` says which commands are held at
// the end of the frame; `presses` counts the presses that began since the previous frame, so a
// tap shorter than a frame still counts once, and two taps count twice.
struct frame_input {
    double time = 0.0;  // seconds
    std::array<bool, command_count> held{};
    std::array<std::uint8_t, command_count> presses{};
    // How far a held push (forward or back) and a held turn go, out of 255: keys always go all
    // the way, a gamepad's stick as far as it is tilted.
    std::uint8_t push_amount = 255;
    std::uint8_t turn_amount = 255;
    // Direct steering: how far the heading turns in this tick, in thousandths of a degree, left
    // positive. The shell makes it from the turn keys, a stick, the mouse or a finger; classic
    // steering leaves it 0 and spins the steering sphere with turn_left and turn_right instead.
    std::int32_t steer = 0;

    bool is_held(command c) const { return held[static_cast<std::size_t>(c)]; }
    int pressed(command c) const { return presses[static_cast<std::size_t>(c)]; }
    void hold(command c, bool down = true) { held[static_cast<std::size_t>(c)] = down; }
    void press(command c) {
        std::uint8_t& n = presses[static_cast<std::size_t>(c)];
        if (n < 255) {
            ++n;
        }
    }
};

// Builds frame records from successive "held" sets, counting a press where a command goes from
// released to held; for scripted input and recordings that only know what is held.
class held_to_presses {
public:
    frame_input next(double time, const std::array<bool, command_count>& held) {
        frame_input input;
        input.time = time;
        input.held = held;
        for (std::size_t c = 0; c < command_count; ++c) {
            if (held[c] && !previous_[c]) {
                input.presses[c] = 1;
            }
        }
        previous_ = held;
        return input;
    }

private:
    std::array<bool, command_count> previous_{};
};

}  // namespace quillomar
