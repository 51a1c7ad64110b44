#include "game/drawn_pose.h"

#include "camera/camera_math.h"

namespace quillomar {
namespace {

// Farther than a ball rolls or a camera flies in a tick: a jump, not a motion.
constexpr float jump_distance = 4.0f;

template <typename value>
void blend_list(std::vector<value>& out, const std::vector<value>& from, float t) {
    if (from.size() != out.size()) {
        return;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = from[i] + (out[i] - from[i]) * t;
    }
}

}  // namespace

drawn_pose pose_of(const game_state& s) {
    drawn_pose pose;
    pose.ball_position = s.ball.position;
    pose.ball_rotation = s.ball.rotation;
    pose.camera_position = s.cam_pos;
    if (s.use_follow_camera) {
        pose.camera_target = s.ball.position;
        pose.camera_up = s.follow_camera.up;
    } else {
        pose.camera_target = s.free_camera.position + s.free_camera.front;
        pose.camera_up = s.free_camera.up;
    }
    pose.view = s.view;
    pose.light = s.light.position;
    pose.cube_heights.reserve(s.level.cubes.size());
    for (const glm::vec3& cube : s.level.cubes) {
        pose.cube_heights.push_back(cube.y);
    }
    pose.items = s.level.items;
    pose.enemies = s.level.enemies;
    return pose;
}

drawn_pose blend(const drawn_pose& from, const drawn_pose& to, float t) {
    drawn_pose pose = to;
    if (!(t < 1.0f) || glm::distance(from.ball_position, to.ball_position) > jump_distance ||
        glm::distance(from.camera_position, to.camera_position) > jump_distance) {
        return pose;
    }
    t = t > 0.0f ? t : 0.0f;
    pose.ball_position = glm::mix(from.ball_position, to.ball_position, t);
    pose.ball_rotation = glm::slerp(from.ball_rotation, to.ball_rotation, t);
    pose.camera_position = glm::mix(from.camera_position, to.camera_position, t);
    pose.camera_target = glm::mix(from.camera_target, to.camera_target, t);
    // A degenerate view between two good ones keeps the newer one.
    try_look_at(pose.camera_position, pose.camera_target, pose.camera_up, pose.view);
    pose.light = glm::mix(from.light, to.light, t);
    blend_list(pose.cube_heights, from.cube_heights, t);
    blend_list(pose.items, from.items, t);
    blend_list(pose.enemies, from.enemies, t);
    return pose;
}

void put_pose(game_state& s, const drawn_pose& pose) {
    s.ball.position = pose.ball_position;
    s.ball.rotation = pose.ball_rotation;
    s.cam_pos = pose.camera_position;
    s.view = pose.view;
    s.frustum.set_camera(pose.camera_position, pose.camera_target, pose.camera_up);
    s.light.position = pose.light;
    if (pose.cube_heights.size() == s.level.cubes.size()) {
        for (std::size_t i = 0; i < s.level.cubes.size(); ++i) {
            s.level.cubes[i].y = pose.cube_heights[i];
        }
    }
    if (pose.items.size() == s.level.items.size()) {
        s.level.items = pose.items;
    }
    if (pose.enemies.size() == s.level.enemies.size()) {
        s.level.enemies = pose.enemies;
    }
}

}  // namespace quillomar
