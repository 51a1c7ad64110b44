// The fall map: how often a life was lost on each cell, as a translucent colour over the cell's
// top (or over the ground far below, where the cell has no cube), drawn in the game's own view
// after the lit scene. The most lives lost on one cell give the hottest colour.
#pragma once

#include <glm/glm.hpp>
#include <map>
#include <memory>

#include "level/level.h"
#include "records/statistics_store.h"
#include "render/tinted_triangles.h"

namespace quillomar {

// The colour of a cell holding `share` (0 to 1] of the most lives lost on one cell: from a
// pale yellow for few up to red for the most, always translucent.
glm::vec4 fall_map_colour(float share);

class fall_map_overlay {
public:
    // Lives lost per cell of the level drawn next; shown or not.
    std::map<level_cell, long> deaths;
    bool shown = false;

    // Draws the cells over `lvl` as it stands (a flip moves the quads with the cubes). Depth is
    // tested, not written, so the ball and the cubes in front hide the cells behind them. The
    // program and buffers are made on the first draw that shows anything.
    void draw(const glm::mat4& view_projection, const level& lvl);

private:
    tinted_triangles triangles_;
};

}  // namespace quillomar
