// A cell of a level named the way a player finds it ("5 cells past the start"), not by its
// column and row.
#pragma once

#include <string>
#include <vector>

#include "level/level.h"
#include "level/level_cell.h"

namespace quillomar {

// The cells of the planned route from the start, each once, in the order the route first
// reaches them; empty when the level has no route.
std::vector<level_cell> route_cells(const level& lvl);

// Where `cell` lies, in the player's words: "the start", "the finish", "5 cells past the start"
// when the route passes it, else how far it is from the start by the compass ("3 cells north,
// 2 east of the start"). `route` is route_cells(lvl).
std::string name_of_cell(const level& lvl, const std::vector<level_cell>& route,
                         const level_cell& cell);

}  // namespace quillomar
