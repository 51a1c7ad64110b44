// A rectangle of cells, corners included: the editor's selection and what a copy holds.
#pragma once

#include <algorithm>

#include "level/grid_cell.h"

namespace quillomar {

struct cell_area {
    grid_cell low;   // the smallest column and row
    grid_cell high;  // the largest, never below low

    // The rectangle with `a` and `b` at opposite corners, in either order.
    static cell_area spanning(grid_cell a, grid_cell b) {
        return {{std::min(a.x, b.x), std::min(a.z, b.z)}, {std::max(a.x, b.x), std::max(a.z, b.z)}};
    }
    int columns() const { return high.x - low.x + 1; }
    int rows() const { return high.z - low.z + 1; }
    bool contains(grid_cell c) const {
        return c.x >= low.x && c.x <= high.x && c.z >= low.z && c.z <= high.z;
    }
    bool operator==(const cell_area& o) const { return low == o.low && high == o.high; }
};

}  // namespace quillomar
