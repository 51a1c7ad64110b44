#include "authoring/own_levels.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "authoring/level_document.h"
#include "framework/bounded_read.h"
#include "records/atomic_file.h"

namespace quillomar {
namespace {

constexpr std::size_t most_names = 500;
constexpr std::size_t longest_name = 60;
// The head of a level file read for its title: the title line comes before the layout.
constexpr std::size_t title_bytes = 64 * 1024;

bool taken(const std::string& folder, const std::string& name) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(folder) / name, error) || error;
}

}  // namespace

std::string own_levels_folder(const std::string& data_folder) {
    return data_folder.empty() ? std::string() : data_folder + "/levels";
}

std::vector<std::string> own_level_names(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        // A link or a FIFO named like a level is no level of the author's.
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0 &&
            it->is_regular_file(error) && !it->is_symlink(error)) {
            names.push_back(name);
        }
        if (names.size() == most_names) {
            break;
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

level_set own_level_set(const std::string& folder) {
    level_set set;
    for (const std::string& name : own_level_names(folder)) {
        level_set_entry entry{folder + "/" + name, name.substr(0, name.size() - 4)};
        std::string text;
        if (read_bounded(entry.path, title_bytes, text).ok()) {
            const level_document document(text);
            if (!document.title().empty()) {
                entry.title = document.title();
            }
        }
        set.push_back(std::move(entry));
    }
    return set;
}

std::string own_level_file_name(std::string_view typed) {
    std::string name;
    for (const char c : typed) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) != 0 || c == '-' || c == '_') {
            name.push_back(c);
        } else if (c == ' ' && !name.empty() && name.back() != '_') {
            name.push_back('_');
        }
        if (name.size() == longest_name) {
            break;
        }
    }
    while (!name.empty() && name.back() == '_') {
        name.pop_back();
    }
    return name.empty() ? name : name + ".txt";
}

std::string free_level_name(const std::string& folder, const std::string& file_name) {
    if (!taken(folder, file_name)) {
        return file_name;
    }
    const std::string stem = file_name.substr(0, file_name.size() - 4);
    for (int n = 2;; ++n) {
        const std::string name = stem + "-" + std::to_string(n) + ".txt";
        if (!taken(folder, name)) {
            return name;
        }
    }
}

bool make_own_levels_folder(const std::string& folder, std::string* message) {
    std::error_code error;
    if (folder.empty()) {
        *message = "no folder for your levels: neither XDG_DATA_HOME nor HOME is set";
        return false;
    }
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) {
        *message = "Cannot make the folder " + folder + " for your levels" +
                   (error ? ": " + error.message() : std::string());
        return false;
    }
    return true;
}

std::string write_own_level(const std::string& folder, const std::string& file_name,
                            const std::string& text, std::string* message) {
    if (!make_own_levels_folder(folder, message)) {
        return {};
    }
    const std::string path = folder + "/" + free_level_name(folder, file_name);
    std::string error;
    if (!write_file_atomically(path, text, &error)) {
        *message = "Cannot write level file " + path + ": " + error;
        return {};
    }
    return path;
}

}  // namespace quillomar
