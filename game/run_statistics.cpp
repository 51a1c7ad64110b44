#include "game/run_statistics.h"

#include <iterator>

#include "level/ground_index.h"
#include "level/level_cell.h"

namespace quillomar {
namespace {

// height_at gives where the centre of a ball resting on the cube lies; a little above still
// counts, so a ball rolling over a seam's hop has stood on the cell.
constexpr float standing_height = 0.25f;

}  // namespace

level_cell cell_at(const glm::vec3& position) {
    return cell_under(position.x, position.z);
}

void keep_cells_on_cubes(level_statistics& counted, const level& lvl) {
    for (auto it = counted.deaths.begin(); it != counted.deaths.end();) {
        it = cube_on_cell(lvl.cubes, it->first) ? std::next(it) : counted.deaths.erase(it);
    }
    for (auto it = counted.reached.begin(); it != counted.reached.end();) {
        it = cube_on_cell(lvl.cubes, *it) ? std::next(it) : counted.reached.erase(it);
    }
}

bool run_statistics::count_tick(level_statistics& level, const game_state& state,
                                const game_events& events, bool assisted) {
    if (!state.has_level) {
        return false;
    }
    bool changed = false;
    if (!attempt_counted_) {
        attempt_counted_ = true;
        ++level.attempts;
        changed = true;
    }
    if (!state.won && !state.lost) {
        ++level.ticks_played;
    }
    // Events first: a restart has already put the ball back on the start, and the life was
    // lost where it stood the tick before.
    const auto lose_life = [&] {
        ++level.lives_lost;
        ++level.deaths[last_over_cube_.value_or(cell_at(state.ball.position))];
        changed = true;
    };
    for (const game_event& e : events) {
        if (e.kind == event_kind::died) {
            dying_ = true;
            lose_life();
        } else if (e.kind == event_kind::lives_changed) {
            if (!dying_) {
                lose_life();
            }
            dying_ = false;
            last_over_cube_.reset();
        } else if (e.kind == event_kind::won && !assisted) {
            ++level.wins;
            changed = true;
        }
    }
    const glm::vec3& ball = state.ball.position;
    const level_cell under = cell_at(ball);
    const float top = state.level.height_at(ball.x, ball.z);
    // On a cell border height_at may answer for the neighbour; only the cell's own cube counts.
    if (top > no_ground && cube_on_cell(state.level.cubes, under)) {
        last_over_cube_ = under;
        if (ball.y - top < standing_height && !state.dying) {
            level.reached.insert(under);
        }
    }
    return changed;
}

}  // namespace quillomar
