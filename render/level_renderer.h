// Draws the level and the ball: the cubes, items and spiders with their models, in the lit main
// pass and as bare geometry for the depth passes.
#pragma once

#include <GL/glew.h>

#include <cstdint>

#include <glm/glm.hpp>
#include <utility>
#include <vector>

#include "camera/camera_math.h"

#include "camera/view_frustum.h"
#include "level/level.h"
#include "physics/orbel.h"
#include "render/enemy.h"
#include "render/model.h"
#include "render/variance_shadow_map.h"

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
    // What tells an object that a look-up cannot change its pixels: the light's matrix and the
    // texels of the blurred shadow map that may hold a caster (null: any), and each projector's
    // view (the zero matrix's planes leave nothing outside).
    glm::mat4 light_mvp{1.0f};
    const std::vector<texel_rect>* shadowed_regions = nullptr;
    clip_planes start_view{glm::mat4(0.0f)};
    clip_planes finish_view{glm::mat4(0.0f)};
};

struct level_renderer {
    // Cube, item and ball are each one model drawn whole, the sampling options stored into its
    // first mesh; the spider moves its legs mesh by mesh.
    model cube_model;
    model item_model;
    model ball_model;
    enemy enemy_renderer;
    GLuint program = 0;  // the object program, in use while the main pass draws
    // The look-ups a program may leave out, as bits: the start projector's, the finish
    // projector's and the shadow's.
    static constexpr int skip_start = 1;
    static constexpr int skip_finish = 2;
    static constexpr int skip_shadow = 4;
    static constexpr int skip_all = 7;
    // reduced_programs[skip - 1] is the object program built without the look-ups in `skip`;
    // cube, item and ball draws use them where those look-ups change nothing.
    GLuint reduced_programs[skip_all] = {};

    // The lit main pass of the level; the object program must be in use and the shadow and
    // projector textures bound. With culling, cubes and items outside the frustum are skipped, and
    // spiders wholly outside the view. Drawing stores the sampling options in the models' meshes.
    void draw(const level& lvl, const object_lighting& lighting, bool culling,
              const view_frustum& frustum);

    // The ball in the main pass, under the same conditions.
    void draw_ball(const orbel& ball, const object_lighting& lighting);

    // The ball's model at `m`, at ghost_opacity; blending must be on.
    void draw_ghost(const glm::mat4& m, const object_lighting& lighting);
    static constexpr float ghost_opacity = 0.35f;

    // Cubes, items, spiders and the ball, geometry only, with `location` set to vp · model for
    // each; for the projector depth passes. Objects entirely outside vp's view are left out.
    void draw_depth(const level& lvl, const orbel& ball, const glm::mat4& vp, GLint location) const;

    // A fingerprint of what draw_depth would draw for `vp`: the view and each object's model and
    // matrix. The same fingerprint draws the same depth and colour, so a pass may be kept.
    std::uint64_t depth_signature(const level& lvl, const orbel& ball, const glm::mat4& vp) const;

    // The ball, items and spiders only: cubes cast no shadow. Those wholly outside the view of
    // `cull` (vp when not given) are left out.
    void draw_casters(const level& lvl, const orbel& ball, const glm::mat4& vp, GLint location,
                      const glm::mat4* cull = nullptr) const;
    // A sphere around everything that draw, draw_ball and draw_ghost (at `ghost`, when given)
    // can put on a pixel of the view `vp`, whatever the culling switch says: the only surfaces
    // that the main pass looks the shadow map up for.
    std::vector<glm::vec4> receiver_spheres(const level& lvl, const orbel& ball,
                                            const glm::mat4* ghost, const glm::mat4& vp) const;

private:
    template <class Visit>
    // Visits the ball, the cubes (unless left out), the items and the spiders whose bounding
    // sphere reaches into the view of `vp`, with each one's model and matrix.
    void for_each_seen(const level& lvl, const orbel& ball, const glm::mat4& vp, Visit&& visit,
                       bool with_cubes = true, const glm::mat4* cull = nullptr) const;
    void draw_lit(model& shape, const glm::mat4& m, const object_lighting& lighting);
    GLuint program_for(const model& shape, const glm::mat4& m, const object_lighting& lighting);

    // Bounds of the models drawn by draw_lit, measured on first use.
    std::vector<std::pair<const model*, model_bounds>> bounds_;
    GLuint in_use_ = 0;
};

}  // namespace quillomar
