#include "actors/level_actors.h"

#include <algorithm>
#include <cmath>

#include "actors/enemy_walk.h"
#include "actors/item_pickup.h"
#include "actors/leg_animation.h"
#include "level/ground_index.h"

namespace quillomar {

void place_enemies(level& lvl) {
    const ground_index ground(lvl.cubes, lvl.enemies.size());
    for (glm::vec3& p : lvl.enemies) {
        // At start-up the sink is subtracted in double precision; a flip subtracts in single.
        p.y = static_cast<float>(static_cast<double>(ground.height_at(p.x, p.z)) - 0.6);
        lvl.headings.emplace_back(-1.0f, 0.0f, 0.0f);
    }
    for (int l = 0; l < 8; ++l) {
        lvl.leg_offsets.emplace_back(0.0f);
        lvl.leg_durations.push_back(0.5);
        lvl.leg_started.push_back(0.0);
        lvl.leg_moving.push_back(false);
        lvl.leg_from.emplace_back(0.0f);
    }
    lvl.leg_amplitudes.insert(lvl.leg_amplitudes.end(), {5.0f, 5.0f, 4.0f, 4.0f, 5.0f, 5.0f, 6.0f, 6.0f});
}

void update_actors(level& lvl, double dt, double time, random_stream& random) {
    animate_legs({lvl.leg_offsets, lvl.leg_from, lvl.leg_durations, lvl.leg_started, lvl.leg_moving, lvl.leg_amplitudes},
                 time, random);
    if (!lvl.enemies_walk) {
        return;
    }
    // A spider probes half a unit ahead of its cell, so a step longer than that could carry it
    // past an edge before it looks: a long frame (a hitch, a countdown) walks in equal short
    // steps. A frame of no time (or a clock that ran backwards) still looks, and may turn.
    constexpr double longest_step = 0.1;
    if (!(dt >= 0.0) || dt > 1e6) {
        dt = 0.0;
    }
    const int steps = std::max(1, static_cast<int>(std::ceil(dt / longest_step)));
    const auto step = static_cast<float>(dt / steps);
    const std::size_t count = std::min(lvl.enemies.size(), lvl.headings.size());
    const ground_index ground(lvl.cubes, count * static_cast<std::size_t>(steps));
    for (int n = 0; n < steps; ++n) {
        for (std::size_t k = 0; k < count; ++k) {
            walk_enemy(lvl.enemies[k], lvl.headings[k], step, ground);
        }
    }
}

std::vector<glm::vec3> pick_up_items(level& lvl, const glm::vec3& ball) {
    return pick_up_items(lvl.items, ball);
}

bool enemy_touches(const level& lvl, const glm::vec3& ball) {
    for (const glm::vec3& e : lvl.enemies) {
        if (enemy_touches_ball(e, ball)) {
            return true;
        }
    }
    return false;
}

}  // namespace quillomar
