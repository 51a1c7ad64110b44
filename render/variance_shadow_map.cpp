#include "render/variance_shadow_map.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include <glm/gtc/matrix_transform.hpp>

#include "framework/asset_paths.h"
#include "framework/qlmFramework.h"
#include "render/gl_handle.h"

namespace quillomar {
namespace {

// Beyond this many separate regions one bounding box is cheaper than the draw calls.
constexpr std::size_t max_regions = 32;

texel_rect bounding_box(const texel_rect& a, const texel_rect& b) {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool touching(const texel_rect& a, const texel_rect& b) {
    return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

bool contains(const texel_rect& outer, const texel_rect& inner) {
    return outer.x0 <= inner.x0 && outer.y0 <= inner.y0 && inner.x1 <= outer.x1 &&
           inner.y1 <= outer.y1;
}

texel_rect grown(const texel_rect& r, int margin) {
    return {std::max(r.x0 - margin, 0), std::max(r.y0 - margin, 0),
            std::min(r.x1 + margin, shadow_map_size), std::min(r.y1 + margin, shadow_map_size)};
}

void set_texture_parameters() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, shadow_map_size, shadow_map_size, 0, GL_RGBA,
                 GL_FLOAT, nullptr);
}

void scissor(const texel_rect& r) {
    if (r.empty()) {
        glScissor(0, 0, 0, 0);
    } else {
        glScissor(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
    }
}

// One shadow pass: clear, caster draw, vertical and horizontal blur. When `scissored`, the clears
// cover clear_boxes, the casters are clipped to draw_box and each blur covers blur_regions only.
void run_pass(const variance_shadow_map& vsm, const glm::mat4& light_mvp,
              const depth_draw& draw_casters, const texel_rect& draw_box,
              const std::vector<texel_rect>& clear_boxes,
              const std::vector<texel_rect>& blur_regions, bool scissored) {
    glBindFramebuffer(GL_FRAMEBUFFER, vsm.shadow_fbo);
    // The projector pass leaves this clear colour; set here too, the cleared texels always read
    // as "no caster" whatever ran before.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    if (scissored) {
        glEnable(GL_SCISSOR_TEST);
        for (const texel_rect& box : clear_boxes) {
            if (!box.empty()) {
                scissor(box);
                glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            }
        }
        scissor(draw_box);
    } else {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glViewport(0, 0, shadow_map_size, shadow_map_size);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glUseProgram(vsm.shadow_shader.program);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.1f, 4.0f);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);

    if (draw_casters) {
        draw_casters(light_mvp, glGetUniformLocation(vsm.shadow_shader.program, "MVP"));
    }

    glDisable(GL_POLYGON_OFFSET_FILL);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDisable(GL_CULL_FACE);
    glUseProgram(0);
    if (vsm.after_caster_draw) {
        vsm.after_caster_draw();
    }

    auto draw_quad = [&] {
        if (!scissored) {
            glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
            return;
        }
        for (const texel_rect& region : blur_regions) {
            scissor(region);
            glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, nullptr);
        }
    };

    // Moments to the filter texture vertically, then back into the moments texture horizontally.
    glBindFramebuffer(GL_FRAMEBUFFER, vsm.filter_fbo);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glBindVertexArray(vsm.quad_vao);
    glUseProgram(vsm.blur_v_shader.program);
    glActiveTexture(GL_TEXTURE20);
    glBindTexture(GL_TEXTURE_2D, vsm.moments_texture);
    glUniform1i(glGetUniformLocation(vsm.blur_v_shader.program, "textureMap"), 20);
    draw_quad();
    glBindTexture(GL_TEXTURE_2D, 0);

    glDrawBuffer(GL_COLOR_ATTACHMENT1);
    glUseProgram(vsm.blur_h_shader.program);
    glActiveTexture(GL_TEXTURE21);
    glBindTexture(GL_TEXTURE_2D, vsm.filter_texture);
    glUniform1i(glGetUniformLocation(vsm.blur_h_shader.program, "textureMap"), 21);
    draw_quad();

    glBindTexture(GL_TEXTURE_2D, 0);
    check_gl_error("game", 1199);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    if (scissored) {
        glDisable(GL_SCISSOR_TEST);
    }
}

}  // namespace

light_matrices compute_light_matrices(const glm::vec3& light_pos, const glm::vec3& centre,
                                      const glm::vec3& light_up, const glm::mat4& light_projection,
                                      const glm::mat4& bias) {
    light_matrices result;
    result.light_view = glm::lookAt(light_pos, centre, light_up);
    result.light_mvp = light_projection * result.light_view;
    result.shadow_matrix = bias * light_projection * result.light_view;
    return result;
}

model_bounds bounds_of(const model& m) {
    model_bounds result;
    for (const mesh& part : m.meshes) {
        for (const vertex& v : part.vertices) {
            if (result.empty) {
                result.min = result.max = v.position;
                result.empty = false;
            } else {
                result.min = glm::min(result.min, v.position);
                result.max = glm::max(result.max, v.position);
            }
        }
    }
    return result;
}

