#include "authoring/key_table.h"

#include <algorithm>
#include <cmath>

namespace quillomar {
namespace {

constexpr float plain_line_height = 36.0f;

// The entries in `columns` columns down then across at `scale`: each column's x, or none when
// they are wider than `width` together.
std::vector<float> column_edges(const text_metrics& metrics,
                                const std::vector<std::string>& entries, std::size_t columns,
                                float scale, float gap, float width) {
    const std::size_t rows = (entries.size() + columns - 1) / columns;
    std::vector<float> edges;
    float x = 0.0f;
    for (std::size_t c = 0; c * rows < entries.size(); ++c) {
        float widest = 0.0f;
        for (std::size_t i = c * rows; i < std::min(entries.size(), (c + 1) * rows); ++i) {
            widest = std::max(widest, text_width(metrics, entries[i], scale));
        }
        edges.push_back(x);
        x += widest + gap;
        if (x - gap > width) {
            return {};
        }
    }
    return edges;
}

}  // namespace

key_table lay_out_key_table(const text_metrics& metrics, const std::vector<std::string>& entries,
                            float scale, float width, float most_height) {
    key_table table;
    if (entries.empty()) {
        return table;
    }
    const float line = metrics.line_height > 0.0f ? metrics.line_height : plain_line_height;
    const float smallest = scale * 0.4f;
    std::vector<float> edges;
    for (float s = scale;; s *= 0.9f) {
        const float at = std::max(s, smallest);
        const float gap = line * at;  // a line's height apart: drawn glyphs run a little wider
        // The fewest rows whose columns fit across.
        edges.clear();
        for (std::size_t columns = entries.size(); columns >= 1 && edges.empty(); --columns) {
            edges = column_edges(metrics, entries, columns, at, gap, width);
        }
        const std::size_t columns = std::max<std::size_t>(edges.size(), 1);
        table.scale = at;
        table.row_height = std::ceil(line * at);
        table.rows = static_cast<int>((entries.size() + columns - 1) / columns);
        if (static_cast<float>(table.rows) * table.row_height <= most_height || at <= smallest) {
            break;
        }
    }
    const std::size_t rows = static_cast<std::size_t>(table.rows);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t column = i / rows;
        const float x = column < edges.size() ? edges[column] : 0.0f;
        table.cells.push_back({shorten_to_width(metrics, entries[i], table.scale, width - x), x,
                               static_cast<int>(i % rows)});
    }
    return table;
}

}  // namespace quillomar
