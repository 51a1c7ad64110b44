#include "level/level_cell.h"

namespace quillomar {

bool cube_on_cell(const std::vector<glm::vec3>& cubes, const level_cell& cell) {
    for (const glm::vec3& c : cubes) {
        if (cell_under(c.x, c.z) == cell) {
            return true;
        }
    }
    return false;
}

}  // namespace quillomar