glm::vec4 bounding_sphere(const model_bounds& bounds, const glm::mat4& model_matrix) {
    if (bounds.empty) {
        return glm::vec4(glm::vec3(model_matrix[3]), 0.0f);
    }
    glm::vec3 corners[8];
    glm::vec3 low(INFINITY);
    glm::vec3 high(-INFINITY);
    for (int i = 0; i < 8; ++i) {
        const glm::vec3 local((i & 1) != 0 ? bounds.max.x : bounds.min.x,
                              (i & 2) != 0 ? bounds.max.y : bounds.min.y,
                              (i & 4) != 0 ? bounds.max.z : bounds.min.z);
        corners[i] = glm::vec3(model_matrix * glm::vec4(local, 1.0f));
        low = glm::min(low, corners[i]);
        high = glm::max(high, corners[i]);
    }
    const glm::vec3 centre = (low + high) * 0.5f;
    float radius = 0.0f;
    for (const glm::vec3& corner : corners) {
        radius = std::max(radius, glm::length(corner - centre));
    }
    return glm::vec4(centre, radius);
}

bool caster_footprints(const glm::mat4& light_mvp, const std::vector<glm::vec4>& spheres,
                       std::vector<texel_rect>& footprints) {
    footprints.clear();
    for (const glm::vec4& sphere : spheres) {
        const float r = std::fabs(sphere.w);
        float min_x = INFINITY;
        float min_y = INFINITY;
        float max_x = -INFINITY;
        float max_y = -INFINITY;
        // The projected corners of the sphere's bounding cube enclose the sphere's footprint as
        // long as every corner lies in front of the light.
        for (int corner = 0; corner < 8; ++corner) {
            const glm::vec3 offset((corner & 1) != 0 ? r : -r, (corner & 2) != 0 ? r : -r,
                                   (corner & 4) != 0 ? r : -r);
            const glm::vec4 clip = light_mvp * glm::vec4(glm::vec3(sphere) + offset, 1.0f);
            if (!(clip.w > 1e-4f)) {
                return false;
            }
            const float x = (clip.x / clip.w * 0.5f + 0.5f) * shadow_map_size;
            const float y = (clip.y / clip.w * 0.5f + 0.5f) * shadow_map_size;
            if (!std::isfinite(x) || !std::isfinite(y)) {
                return false;
            }
            min_x = std::min(min_x, x);
            min_y = std::min(min_y, y);
            max_x = std::max(max_x, x);
            max_y = std::max(max_y, y);
        }
        // Far outside the map the float bounds would overflow int: clamp before converting.
        const float limit = static_cast<float>(shadow_map_size);
        texel_rect rect;
        rect.x0 = static_cast<int>(std::floor(std::clamp(min_x, -1.0f, limit + 1.0f))) - 1;
        rect.y0 = static_cast<int>(std::floor(std::clamp(min_y, -1.0f, limit + 1.0f))) - 1;
        rect.x1 = static_cast<int>(std::ceil(std::clamp(max_x, -1.0f, limit + 1.0f))) + 1;
        rect.y1 = static_cast<int>(std::ceil(std::clamp(max_y, -1.0f, limit + 1.0f))) + 1;
        rect = grown(rect, 0);
        if (!rect.empty()) {
            footprints.push_back(rect);
        }
    }
    return true;
}

std::vector<texel_rect> merge_regions(std::vector<texel_rect> regions) {
    // The kept regions never qualify to join each other. Each rectangle joins every kept region
    // it qualifies for, the joint region being checked again, so each join costs at most
    // max_regions checks and removes a kept region: the work is linear in the rectangles. Once
    // more than max_regions are kept, one bounding box covers them all and joining stops.
    const auto joinable = [](const texel_rect& a, const texel_rect& b) {
        return touching(a, b) || bounding_box(a, b).area() <= a.area() + b.area();
    };
    std::vector<texel_rect> kept;
    texel_rect all;
    for (const texel_rect& r : regions) {
        if (r.empty()) {
            continue;
        }
        all = bounding_box(all, r);
        if (kept.size() > max_regions) {
            continue;
        }
        texel_rect joint = r;
        for (std::size_t i = 0; i < kept.size();) {
            if (joinable(kept[i], joint)) {
                joint = bounding_box(kept[i], joint);
                kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(i));
                i = 0;
            } else {
                ++i;
            }
        }
        kept.push_back(joint);
    }
    if (kept.size() > max_regions) {
        kept.assign(1, all);
    }
    return kept;
}

void variance_shadow_map::create_programs() {
    shadow_shader = shader_program(assets::shadow_vertex_shader, assets::shadow_fragment_shader);
    blur_h_shader =
        shader_program(assets::passthrough_vertex_shader, assets::blur_h_fragment_shader);
    blur_v_shader =
        shader_program(assets::passthrough_vertex_shader, assets::blur_v_fragment_shader);
}

