#include "records/records_store.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "common/real_chars.h"
#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "level/level_limits.h"
#include "records/atomic_file.h"
#include "records/set_aside.h"

namespace quillomar {
namespace {

constexpr std::string_view header = "quillomar-records 1";
constexpr const char* file_name = "records.txt";
// Far beyond any number of levels a player has; a larger file is not ours.
constexpr std::size_t max_file_bytes = 4 << 20;

void say(const std::string& line) {
    std::cout << "records: " << line << std::endl;
}

bool is_key(std::string_view text) {
    if (text.size() != 16) {
        return false;
    }
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

// The next field up to a blank; moves `rest` past the field and the one blank after it.
std::string_view take_field(std::string_view& rest) {
    const std::size_t blank = rest.find(' ');
    const std::string_view field = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    return field;
}

template <typename number>
bool read_whole(std::string_view text, number& out) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = number_from_chars(text.data(), end, out);
    return error == std::errc() && stop == end;
}

bool is_valid_run(double seconds, int lives_lost) {
    return std::isfinite(seconds) && seconds > 0.0 && seconds <= max_record_seconds &&
           lives_lost >= 0 && lives_lost <= max_record_lives_lost;
}

std::string printable(const std::string& name) {
    std::string result = name;
    for (char& c : result) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            c = '?';
        }
    }
    return result;
}

// 64-bit FNV-1a over the bytes as they come, so a file's key needs no copy of the file.
class key_hash {
public:
    void add(std::string_view bytes) {
        for (const char c : bytes) {
            hash_ ^= static_cast<unsigned char>(c);
            hash_ *= 0x100000001b3ULL;
        }
    }
    std::string key() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

}  // namespace

std::string level_key(std::string_view level_file_content) {
    key_hash hash;
    hash.add(level_file_content);
    return hash.key();
}

std::string level_key_of_file(const std::string& path) {
    key_hash hash;
    const bounded_read read = read_bounded(
        platform_path(path), max_level_file_bytes,
        [&hash](const char* data, std::size_t size) { hash.add({data, size}); });
    return read.ok() ? hash.key() : std::string();
}

std::optional<records_text> parse_records(std::string_view text, std::string* why) {
    const std::size_t first_end = text.find('\n');
    if (text.substr(0, first_end) != header || first_end == std::string_view::npos) {
        if (why != nullptr) {
            *why = text.empty() ? "the file is empty"
                                : "it does not start with \"" + std::string(header) + "\"";
        }
        return std::nullopt;
    }
    records_text result;
    auto damaged = [&result](std::string_view line, const std::string& reason) {
        if (result.damaged_lines.empty()) {
            result.why = reason;
        }
        result.damaged_lines.emplace_back(line);
    };
    std::size_t line_number = 1;
    for (std::size_t begin = first_end + 1; begin < text.size(); ++line_number) {
        const std::size_t end = text.find('\n', begin);
        const std::string_view line = text.substr(begin, end - begin);
        begin = end == std::string_view::npos ? text.size() : end + 1;
        const std::string where = "line " + std::to_string(line_number + 1);
        if (end == std::string_view::npos) {
            damaged(line, where + " is cut off");
            break;
        }
        std::string_view rest = line;
        const std::string_view key = take_field(rest);
        level_record record;
        if (!is_key(key)) {
            damaged(line, where + " has no level key");
            continue;
        }
        if (!read_whole(take_field(rest), record.best_time_seconds) ||
            !read_whole(take_field(rest), record.fewest_lives_lost) ||
            !is_valid_run(record.best_time_seconds, record.fewest_lives_lost)) {
            damaged(line, where + " has no usable time and lives");
            continue;
        }
        if (std::any_of(rest.begin(), rest.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
            })) {
            damaged(line, where + " has a control character");
            continue;
        }
        record.level_name = std::string(rest);
        if (!result.records.emplace(std::string(key), record).second) {
            damaged(line, where + " repeats a level");
        }
    }
    if (why != nullptr) {
        *why = result.why;
    }
    return result;
}

std::string format_records(const records_map& records) {
    std::string text = std::string(header) + "\n";
    for (const auto& [key, record] : records) {
        char seconds[64];
        const auto result =
            real_to_chars(seconds, seconds + sizeof seconds, record.best_time_seconds);
        text += key + " " + std::string(seconds, result.ptr) + " " +
                std::to_string(record.fewest_lives_lost) + " " + printable(record.level_name) +
                "\n";
    }
    return text;
}

std::string records_folder(const char* xdg_data_home, const char* home) {
    // The base directory rules: a relative XDG_DATA_HOME is invalid and must be ignored.
    if (xdg_data_home != nullptr && xdg_data_home[0] == '/') {
        return std::string(xdg_data_home) + "/quillomar";
    }
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.local/share/quillomar";
    }
    return {};
}

std::string default_records_folder() {
    const std::string folder = records_folder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (folder.empty()) {
        say("neither XDG_DATA_HOME nor HOME is set, so no best times are kept");
    }
    return folder;
}

records_store::records_store(std::string folder) : folder_(std::move(folder)) {}

std::string records_store::file_path() const {
    return folder_.empty() ? std::string() : folder_ + "/" + file_name;
}

void records_store::load() {
    records_.clear();
    if (folder_.empty()) {
        return;
    }
    const std::string path = file_path();
    std::string text;
    const bounded_read read = read_bounded(path, max_file_bytes, text);
    if (read.result == bounded_read::outcome::missing) {
        return;  // no records yet
    }
    std::string why = describe_problem(path, read, max_file_bytes);
    std::optional<records_text> parsed;
    if (why.empty()) {
        parsed = parse_records(text, &why);
    }
    if (!parsed) {
        const aside_outcome moved = move_damaged_file_aside(path, why, "best times");
        can_save_ = can_save_ && moved.kept;
        say(moved.line);
        return;
    }
    records_ = std::move(parsed->records);
    if (parsed->damaged_lines.empty()) {
        return;
    }
    const aside_outcome copied = copy_damaged_lines_aside(
        path, parsed->damaged_lines, why, std::to_string(records_.size()) + " records",
        "best times");
    say(copied.line);
    if (!copied.kept) {
        can_save_ = false;
        return;
    }
    save();
}

bool records_store::save() const {
    if (folder_.empty() || !can_save_) {
        return false;
    }
    const std::string path = file_path();
    std::string error;
    if (!write_file_atomically(path, format_records(records_), &error)) {
        say("could not save " + path + ": " + error);
        return false;
    }
    return true;
}

bool records_store::update_with_run(const std::string& key, const std::string& level_name,
                                    double seconds, int lives_lost) {
    if (!is_key(key) || !is_valid_run(seconds, lives_lost)) {
        return false;
    }
    const auto found = records_.find(key);
    level_record record{seconds, lives_lost, level_name};
    if (found != records_.end()) {
        const level_record& old = found->second;
        if (seconds >= old.best_time_seconds && lives_lost >= old.fewest_lives_lost) {
            return false;
        }
        record.best_time_seconds = std::min(seconds, old.best_time_seconds);
        record.fewest_lives_lost = std::min(lives_lost, old.fewest_lives_lost);
    }
    records_[key] = record;
    save();
    return true;
}

const level_record* records_store::find(const std::string& key) const {
    const auto found = records_.find(key);
    return found == records_.end() ? nullptr : &found->second;
}

}  // namespace quillomar
