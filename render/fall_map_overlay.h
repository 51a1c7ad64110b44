// The fall map: how often a life was lost on each cell, as a translucent colour over the cell's
// top (or over the ground far below, where the cell has no cube), drawn in the game's own view
// after the lit scene. The most lives lost on one cell give the hottest colour.
#pragma once

#include <glm/glm.hpp>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/hud_lines.h"
#include "game/text_fit.h"

#include "level/level.h"
#include "records/statistics_store.h"
#include "render/tinted_triangles.h"

namespace quillomar {

// The colour of a cell holding `share` (0 to 1] of the most lives lost on one cell: from a
// pale yellow for few up to red for the most, always translucent.
glm::vec4 fall_map_colour(float share);

// The words of the key that tells a player what the colours mean: a heading and the two ends of
// the scale, already in the player's language.
struct fall_map_legend {
    std::string heading;
    std::string few;
    std::string many;
};

// Where the legend stands, halfway down the window's right edge: its colour bar (window pixels from the top-left corner) and its text lines, all inside the window.
struct fall_map_legend_place {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    std::vector<hud_line> lines;
};
fall_map_legend_place place_fall_map_legend(const fall_map_legend& words, int width, int height,
                                            float text_scale, const text_metrics& metrics);

class fall_map_overlay {
public:
    // Lives lost per cell of the level drawn next; shown or not.
    std::map<level_cell, long> deaths;
    bool shown = false;
    // With words (a game from the title menu), a key to the colours beside the map.
    std::optional<fall_map_legend> legend;

    // Draws the legend's colour bar, from few (left) to many lives lost, while the map is shown
    // with something on it, and returns the legend's text lines; nothing otherwise.
    std::vector<hud_line> draw_legend(int width, int height, float text_scale,
                                      const text_metrics& metrics);

    // Draws the cells over `lvl` as it stands (a flip moves the quads with the cubes). Depth is
    // tested, not written, so the ball and the cubes in front hide the cells behind them. The
    // program and buffers are made on the first draw that shows anything.
    void draw(const glm::mat4& view_projection, const level& lvl);

private:
    tinted_triangles triangles_;
    tinted_triangles legend_bar_;
};

}  // namespace quillomar
