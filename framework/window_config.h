#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace quillomar {

// What config.txt asks of the window. The numbers keep their defaults when a line is missing or
// holds no number.
struct window_config {
    bool fullscreen = false;
    int width = 1024;
    int height = 768;
    // Not from config.txt: the samples per pixel of the window's multisampling, 0 for none.
    int samples = 4;
};

// Reads the config.txt format: "fullscreen" on any line switches full screen on and stops reading;
// line 1 is the width and line 2 the height. A carriage return before the line feed is dropped.
window_config read_window_config(std::istream& in);

// As above from a file; a file that is missing, not a regular file or unreadable gives the
// defaults (with one line unless it is missing). Three short lines need no more than this.
inline constexpr std::size_t max_window_config_bytes = 4096;
window_config read_window_config_file(const std::string& path);

// The window sizes the game asks the window system for. Below the minimum the HUD and the level
// do not fit; above the maximum (the monitor, or max_window_side without one) window systems fail
// in ways that name no cause, or not at all.
inline constexpr int min_window_width = 320;
inline constexpr int min_window_height = 240;
inline constexpr int max_window_side = 8192;

// Brings width and height into [min_window_width, max_width] x [min_window_height, max_height];
// each maximum is the screen's side capped at max_window_side, max_window_side when the screen's
// size is unknown (zero or less), and never below its minimum. Returns one console line naming
// config.txt, the values read, the range and the values used when either was replaced; empty
// when both were in range.
std::string clamp_window_size(window_config& config, int max_width, int max_height);

}  // namespace quillomar
