#include "framework/asset_paths.h"

#include <algorithm>

namespace quillomar {

std::string platform_path(const std::string& game_path) {
#ifdef _WIN32
    return game_path;
#else
    std::string path = game_path;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
#endif
}

}  // namespace quillomar
