// Plays a level like a patient player: follows a route of waypoints with W, S, A and D, flips
// the level where the route says so, and starts the route again after losing a life.
#pragma once

#include <glm/glm.hpp>
#include <set>
#include <string>
#include <vector>

#include "shell/quillomar_game.h"

namespace quillomar::test {

struct waypoint {
    glm::vec2 target{0.0f};  // world x, z
    float speed = 3.0f;      // the speed to arrive with, units per second
    bool flip = false;       // stop here and flip the level
};

class autopilot {
public:
    autopilot(quillomar_game& game, std::vector<waypoint> route);

    // The keys to hold for the next step.
    std::set<int> keys();

    std::size_t next_waypoint() const { return next_; }
    std::string status() const;

private:
    std::set<int> steer_towards(const glm::vec2& desired_velocity);

    quillomar_game& game_;
    std::vector<waypoint> route_;
    std::size_t next_ = 0;
    int lives_seen_ = 0;
    int flip_phase_ = 0;
    int settle_steps_ = 0;
};

}  // namespace quillomar::test
