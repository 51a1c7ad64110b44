// Plays a level like a patient player: follows a route of waypoints by pushing and turning, flips
// the level where the route says so, and starts the route again after losing a life.
#pragma once

#include <glm/glm.hpp>
#include <set>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "game/commands.h"

namespace quillomar::test {

struct waypoint {
    glm::vec2 target{0.0f};  // world x, z
    float speed = 3.0f;      // the speed to arrive with, units per second
    bool flip = false;       // stop here and flip the level
};

class autopilot {
public:
    // With a spider margin, the pilot backs off from spiders closer than that (world units).
    autopilot(const game_state& game, std::vector<waypoint> route, float spider_margin = 0.0f);

    // The commands to hold for the next step.
    std::set<command> keys();

    std::size_t next_waypoint() const { return next_; }
    std::string status() const;

private:
    std::set<command> steer_towards(const glm::vec2& desired_velocity);

    const game_state& game_;
    std::vector<waypoint> route_;
    std::size_t next_ = 0;
    int lives_seen_ = 0;
    int flip_phase_ = 0;
    int settle_steps_ = 0;
    float spider_margin_ = 0.0f;
};

}  // namespace quillomar::test
