#include "game/run_statistics.h"

#include <cmath>

#include "level/ground_index.h"

namespace quillomar {
namespace {

// height_at gives where the centre of a ball resting on the cube lies; a little above still
// counts, so a ball rolling over a seam's hop has stood on the cell.
constexpr float standing_height = 0.25f;

}  // namespace

level_cell cell_at(const glm::vec3& position) {
    return {static_cast<int>(std::lround(position.x / 2.0f)),
            static_cast<int>(std::lround(position.z / 2.0f))};
}

bool run_statistics::count_tick(level_statistics& level, const game_state& state,
                                const game_events& events) {
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
        } else if (e.kind == event_kind::won) {
            ++level.wins;
            changed = true;
        }
    }
    const glm::vec3& ball = state.ball.position;
    const float top = state.level.height_at(ball.x, ball.z);
    if (top > no_ground) {
        last_over_cube_ = cell_at(ball);
        if (ball.y - top < standing_height && !state.dying) {
            level.reached.insert(cell_at(ball));
        }
    }
    return changed;
}

}  // namespace quillomar
