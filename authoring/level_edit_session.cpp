#include "authoring/level_edit_session.h"

#include <algorithm>

#include "framework/bounded_read.h"
#include "level/level_limits.h"
#include "records/atomic_file.h"

namespace quillomar {

std::optional<level_edit_session> level_edit_session::open(const std::string& path,
                                                           std::string* message) {
    // The editor keeps whole lines, so a file past the level limit is refused rather than cut.
    std::string text;
    const bounded_read read = read_bounded(path, max_level_file_bytes, text);
    if (read.result == bounded_read::outcome::missing) {
        return level_edit_session(path, level_document::new_level(), true);
    }
    if (read.ok() && !read.truncated) {
        return level_edit_session(path, level_document(text), false);
    }
    if (message != nullptr) {
        *message = "Cannot open level file " + path + ": " +
                   (read.truncated ? "longer than " + std::to_string(max_level_file_bytes) + " bytes"
                                   : read.problem);
    }
    return std::nullopt;
}

edit_result level_edit_session::record(edit_result result) {
    if (result.changed) {
        history_.record(result.change);
    }
    return result;
}

edit_result level_edit_session::set_height(grid_cell cell, int height) {
    return record(document_.set_height(cell, height));
}

edit_result level_edit_session::set_area_height(const cell_area& area, int height) {
    std::vector<cube_cell> cells;
    for (int z = area.low.z; z <= area.high.z; ++z) {
        for (int x = area.low.x; x <= area.high.x; ++x) {
            cells.push_back({{x, z}, height});
        }
    }
    return record(document_.set_heights(cells));
}

edit_result level_edit_session::raise_area(const cell_area& area, int steps) {
    std::vector<cube_cell> cells;
    for (int z = area.low.z; z <= area.high.z; ++z) {
        for (int x = area.low.x; x <= area.high.x; ++x) {
            cells.push_back({{x, z}, std::clamp(document_.height({x, z}) + steps, 0, 9)});
        }
    }
    return record(document_.set_heights(cells));
}

void level_edit_session::copy(const cell_area& area) {
    copied_ = {area.columns(), area.rows(), {}, {}, {}};
    for (int z = area.low.z; z <= area.high.z; ++z) {
        for (int x = area.low.x; x <= area.high.x; ++x) {
            copied_.heights.push_back(document_.height({x, z}));
        }
    }
    const auto inside = [&area](const std::vector<grid_cell>& from, std::vector<grid_cell>& to) {
        for (const grid_cell c : from) {
            const grid_cell offset{c.x - area.low.x, c.z - area.low.z};
            if (area.contains(c) && std::find(to.begin(), to.end(), offset) == to.end()) {
                to.push_back(offset);
            }
        }
    };
    inside(document_.items(), copied_.items);
    inside(document_.enemies(), copied_.enemies);
}

edit_result level_edit_session::paste(grid_cell at) {
    std::vector<cube_cell> cells;
    for (int z = 0; z < copied_.rows; ++z) {
        for (int x = 0; x < copied_.columns; ++x) {
            const auto i = static_cast<std::size_t>(z * copied_.columns + x);
            cells.push_back({{at.x + x, at.z + z}, copied_.heights[i]});
        }
    }
    const auto moved = [at](std::vector<grid_cell> cells) {
        for (grid_cell& c : cells) {
            c = {at.x + c.x, at.z + c.z};
        }
        return cells;
    };
    return record(document_.set_area(cells, moved(copied_.items), moved(copied_.enemies)));
}

edit_result level_edit_session::set_start(grid_cell cell) {
    return record(document_.set_start(cell));
}

edit_result level_edit_session::set_finish(grid_cell cell) {
    return record(document_.set_finish(cell));
}

edit_result level_edit_session::toggle_item(grid_cell cell) {
    return record(document_.toggle_item(cell));
}

edit_result level_edit_session::toggle_enemy(grid_cell cell) {
    return record(document_.toggle_enemy(cell));
}

edit_result level_edit_session::set_facing(std::optional<facing> heading) {
    return record(document_.set_facing(heading));
}

edit_result level_edit_session::set_title(std::string_view text) {
    return record(document_.set_title(text));
}

edit_result level_edit_session::set_hint(std::string_view text) {
    return record(document_.set_hint(text));
}

bool level_edit_session::save(std::string* message) {
    std::string error;
    if (!write_file_atomically(path_, document_.text(), &error)) {
        if (message != nullptr) {
            *message = "Cannot save level file " + path_ + ": " + error;
        }
        return false;
    }
    saved_state_ = history_.state();
    is_new_ = false;
    return true;
}

}  // namespace quillomar
