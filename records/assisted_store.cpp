#include "records/assisted_store.h"

#include <algorithm>

#include "framework/bounded_read.h"
#include "records/atomic_file.h"
#include "records/set_aside.h"

namespace quillomar {
namespace {

constexpr std::string_view header = "quillomar-assisted 1";
// Seventeen bytes a level: far beyond any number of levels a player wins.
constexpr std::size_t max_file_bytes = 1 << 20;

bool is_key(std::string_view text) {
    return text.size() == 16 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

}  // namespace

std::optional<assisted_text> parse_assisted(std::string_view text, std::string* why) {
    const std::size_t first_end = text.find('\n');
    if (first_end == std::string_view::npos || text.substr(0, first_end) != header) {
        if (why != nullptr) {
            *why = text.empty() ? "the file is empty"
                                : "it does not start with \"" + std::string(header) + "\"";
        }
        return std::nullopt;
    }
    assisted_text result;
    std::size_t line_number = 2;
    for (std::size_t begin = first_end + 1; begin < text.size(); ++line_number) {
        const std::size_t end = text.find('\n', begin);
        const std::string_view line = text.substr(begin, end - begin);
        begin = end == std::string_view::npos ? text.size() : end + 1;
        const char* fault = end == std::string_view::npos ? " is cut off"
                            : !is_key(line)               ? " is not a level key"
                            : !result.keys.emplace(line).second ? " repeats a level"
                                                                : nullptr;
        if (fault != nullptr) {
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

std::string format_assisted(const std::set<std::string>& keys) {
    std::string text = std::string(header) + "\n";
    for (const std::string& key : keys) {
        text += key + "\n";
    }
    return text;
}

assisted_store::assisted_store(std::string folder) : folder_(std::move(folder)) {}

std::string assisted_store::path() const {
    return folder_.empty() ? std::string() : folder_ + "/assisted.txt";
}

std::optional<std::string> assisted_store::load() {
    keys_.clear();
    if (folder_.empty()) {
        return std::nullopt;
    }
    std::string text;
    const bounded_read read = read_bounded(path(), max_file_bytes, text);
    if (read.result == bounded_read::outcome::missing) {
        return std::nullopt;
    }
    std::string why = describe_problem(path(), read, max_file_bytes);
    std::optional<assisted_text> parsed;
    if (why.empty()) {
        parsed = parse_assisted(text, &why);
    }
    if (!parsed) {
        const aside_outcome moved = move_damaged_file_aside(path(), why, "assisted wins");
        can_save_ = can_save_ && moved.kept;
        return "assisted wins: " + moved.line;
    }
    keys_ = std::move(parsed->keys);
    if (parsed->damaged_lines.empty()) {
        return std::nullopt;
    }
    const aside_outcome copied = copy_damaged_lines_aside(
        path(), parsed->damaged_lines, why, std::to_string(keys_.size()) + " assisted wins",
        "assisted wins");
    can_save_ = can_save_ && copied.kept;
    std::string ignored;
    if (can_save_) {
        write_file_atomically(path(), format_assisted(keys_), &ignored);
    }
    return "assisted wins: " + copied.line;
}

bool assisted_store::add(const std::string& key, std::string* error) {
    if (!is_key(key) || folder_.empty() || !can_save_) {
        if (error != nullptr) {
            *error = !is_key(key)     ? "not a level key"
                     : folder_.empty() ? "no folder to keep assisted wins in"
                                       : "its damaged lines could not be set aside";
        }
        return false;
    }
    if (!keys_.insert(key).second) {
        return true;
    }
    return write_file_atomically(path(), format_assisted(keys_), error);
}

}  // namespace quillomar
