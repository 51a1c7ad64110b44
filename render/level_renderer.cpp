#include "render/level_renderer.h"

#include <vector>

#include <glm/gtc/type_ptr.hpp>

#include "level/draw_selection.h"
#include "level/level_matrices.h"
#include "render/object_uniforms.h"

namespace quillomar {
namespace {

void draw_geometry(const model& shape, const glm::mat4& vp, const glm::mat4& m, GLint location) {
    const glm::mat4 mvp = vp * m;
    glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(mvp));
    shape.draw_depth();
}

glm::vec3 heading_of(const level& lvl, std::size_t k) {
    return k < lvl.headings.size() ? lvl.headings[k] : glm::vec3(-1.0f, 0.0f, 0.0f);
}

}  // namespace

void level_renderer::draw(const level& lvl, const object_lighting& l, bool culling,
                          const view_frustum& frustum) {
    for_each_drawn_cube(lvl.cubes, culling, frustum,
                        [&](const glm::mat4& m) { draw_lit(cube_model, m, l); });
    for_each_drawn_item(lvl.items, culling, frustum,
                        [&](const glm::mat4& m) { draw_lit(item_model, m, l); });
    for (std::size_t k = 0; k < lvl.enemies.size(); ++k) {
        // The projectors see the spider before its heading turn; the shadow after it.
        const glm::mat4 base = enemy_base_matrix(lvl.enemies[k]);
        const glm::mat4 m = enemy_matrix(lvl.enemies[k], heading_of(lvl, k));
        enemy_renderer.draw(l.projection, l.view, m, l.shadow_matrix * m, l.projected_matrix * base,
                            l.projected_matrix2 * base, l.light_pos, l.cam_pos,
                            leg_matrices(m, lvl.leg_offsets), l.mipmap_mode, l.nearest_sampling);
    }
}

void level_renderer::draw_ball(const orbel& ball, const object_lighting& l) {
    draw_lit(ball_model, ball.model_matrix(), l);
}

void level_renderer::draw_ghost(const glm::mat4& m, const object_lighting& l) {
    // The ball's own materials, each drawn at the ghost's opacity and then given theirs back.
    std::vector<float> opacities;
    for (mesh& part : ball_model.meshes) {
        for (material& mat : part.materials) {
            opacities.push_back(mat.opacity);
            mat.opacity = ghost_opacity;
        }
    }
    draw_lit(ball_model, m, l);
    std::size_t k = 0;
    for (mesh& part : ball_model.meshes) {
        for (material& mat : part.materials) {
            mat.opacity = opacities[k++];
        }
    }
}

void level_renderer::draw_lit(model& shape, const glm::mat4& m, const object_lighting& l) {
    set_object_uniforms(program, {l.projection, l.view, &m, l.light_pos, l.cam_pos,
                                  l.shadow_matrix * m, l.projected_matrix * m,
                                  l.projected_matrix2 * m});
    draw_with_first_mesh_sampling(shape, program, l.mipmap_mode, l.nearest_sampling);
}

void level_renderer::draw_depth(const level& lvl, const orbel& ball, const glm::mat4& vp,
                                GLint location) const {
    draw_geometry(ball_model, vp, ball.model_matrix(), location);
    for (const glm::vec3& p : lvl.cubes) {
        draw_geometry(cube_model, vp, cube_depth_matrix(p), location);
    }
    for (const glm::vec3& p : lvl.items) {
        draw_geometry(item_model, vp, item_matrix(p), location);
    }
    for (std::size_t k = 0; k < lvl.enemies.size(); ++k) {
        draw_geometry(enemy_renderer.model, vp, enemy_matrix(lvl.enemies[k], heading_of(lvl, k)),
                      location);
    }
}

void level_renderer::draw_casters(const level& lvl, const orbel& ball, const glm::mat4& vp,
                                  GLint location) const {
    draw_geometry(ball_model, vp, ball.model_matrix(), location);
    for (const glm::vec3& p : lvl.items) {
        draw_geometry(item_model, vp, item_matrix(p), location);
    }
    for (std::size_t k = 0; k < lvl.enemies.size(); ++k) {
        draw_geometry(enemy_renderer.model, vp, enemy_matrix(lvl.enemies[k], heading_of(lvl, k)),
                      location);
    }
}

}  // namespace quillomar
