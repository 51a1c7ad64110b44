#include <GLFW/glfw3.h>

#include <cmath>
#include <iostream>

#include "framework/seams.h"
#include "game/quillomar_game.h"
#include "game/to_text.h"

namespace quillomar {
namespace {

constexpr float physics_substep = 1.0f / 60.0f;
constexpr int max_physics_substeps = 2;
constexpr double countdown_seconds = 3.0;
constexpr double particle_effect_seconds = 2.5;
constexpr double light_sweep_seconds = 15.0;
// Closer than this to the ground plane, the ball has reached it.
constexpr float ground_contact_distance = 0.05f;

// A key acts once per press: when it reads pressed while its latch is clear.
bool pressed_once(GLFWwindow* window, int key, bool& latch) {
    if (!latch && key_down(window, key)) {
        latch = true;
        return true;
    }
    return false;
}

void release_latch(GLFWwindow* window, int key, bool& latch) {
    if (!key_down(window, key)) {
        latch = false;
    }
}

}  // namespace

void quillomar_game::step_game_state() {
    const double time = now();
    if (dying) {
        if (!death_reported) {
            std::cout << "lives: " << lives << std::endl;
            death_reported = true;
            death_time = time;
        }
        const double elapsed = time - death_time;
        countdown_text = "Continue in: " + to_text(static_cast<int>(4.0 - elapsed));
        if (elapsed > countdown_seconds && !lost) {
            if (lives > 1) {
                restart();
                dying = false;
                death_reported = false;
            } else {
                lost = true;
            }
        }
    } else if (!won) {
        if (!lost) {
            update();
        }
    } else if (!win_sound_played) {
        if (sound_engine) {
            sound_engine->play_2d(assets::winning_sound, false);
        }
        win_sound_played = true;
    }
}

void quillomar_game::update() {
    const double time = now();
    if (!has_previous_time_) {
        previous_time_ = time;
        has_previous_time_ = true;
    }
    const float dt = static_cast<float>(time - previous_time_);
    last_dt = dt;
    ++updates_run;

    last_physics_steps = 0;
    dynamics_world->stepSimulation(dt, max_physics_substeps, physics_substep);

    handle_flip_keys();
    handle_view_and_music_keys();
    level.update_actors(static_cast<double>(dt));
    ball.control(window);
    sweep_light();
    free_camera.update(dt);
    follow_camera.update(ball.position, ball.heading);
    if (ball_fell()) {
        dying = true;
    }
    handle_restart_and_enemy_keys();
    apply_rules(time);
    run_particles(time, dt);
    handle_function_keys();
    count_frame(dt);
    if (message_visible) {
        std::cout << message << std::endl;
    }
    previous_time_ = time;
}

void quillomar_game::handle_flip_keys() {
    if (change_count > 0 && pressed_once(window, GLFW_KEY_SPACE, space_latch)) {
        --change_count;
        const bool was_flipping = level.flipping;
        level.flip();
        if (!was_flipping) {
            remove_cube_bodies();
        }
    }
    if (level.flipping && level.flip_done) {
        level.flipping = false;
        build_cube_bodies();
    }
    if (level.flipping) {
        level.flip();
        // The cubes have no bodies while they move: lift the ball whenever the top under it
        // passes its centre.
        const float top = level.height_at(ball.position.x, ball.position.z);
        if (top > ball.position.y) {
            ball.body->setCenterOfMassTransform(btTransform(
                btQuaternion(0, 0, 0, 1), btVector3(ball.position.x, top, ball.position.z)));
        }
        ball.body->activate();
    }
}

void quillomar_game::handle_view_and_music_keys() {
    if (pressed_once(window, GLFW_KEY_C, c_latch)) {
        use_follow_camera = !use_follow_camera;
    }
    if (pressed_once(window, GLFW_KEY_M, m_latch)) {
        music_on = !music_on;
        if (sound_engine) {
            if (music_on) {
                sound_engine->play_2d(assets::loop_sound, true);
            } else {
                sound_engine->stop_all_sounds();
            }
        }
    }
    release_latch(window, GLFW_KEY_SPACE, space_latch);
    release_latch(window, GLFW_KEY_C, c_latch);
    release_latch(window, GLFW_KEY_M, m_latch);
}

void quillomar_game::sweep_light() {
    const double time = now();
    if (!light_sweeping) {
        light_sweeping = true;
        sweep_start_pos = light_pos;
        sweep_start_time = time;
    }
    const double t = time - sweep_start_time;
    const double z0 = sweep_start_pos.z;
    const double span = (40.0 - z0) * 2.0;
    if (t < light_sweep_seconds) {
        light_pos.z = static_cast<float>(z0 + span * t / light_sweep_seconds);
    } else {
        light_pos.z = static_cast<float>(z0 + span);
        light_sweeping = false;
    }
}

bool quillomar_game::ball_fell() {
    // Only the rolling ball on the ground plane counts; the steering sphere lives there. Any
    // contact counts, not only a penetrating one: a ball that drops softly from a low edge can
    // first touch the plane a little above it and then rest exactly on it, and would otherwise
    // roll around down there for ever.
    const int manifolds = dispatcher->getNumManifolds();
    for (int i = 0; i < manifolds; ++i) {
        const btPersistentManifold* manifold = dispatcher->getManifoldByIndexInternal(i);
        if (manifold->getBody0() != ball.body.get() || manifold->getBody1() != ground_body.get()) {
            continue;
        }
        for (int c = 0; c < manifold->getNumContacts(); ++c) {
            if (manifold->getContactPoint(c).getDistance() < ground_contact_distance) {
                return true;
            }
        }
    }
    return false;
}

void quillomar_game::handle_restart_and_enemy_keys() {
    if (pressed_once(window, GLFW_KEY_R, r_latch) && lives > 0) {
        restart();
    }
    release_latch(window, GLFW_KEY_R, r_latch);
    if (pressed_once(window, GLFW_KEY_P, p_latch)) {
        level.enemies_walk = !level.enemies_walk;
    }
    release_latch(window, GLFW_KEY_P, p_latch);
}

void quillomar_game::apply_rules(double time) {
    if (std::fabs(level.finish.x - ball.position.x) < 2.0f &&
        std::fabs(level.finish.y - ball.position.z) < 2.0f) {
        won = true;
    }
    for (const glm::vec3& item : level.pick_up_items(ball.position)) {
        ++change_count;
        emitter_pos = item;
        pickup_time = time;
        particles_active = true;
    }
    if (level.enemy_touches(ball.position)) {
        dying = true;
    }
}

void quillomar_game::run_particles(double time, float dt) {
    if (!particles_active) {
        return;
    }
    if (time - pickup_time > particle_effect_seconds) {
        particles_active = false;
        particles.kill_all();
        return;
    }
    particles.emit(dt, emitter_pos);
    particles.simulate(dt, use_follow_camera ? follow_camera.position : free_camera.position);
}

void quillomar_game::show_message(const std::string& text) {
    message = text;
    message_visible = true;
}

void quillomar_game::handle_function_keys() {
    if (pressed_once(window, GLFW_KEY_F2, f2_latch)) {
        show_frame_time = !show_frame_time;
        show_message(show_frame_time ? "Frame time on." : "Frame time off.");
    }
    release_latch(window, GLFW_KEY_F2, f2_latch);
    if (pressed_once(window, GLFW_KEY_F3, f3_latch)) {
        wireframe = !wireframe;
        show_message(wireframe ? "Wire frame on." : "Wire frame off.");
    }
    release_latch(window, GLFW_KEY_F3, f3_latch);
    if (pressed_once(window, GLFW_KEY_F4, f4_latch)) {
        nearest_sampling = !nearest_sampling;
        show_message(nearest_sampling ? "TSQ: Nearest Neighbor." : "TSQ: Bilinear.");
    }
    release_latch(window, GLFW_KEY_F4, f4_latch);
    if (pressed_once(window, GLFW_KEY_F5, f5_latch)) {
        // 2 -> 0 -> 1 -> 2: linear, off, nearest.
        mipmap_mode = (mipmap_mode + 1) % 3;
        static const char* const names[] = {"MMQ: off.", "MMQ: Nearest Neighbor.", "MMQ: Linear."};
        show_message(names[mipmap_mode]);
    }
    release_latch(window, GLFW_KEY_F5, f5_latch);
    if (pressed_once(window, GLFW_KEY_F8, f8_latch)) {
        culling = !culling;
        level.culling = culling;
        show_message(culling ? "Viewfrustum-Culling on." : "Viewfrustum-Culling off.");
    }
    release_latch(window, GLFW_KEY_F8, f8_latch);
    if (pressed_once(window, GLFW_KEY_F9, f9_latch)) {
        transparency = !transparency;
        show_message(transparency ? "Transparency on." : "Transparency off.");
    }
    release_latch(window, GLFW_KEY_F9, f9_latch);
}

void quillomar_game::count_frame(float dt) {
    fps_time += dt;
    fps_frames += 1;
    if (fps_time > fps_interval) {
        fps_text = "fps: " + to_text(fps_frames);
        fps_frames = 0;
        fps_time = 0.0;
    }
}

void quillomar_game::restart() {
    level.restore_items();
    lives -= 1;
    change_count = 0;
    if (level.flipped) {
        const bool was_flipping = level.flipping;
        if (!was_flipping) {
            remove_cube_bodies();
        }
        level.flip();
    }
    remove_ball_bodies();
    ball.destroy_bodies();
    ball.init(level.start);
    add_ball_bodies();
}

}  // namespace quillomar
