#include "game/recording.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "common/real_chars.h"
#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "game/tick_clock.h"
#include "records/atomic_file.h"

namespace quillomar {
namespace {

constexpr std::string_view header_v1 = "quillomar-recording 1\n";
constexpr std::string_view header_v2 = "quillomar-recording 2\n";
// Game times are seconds of a clock that starts near zero; anything beyond is damage.
constexpr double max_time = 1e9;

bool fail(std::string* why, const std::string& reason) {
    if (why != nullptr) {
        *why = reason;
    }
    return false;
}

// The next blank-separated field of `rest`; moves `rest` past it.
std::string_view take_field(std::string_view& rest) {
    const std::size_t from = rest.find_first_not_of(" \t");
    if (from == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(from);
    const std::size_t to = std::min(rest.find_first_of(" \t"), rest.size());
    const std::string_view field = rest.substr(0, to);
    rest.remove_prefix(to);
    return field;
}

// A whole field as an unsigned number in `base`, range-checked against `most`.
bool read_unsigned(std::string_view field, unsigned long long most, unsigned long long& out,
                   int base = 10) {
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, out, base);
    return !field.empty() && error == std::errc() && stop == end && out <= most;
}

// "<a>,<b>" with both in 0..255.
bool read_amounts(std::string_view field, frame_input& frame) {
    const std::size_t comma = field.find(',');
    unsigned long long push = 0;
    unsigned long long turn = 0;
    if (comma == std::string_view::npos || !read_unsigned(field.substr(0, comma), 255, push) ||
        !read_unsigned(field.substr(comma + 1), 255, turn)) {
        return false;
    }
    frame.push_amount = static_cast<std::uint8_t>(push);
    frame.turn_amount = static_cast<std::uint8_t>(turn);
    return true;
}

bool parse_frame(std::string_view line, bool timed, frame_input& frame, std::string* why) {
    const std::string_view time_text = timed ? take_field(line) : std::string_view();
    const std::string_view held_text = take_field(line);
    if (held_text.empty()) {
        return fail(why, "a frame line without time and held commands");
    }
    if (timed) {
        // strtod reads the C hex floats the writer prints; it needs a terminated copy.
        char time_copy[64];
        char* end = nullptr;
        if (time_text.size() < sizeof time_copy) {
            time_text.copy(time_copy, time_text.size());
            time_copy[time_text.size()] = '\0';
            frame.time = std::strtod(time_copy, &end);
        }
        if (end != time_copy + time_text.size() ||
            !(frame.time >= 0.0 && frame.time <= max_time)) {
            return fail(why, "a frame time out of range: " + std::string(time_text));
        }
    }
    unsigned long long held = 0;
    if (!read_unsigned(held_text, (1ULL << command_count) - 1, held, 16)) {
        return fail(why, "an unknown held command: " + std::string(held_text));
    }
    for (std::size_t c = 0; c < command_count; ++c) {
        frame.held[c] = ((held >> c) & 1u) != 0;
    }
    bool steered = false;
    for (std::string_view press = take_field(line); !press.empty(); press = take_field(line)) {
        if (press[0] == 's' && !timed && !steered) {
            int steer = 0;
            const char* end = press.data() + press.size();
            const auto [stop, error] = std::from_chars(press.data() + 1, end, steer);
            if (error != std::errc() || stop != end || steer == 0 ||
                steer < -max_steer_per_tick || steer > max_steer_per_tick) {
                return fail(why, "a damaged steer: " + std::string(press));
            }
            frame.steer = steer;
            steered = true;
            continue;
        }
        if (press[0] == 'a') {
            if (!read_amounts(press.substr(1), frame) || !take_field(line).empty()) {
                return fail(why, "damaged amounts: " + std::string(press));
            }
            break;
        }
        const std::size_t x = press.find('x');
        unsigned long long index = 0;
        unsigned long long count = 0;
        if (x == std::string_view::npos ||
            !read_unsigned(press.substr(0, x), command_count - 1, index) ||
            !read_unsigned(press.substr(x + 1), 255, count) || count == 0 ||
            frame.presses[index] != 0) {
            return fail(why, "a damaged press: " + std::string(press));
        }
        frame.presses[index] = static_cast<std::uint8_t>(count);
    }
    return true;
}

}  // namespace
std::string format_recording(const recording& run) {
    const bool timed = run.version == 1;
    std::string text(timed ? header_v1 : header_v2);
    text += "level " + run.level_key + "\n";
    if (run.steering == steering::direct && !timed) {
        text += "steering direct\n";
    }
    char buffer[64];
    if (run.result && !timed) {
        const auto end = real_to_chars(buffer, buffer + sizeof buffer, run.result->seconds).ptr;
        text += "result " + std::string(buffer, end) + " " +
                std::to_string(run.result->lives_lost) + "\n";
    }
    for (const frame_input& frame : run.frames) {
        unsigned long long held = 0;
        for (std::size_t c = 0; c < command_count; ++c) {
            held |= static_cast<unsigned long long>(frame.held[c]) << c;
        }
        if (timed) {
            std::snprintf(buffer, sizeof buffer, "%a %llx", frame.time, held);
        } else {
            std::snprintf(buffer, sizeof buffer, "%llx", held);
        }
        text += buffer;
        for (std::size_t c = 0; c < command_count; ++c) {
            if (frame.presses[c] != 0) {
                std::snprintf(buffer, sizeof buffer, " %zux%u", c, unsigned{frame.presses[c]});
                text += buffer;
            }
        }
        if (frame.steer != 0 && !timed) {
            std::snprintf(buffer, sizeof buffer, " s%d", static_cast<int>(frame.steer));
            text += buffer;
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

std::optional<recording> parse_recording(std::string_view text, std::string* why,
                                         bool* cut_short) {
    const bool timed = text.substr(0, header_v1.size()) == header_v1;
    if (!timed && text.substr(0, header_v2.size()) != header_v2) {
        fail(why, "not a Quillomar recording");
        return std::nullopt;
    }
    if (text.back() != '\n') {
        fail(why, "the last line is cut off");
        return std::nullopt;
    }
    text.remove_prefix(header_v1.size());
    auto next_line = [&text] {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        return line;
    };
    const std::string_view level_line = next_line();
    if (level_line.substr(0, 6) != "level " || level_line.size() != 6 + 16 ||
        level_line.find_first_not_of("0123456789abcdef", 6) != std::string_view::npos) {
        fail(why, "no level line");
        return std::nullopt;
    }
    recording run;
    run.version = timed ? 1 : 2;
    run.level_key = std::string(level_line.substr(6));
    if (!timed && text.substr(0, 16) == "steering direct\n") {
        next_line();
        run.steering = steering::direct;
    }
    if (!timed && text.substr(0, 7) == "result ") {
        std::string_view rest = next_line().substr(7);
        const std::string_view seconds = take_field(rest);
        unsigned long long lives = 0;
        run_result result;
        const auto read =
            number_from_chars(seconds.data(), seconds.data() + seconds.size(), result.seconds);
        if (read.ec != std::errc() || read.ptr != seconds.data() + seconds.size() ||
            !(result.seconds > 0.0 && result.seconds <= max_time) ||
            !read_unsigned(take_field(rest), 1000000, lives) || !rest.empty()) {
            fail(why, "a damaged result line");
            return std::nullopt;
        }
        result.lives_lost = static_cast<int>(lives);
        run.result = result;
    }
    const std::size_t most = timed ? max_recording_frames : max_recording_ticks;
    double previous = 0.0;
    if (cut_short != nullptr) {
        *cut_short = false;
    }
    while (!text.empty()) {
        if (run.frames.size() == most) {
            if (cut_short != nullptr) {
                *cut_short = true;
            }
            break;
        }
        frame_input frame;
        frame.time = tick_time(static_cast<long>(run.frames.size()) + 1);
        if (!parse_frame(next_line(), timed, frame, why)) {
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
    std::string text;
    const bounded_read read = read_bounded(platform_path(path), max_recording_bytes, text);
    if (!read.ok()) {
        std::cout << "Unable to open recording: " << path << " (" << read.problem << ")"
                  << std::endl;
        return std::nullopt;
    }
    if (read.truncated) {
        // What fits is the start of the run; the cut line at its end is dropped.
        text.erase(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    }
    std::string why;
    bool cut_short = false;
    std::optional<recording> run = parse_recording(text, &why, &cut_short);
    if (!run) {
        std::cout << "Recording " << path << " is damaged (" << why << "); it is not played."
                  << std::endl;
    } else if (read.truncated || cut_short) {
        std::cout << "Recording " << path << " is longer than an hour of play; only its first "
                  << run->frames.size() << " frames are played." << std::endl;
    }
    return run;
}

}  // namespace quillomar
