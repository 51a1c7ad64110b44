// Draws the level and the ball: the cubes, items and spiders with their models, in the lit main
// pass and as bare geometry for the depth passes.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>

#include "camera/view_frustum.h"
#include "level/level.h"
#include "physics/orbel.h"
#include "render/enemy.h"
#include "render/model.h"

namespace quillomar {

// What every object of the main pass is lit and shadowed with.
struct object_lighting {
    glm::mat4 projection{1.0f};
    glm::mat4 view{1.0f};
    glm::mat4 shadow_matrix{1.0f};
    glm::mat4 projected_matrix{1.0f};
    glm::mat4 projected_matrix2{1.0f};
    glm::vec3 light_pos{0.0f};
    glm::vec3 cam_pos{0.0f};
    unsigned mipmap_mode = 2;
    bool nearest_sampling = false;
};

struct level_renderer {
    // Cube, item and ball are each one model drawn whole, the sampling options stored into its
    // first mesh; the spider moves its legs mesh by mesh.
    model cube_model;
    model item_model;
    model ball_model;
    enemy enemy_renderer;
    GLuint program = 0;  // the object program, in use while the main pass draws

    // The lit main pass of the level; the object program must be in use and the shadow and
    // projector textures bound. With culling, cubes and items outside the frustum are skipped;
    // spiders never are. Drawing stores the sampling options in the models' meshes.
    void draw(const level& lvl, const object_lighting& lighting, bool culling,
              const view_frustum& frustum);

    // The ball in the main pass, under the same conditions.
    void draw_ball(const orbel& ball, const object_lighting& lighting);

    // Cubes, items, spiders and the ball, geometry only, with `location` set to vp · model for
    // each; for the projector depth passes. Objects entirely outside vp's view are left out.
    void draw_depth(const level& lvl, const orbel& ball, const glm::mat4& vp, GLint location) const;

    // The ball, items and spiders only: cubes cast no shadow.
    void draw_casters(const level& lvl, const orbel& ball, const glm::mat4& vp,
                      GLint location) const;

private:
    void draw_lit(model& shape, const glm::mat4& m, const object_lighting& lighting);
};

}  // namespace quillomar
