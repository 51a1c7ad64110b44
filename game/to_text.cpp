#include "game/to_text.h"

#include <cstdio>

namespace quillomar {

std::string to_text(int value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d", value);
    return buffer;
}

}  // namespace quillomar
