#include "framework/window_config.h"

#include <fstream>
#include <sstream>

namespace quillomar {
namespace {

// Stream extraction as the file has always been read: leading blanks skipped, reading stops at
// the first character that cannot continue the number ("800px" gives 800).
bool read_number(const std::string& line, int& out) {
    std::istringstream stream(line);
    int value = 0;
    if (!(stream >> value)) {
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
    std::ifstream file(path);
    if (!file) {
        return window_config{};
    }
    return read_window_config(file);
}

}  // namespace quillomar