void variance_shadow_map::create_quad() {
    quad_indices.clear();
    quad_indices.insert(quad_indices.end(), {0, 1, 2, 0, 2, 3});
    const GLfloat corners[] = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
    glGenVertexArrays(1, &quad_vao);
    glGenBuffers(1, &quad_vbo);
    glGenBuffers(1, &quad_ebo);
    glBindVertexArray(quad_vao);
    glBindBuffer(GL_ARRAY_BUFFER, quad_vbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof(corners), corners, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quad_ebo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(quad_indices.size() * sizeof(GLushort)),
                 quad_indices.data(), GL_STATIC_DRAW);
}

void variance_shadow_map::create_framebuffers() {
    glGenFramebuffers(1, &shadow_fbo);
    glGenRenderbuffers(1, &shadow_depth_rb);
    glBindRenderbuffer(GL_RENDERBUFFER, shadow_depth_rb);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32, shadow_map_size, shadow_map_size);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glGenFramebuffers(1, &filter_fbo);
    glGenTextures(1, &moments_texture);
    glGenTextures(1, &filter_texture);

    // The blurs read single texels of level 0 and the main pass filters linearly: no mip levels.
    // (Three float channels would hold the statistics in a quarter less memory, but llvmpipe
    // blurs them about a fifth slower.)
    glActiveTexture(GL_TEXTURE0);
    for (GLuint texture : {moments_texture, filter_texture}) {
        glBindTexture(GL_TEXTURE_2D, texture);
        set_texture_parameters();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, shadow_fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, moments_texture, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              shadow_depth_rb);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
        std::cout << "FBO setup successful." << std::endl;
    } else {
        std::cout << "Problem in FBO setup." << std::endl;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, filter_fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, filter_texture, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_TEXTURE_2D, moments_texture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
        std::cout << "Filtering FBO setup successful." << std::endl;
    } else {
        std::cout << "Problem in Filtering FBO setup." << std::endl;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    // Fresh textures hold no defined values: the first frame works on the whole map.
    last_draw_box = whole_shadow_map;
    last_blur_regions.assign(1, whole_shadow_map);
}

void variance_shadow_map::render(const glm::mat4& light_mvp, const depth_draw& draw_casters) {
    run_pass(*this, light_mvp, draw_casters, whole_shadow_map, {whole_shadow_map},
             {whole_shadow_map}, false);
    last_draw_box = whole_shadow_map;
    last_blur_regions.assign(1, whole_shadow_map);
}

void variance_shadow_map::render(const glm::mat4& light_mvp, const depth_draw& draw_casters,
                                 const std::vector<glm::vec4>& caster_spheres) {
    std::vector<texel_rect> footprints;
    if (!caster_footprints(light_mvp, caster_spheres, footprints)) {
        render(light_mvp, draw_casters);
        return;
    }
    // Outside a footprint grown by the blur radius the blur reads only cleared texels, so there
    // the blurred map already holds what a whole-map pass would write: the blur of the clear
    // colour, left by the frame that last covered the texel.
    texel_rect draw_box;
    std::vector<texel_rect> reached;
    for (const texel_rect& f : footprints) {
        draw_box = bounding_box(draw_box, f);
        reached.push_back(grown(f, shadow_blur_radius));
    }
    reached = merge_regions(reached);
    std::vector<texel_rect> blur_regions = reached;
    blur_regions.insert(blur_regions.end(), last_blur_regions.begin(), last_blur_regions.end());
    blur_regions = merge_regions(blur_regions);

    // The depth buffer still holds the last casters' depths in their box, the moments texture the
    // last blurred map in its regions: both are wiped before this frame's casters are drawn.
    std::vector<texel_rect> clear_boxes;
    if (contains(draw_box, last_draw_box)) {
        clear_boxes = {draw_box};
    } else if (contains(last_draw_box, draw_box)) {
        clear_boxes = {last_draw_box};
    } else {
        clear_boxes = {last_draw_box, draw_box};
    }
    for (const texel_rect& region : last_blur_regions) {
        if (std::none_of(clear_boxes.begin(), clear_boxes.end(),
                         [&](const texel_rect& box) { return contains(box, region); })) {
            clear_boxes.push_back(region);
        }
    }

    run_pass(*this, light_mvp, draw_casters, draw_box, clear_boxes, blur_regions, true);
    last_draw_box = draw_box;
    last_blur_regions = reached;
}

void variance_shadow_map::destroy_framebuffers() {
    release_gl_names(gl_kind::renderbuffer, {&shadow_depth_rb});
    release_gl_names(gl_kind::framebuffer, {&shadow_fbo});
}

variance_shadow_map::~variance_shadow_map() {
    destroy_framebuffers();
    release_gl_names(gl_kind::framebuffer, {&filter_fbo});
    release_gl_names(gl_kind::texture, {&moments_texture, &filter_texture});
    release_gl_names(gl_kind::buffer, {&quad_vbo, &quad_ebo});
    release_gl_names(gl_kind::vertex_array, {&quad_vao});
}

}  // namespace quillomar
