#pragma once

#include <istream>
#include <string>

namespace quillomar {

// What config.txt asks of the window. The numbers keep their defaults when a line is missing or
// holds no number.
struct window_config {
    bool fullscreen = false;
    int width = 1024;
    int height = 768;
};

// Reads the config.txt format: "fullscreen" on any line switches full screen on and stops reading;
// line 1 is the width and line 2 the height. A carriage return before the line feed is dropped.
window_config read_window_config(std::istream& in);

// As above from a file; a file that cannot be opened gives the defaults.
window_config read_window_config_file(const std::string& path);

}  // namespace quillomar
