#include "records/statistics_store.h"

#include <charconv>
#include <iostream>

#include "framework/bounded_read.h"
#include "records/atomic_file.h"
#include "records/set_aside.h"

namespace quillomar {
namespace {

constexpr std::string_view header = "quillomar-statistics 1";
constexpr const char* file_name = "statistics.txt";
// A few hundred levels with every cell reached; a larger file is not ours.
constexpr std::size_t max_file_bytes = std::size_t{16} << 20;

void say(const std::string& line) {
    std::cout << "statistics: " << line << std::endl;
}

bool is_key(std::string_view text) {
    return text.size() == 16 &&
           text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// The next field up to a blank; moves `rest` past it and the blank after it.
std::string_view take_field(std::string_view& rest) {
    const std::size_t blank = rest.find(' ');
    const std::string_view field = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    return field;
}

// A whole number from 0 to `most` (or from -most for a cell) that fills `text` exactly.
template <typename number>
bool read_number(std::string_view text, number& out, long least, long most) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, out);
    return error == std::errc() && stop == end && !text.empty() && out >= least && out <= most;
}

// "x,z" or "x,z,n" after its letter: the cell and, when `count` is given, the count.
bool read_cell(std::string_view text, level_cell& cell, long* count) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
        return false;
    }
    std::string_view rest = text.substr(comma + 1);
    const std::size_t second = rest.find(',');
    if ((second == std::string_view::npos) != (count == nullptr)) {
        return false;
    }
    return read_number(text.substr(0, comma), cell.first, -max_statistics_cell,
                       max_statistics_cell) &&
           read_number(rest.substr(0, second), cell.second, -max_statistics_cell,
                       max_statistics_cell) &&
           (count == nullptr ||
            read_number(rest.substr(second + 1), *count, 1, max_statistics_count));
}

// One level's line after its key; the fault when it is damaged.
std::string read_level(std::string_view rest, level_statistics& out) {
    long* const counts[] = {&out.attempts, &out.wins, &out.lives_lost, &out.ticks_played};
    for (long* count : counts) {
        if (!read_number(take_field(rest), *count, 0, max_statistics_count)) {
            return "has no usable counts";
        }
    }
    while (!rest.empty()) {
        const std::string_view field = take_field(rest);
        level_cell cell;
        long count = 0;
        const bool death = !field.empty() && field[0] == 'd';
        const bool reached = !field.empty() && field[0] == 'r';
        if (!(death || reached) || !read_cell(field.substr(1), cell, death ? &count : nullptr)) {
            return "has a damaged cell";
        }
        const bool fresh = death ? out.deaths.emplace(cell, count).second
                                 : out.reached.insert(cell).second;
        if (!fresh || out.deaths.size() + out.reached.size() > 2 * max_statistics_cells) {
            return "repeats a cell or holds too many";
        }
    }
    return {};
}

}  // namespace

std::optional<statistics_text> parse_statistics(std::string_view text, std::string* why) {
    const std::size_t first_end = text.find('\n');
    if (first_end == std::string_view::npos || text.substr(0, first_end) != header) {
        if (why != nullptr) {
            *why = text.empty() ? "the file is empty"
                                : "it does not start with \"" + std::string(header) + "\"";
        }
        return std::nullopt;
    }
    statistics_text result;
    std::size_t line_number = 1;
    for (std::size_t begin = first_end + 1; begin < text.size();) {
        ++line_number;
        const std::size_t end = text.find('\n', begin);
        const std::string_view line = text.substr(begin, end - begin);
        begin = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view rest = line;
        const std::string_view key = take_field(rest);
        level_statistics level;
        std::string fault;
        if (end == std::string_view::npos) {
            fault = "is cut off";
        } else if (!is_key(key)) {
            fault = "has no level key";
        } else if (fault = read_level(rest, level); fault.empty() &&
                                                    !result.levels.emplace(key, level).second) {
            fault = "repeats a level";
        }
        if (!fault.empty()) {
            if (result.damaged_lines.empty()) {
                result.why = "line " + std::to_string(line_number) + " " + fault;
            }
            result.damaged_lines.emplace_back(line);
        }
    }
    if (why != nullptr) {
        *why = result.why;
    }
    return result;
}

std::string format_statistics(const statistics_map& levels) {
    std::string text = std::string(header) + "\n";
    for (const auto& [key, s] : levels) {
        text += key + " " + std::to_string(s.attempts) + " " + std::to_string(s.wins) + " " +
                std::to_string(s.lives_lost) + " " + std::to_string(s.ticks_played);
        for (const auto& [cell, count] : s.deaths) {
            text += " d" + std::to_string(cell.first) + "," + std::to_string(cell.second) + "," +
                    std::to_string(count);
        }
        for (const level_cell& cell : s.reached) {
            text += " r" + std::to_string(cell.first) + "," + std::to_string(cell.second);
        }
        text += "\n";
    }
    return text;
}

statistics_store::statistics_store(std::string folder) : folder_(std::move(folder)) {}

std::string statistics_store::file_path() const {
    return folder_.empty() ? std::string() : folder_ + "/" + file_name;
}

const level_statistics* statistics_store::find(const std::string& key) const {
    const auto found = levels_.find(key);
    return found == levels_.end() ? nullptr : &found->second;
}

void statistics_store::load() {
    levels_.clear();
    if (folder_.empty()) {
        return;
    }
    const std::string path = file_path();
    std::string text;
    const bounded_read read = read_bounded(path, max_file_bytes, text);
    if (read.result == bounded_read::outcome::missing) {
        return;
    }
    std::string why = describe_problem(path, read, max_file_bytes);
    std::optional<statistics_text> parsed;
    if (why.empty()) {
        parsed = parse_statistics(text, &why);
    }
    if (!parsed) {
        const aside_outcome moved = move_damaged_file_aside(path, why, "statistics");
        can_save_ = moved.kept;
        say(moved.line);
        return;
    }
    levels_ = std::move(parsed->levels);
    if (parsed->damaged_lines.empty()) {
        return;
    }
    const aside_outcome copied = copy_damaged_lines_aside(
        path, parsed->damaged_lines, why, std::to_string(levels_.size()) + " levels",
        "statistics");
    say(copied.line);
    if (!copied.kept) {
        can_save_ = false;
        return;
    }
    save();
}

bool statistics_store::save() const {
    if (folder_.empty() || !can_save_) {
        return false;
    }
    std::string error;
    if (!write_file_atomically(file_path(), format_statistics(levels_), &error)) {
        say("could not save " + file_path() + ": " + error);
        return false;
    }
    return true;
}

}  // namespace quillomar
