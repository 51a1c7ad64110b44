#include "level/level_cell.h"

#include <limits>

namespace quillomar {
namespace {

int clamped_index(float v) {
    constexpr float low = static_cast<float>(std::numeric_limits<int>::min());
    constexpr float high = 2147483520.0f;  // the largest float below 2^31
    const float cell = std::floor(v * 0.5f);
    if (!(cell >= low)) {
        return std::isnan(v) ? 0 : std::numeric_limits<int>::min();
    }
    return cell > high ? std::numeric_limits<int>::max() : static_cast<int>(cell);
}

}  // namespace

level_cell cell_under(float x, float z) {
    return {clamped_index(x), clamped_index(z)};
}

glm::vec2 cell_centre(const level_cell& cell) {
    return {2.0f * static_cast<float>(cell.first) + 1.0f,
            2.0f * static_cast<float>(cell.second) + 1.0f};
}

bool cube_on_cell(const std::vector<glm::vec3>& cubes, const level_cell& cell) {
    for (const glm::vec3& c : cubes) {
        if (cell_under(c.x, c.z) == cell) {
            return true;
        }
    }
    return false;
}

}  // namespace quillomar
