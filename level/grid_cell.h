// A cell of the level in grid units: x is the layout column, z the layout row.
#pragma once

namespace quillomar {

struct grid_cell {
    int x = 0;
    int z = 0;
    bool operator==(const grid_cell& o) const { return x == o.x && z == o.z; }
    bool operator!=(const grid_cell& o) const { return !(*this == o); }
};

}  // namespace quillomar
