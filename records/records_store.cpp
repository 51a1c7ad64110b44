#include "records/records_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "framework/asset_paths.h"
#include "records/atomic_file.h"

namespace quillomar {
namespace {

namespace fs = std::filesystem;

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
    const auto [stop, error] = std::from_chars(text.data(), end, out);
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

}  // namespace

std::string level_key(std::string_view level_file_content) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : level_file_content) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string level_key_of_file(const std::string& path) {
    std::ifstream in(platform_path(path), std::ios::binary);
    std::ostringstream content;
    if (!(in && content << in.rdbuf())) {
        return {};
    }
    return level_key(content.str());
}

std::optional<records_map> parse_records(std::string_view text, std::string* why) {
    auto fail = [why](const std::string& reason) {
        if (why != nullptr) {
            *why = reason;
        }
        return std::nullopt;
    };
    if (text.empty()) {
        return fail("the file is empty");
    }
    if (text.back() != '\n') {
        return fail("the last line is cut off");
    }
    records_map records;
    std::size_t line_number = 0;
    for (std::size_t begin = 0; begin < text.size(); ++line_number) {
        const std::size_t end = text.find('\n', begin);
        const std::string_view line = text.substr(begin, end - begin);
        begin = end + 1;
        const std::string where = "line " + std::to_string(line_number + 1);
        if (line_number == 0) {
            if (line != header) {
                return fail("it does not start with \"" + std::string(header) + "\"");
            }
            continue;
        }
        std::string_view rest = line;
        const std::string_view key = take_field(rest);
        level_record record;
        if (!is_key(key)) {
            return fail(where + " has no level key");
        }
        if (!read_whole(take_field(rest), record.best_time_seconds) ||
            !read_whole(take_field(rest), record.fewest_lives_lost) ||
            !is_valid_run(record.best_time_seconds, record.fewest_lives_lost)) {
            return fail(where + " has no usable time and lives");
        }
        for (const char c : rest) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                return fail(where + " has a control character");
            }
        }
        record.level_name = std::string(rest);
        if (!records.emplace(std::string(key), record).second) {
            return fail(where + " repeats a level");
        }
    }
    return records;
}

std::string format_records(const records_map& records) {
    std::string text = std::string(header) + "\n";
    for (const auto& [key, record] : records) {
        char seconds[64];
        const auto result =
            std::to_chars(seconds, seconds + sizeof seconds, record.best_time_seconds);
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
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    const bool sized = !error;
    if (!sized && !fs::exists(fs::symlink_status(path, error))) {
        return;  // no records yet
    }
    std::string why = "it is not a readable file";
    std::optional<records_map> parsed;
    if (sized && size > max_file_bytes) {
        why = "it is larger than a records file can be";
    } else if (std::ifstream in{path, std::ios::binary}; sized && in) {
        std::ostringstream text;
        text << in.rdbuf();
        parsed = parse_records(text.str(), &why);
    }
    if (parsed) {
        records_ = std::move(*parsed);
        return;
    }
    // rename replaces its target, so only a name that is free keeps an older damaged file.
    auto taken = [&error](const std::string& name) {
        return fs::symlink_status(name, error).type() != fs::file_type::not_found;
    };
    std::string aside = path + ".damaged";
    for (int n = 1; n < 1000 && taken(aside); ++n) {
        aside = path + ".damaged." + std::to_string(n);
    }
    errno = EEXIST;
    if (!taken(aside) && std::rename(path.c_str(), aside.c_str()) == 0) {
        say(path + " is damaged (" + why + "); moved it to " + aside + " and started afresh");
    } else {
        can_save_ = false;
        say(path + " is damaged (" + why + ") and could not be moved aside (" +
            std::strerror(errno) + "); best times of this game are not saved");
    }
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
