// The best run of a level, played again without a window: where its ball was at each moment of
// play, for the ghost ball, and its splits, for the HUD. Plain C++: the shell may compute it on a
// thread of its own while the game starts.
#pragma once

#include <atomic>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>
#include <optional>
#include <vector>

#include "game/game_state.h"
#include "game/recording.h"
#include "level/level.h"

namespace quillomar {

struct ghost_pose {
    double play_time = 0.0;  // seconds from the first frame the ball could be steered
    glm::vec3 position{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
};

struct ghost_run {
    std::vector<ghost_pose> poses;  // one per frame of play, in time order
    run_splits splits;
};

// Plays `run` into a fresh game on `loaded` (a level as read, items and spiders placed, before
// any play) and keeps the ball's pose at each frame of play and the run's splits. The core is
// deterministic, so this is the run as it was played. Stops early, with what it has, once
// `cancel` is set.
ghost_run simulate_run(const level& loaded, const recording& run,
                       const std::atomic<bool>* cancel = nullptr);

// The ghost ball's model matrix at a time of play, its position blended between the frames
// around it; nothing before the run's first frame or after its last.
std::optional<glm::mat4> ghost_matrix_at(const ghost_run& ghost, double play_time);

}  // namespace quillomar
