// The one concrete game: all game state, its start-up and shut-down, the frame update with the
// rules, and the frame rendering with the HUD.
#pragma once

#include <btBulletDynamicsCommon.h>

#include <functional>
#include <glm/glm.hpp>
#include <memory>
#include <string>
#include <vector>

#include "framework/asset_paths.h"
#include "framework/qlmFramework.h"
#include "level/level.h"
#include "physics/orbel.h"
#include "render/follow_camera.h"
#include "render/free_camera.h"
#include "render/particle_system.h"
#include "render/projectors.h"
#include "render/shader_program.h"
#include "render/text_renderer.h"
#include "render/variance_shadow_map.h"
#include "render/view_frustum.h"
#include "sound/sound_engine.h"

namespace quillomar {

// One HUD text line: where its baseline starts, in pixels down from the top, and across from
// the window's left edge or from its centre.
struct hud_line {
    std::string text;
    bool from_left_edge = false;
    int x_pixels = 0;
    int y_pixels = 0;
};

class quillomar_game : public game {
public:
    quillomar_game();
    ~quillomar_game() override;
    quillomar_game(const quillomar_game&) = delete;
    quillomar_game& operator=(const quillomar_game&) = delete;

    void startup() override;
    void update() override;
    void shutdown() override;
    void render() override;

    // Costs a life, brings every item back, flips a flipped level back and puts a new ball on
    // the start cell.
    void restart();
    // Replaces the static cube bodies with new ones at the cubes' current positions.
    void build_cube_bodies();
    // Copies the active camera into projection, view and cam_pos and places the frustum.
    void apply_active_camera();
    // The rules of one frame without drawing: the death countdown, the update, or the win sound.
    void step_game_state();
    // The HUD lines of this frame, in drawing order.
    std::vector<hud_line> hud_lines() const;

    ::quillomar::follow_camera follow_camera;
    ::quillomar::free_camera free_camera;
    bool use_follow_camera = true;
    glm::mat4 projection{1.0f};
    glm::mat4 view{1.0f};
    glm::vec3 cam_pos{0.0f};
    ::quillomar::level level;
    orbel ball;

    std::unique_ptr<btDbvtBroadphase> broadphase;
    std::unique_ptr<btDefaultCollisionConfiguration> collision_configuration;
    std::unique_ptr<btCollisionDispatcher> dispatcher;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver;
    std::unique_ptr<btDiscreteDynamicsWorld> dynamics_world;
    std::unique_ptr<btStaticPlaneShape> ground_shape;
    std::unique_ptr<btBoxShape> cube_shape;
    std::unique_ptr<btDefaultMotionState> ground_motion_state;
    std::unique_ptr<btRigidBody> ground_body;
    std::vector<std::unique_ptr<btRigidBody>> cube_bodies;

    glm::mat4 light_view{1.0f};
    glm::mat4 light_mvp{1.0f};
    glm::mat4 shadow_matrix{1.0f};
    text_renderer hud_text;
    particle_system particles;
    glm::vec3 emitter_pos{0.0f};
    double pickup_time = 0.0;
    bool particles_active = false;
    bool light_sweeping = false;
    glm::vec3 light_pos{0.0f};
    glm::vec3 sweep_start_pos{0.0f};
    double sweep_start_time = 0.0;
    glm::mat4 light_projection{1.0f};
    glm::vec3 light_up{0.0f};
    glm::mat4 bias{1.0f};
    shader_program object_shader;
    bool c_latch = false;
    bool p_latch = false;
    bool space_latch = false;
    bool r_latch = false;
    int change_count = 0;
    int lives = 5;
    bool death_reported = false;
    double death_time = 0.0;
    bool lost = false;
    bool dying = false;
    bool won = false;
    bool f2_latch = false;
    bool show_frame_time = false;
    bool f3_latch = false;
    bool wireframe = false;
    bool f4_latch = false;
    bool nearest_sampling = false;
    bool f5_latch = false;
    int mipmap_mode = 2;
    bool f8_latch = false;
    bool culling = true;
    bool f9_latch = false;
    bool transparency = true;
    bool message_visible = false;
    bool message_timer_started = false;
    double message_start_time = 0.0;
    std::string message;
    bool m_latch = false;
    bool music_on = false;
    bool win_sound_played = false;
    std::unique_ptr<::quillomar::sound_engine> sound_engine;
    double fps_time = 0.0;
    float fps_interval = 1.0f;
    std::string fps_text;
    int fps_frames = 0;
    projectors projector;
    glm::mat4 projector_projection{1.0f};
    glm::mat4 projector_view{1.0f};
    glm::mat4 projector_mvp{1.0f};
    glm::mat4 projected_matrix{1.0f};
    glm::mat4 projected_matrix2{1.0f};
    variance_shadow_map shadow_map;
    view_frustum frustum;

    // Not game rules: where the level is read from (the benchmark and tests pick other levels),
    // and what the last frames did, for tests and the benchmark to observe.
    std::string level_path = assets::level_file;
    // The sound output device to open; empty for the system's default.
    std::string sound_device;
    int last_physics_steps = 0;  // fixed sub-steps the last update's physics step took
    float last_dt = 0.0f;
    long updates_run = 0;
    std::string countdown_text;
    // Called after each part of a frame ("projectors", "shadow", "update", "main", "particles",
    // "hud") when set; the benchmark times the passes with it.
    std::function<void(const char* part)> frame_part_done;

private:
    void reset_state();
    void create_physics_world();
    void destroy_physics_world();
    void remove_cube_bodies();
    void add_ball_bodies();
    void remove_ball_bodies();

    void handle_flip_keys();
    void handle_view_and_music_keys();
    void sweep_light();
    bool ball_fell();
    void handle_restart_and_enemy_keys();
    void apply_rules(double time);
    void run_particles(double time, float dt);
    void handle_function_keys();
    void count_frame(float dt);
    void show_message(const std::string& text);

    std::vector<glm::vec4> shadow_caster_spheres() const;
    void render_projectors();
    void render_shadow_map();
    void draw_scene();
    void part_done(const char* part) const;
    void update_message_timer();
    void draw_hud();

    bool has_previous_time_ = false;
    double previous_time_ = 0.0;
};

}  // namespace quillomar
