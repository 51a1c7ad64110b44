#include <glm/gtc/type_ptr.hpp>

#include "level/draw_selection.h"
#include "level/level.h"
#include "level/level_matrices.h"

namespace quillomar {

void level::draw(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& shadow_matrix,
                 const glm::mat4& projected_matrix, const glm::mat4& projected_matrix2,
                 const glm::vec3& light_pos, const glm::vec3& cam_pos, const view_frustum& frustum,
                 unsigned mipmap_mode, bool nearest_sampling) const {
    for_each_drawn_cube(cubes, culling, frustum, [&](const glm::mat4& m) {
        cube_renderer.draw(projection, view, m, shadow_matrix * m, projected_matrix * m,
                           projected_matrix2 * m, light_pos, cam_pos, mipmap_mode,
                           nearest_sampling);
    });
    for_each_drawn_item(items, culling, frustum, [&](const glm::mat4& m) {
        item_renderer.draw(projection, view, m, shadow_matrix * m, projected_matrix * m,
                           projected_matrix2 * m, light_pos, cam_pos, mipmap_mode,
                           nearest_sampling);
    });
    for (std::size_t k = 0; k < enemies.size(); ++k) {
        const glm::vec3 heading = k < headings.size() ? headings[k] : glm::vec3(-1.0f, 0.0f, 0.0f);
        // The projectors see the spider before its heading turn; the shadow after it.
        const glm::mat4 base = enemy_base_matrix(enemies[k]);
        const glm::mat4 m = enemy_matrix(enemies[k], heading);
        enemy_renderer.draw(projection, view, m, shadow_matrix * m, projected_matrix * base,
                            projected_matrix2 * base, light_pos, cam_pos,
                            leg_matrices(m, leg_offsets), mipmap_mode, nearest_sampling);
    }
}

namespace {

void draw_geometry(const model& shape, const glm::mat4& vp, const glm::mat4& m, GLint location) {
    const glm::mat4 mvp = vp * m;
    glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(mvp));
    shape.draw_depth();
}

}  // namespace

void level::draw_depth(const glm::mat4& vp, GLint location) const {
    for (const glm::vec3& p : cubes) {
        draw_geometry(cube_renderer.model, vp, cube_depth_matrix(p), location);
    }
    draw_casters(vp, location);
}

void level::draw_casters(const glm::mat4& vp, GLint location) const {
    for (const glm::vec3& p : items) {
        draw_geometry(item_renderer.model, vp, item_matrix(p), location);
    }
    for (std::size_t k = 0; k < enemies.size(); ++k) {
        const glm::vec3 heading = k < headings.size() ? headings[k] : glm::vec3(-1.0f, 0.0f, 0.0f);
        draw_geometry(enemy_renderer.model, vp, enemy_matrix(enemies[k], heading), location);
    }
}

}  // namespace quillomar
