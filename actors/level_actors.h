// What the actors do on a level: spiders placed on and walking its platforms, legs stepping,
// items picked up and spiders touching the ball. The level only holds where they are.
#pragma once

#include <glm/glm.hpp>
#include <vector>

#include "common/random_stream.h"
#include "level/level.h"

namespace quillomar {

// Puts every spider 0.6 below the ground under it, heading −x, and creates the eight legs'
// animation state.
void place_enemies(level& lvl);

// Moves the legs to `time` (stroke times drawn from `random`) and, while enemies_walk is set,
// walks the spiders by dt seconds.
void update_actors(level& lvl, double dt, double time, random_stream& random);

// Removes the items inside the ball's pick-up box and returns their positions in list order.
std::vector<glm::vec3> pick_up_items(level& lvl, const glm::vec3& ball);

// True when any spider touches the ball.
bool enemy_touches(const level& lvl, const glm::vec3& ball);

}  // namespace quillomar
