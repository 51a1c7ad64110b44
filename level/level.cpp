#include "level/level.h"

#include <algorithm>
#include <cmath>

#include "actors/enemy_walk.h"
#include "actors/item_pickup.h"
#include "actors/leg_animation.h"

namespace quillomar {

float level::height_at(float x, float z) const {
    return cube_top_at(cubes, x, z);
}

void level::place_items() {
    const ground_index ground(cubes, items.size() + initial_items.size());
    for (glm::vec3& p : items) {
        p.y = ground.height_at(p.x, p.z);
    }
    for (glm::vec3& p : initial_items) {
        p.y = ground.height_at(p.x, p.z);
    }
}

void level::place_enemies() {
    const ground_index ground(cubes, enemies.size());
    for (glm::vec3& p : enemies) {
        // At start-up the sink is subtracted in double precision; a flip subtracts in single.
        p.y = static_cast<float>(static_cast<double>(ground.height_at(p.x, p.z)) - 0.6);
        headings.emplace_back(-1.0f, 0.0f, 0.0f);
    }
    for (int l = 0; l < 8; ++l) {
        leg_offsets.emplace_back(0.0f);
        leg_durations.push_back(0.5);
        leg_started.push_back(0.0);
        leg_moving.push_back(false);
        leg_from.emplace_back(0.0f);
    }
    leg_amplitudes.insert(leg_amplitudes.end(), {5.0f, 5.0f, 4.0f, 4.0f, 5.0f, 5.0f, 6.0f, 6.0f});
}

void level::update_actors(double dt, double time, random_stream& random) {
    animate_legs({leg_offsets, leg_from, leg_durations, leg_started, leg_moving, leg_amplitudes},
                 time, random);
    if (!enemies_walk) {
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
    const std::size_t count = std::min(enemies.size(), headings.size());
    const ground_index ground(cubes, count * static_cast<std::size_t>(steps));
    for (int n = 0; n < steps; ++n) {
        for (std::size_t k = 0; k < count; ++k) {
            walk_enemy(enemies[k], headings[k], step, ground);
        }
    }
}

std::vector<glm::vec3> level::pick_up_items(const glm::vec3& ball) {
    return quillomar::pick_up_items(items, ball);
}

void level::restore_items() {
    items = initial_items;
}

bool level::enemy_touches(const glm::vec3& ball) const {
    for (const glm::vec3& e : enemies) {
        if (enemy_touches_ball(e, ball)) {
            return true;
        }
    }
    return false;
}

}  // namespace quillomar
