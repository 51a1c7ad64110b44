#include "framework/window_config.h"

#include <algorithm>
#include <iostream>
#include <limits>
#include <sstream>

#include "framework/bounded_read.h"

namespace quillomar {
namespace {

// Stream extraction as the file has always been read: leading blanks skipped, reading stops at
// the first character that cannot continue the number ("800px" gives 800). A number too large for
// an int reads as the int's limit, so that it is reported as out of range, not silently ignored.
bool read_number(const std::string& line, int& out) {
    std::istringstream stream(line);
    int value = 0;
    if (!(stream >> value) && value != std::numeric_limits<int>::max() &&
        value != std::numeric_limits<int>::min()) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace

window_config read_window_config(std::istream& in) {
    window_config config;
    int line_number = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line == "fullscreen") {
            config.fullscreen = true;
            break;
        }
        if (line == "nofullscreen") {
            config.fullscreen = false;
        } else if (line_number == 1) {
            read_number(line, config.width);
        } else if (line_number == 2) {
            read_number(line, config.height);
        }
        ++line_number;
    }
    return config;
}

window_config read_window_config_file(const std::string& path) {
    std::string text;
    const bounded_read read = read_bounded(path, max_window_config_bytes, text);
    if (read.result == bounded_read::outcome::refused || read.truncated) {
        std::cout << "config.txt: " << describe_problem(path, read, max_window_config_bytes)
                  << (read.truncated ? "; the rest is ignored" : "; using the defaults")
                  << std::endl;
    }
    std::istringstream in(text);
    return read_window_config(in);
}

std::string clamp_window_size(window_config& config, int max_width, int max_height) {
    auto limit = [](int screen, int low) {
        return std::max(low, screen > 0 ? std::min(screen, max_window_side) : max_window_side);
    };
    const int top_width = limit(max_width, min_window_width);
    const int top_height = limit(max_height, min_window_height);
    const int width = std::clamp(config.width, min_window_width, top_width);
    const int height = std::clamp(config.height, min_window_height, top_height);
    if (width == config.width && height == config.height) {
        return {};
    }
    std::ostringstream line;
    line << "config.txt: window size " << config.width << " x " << config.height
         << " is out of range (" << min_window_width << " x " << min_window_height << " to "
         << top_width << " x " << top_height << "), using " << width << " x " << height;
    config.width = width;
    config.height = height;
    return line.str();
}

}  // namespace quillomar
