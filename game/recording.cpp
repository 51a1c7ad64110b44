#include "game/recording.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "framework/asset_paths.h"
#include "records/atomic_file.h"

namespace quillomar {
namespace {

constexpr std::string_view header = "quillomar-recording 1\n";
// Game times are seconds of a clock that starts near zero; anything beyond is damage.
constexpr double max_time = 1e9;

bool fail(std::string* why, const std::string& reason) {
    if (why != nullptr) {
        *why = reason;
    }
    return false;
}

bool parse_frame(const std::string& line, frame_input& frame, std::string* why) {
    std::istringstream in(line);
    std::string time_text;
    std::string held_text;
    if (!(in >> time_text >> held_text)) {
        return fail(why, "a frame line without time and held commands");
    }
    char* end = nullptr;
    frame.time = std::strtod(time_text.c_str(), &end);
    if (*end != '\0' || !(frame.time >= 0.0 && frame.time <= max_time)) {
        return fail(why, "a frame time out of range: " + time_text);
    }
    const unsigned long long held = std::strtoull(held_text.c_str(), &end, 16);
    if (*end != '\0' || held_text.empty() || held >> command_count != 0) {
        return fail(why, "an unknown held command: " + held_text);
    }
    for (std::size_t c = 0; c < command_count; ++c) {
        frame.held[c] = ((held >> c) & 1u) != 0;
    }
    std::string press;
    while (in >> press) {
        if (press[0] == 'a') {
            unsigned push = 0;
            unsigned turn = 0;
            char extra = 0;
            if (std::sscanf(press.c_str(), "a%u,%u%c", &push, &turn, &extra) != 2 || push > 255 ||
                turn > 255 || !(in >> std::ws).eof()) {
                return fail(why, "damaged amounts: " + press);
            }
            frame.push_amount = static_cast<std::uint8_t>(push);
            frame.turn_amount = static_cast<std::uint8_t>(turn);
            break;
        }
        unsigned index = 0;
        unsigned count = 0;
        char x = 0;
        char extra = 0;
        if (std::sscanf(press.c_str(), "%ux%u%c", &index, &count, &extra) != 2 ||
            press.find('x') == std::string::npos || index >= command_count || count == 0 ||
            count > 255 || frame.presses[index] != 0) {
            (void)x;
            return fail(why, "a damaged press: " + press);
        }
        frame.presses[index] = static_cast<std::uint8_t>(count);
    }
    return true;
}

}  // namespace

std::string format_recording(const recording& run) {
    std::string text(header);
    text += "level " + run.level_key + "\n";
    char buffer[64];
    for (const frame_input& frame : run.frames) {
        unsigned long long held = 0;
        for (std::size_t c = 0; c < command_count; ++c) {
            held |= static_cast<unsigned long long>(frame.held[c]) << c;
        }
        std::snprintf(buffer, sizeof buffer, "%a %llx", frame.time, held);
        text += buffer;
        for (std::size_t c = 0; c < command_count; ++c) {
            if (frame.presses[c] != 0) {
                std::snprintf(buffer, sizeof buffer, " %zux%u", c, unsigned{frame.presses[c]});
                text += buffer;
            }
        }
        if (frame.push_amount != 255 || frame.turn_amount != 255) {
            std::snprintf(buffer, sizeof buffer, " a%u,%u", unsigned{frame.push_amount},
                          unsigned{frame.turn_amount});
            text += buffer;
        }
        text += "\n";
    }
    return text;
}

std::optional<recording> parse_recording(std::string_view text, std::string* why) {
    if (text.substr(0, header.size()) != header) {
        fail(why, "not a Quillomar recording");
        return std::nullopt;
    }
    if (text.back() != '\n') {
        fail(why, "the last line is cut off");
        return std::nullopt;
    }
    std::istringstream lines(std::string(text.substr(header.size())));
    std::string line;
    recording run;
    if (!std::getline(lines, line) || line.rfind("level ", 0) != 0 || line.size() != 6 + 16 ||
        line.find_first_not_of("0123456789abcdef", 6) != std::string::npos) {
        fail(why, "no level line");
        return std::nullopt;
    }
    run.level_key = line.substr(6);
    double previous = 0.0;
    while (std::getline(lines, line)) {
        frame_input frame;
        if (!parse_frame(line, frame, why)) {
            return std::nullopt;
        }
        if (frame.time < previous) {
            fail(why, "time runs backwards");
            return std::nullopt;
        }
        previous = frame.time;
        run.frames.push_back(frame);
    }
    return run;
}

bool save_recording(const recording& run, const std::string& path) {
    std::string error;
    if (!write_file_atomically(platform_path(path), format_recording(run), &error)) {
        std::cout << "Could not save the recording " << path << ": " << error << std::endl;
        return false;
    }
    return true;
}

std::optional<recording> load_recording(const std::string& path) {
    std::ifstream in(platform_path(path), std::ios::binary);
    if (!in.is_open()) {
        std::cout << "Unable to open recording: " << path << std::endl;
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string why;
    std::optional<recording> run = parse_recording(text.str(), &why);
    if (!run) {
        std::cout << "Recording " << path << " is damaged (" << why << "); it is not played."
                  << std::endl;
    }
    return run;
}

}  // namespace quillomar
