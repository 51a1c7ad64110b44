#include <glm/gtc/matrix_transform.hpp>
#include <iostream>

#include "game/quillomar_game.h"
#include "render/camera_math.h"

namespace quillomar {
namespace {

void log(const char* line) {
    std::cout << line << std::endl;
}

}  // namespace

quillomar_game::quillomar_game() = default;

quillomar_game::~quillomar_game() {
    // A game that never ran shutdown (a test, an early exit) still takes its bodies out of the
    // world before the world goes.
    destroy_physics_world();
}

void quillomar_game::reset_state() {
    use_follow_camera = true;
    emitter_pos = glm::vec3(0.0f);
    pickup_time = 0.0;
    particles_active = false;
    light_sweeping = false;
    light_pos = glm::vec3(30.0f, 60.0f, 0.0f);
    sweep_start_pos = light_pos;
    sweep_start_time = 0.0;
    // The projection builders take their angles in radians: 45 and 20 are radians here.
    light_projection = perspective(45.0f, 1.3333334f, 0.1f, 100.0f);
    light_up = glm::vec3(0.0f, 1.0f, 0.0f);
    bias = glm::mat4(glm::vec4(0.5f, 0.0f, 0.0f, 0.0f), glm::vec4(0.0f, 0.5f, 0.0f, 0.0f),
                     glm::vec4(0.0f, 0.0f, 0.5f, 0.0f), glm::vec4(0.5f, 0.5f, 0.5f, 1.0f));
    c_latch = p_latch = space_latch = r_latch = false;
    change_count = 0;
    lives = 5;
    death_reported = false;
    death_time = 0.0;
    lost = dying = won = false;
    f2_latch = show_frame_time = false;
    f3_latch = wireframe = false;
    f4_latch = nearest_sampling = false;
    f5_latch = false;
    mipmap_mode = 2;
    f8_latch = false;
    culling = true;
    f9_latch = false;
    transparency = true;
    message_visible = message_timer_started = false;
    message_start_time = 0.0;
    message.clear();
    m_latch = music_on = win_sound_played = false;
    fps_time = 0.0;
    fps_interval = 1.0f;
    fps_text.clear();
    fps_frames = 0;
    projector_projection = perspective(20.0f, 1.7f, 0.1f, 50.0f);
    has_previous_time_ = false;
}

void quillomar_game::startup() {
    check_gl_error(__FILE__, __LINE__);
    log("begin startup() in quillomar_game");
    reset_state();
    object_shader = shader_program(assets::object_vertex_shader, assets::object_fragment_shader);
    check_gl_error(__FILE__, __LINE__);

    log("Parse level in quillomar_game.startup() ...");
    level = ::quillomar::level();
    level.program = object_shader.program;
    level.parse(level_path);
    level.culling = culling;
    level.enemies_walk = true;
    log("Parse level in quillomar_game.startup() done.");
    check_gl_error(__FILE__, __LINE__);

    log("initialize orbel in quillomar_game.startup() ...");
    ball = orbel();
    ball.init(level.start);
    ball.program = object_shader.program;
    log("initialize orbel in quillomar_game.startup() done.");
    check_gl_error(__FILE__, __LINE__);

    log("initialize cameras in quillomar_game.startup() ...");
    follow_camera = ::quillomar::follow_camera();
    free_camera = ::quillomar::free_camera();
    follow_camera.init(20.0f, 30.0f, 60.0f, window);
    free_camera.init(20.0f, 30.0f, 60.0f, window);
    use_follow_camera = true;
    frustum.set_internals(follow_camera.fov, follow_camera.aspect, follow_camera.near_plane,
                          follow_camera.far_plane);
    apply_active_camera();
    log("initialize cameras in quillomar_game.startup() done.");

    log("do openGL stuff in quillomar_game.startup() ...");
    glClearColor(0.0f, 0.0f, 0.4f, 0.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    log("openGL stuff in quillomar_game.startup() done.");

    log("do bullet stuff in quillomar_game.startup() ...");
    create_physics_world();
    log("bullet stuff in quillomar_game.startup() done.");

    particles.init();

    log("do shadow mapping stuff in quillomar_game.startup() ...");
    shadow_map.create_programs();
    shadow_map.create_quad();
    shadow_map.create_framebuffers();
    log("shadow mapping stuff in quillomar_game.startup() done.");

    log("do projected texture stuff in quillomar_game.startup() ...");
    projector.setup();
    log("projected texture stuff in quillomar_game.startup() done.");

    log("text stuff in quillomar_game.startup() ...");
    hud_text.setup();
    log("text stuff in quillomar_game.startup() done.");

    log("sound stuff in quillomar_game.startup() ...");
    sound_engine =
        ::quillomar::sound_engine::create(sound_device.empty() ? nullptr : sound_device.c_str());
    if (!sound_engine) {
        log("could not start sound engine!");
    }
    log("sound stuff in quillomar_game.startup() done.");
    log("end startup() in quillomar_game");
    check_gl_error(__FILE__, __LINE__);
}

void quillomar_game::shutdown() {
    log("begin shutdown() in quillomar_game");
    destroy_physics_world();
    shadow_map.destroy_framebuffers();
    projector.destroy_framebuffers();
    log("end shutdown() in quillomar_game");
}

}  // namespace quillomar
