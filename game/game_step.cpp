#include <algorithm>
#include <cmath>

#include "actors/level_actors.h"
#include "framework/asset_paths.h"
#include "game/finish_rule.h"
#include "game/game_core.h"
#include "game/to_text.h"

namespace quillomar {
namespace {

constexpr double countdown_seconds = 3.0;
constexpr double particle_effect_seconds = 2.5;
constexpr double light_sweep_seconds = 15.0;
constexpr double message_seconds = 5.0;

void log_line(game_events& events, std::string text) {
    events.push_back({event_kind::console_line, std::move(text)});
}

}  // namespace

game_events game_core::step(const frame_input& input) {
    game_state& s = state;
    game_events events;
    const double time = input.time;
    if (!s.won && !s.lost) {
        s.clock_time = time;
    }
    if (!s.has_level) {
        // Nothing to play: no rules run, and nothing can be won.
    } else if (s.dying) {
        if (!s.death_reported) {
            log_line(events, "lives: " + to_text(s.lives));
            events.push_back({event_kind::died, {}, {}, s.lives});
            s.death_reported = true;
            s.death_time = time;
        }
        const double elapsed = time - s.death_time;
        s.countdown_text = "Continue in: " + to_text(static_cast<int>(4.0 - elapsed));
        if (elapsed > countdown_seconds && !s.lost) {
            if (s.lives > 1) {
                restart(time, events);
                s.dying = false;
                s.death_reported = false;
                // The countdown is no time of play: the next update starts the clock afresh
                // instead of moving the world by three seconds at once.
                s.has_previous_time = false;
            } else {
                s.lost = true;
                events.push_back({event_kind::lost});
            }
        }
    } else if (!s.won) {
        if (!s.lost) {
            update(input, events);
        }
    } else if (!s.win_sound_played) {
        events.push_back({event_kind::play_sound, assets::winning_sound});
        s.win_sound_played = true;
    }
    run_message_timer(time);
    apply_active_camera();
    return events;
}

void game_core::update(const frame_input& input, game_events& events) {
    game_state& s = state;
    const double time = input.time;
    if (!s.has_previous_time) {
        s.previous_time = time;
        s.has_previous_time = true;
    }
    if (s.play_started < 0.0) {
        s.play_started = time;
    }
    const float dt = static_cast<float>(time - s.previous_time);
    s.last_dt = dt;
    ++s.updates_run;

    s.last_physics_steps = s.physics->step(dt);
    handle_flip(input, events);
    handle_toggles(input, events);
    update_actors(s.level, static_cast<double>(dt), time, s.random);
    s.ball.control({input.is_held(command::forward), input.is_held(command::back),
                    input.is_held(command::turn_left), input.is_held(command::turn_right),
                    input.push_amount / 255.0f, input.turn_amount / 255.0f,
                    std::clamp(input.steer, -max_steer_per_tick, max_steer_per_tick)});
    sweep_light(time);
    s.free_camera.update(
        dt, {input.is_held(command::free_yaw_left), input.is_held(command::free_yaw_right),
             input.is_held(command::free_pitch_up), input.is_held(command::free_pitch_down),
             input.is_held(command::free_forward), input.is_held(command::free_backward)});
    s.follow_camera.update(s.ball.position, s.ball.heading);
    if (s.physics->ball_on_ground()) {
        s.dying = true;
    }
    for (int n = input.pressed(command::restart); n > 0; --n) {
        if (s.lives > 0) {
            restart(time, events);
        }
    }
    for (int n = input.pressed(command::spiders); n > 0; --n) {
        s.level.enemies_walk = !s.level.enemies_walk;
    }
    apply_rules(time, events);
    run_particles(time, dt);
    handle_function_keys(input, events);
    if (s.message.visible) {
        log_line(events, s.message.text);
    }
    s.previous_time = time;
}

void game_core::handle_flip(const frame_input& input, game_events& events) {
    game_state& s = state;
    const double time = input.time;
    for (int n = input.pressed(command::flip); n > 0 && s.change_count > 0; --n) {
        --s.change_count;
        const bool was_flipping = s.level.flipping;
        s.level.flip(time);
        if (!was_flipping) {
            s.physics->remove_cube_bodies();
            events.push_back({event_kind::flip_started});
        }
    }
    if (!s.level.flipping) {
        return;
    }
    s.level.flip(time);
    // The cubes have no bodies while they move: lift the ball whenever the top under it passes
    // its centre.
    const float top = s.level.height_at(s.ball.position.x, s.ball.position.z);
    if (top > s.ball.position.y) {
        s.ball.body->setCenterOfMassTransform(btTransform(
            btQuaternion(0, 0, 0, 1), btVector3(s.ball.position.x, top, s.ball.position.z)));
    }
    s.ball.body->activate();
    // The flip ends in the step that completes it, so the next press can start the next one.
    if (s.level.flip_done) {
        s.level.flipping = false;
        s.physics->build_cube_bodies(s.level.cubes);
        events.push_back({event_kind::flip_ended});
    }
}

void game_core::handle_toggles(const frame_input& input, game_events& events) {
    game_state& s = state;
    for (int n = input.pressed(command::camera); n > 0; --n) {
        s.use_follow_camera = !s.use_follow_camera;
    }
    for (int n = input.pressed(command::music); n > 0; --n) {
        s.music_on = !s.music_on;
        if (s.music_on) {
            events.push_back({event_kind::play_sound, assets::loop_sound, {}, 0, true});
        } else {
            events.push_back({event_kind::stop_sounds});
        }
    }
}

void game_core::sweep_light(double time) {
    light_state& light = state.light;
    if (!light.sweeping) {
        light.sweeping = true;
        light.sweep_start_pos = light.position;
        light.sweep_start_time = time;
    }
    const double t = time - light.sweep_start_time;
    const double z0 = light.sweep_start_pos.z;
    const double span = (40.0 - z0) * 2.0;
    if (t < light_sweep_seconds) {
        light.position.z = static_cast<float>(z0 + span * t / light_sweep_seconds);
    } else {
        light.position.z = static_cast<float>(z0 + span);
        light.sweeping = false;
    }
}

void game_core::apply_rules(double time, game_events& events) {
    game_state& s = state;
    if (!s.won && at_finish(s.level.finish, s.ball.position)) {
        s.won = true;
        s.finish_time = time;
        s.splits.finish = time - s.play_started;
        events.push_back({event_kind::won});
    }
    for (const glm::vec3& item : pick_up_items(s.level, s.ball.position)) {
        ++s.change_count;
        s.emitter_pos = item;
        s.pickup_time = time;
        s.particles_active = true;
        s.splits.items.push_back(time - s.play_started);
        events.push_back({event_kind::item_picked, {}, item});
        log_line(events, "removed item");
    }
    if (enemy_touches(s.level, s.ball.position)) {
        s.dying = true;
    }
}

void game_core::run_particles(double time, float dt) {
    game_state& s = state;
    if (!s.particles_active) {
        return;
    }
    if (time - s.pickup_time > particle_effect_seconds) {
        s.particles_active = false;
        s.particles.kill_all();
        return;
    }
    if (!s.simulate_burst) {
        return;
    }
    s.particles.emit(dt, s.emitter_pos, s.random);
    s.particles.simulate(dt,
                         s.use_follow_camera ? s.follow_camera.position : s.free_camera.position);
}

void game_core::show_message(const std::string& text, game_events& events) {
    state.message.text = text;
    state.message.visible = true;
    events.push_back({event_kind::message, text});
}

void game_core::handle_function_keys(const frame_input& input, game_events& events) {
    display_settings& d = state.display;
    for (int n = input.pressed(command::frame_time); n > 0; --n) {
        d.show_frame_time = !d.show_frame_time;
        show_message(d.show_frame_time ? "Frame time on." : "Frame time off.", events);
    }
    for (int n = input.pressed(command::wireframe); n > 0; --n) {
        d.wireframe = !d.wireframe;
        show_message(d.wireframe ? "Wire frame on." : "Wire frame off.", events);
    }
    for (int n = input.pressed(command::sampling); n > 0; --n) {
        d.nearest_sampling = !d.nearest_sampling;
        show_message(d.nearest_sampling ? "TSQ: Nearest Neighbor." : "TSQ: Bilinear.", events);
    }
    for (int n = input.pressed(command::mipmap); n > 0; --n) {
        // 2 -> 0 -> 1 -> 2: linear, off, nearest.
        d.mipmap_mode = (d.mipmap_mode + 1) % 3;
        static const char* const names[] = {"MMQ: off.", "MMQ: Nearest Neighbor.", "MMQ: Linear."};
        show_message(names[d.mipmap_mode], events);
    }
    for (int n = input.pressed(command::culling); n > 0; --n) {
        d.culling = !d.culling;
        show_message(d.culling ? "Viewfrustum-Culling on." : "Viewfrustum-Culling off.", events);
    }
    for (int n = input.pressed(command::transparency); n > 0; --n) {
        d.transparency = !d.transparency;
        show_message(d.transparency ? "Transparency on." : "Transparency off.", events);
    }
}

void game_core::count_drawn_frame(double time) {
    game_state& s = state;
    if (s.fps_last_frame >= 0.0 && time > s.fps_last_frame) {
        count_frame(static_cast<float>(time - s.fps_last_frame));
    }
    s.fps_last_frame = time;
}

void game_core::count_frame(float dt) {
    game_state& s = state;
    s.fps_time += dt;
    s.fps_frames += 1;
    if (s.fps_time > 1.0) {
        s.fps_text = "fps: " + to_text(s.fps_frames);
        s.fps_frames = 0;
        s.fps_time = 0.0;
    }
}

void game_core::run_message_timer(double time) {
    hud_message& m = state.message;
    if (m.visible && !m.timer_started) {
        m.timer_started = true;
        m.start_time = time;
    }
    if (m.visible && time - m.start_time >= message_seconds) {
        m.visible = false;
        m.timer_started = false;
    }
}

}  // namespace quillomar
