// Counting a run into its level's statistics as the ticks go: the attempt, the time played, each
// life lost and the cell it was lost on, the cells the ball stood on, the win. It reads the state
// and the events a tick left and nothing else, so the counts of a run are the same however fast
// it was played.
#pragma once

#include <optional>

#include "game/game_events.h"
#include "game/game_state.h"
#include "records/statistics_store.h"

namespace quillomar {

// The cell under the point (x, z) of the world (level/level_cell.h).
level_cell cell_at(const glm::vec3& position);

// Drops the cells of `counted` that hold no cube of `lvl` (counted on another level of the same
// key, or damaged): lives lost there and cells reached. Every count stays.
void keep_cells_on_cubes(level_statistics& counted, const level& lvl);

class run_statistics {
public:
    // Counts the tick that left `state` after `events` into `level`. The first tick of a run
    // with a level counts its attempt. A fall or a spider costs a life on the last cell the
    // ball was over a cube (a fall ends far from the edge it went over); a restart by the
    // player costs one where the ball is. Returns true when the attempt, a life or the win was
    // counted: what should be on disk at once. A win with help (`assisted`) is no win counted.
    bool count_tick(level_statistics& level, const game_state& state, const game_events& events,
                    bool assisted = false);

private:
    bool attempt_counted_ = false;
    bool dying_ = false;  // a death was counted and its restart has not come yet
    std::optional<level_cell> last_over_cube_;
};

}  // namespace quillomar
