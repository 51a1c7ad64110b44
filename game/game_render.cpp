#include "framework/seams.h"
#include "game/quillomar_game.h"
#include "game/to_text.h"

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
    const projector_matrices matrices = projector.render(
        level.start, level.finish, [this](float x, float z) { return level.height_at(x, z); },
        projector_projection, bias,
        [this](const glm::mat4& vp, GLint location) {
            ball.draw_depth(vp, location);
            level.draw_depth(vp, location);
        });
    projector_view = matrices.projector_view;
    projector_mvp = matrices.projector_mvp;
    projected_matrix = matrices.projected_matrix;
    projected_matrix2 = matrices.projected_matrix2;
}

std::vector<glm::vec4> quillomar_game::shadow_caster_spheres() const {
    // Generous bounds of what the casters draw: the ball (radius 1), an item model (about one
    // unit across at its scale, standing on its origin) and a spider with its legs stretched out.
    constexpr float ball_radius = 1.1f;
    constexpr float item_radius = 1.6f;
    constexpr float spider_radius = 2.5f;
    std::vector<glm::vec4> spheres;
    spheres.reserve(1 + level.items.size() + level.enemies.size());
    spheres.emplace_back(ball.position, ball_radius);
    for (const glm::vec3& item : level.items) {
        spheres.emplace_back(item, item_radius);
    }
    for (const glm::vec3& enemy : level.enemies) {
        spheres.emplace_back(enemy, spider_radius);
    }
    return spheres;
}

void quillomar_game::render_shadow_map() {
    const light_matrices light =
        compute_light_matrices(light_pos, level.centre, light_up, light_projection, bias);
    light_view = light.light_view;
    light_mvp = light.light_mvp;
    shadow_matrix = light.shadow_matrix;
    shadow_map.render(
        light_mvp,
        [this](const glm::mat4& vp, GLint location) {
            ball.draw_depth(vp, location);
            level.draw_casters(vp, location);
        },
        shadow_caster_spheres());
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
    // Ball, cubes, items and spiders are closed and opaque: their back faces are always hidden
    // behind their front faces, so skipping them leaves the picture as it is and halves the
    // fragments the main pass shades. The shadow pass turned culling off; the particles and the
    // HUD are drawn without it.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    const auto mipmap = static_cast<unsigned>(mipmap_mode);
    ball.draw(projection, view, shadow_matrix, projected_matrix, projected_matrix2, light_pos,
              cam_pos, mipmap, nearest_sampling);
    level.draw(projection, view, shadow_matrix, projected_matrix, projected_matrix2, light_pos,
               cam_pos, frustum, mipmap, nearest_sampling);
    glDisable(GL_CULL_FACE);
    for (GLenum unit : {5u, 10u, 11u, 12u, 13u, 20u, 21u}) {
        bind_texture(unit, 0);
    }
    glUseProgram(0);
    part_done("main");
    if (particles_active) {
        particles.draw(view, projection * view);
    }
    part_done("particles");
}

void quillomar_game::part_done(const char* part) const {
    if (frame_part_done) {
        frame_part_done(part);
    }
}

void quillomar_game::update_message_timer() {
    if (message_visible && !message_timer_started) {
        message_timer_started = true;
        message_start_time = now();
    }
    if (message_visible && now() - message_start_time >= message_seconds) {
        message_visible = false;
        message_timer_started = false;
    }
}

std::vector<hud_line> quillomar_game::hud_lines() const {
    std::vector<hud_line> lines;
    if (won || lost) {
        lines.push_back({lost ? "You lost the game" : "You finished the game!", false, -60, 150});
    }
    lines.push_back({"Change: " + to_text(change_count), true, 8, 50});
    lines.push_back({"Leben: " + to_text(lives), true, 8, 100});
    if (message_visible) {
        lines.push_back({message, true, 8, 600});
    }
    // Once the game is lost the end message stands alone; the countdown would run negative.
    if (dying && !lost) {
        lines.push_back({countdown_text, false, -60, 150});
    }
    if (show_frame_time) {
        lines.push_back({fps_text, false, -60, 50});
    }
    return lines;
}

void quillomar_game::draw_hud() {
    update_message_timer();
    const auto sx = static_cast<float>(2.0 / width);
    const auto sy = static_cast<float>(2.0 / height);
    for (const hud_line& line : hud_lines()) {
        const float x =
            (line.from_left_edge ? -1.0f : 0.0f) + static_cast<float>(line.x_pixels) * sx;
        hud_text.render_text(line.text.c_str(), x, 1.0f - static_cast<float>(line.y_pixels) * sy,
                             sx, sy);
    }
}

void quillomar_game::render() {
    render_projectors();
    part_done("projectors");
    render_shadow_map();
    part_done("shadow");

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, width, height);
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);

    step_game_state();
    part_done("update");
    apply_active_camera();
    draw_scene();

    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    draw_hud();
    glUseProgram(0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    part_done("hud");
}

}  // namespace quillomar
