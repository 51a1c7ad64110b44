#include "game/ghost_run.h"

#include <algorithm>
#include <glm/gtc/matrix_transform.hpp>

#include "game/game_core.h"

namespace quillomar {

ghost_run simulate_run(const level& loaded, const recording& run, const std::atomic<bool>* cancel) {
    game_core core;
    game_state& s = core.state;
    s.level = loaded;
    s.level.enemies_walk = true;
    s.has_level = s.level.playable();
    s.simulate_burst = false;
    core.init_ball();
    core.init_cameras();
    core.create_physics();
    ghost_run ghost;
    for (const frame_input& frame : run.frames) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            break;
        }
        core.step(frame);
        // Falls and countdowns included: the ghost does what the ball did.
        if (s.play_started >= 0.0) {
            ghost.poses.push_back({frame.time - s.play_started, s.ball.position, s.ball.rotation});
        }
        if (s.won || s.lost) {
            break;
        }
    }
    ghost.splits = s.splits;
    return ghost;
}

std::optional<glm::mat4> ghost_matrix_at(const ghost_run& ghost, double play_time) {
    const std::vector<ghost_pose>& poses = ghost.poses;
    if (poses.empty() || play_time < poses.front().play_time ||
        play_time > poses.back().play_time) {
        return std::nullopt;
    }
    const auto after =
        std::lower_bound(poses.begin(), poses.end(), play_time,
                         [](const ghost_pose& pose, double t) { return pose.play_time < t; });
    const ghost_pose& b = *after;
    const ghost_pose& a = after == poses.begin() ? b : *(after - 1);
    const double span = b.play_time - a.play_time;
    const float f = span > 0.0 ? static_cast<float>((play_time - a.play_time) / span) : 1.0f;
    const glm::vec3 position = glm::mix(a.position, b.position, f);
    return glm::translate(glm::mat4(1.0f), position) *
           glm::mat4_cast(f < 0.5f ? a.rotation : b.rotation);
}

}  // namespace quillomar
