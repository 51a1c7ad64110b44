// A level seen as whole cells and integers, the way a route is planned over it: one height per
// cell (its digit), and the start, finish, items and spiders as the cells they stand on.
// The physical cube of layout column x and row z is centred on world (2x, 2z), which is also
// where a header line's "X Z" puts things, so a header cell and a layout cell are the same cell.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "level/grid_cell.h"
#include "level/level.h"

namespace quillomar {

inline constexpr int no_cube = std::numeric_limits<int>::min();

// A flip mirrors every height about level 2: 1 <-> 3, 2 stays, 4 becomes 0.
inline int flipped_height(int h) {
    return h == no_cube ? no_cube : 4 - h;
}

// One thing the header says that the level cannot honour, at its line.
struct level_problem {
    std::uint64_t line = 0;  // 0 when it belongs to no single line
    std::string text;
};

struct level_grid {
    int columns = 0;
    int rows = 0;
    std::vector<int> heights;  // row by row; no_cube where the cell is empty
    // Cells where a spider can touch a ball standing anywhere on them. A flip keeps which cells
    // share a height, so a spider walks the same loop in both states: the set holds for both.
    std::vector<bool> spider_reach;
    bool start_on_cube = false;
    bool finish_on_cube = false;
    grid_cell start;
    grid_cell finish;
    // Only the items a ball can pick up, in file order: on a cube, level with the ground the
    // game gives them (the first cube at their corner point in file order).
    std::vector<grid_cell> items;
    std::vector<level_problem> problems;  // in line order of discovery
    bool too_large = false;                // the layout spans more cells than a check handles

    bool inside(int x, int z) const { return x >= 0 && z >= 0 && x < columns && z < rows; }
    // The digit of the cell, mirrored when `flipped`; no_cube outside or on an empty cell.
    int height(int x, int z, bool flipped = false) const {
        if (!inside(x, z)) {
            return no_cube;
        }
        const int h = heights[index(x, z)];
        return flipped ? flipped_height(h) : h;
    }
    bool spider_can_reach(int x, int z) const { return inside(x, z) && spider_reach[index(x, z)]; }
    std::size_t index(int x, int z) const {
        return static_cast<std::size_t>(z) * static_cast<std::size_t>(columns) +
               static_cast<std::size_t>(x);
    }
};

// The most cells a grid is built for: four times the largest level the cube limit allows, laid
// out as a square. A sparse layout spread wider is reported instead of allocated.
inline constexpr std::int64_t max_grid_cells = std::int64_t{4} * 128 * 128 * 4;

// Builds the grid from a level as read (before its items and spiders are placed) and lists its
// problems: the start or finish not on a cube, an item or spider over an empty cell, an item a
// ball cannot reach the height of, a limit exceeded, an unknown keyword.
level_grid make_level_grid(const level& lvl);

}  // namespace quillomar
