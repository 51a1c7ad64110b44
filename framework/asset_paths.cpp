#include "framework/asset_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quillomar {

std::string platform_path(const std::string& game_path) {
    return platform_path(game_path, installed_data_dir());
}

std::string platform_path(const std::string& game_path, const std::string& installed_dir) {
#ifdef _WIN32
    (void)installed_dir;
    return game_path;
#else
    std::string path = game_path;
    std::replace(path.begin(), path.end(), '\\', '/');
    namespace fs = std::filesystem;
    std::error_code error;
    if (path.empty() || installed_dir.empty() || path.front() == '/' || fs::exists(path, error)) {
        return path;
    }
    // ".\Quillomar\x" and "Quillomar/x" name the same installed file.
    const fs::path installed = (fs::path(installed_dir) / path).lexically_normal();
    return fs::exists(installed, error) ? installed.string() : path;
#endif
}

const std::string& installed_data_dir() {
    static const std::string dir = [] {
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path executable = fs::read_symlink("/proc/self/exe", error);
        if (error) {
            return std::string();
        }
        const fs::path data = (executable.parent_path() / "../share/quillomar").lexically_normal();
        return fs::is_directory(data, error) ? data.string() : std::string();
    }();
    return dir;
}

}  // namespace quillomar
