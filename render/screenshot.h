#pragma once

#include <string>

namespace quillomar {

// Saves the back buffer's lower-left width x height pixels as a PNG file (for tools and tests).
bool save_screenshot(const std::string& path, int width, int height);

}  // namespace quillomar
