// What the picture shows of the world at one tick: everything that moves on screen. The shell
// keeps the pose of the tick before the last one, and draws a blend of it and the newest, as far
// between them as the wall clock stands, so motion is smooth at any frame rate while the world
// itself only ever advances in whole ticks.
#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>
#include <vector>

#include "game/game_state.h"

namespace quillomar {

struct drawn_pose {
    glm::vec3 ball_position{0.0f};
    glm::quat ball_rotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 camera_position{0.0f};
    glm::vec3 camera_target{0.0f};  // where the active camera looks
    glm::vec3 camera_up{0.0f, 1.0f, 0.0f};
    glm::mat4 view{1.0f};
    glm::vec3 light{0.0f};
    std::vector<float> cube_heights;  // only the heights move, during a flip
    std::vector<glm::vec3> items;
    std::vector<glm::vec3> enemies;
};

drawn_pose pose_of(const game_state& s);

// The pose `t` of the way from `from` to `to` (t in [0, 1]); exactly `to` at 1. Lists whose sizes
// differ (an item picked up in between) are taken from `to`, and so is everything when the ball
// jumped (a restart), since nothing travels that way.
drawn_pose blend(const drawn_pose& from, const drawn_pose& to, float t);

// Writes the pose into the state's drawn parts (the ball, the camera and its frustum, the light,
// the cubes, items and spiders), leaving the rules' state alone.
void put_pose(game_state& s, const drawn_pose& pose);

}  // namespace quillomar
