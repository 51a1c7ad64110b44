// Plans a way from the start to the finish over whole cells, in integers only, so that the
// answer is the same on every machine. What the ball can do from a cell of height h:
// - roll to a side neighbour of height h or lower (a step up of one level is a wall);
// - jump one empty cell onto a cell of height h or lower, after a straight run-up on height h
//   and onto a flat landing wide and long enough to stop on;
// - flip the level (every height h becomes 4 - h) by spending one change; each item picked up
//   gives one, and entering an item's cell picks it up.
// Cells a spider can touch a ball on are entered only where no other way exists, and the plan
// counts them: passing a spider takes timing, which the player has to prove. Without such cells
// the plan is conservative: what it accepts, a steady player can do with the real physics.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "authoring/level_grid.h"

namespace quillomar {

enum class route_move { start, roll, jump, flip };

struct route_step {
    route_move move = route_move::start;
    grid_cell cell;  // where the ball is after the move
};

struct route_plan {
    bool found = false;
    std::vector<route_step> steps;  // from the start cell to the finish cell
    int flips = 0;
    int spider_cells = 0;  // cells of the route that a spider can reach
    // Why there is no route, as the check prints it; empty when found.
    std::string reason;
    // The cell the reason names, when it names one: the start that is the finish, or the
    // reached cell nearest the finish, past which no route goes.
    std::optional<grid_cell> place;
};

// Cells in a straight line, the take-off cell included, that a one-cell jump needs behind it.
inline constexpr int jump_run_up_cells = 6;

// The most search states a plan may visit before it gives up (and says so).
inline constexpr std::size_t max_plan_states = std::size_t{1} << 22;

// The cheapest route: fewest flips needed, then fewest cells, keeping off cells beside a drop
// where there is a choice. Only the first 64 reachable-height items count. A start on the finish
// or beside it (diagonals too) has no route: there is nothing to play.
route_plan plan_route(const level_grid& grid);

// A cell as the check's lines name it: "(x, z)", layout column and row.
std::string cell_text(grid_cell c);

}  // namespace quillomar
