// The editor's list of keys as a table that fits the window: its entries read down the columns,
// as many columns as the width holds, and the text made smaller only when the rows would still
// take more than the height allowed them.
#pragma once

#include <string>
#include <vector>

#include "game/text_fit.h"

namespace quillomar {

struct key_table_cell {
    std::string text;
    float x = 0.0f;  // from the table's left edge, in pixels
    int row = 0;     // from the top
};

struct key_table {
    std::vector<key_table_cell> cells;
    int rows = 0;
    float scale = 1.0f;  // the text's scale, `scale` as asked or less
    // From one row's baseline to the next, in pixels.
    float row_height = 0.0f;
};

// Lays `entries` out within `width` and, where it can, `most_height` pixels, at `scale` or down
// to two fifths of it; an entry wider than the width is shortened with "...".
key_table lay_out_key_table(const text_metrics& metrics, const std::vector<std::string>& entries,
                            float scale, float width, float most_height);

}  // namespace quillomar
