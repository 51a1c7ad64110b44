#include "records/medal_store.h"

#include <algorithm>

#include "framework/bounded_read.h"
#include "records/atomic_file.h"
#include "records/set_aside.h"

namespace quillomar {
namespace {

constexpr std::string_view header = "quillomar-medals 2";
constexpr std::string_view header_v1 = "quillomar-medals 1";
constexpr const char* file_name = "medals.txt";
// Five short fields a level: far beyond any number of levels a player has.
constexpr std::size_t max_file_bytes = 4 << 20;

bool is_key(std::string_view text) {
    return text.size() == 16 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// "47.9": whole seconds without a sign or leading zero, a point, one digit of tenths.
std::optional<long> read_tenths(std::string_view text) {
    const std::size_t point = text.size() - 2;
    if (text.size() < 3 || text.size() > 10 || text[point] != '.' ||
        (text[0] == '0' && point > 1)) {
        return std::nullopt;
    }
    long tenths = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == point) {
            continue;
        }
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        tenths = tenths * 10 + (text[i] - '0');
    }
    return tenths;
}

// A line "<key> <steering> <author> <gold> <silver> <bronze>" (version 1: no steering), or
// nothing.
std::optional<std::pair<std::string, medal_times>> read_line(std::string_view line,
                                                             bool version_1) {
    std::vector<std::string_view> fields;
    for (std::size_t begin = 0; begin <= line.size() && fields.size() < 7;) {
        const std::size_t end = std::min(line.find(' ', begin), line.size());
        fields.push_back(line.substr(begin, end - begin));
        begin = end + 1;
    }
    steering proven_by = steering::classic;
    if (!version_1 && fields.size() == 6 && (fields[1] == "direct" || fields[1] == "classic")) {
        proven_by = fields[1] == "direct" ? steering::direct : steering::classic;
        fields.erase(fields.begin() + 1);
    } else if (!version_1) {
        return std::nullopt;
    }
    if (fields.size() != 5 || !is_key(fields[0])) {
        return std::nullopt;
    }
    long tenths[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::optional<long> read = read_tenths(fields[i + 1]);
        if (!read) {
            return std::nullopt;
        }
        tenths[i] = *read;
    }
    const medal_times times{tenths[0], tenths[1], tenths[2], tenths[3], proven_by};
    if (!usable(times)) {
        return std::nullopt;
    }
    return std::make_pair(std::string(fields[0]), times);
}

}  // namespace

std::optional<medals_text> parse_medals(std::string_view text, std::string* why) {
    const std::size_t first_end = text.find('\n');
    const bool version_1 =
        first_end != std::string_view::npos && text.substr(0, first_end) == header_v1;
    if (first_end == std::string_view::npos ||
        (text.substr(0, first_end) != header && !version_1)) {
        if (why != nullptr) {
            *why = text.empty() ? "the file is empty"
                                : "it does not start with \"" + std::string(header) + "\"";
        }
        return std::nullopt;
    }
    medals_text result;
    std::size_t line_number = 2;
    for (std::size_t begin = first_end + 1; begin < text.size(); ++line_number) {
        const std::size_t end = text.find('\n', begin);
        const std::string_view line = text.substr(begin, end - begin);
        begin = end == std::string_view::npos ? text.size() : end + 1;
        std::string fault;
        const auto read = read_line(line, version_1);
        if (end == std::string_view::npos) {
            fault = " is cut off";
        } else if (!read) {
            fault = " has no level key, steering and four medal times in order";
        } else if (!result.medals.emplace(read->first, read->second).second) {
            fault = " repeats a level";
        }
        if (!fault.empty()) {
            if (result.damaged_lines.empty()) {
                result.why = "line " + std::to_string(line_number) + fault;
            }
            result.damaged_lines.emplace_back(line);
        }
    }
    if (why != nullptr) {
        *why = result.why;
    }
    return result;
}

std::string format_medals(const medals_map& medals) {
    std::string text = std::string(header) + "\n";
    for (const auto& [key, times] : medals) {
        text += key + (times.proven_by == steering::direct ? " direct " : " classic ") +
                tenths_text(times.author) + " " + tenths_text(times.gold) + " " +
                tenths_text(times.silver) + " " + tenths_text(times.bronze) + "\n";
    }
    return text;
}

medal_store::medal_store(std::string folder) : folder_(std::move(folder)) {}

std::string medal_store::file_path() const {
    return folder_.empty() ? std::string() : folder_ + "/" + file_name;
}

std::optional<std::string> medal_store::load() {
    medals_.clear();
    if (folder_.empty()) {
        return std::nullopt;
    }
    const std::string path = file_path();
    std::string text;
    const bounded_read read = read_bounded(path, max_file_bytes, text);
    if (read.result == bounded_read::outcome::missing) {
        return std::nullopt;
    }
    std::string why = describe_problem(path, read, max_file_bytes);
    std::optional<medals_text> parsed;
    if (why.empty()) {
        parsed = parse_medals(text, &why);
    }
    if (!parsed) {
        const aside_outcome moved = move_damaged_file_aside(path, why, "medal times");
        can_save_ = can_save_ && moved.kept;
        return "medals: " + moved.line;
    }
    medals_ = std::move(parsed->medals);
    if (parsed->damaged_lines.empty()) {
        return std::nullopt;
    }
    const aside_outcome copied =
        copy_damaged_lines_aside(path, parsed->damaged_lines, why,
                                 std::to_string(medals_.size()) + " levels' medals", "medal times");
    can_save_ = can_save_ && copied.kept;
    std::string ignored;
    if (can_save_) {
        save(&ignored);
    }
    return "medals: " + copied.line;
}

bool medal_store::set(const std::string& key, const medal_times& times, std::string* error) {
    if (!is_key(key) || !usable(times)) {
        if (error != nullptr) {
            *error = "not a level key and medal times";
        }
        return false;
    }
    medals_[key] = times;
    return save(error);
}

const medal_times* medal_store::find(const std::string& key) const {
    const auto found = medals_.find(key);
    return found == medals_.end() || found->second.proven_by != steering::direct ? nullptr
                                                                                   : &found->second;
}

bool medal_store::save(std::string* error) const {
    if (folder_.empty() || !can_save_) {
        if (error != nullptr) {
            *error = folder_.empty() ? "no folder to keep medal times in"
                                     : "its damaged lines could not be set aside";
        }
        return false;
    }
    return write_file_atomically(file_path(), format_medals(medals_), error);
}

}  // namespace quillomar
