#include "records/stale_temporaries.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace quillomar {
namespace {

bool all_of_class(std::string_view text, bool (*in_class)(char)) {
    return !text.empty() && std::all_of(text.begin(), text.end(), in_class);
}

bool digit(char c) {
    return c >= '0' && c <= '9';
}
bool hex_digit(char c) {
    return digit(c) || (c >= 'a' && c <= 'f');
}
bool letter_or_digit(char c) {
    return digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Moves `text` past `prefix` when it starts with it.
bool take(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

// "YYYY-MM-DD_HH-MM-SS" with an optional "-N", as recordings are named by their start.
bool is_dated(std::string_view stem) {
    const std::string_view shape = "dddd-dd-dd_dd-dd-dd";
    if (stem.size() < shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'd' ? !digit(stem[i]) : stem[i] != shape[i]) {
            return false;
        }
    }
    std::string_view rest = stem.substr(shape.size());
    return rest.empty() || (take(rest, "-") && all_of_class(rest, digit));
}

bool is_own_file_name(std::string_view name) {
    for (const std::string_view file :
         {"records.txt", "statistics.txt", "medals.txt", "settings.txt"}) {
        std::string_view rest = name;
        if (take(rest, file) && (rest.empty() || rest == ".damaged" ||
                                 (take(rest, ".damaged.") && all_of_class(rest, digit)))) {
            return true;
        }
    }
    std::string_view stem = name;
    if (take(stem, "seed-")) {
        return stem.size() > 4 && stem.substr(stem.size() - 4) == ".txt" &&
               all_of_class(stem.substr(0, stem.size() - 4), digit);
    }
    const std::string_view replay = ".replay";
    if (name.size() <= replay.size() || name.substr(name.size() - replay.size()) != replay) {
        return false;
    }
    stem = name.substr(0, name.size() - replay.size());
    return (stem.size() == 16 && all_of_class(stem, hex_digit)) || is_dated(stem);
}

}  // namespace

bool is_own_temporary_name(std::string_view name) {
    // mkstemp's suffix: a point and six letters or digits.
    constexpr std::size_t suffix = 7;
    return name.size() > suffix && name[name.size() - suffix] == '.' &&
           all_of_class(name.substr(name.size() - suffix + 1), letter_or_digit) &&
           is_own_file_name(name.substr(0, name.size() - suffix));
}

int remove_stale_temporaries(const std::string& folder) {
    namespace fs = std::filesystem;
    // A folder that is missing or no folder lists nothing.
    std::error_code error;
    std::vector<fs::path> found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code status_error;
        // symlink_status: a link is never followed, so nothing outside the folder is touched.
        if (is_own_temporary_name(it->path().filename().string()) &&
            fs::is_regular_file(fs::symlink_status(it->path(), status_error))) {
            found.push_back(it->path());
        }
    }
    int removed = 0;
    for (const fs::path& path : found) {
        removed += fs::remove(path, error) ? 1 : 0;
    }
    return removed;
}

}  // namespace quillomar
