#include "records/set_aside.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "records/atomic_file.h"

namespace quillomar {

std::string free_aside_name(const std::string& path) {
    namespace fs = std::filesystem;
    // rename replaces its target, so only a name that is free keeps an older damaged file.
    auto taken = [](const std::string& name) {
        std::error_code error;
        return fs::symlink_status(name, error).type() != fs::file_type::not_found;
    };
    std::string aside = path + ".damaged";
    for (int n = 1; n <= 1000 && taken(aside); ++n) {
        aside = path + ".damaged." + std::to_string(n);
    }
    return taken(aside) ? std::string() : aside;
}

std::string move_aside(const std::string& path, std::string* error) {
    const std::string aside = free_aside_name(path);
    if (aside.empty() || std::rename(path.c_str(), aside.c_str()) != 0) {
        if (error != nullptr) {
            *error = aside.empty() ? std::strerror(EEXIST) : std::strerror(errno);
        }
        return {};
    }
    return aside;
}

std::string write_aside(const std::string& path, const std::vector<std::string>& lines,
                        std::string* error) {
    const std::string aside = free_aside_name(path);
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    if (aside.empty()) {
        if (error != nullptr) {
            *error = std::strerror(EEXIST);
        }
        return {};
    }
    return write_file_atomically(aside, text, error) ? aside : std::string();
}

aside_outcome move_damaged_file_aside(const std::string& path, const std::string& why,
                                      const std::string& lost) {
    std::string error;
    const std::string aside = move_aside(path, &error);
    if (aside.empty()) {
        return {false, path + " is damaged (" + why + ") and could not be moved aside (" + error +
                           "); " + lost + " of this game are not saved"};
    }
    return {true, path + " is damaged (" + why + "); moved it to " + aside + " and started afresh"};
}

aside_outcome copy_damaged_lines_aside(const std::string& path,
                                       const std::vector<std::string>& lines,
                                       const std::string& why, const std::string& kept,
                                       const std::string& lost) {
    std::string error;
    const std::string aside = write_aside(path, lines, &error);
    const std::string count = std::to_string(lines.size()) + " damaged lines (" + why + ")";
    if (aside.empty()) {
        return {false, path + ": " + count + " could not be set aside (" + error + "); " + lost +
                           " of this game are not saved"};
    }
    return {true, path + ": " + count + " set aside in " + aside + "; " + kept + " kept"};
}

}  // namespace quillomar
