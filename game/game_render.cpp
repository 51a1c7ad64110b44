#include "framework/seams.h"
#include "game/quillomar_game.h"
#include "game/to_text.h"
#include "render/camera_math.h"

namespace quillomar {
namespace {

constexpr double message_seconds = 5.0;

void bind_texture(GLenum unit, GLuint texture) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture);
}

}  // namespace

void quillomar_game::apply_active_camera() {
    if (use_follow_camera) {
        projection = follow_camera.projection;
        view = follow_camera.view;
        cam_pos = follow_camera.position;
        frustum.set_camera(follow_camera.position, ball.position, follow_camera.up);
    } else {
        projection = free_camera.projection;
        view = free_camera.view;
        cam_pos = free_camera.position;
        frustum.set_camera(free_camera.position, free_camera.position + free_camera.front,
                           free_camera.up);
    }
}

void quillomar_game::render_projectors() {
    projector.render(
        projector_frame{level.start, level.finish, bias, projector_projection,
                        [this](float x, float z) { return level.height_at(x, z); }},
        projector_view, projector_mvp, projected_matrix, projected_matrix2,
        [this](const glm::mat4& vp, GLint location) {
            ball.draw_depth(vp, location);
            level.draw_depth(vp, location);
        });
}

void quillomar_game::render_shadow_map() {
    light_view = look_at(light_pos, level.centre, light_up);
    light_mvp = light_projection * light_view;
    shadow_matrix = bias * light_projection * light_view;
    shadow_map.render(light_mvp, [this](const glm::mat4& vp, GLint location) {
        ball.draw_depth(vp, location);
        level.draw_casters(vp, location);
    });
}

void quillomar_game::draw_scene() {
    bind_texture(5, shadow_map.filter_textures[1]);
    bind_texture(10, projector.projector_color_texture);
    bind_texture(11, projector.projector_depth_texture);
    bind_texture(12, projector.projector_color_texture2);
    bind_texture(13, projector.projector_depth_texture2);
    glUseProgram(object_shader.program);
    if (transparency) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    const auto mipmap = static_cast<unsigned>(mipmap_mode);
    ball.draw(projection, view, shadow_matrix, projected_matrix, projected_matrix2, light_pos,
              cam_pos, mipmap, nearest_sampling);
    level.draw(projection, view, shadow_matrix, projected_matrix, projected_matrix2, light_pos,
               cam_pos, frustum, mipmap, nearest_sampling);
    for (GLenum unit : {5u, 10u, 11u, 12u, 13u, 20u, 21u}) {
        bind_texture(unit, 0);
    }
    glUseProgram(0);
    if (particles_active) {
        particles.draw(view, projection * view);
    }
}

void quillomar_game::draw_hud() {
    const auto sx = static_cast<float>(2.0 / width);
    const auto sy = static_cast<float>(2.0 / height);
    if (won || lost) {
        hud_text.render_text(lost ? "You lost the game" : "You finished the game!", -60 * sx,
                             1 - 150 * sy, sx, sy);
    }
    hud_text.render_text(("Change: " + to_text(change_count)).c_str(), -1 + 8 * sx, 1 - 50 * sy,
                         sx, sy);
    hud_text.render_text(("Leben: " + to_text(lives)).c_str(), -1 + 8 * sx, 1 - 100 * sy, sx, sy);
    if (message_visible && !message_timer_started) {
        message_timer_started = true;
        message_start_time = now();
    }
    if (message_visible) {
        if (now() - message_start_time < message_seconds) {
            hud_text.render_text(message.c_str(), -1 + 8 * sx, 1 - 600 * sy, sx, sy);
        } else {
            message_visible = false;
            message_timer_started = false;
        }
    }
    // Once the game is lost the end message stands alone; the countdown would run negative.
    if (dying && !lost) {
        hud_text.render_text(countdown_text.c_str(), -60 * sx, 1 - 150 * sy, sx, sy);
    }
    if (show_frame_time) {
        hud_text.render_text(fps_text.c_str(), -60 * sx, 1 - 50 * sy, sx, sy);
    }
}

void quillomar_game::render() {
    render_projectors();
    render_shadow_map();

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, width, height);
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);

    game_state_step();
    apply_active_camera();
    draw_scene();

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    draw_hud();
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
}

}  // namespace quillomar
