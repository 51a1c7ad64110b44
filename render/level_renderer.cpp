#include "render/level_renderer.h"

#include <algorithm>
#include <array>
#include <vector>

#include <glm/gtc/type_ptr.hpp>

#include "camera/camera_math.h"
#include "level/draw_selection.h"
#include "level/level_matrices.h"
#include "render/object_uniforms.h"
#include "render/variance_shadow_map.h"

namespace quillomar {
namespace {

void draw_geometry(const model& shape, const glm::mat4& vp, const glm::mat4& m, GLint location) {
    const glm::mat4 mvp = vp * m;
    glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(mvp));
    shape.draw_depth();
}

// True when every mesh sets all three map samplers: a draw of it then leaves no sampler of its
// program with a value from an earlier draw, so which program ran before makes no difference.
bool sets_every_sampler(const model& shape) {
    for (const mesh& part : shape.meshes) {
        for (const char* type : {"texture_diffuse", "texture_specular", "texture_normal"}) {
            if (std::none_of(part.textures.begin(), part.textures.end(),
                             [&](const mesh_texture& t) { return t.type == type; })) {
                return false;
            }
        }
    }
    return true;
}

// True when nothing the model's box placed with `m` covers in the shadow map, grown by the
// linear filter's reach, overlaps a texel that may hold a caster. The box is much tighter than its
// bounding sphere: a cube beside a caster's shadow no longer counts as under it.
bool clear_of_shadows(const glm::mat4& light_mvp, const model_bounds& bounds, const glm::mat4& m,
                      const std::vector<texel_rect>& shadowed) {
    texel_rect f;
    if (!box_footprint(light_mvp, bounds, m, f)) {
        return false;
    }
    for (const texel_rect& r : shadowed) {
        if (f.x0 - 1 < r.x1 && r.x0 < f.x1 + 1 && f.y0 - 1 < r.y1 && r.y0 < f.y1 + 1) {
            return false;
        }
    }
    return true;
}

// True when all eight corners of the box lie beyond one of the view's planes, with a margin
// against rounding: the box, their hull, then lies wholly outside the view.
bool box_outside(const clip_planes& view, const std::array<glm::vec3, 8>& corners) {
    for (const glm::vec4& p : view.planes) {
        const float margin = -1e-3f * glm::length(glm::vec3(p));
        if (std::all_of(corners.begin(), corners.end(), [&](const glm::vec3& c) {
                return glm::dot(glm::vec3(p), c) + p.w < margin;
            })) {
            return true;
        }
    }
    return false;
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
    if (in_use_ != program) {
        glUseProgram(program);
        in_use_ = program;
    }
    // A spider wholly outside the view reaches no pixel: with culling on it is left out, which
    // saves the vertex work of its body and eight legs (a hundred spiders on the large levels).
    // Its legs stretch to about 2.5 units from its position; 3 leaves room.
    const clip_planes view(l.projection * l.view);
    for (std::size_t k = 0; k < lvl.enemies.size(); ++k) {
        if (culling && view.outside(lvl.enemies[k], 3.0f)) {
            continue;
        }
        // The projectors see the spider before its heading turn; the shadow after it.
        const glm::mat4 base = enemy_base_matrix(lvl.enemies[k]);
        const glm::mat4 m = enemy_matrix(lvl.enemies[k], heading_of(lvl, k));
        enemy_renderer.draw(l.projection, l.view, m, l.shadow_matrix * m, l.projected_matrix * base,
                            l.projected_matrix2 * base, l.light_pos, l.cam_pos,
                            leg_matrices(m, lvl.leg_offsets), l.mipmap_mode, l.nearest_sampling);
    }
}

void level_renderer::draw_ball(const orbel& ball, const object_lighting& l) {
    // The caller made the object program current.
    in_use_ = program;
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
    const GLuint chosen = program_for(shape, m, l);
    if (chosen != in_use_) {
        glUseProgram(chosen);
        in_use_ = chosen;
    }
    set_object_uniforms(chosen, {l.projection, l.view, &m, l.light_pos, l.cam_pos,
                                 l.shadow_matrix * m, l.projected_matrix * m,
                                 l.projected_matrix2 * m});
    draw_with_first_mesh_sampling(shape, chosen, l.mipmap_mode, l.nearest_sampling);
}

GLuint level_renderer::program_for(const model& shape, const glm::mat4& m,
                                   const object_lighting& l) {
    if (program == 0 || reduced_programs[skip_all - 1] == 0 || !sets_every_sampler(shape)) {
        return program;
    }
    auto known = std::find_if(bounds_.begin(), bounds_.end(),
                              [&](const auto& entry) { return entry.first == &shape; });
    if (known == bounds_.end()) {
        bounds_.emplace_back(&shape, bounds_of(shape));
        known = bounds_.end() - 1;
    }
    const model_bounds& bounds = known->second;
    if (bounds.empty) {
        return program;
    }
    std::array<glm::vec3, 8> corners;
    for (int i = 0; i < 8; ++i) {
        const glm::vec3 local((i & 1) != 0 ? bounds.max.x : bounds.min.x,
                              (i & 2) != 0 ? bounds.max.y : bounds.min.y,
                              (i & 4) != 0 ? bounds.max.z : bounds.min.z);
        corners[static_cast<std::size_t>(i)] = glm::vec3(m * glm::vec4(local, 1.0f));
    }
    int skip = 0;
    if (box_outside(l.start_view, corners)) {
        skip |= skip_start;
    }
    if (box_outside(l.finish_view, corners)) {
        skip |= skip_finish;
    }
    if (l.shadowed_regions != nullptr &&
        clear_of_shadows(l.light_mvp, bounds, m, *l.shadowed_regions)) {
        skip |= skip_shadow;
    }
    return skip == 0 ? program : reduced_programs[skip - 1];
}

template <class Visit>
void level_renderer::for_each_seen(const level& lvl, const orbel& ball, const glm::mat4& vp,
                                   Visit&& visit, bool with_cubes, const glm::mat4* cull) const {
    // An object whose bounding sphere lies outside the view gives no fragment, so leaving it out
    // changes no pixel; a projector sees only a few cells.
    const clip_planes view(cull != nullptr ? *cull : vp);
    const auto visit_seen = [&](const model& shape, const model_bounds& bounds,
                                const glm::mat4& m) {
        const glm::vec4 sphere = bounding_sphere(bounds, m);
        if (!view.outside(glm::vec3(sphere), sphere.w)) {
            visit(shape, m);
        }
    };
    visit_seen(ball_model, bounds_of(ball_model), ball.model_matrix());
    // Cubes are only moved in the depth passes: one sphere, moved along.
    const glm::vec4 cube_sphere = bounding_sphere(bounds_of(cube_model), glm::mat4(1.0f));
    for (std::size_t i = 0; with_cubes && i < lvl.cubes.size(); ++i) {
        const glm::vec3& p = lvl.cubes[i];
        if (!view.outside(glm::vec3(cube_sphere) + p, cube_sphere.w)) {
            visit(cube_model, cube_depth_matrix(p));
        }
    }
    const model_bounds item_bounds = bounds_of(item_model);
    for (const glm::vec3& p : lvl.items) {
        visit_seen(item_model, item_bounds, item_matrix(p));
    }
    const model_bounds enemy_bounds = bounds_of(enemy_renderer.model);
    for (std::size_t k = 0; k < lvl.enemies.size(); ++k) {
        visit_seen(enemy_renderer.model, enemy_bounds,
                   enemy_matrix(lvl.enemies[k], heading_of(lvl, k)));
    }
}

void level_renderer::draw_depth(const level& lvl, const orbel& ball, const glm::mat4& vp,
                                GLint location) const {
    for_each_seen(lvl, ball, vp, [&](const model& shape, const glm::mat4& m) {
        draw_geometry(shape, vp, m, location);
    });
}

std::uint64_t level_renderer::depth_signature(const level& lvl, const orbel& ball,
                                              const glm::mat4& vp) const {
    // 64-bit FNV-1a over the view and each drawn object's model and matrix.
    std::uint64_t hash = 14695981039346656037ull;
    const auto add = [&hash](const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            hash = (hash ^ bytes[i]) * 1099511628211ull;
        }
    };
    add(glm::value_ptr(vp), sizeof(glm::mat4));
    for_each_seen(lvl, ball, vp, [&](const model& shape, const glm::mat4& m) {
        const model* which = &shape;
        add(&which, sizeof which);
        add(glm::value_ptr(m), sizeof(glm::mat4));
    });
    return hash;
}

