#include "game/game_core.h"

#include <iostream>

#include "camera/camera_math.h"

namespace quillomar {

void game_core::use_level(const ::quillomar::level& loaded) {
    state.level = loaded;
    state.level.enemies_walk = true;
    state.has_level = state.level.playable();
}

bool game_core::read_level(const std::string& path, std::vector<std::string>& lines) {
    const bool opened = state.level.read_file(path, &lines);
    state.level.enemies_walk = true;
    state.has_level = opened && state.level.playable();
    if (opened && !state.has_level) {
        // Start and finish would both sit at the origin: without this the game would be won
        // before it began.
        lines.push_back("Level file " + path + " has no cubes: there is no level to play.");
    }
    return opened;
}

bool game_core::read_level(const std::string& path) {
    std::vector<std::string> lines;
    const bool opened = read_level(path, lines);
    for (const std::string& line : lines) {
        std::cout << line << std::endl;
    }
    return opened;
}

int start_quarter_turns(const ::quillomar::level& lvl) {
    return static_cast<int>(lvl.start_facing);
}

void game_core::init_ball() {
    state.ball = orbel();
    state.ball.init(state.level.start, start_quarter_turns(state.level));
}

void game_core::init_cameras() {
    game_state& s = state;
    s.follow_camera = follow_camera();
    s.free_camera = free_camera();
    s.follow_camera.init(20.0f, 30.0f, 60.0f);
    s.free_camera.init(20.0f, 30.0f, 60.0f);
    s.use_follow_camera = true;
    s.frustum.set_internals(s.follow_camera.fov, s.follow_camera.aspect,
                            s.follow_camera.near_plane, s.follow_camera.far_plane);
    apply_active_camera();
}

void game_core::set_aspect(float aspect) {
    game_state& s = state;
    if (!(aspect > 0.0f) || aspect == s.follow_camera.aspect) {
        return;
    }
    s.follow_camera.aspect = aspect;
    s.follow_camera.projection = perspective(s.follow_camera.fov, aspect,
                                             s.follow_camera.near_plane, s.follow_camera.far_plane);
    s.free_camera.aspect = aspect;
    s.free_camera.projection = perspective(s.free_camera.fov, aspect, s.follow_camera.near_plane,
                                           s.follow_camera.far_plane);
    s.frustum.set_internals(s.follow_camera.fov, aspect, s.follow_camera.near_plane,
                            s.follow_camera.far_plane);
    apply_active_camera();
}

void game_core::create_physics() {
    state.physics = std::make_unique<physics_world>(state.ball, state.level.cubes);
}

void game_core::apply_active_camera() {
    game_state& s = state;
    if (s.use_follow_camera) {
        s.projection = s.follow_camera.projection;
        s.view = s.follow_camera.view;
        s.cam_pos = s.follow_camera.position;
        s.frustum.set_camera(s.follow_camera.position, s.ball.position, s.follow_camera.up);
    } else {
        s.projection = s.free_camera.projection;
        s.view = s.free_camera.view;
        s.cam_pos = s.free_camera.position;
        s.frustum.set_camera(s.free_camera.position, s.free_camera.position + s.free_camera.front,
                             s.free_camera.up);
    }
}

void game_core::restart(double time, game_events& events) {
    game_state& s = state;
    s.level.restore_items();
    s.lives -= 1;
    s.change_count = 0;
    if (s.level.flipping) {
        // A flip away from the loaded heights turns round; one back to them runs on.
        if (s.level.flipped) {
            s.level.reverse_flip(time);
        }
    } else if (s.level.flipped) {
        s.physics->remove_cube_bodies();
        s.level.flip(time);
        events.push_back({event_kind::flip_started});
    }
    s.physics->replace_ball(s.level.start, start_quarter_turns(s.level));
    events.push_back({event_kind::lives_changed, {}, {}, s.lives});
}

}  // namespace quillomar
