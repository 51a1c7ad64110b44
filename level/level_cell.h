// A cell of the layout and the one rule for which cell holds a point of the world. Cells are 2
// units wide; cell (x, z) is the square [2x, 2x + 2) × [2z, 2z + 2), and a cube, item or spider
// placed at (x, z) sits at its low-x, low-z corner. A point on the border between two cells
// belongs to the higher one.
#pragma once

#include <cmath>
#include <cstdint>
#include <glm/glm.hpp>
#include <utility>
#include <vector>

namespace quillomar {

// Column x and row z of the layout.
using level_cell = std::pair<int, int>;

// The column (or row) whose cell holds the world coordinate v, for any finite v whose cell
// index fits 64 bits; the ground index buckets cubes by it.
inline std::int64_t cell_index(float v) {
    return static_cast<std::int64_t>(std::floor(v * 0.5f));
}

// The cell under the world point (x, z). Coordinates beyond the int range (or not finite) give
// the nearest int, so a ball far off the layout still names a cell that holds no cube.
level_cell cell_under(float x, float z);

// The middle of the cell's square: where a ball dropped onto the cell lands on its cube alone.
glm::vec2 cell_centre(const level_cell& cell);

// True when one of the cubes stands on the cell.
bool cube_on_cell(const std::vector<glm::vec3>& cubes, const level_cell& cell);

}  // namespace quillomar