void level_renderer::draw_casters(const level& lvl, const orbel& ball, const glm::mat4& vp,
                                  GLint location, const glm::mat4* cull) const {
    // A caster outside the light's view writes nothing into the map; on a large level most of
    // the spiders are. Cubes cast no shadow.
    for_each_seen(
        lvl, ball, vp,
        [&](const model& shape, const glm::mat4& m) { draw_geometry(shape, vp, m, location); },
        false, cull);
}

std::vector<glm::vec4> level_renderer::receiver_spheres(const level& lvl, const orbel& ball,
                                                        const glm::mat4* ghost,
                                                        const glm::mat4& vp) const {
    const clip_planes view(vp);
    std::vector<glm::vec4> spheres;
    const auto add_seen = [&](const glm::vec4& sphere) {
        if (!view.outside(glm::vec3(sphere), sphere.w)) {
            spheres.push_back(sphere);
        }
    };
    const model_bounds ball_bounds = bounds_of(ball_model);
    add_seen(bounding_sphere(ball_bounds, ball.model_matrix()));
    if (ghost != nullptr) {
        add_seen(bounding_sphere(ball_bounds, *ghost));
    }
    // A cube's main-pass matrix is its place times one of three quarter turns.
    const model_bounds cube_bounds = bounds_of(cube_model);
    glm::vec4 turned[3];
    for (std::size_t k = 0; k < 3; ++k) {
        turned[k] = bounding_sphere(cube_bounds, cube_matrix(glm::vec3(0.0f), k));
    }
    for (std::size_t i = 0; i < lvl.cubes.size(); ++i) {
        add_seen(turned[i % 3] + glm::vec4(lvl.cubes[i], 0.0f));
    }
    const model_bounds item_bounds = bounds_of(item_model);
    for (const glm::vec3& p : lvl.items) {
        add_seen(bounding_sphere(item_bounds, item_matrix(p)));
    }
    // The main pass draws a spider unless it lies 3 units beyond the view (its legs reach 2.5).
    for (const glm::vec3& p : lvl.enemies) {
        add_seen(glm::vec4(p, 3.0f));
    }
    return spheres;
}

}  // namespace quillomar
