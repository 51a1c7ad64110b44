#include "render/variance_shadow_map.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include <glm/gtc/matrix_transform.hpp>

#include "framework/asset_paths.h"
#include "framework/qlmFramework.h"
#include "render/gl_handle.h"
#include "render/gl_platform.h"

namespace quillomar {
namespace {

texel_rect bounding_box(const texel_rect& a, const texel_rect& b) {
    if (a.empty()) {
        return b;
    }
    if (b.empty()) {
        return a;
    }
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

texel_rect grown(const texel_rect& r, int margin) {
    return {std::max(r.x0 - margin, 0), std::max(r.y0 - margin, 0),
            std::min(r.x1 + margin, shadow_map_size), std::min(r.y1 + margin, shadow_map_size)};
}

void set_texture_parameters(int height) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, border_wrap());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, border_wrap());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, shadow_map_size, height, 0, GL_RGBA, GL_FLOAT,
                 nullptr);
}

texel_rect intersection(const texel_rect& a, const texel_rect& b) {
    const texel_rect r{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1),
                       std::min(a.y1, b.y1)};
    return r.empty() ? texel_rect{} : r;
}

// Each rectangle cut to `clip`, the empty ones left out.
std::vector<texel_rect> clipped(const std::vector<texel_rect>& regions, const texel_rect& clip) {
    std::vector<texel_rect> result;
    for (const texel_rect& r : regions) {
        if (const texel_rect kept = intersection(r, clip); !kept.empty()) {
            result.push_back(kept);
        }
    }
    return result;
}

void scissor(const texel_rect& r) {
    if (r.empty()) {
        glScissor(0, 0, 0, 0);
    } else {
        glScissor(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
    }
}

// The two triangles of each region, in the unit square that the blur's vertex shader stretches
// over the map. Texel edges are multiples of 1/1024, exact in float, so every texel centre lies
// strictly inside exactly one region's triangles.
std::vector<GLfloat> region_triangles(const std::vector<texel_rect>& regions) {
    std::vector<GLfloat> corners;
    corners.reserve(regions.size() * 12);
    const float texel = 1.0f / static_cast<float>(shadow_map_size);
    for (const texel_rect& r : regions) {
        const float x0 = static_cast<float>(r.x0) * texel;
        const float y0 = static_cast<float>(r.y0) * texel;
        const float x1 = static_cast<float>(r.x1) * texel;
        const float y1 = static_cast<float>(r.y1) * texel;
        corners.insert(corners.end(), {x0, y0, x1, y0, x1, y1, x0, y0, x1, y1, x0, y1});
    }
    return corners;
}

// The separable blur of the regions, vertical then horizontal, in bands of shadow_band_rows map
// rows. The vertical blur of a band goes to one of two band textures, covering the regions
// widened by the blur radius, which is all the horizontal blur of that band reads. The moments
// texture is both the vertical blur's source and the horizontal blur's target, and a band's
// vertical blur reads rows of the bands next to it: the horizontal blur of a band is therefore
// drawn only after the vertical blur of the next band has read those rows. Every texel gets the
// same arithmetic as in one blur over the whole map.
void blur_in_bands(const variance_shadow_map& vsm, const std::vector<texel_rect>& regions) {
    std::vector<texel_rect> widened;
    widened.reserve(regions.size());
    for (const texel_rect& r : regions) {
        widened.push_back({std::max(r.x0 - shadow_blur_radius, 0), r.y0,
                           std::min(r.x1 + shadow_blur_radius, shadow_map_size), r.y1});
    }
    widened = merge_regions(widened);
    std::vector<GLfloat> corners = region_triangles(regions);
    const auto horizontal_vertices = static_cast<GLsizei>(corners.size() / 2);
    const std::vector<GLfloat> widened_corners = region_triangles(widened);
    corners.insert(corners.end(), widened_corners.begin(), widened_corners.end());
    const auto vertical_vertices = static_cast<GLsizei>(widened_corners.size() / 2);
    if (horizontal_vertices == 0) {
        return;
    }
    glBindVertexArray(vsm.region_vao.get());
    glBindBuffer(GL_ARRAY_BUFFER, vsm.region_vbo.get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners.size() * sizeof(GLfloat)),
                 corners.data(), GL_STREAM_DRAW);

    const GLuint vertical = vsm.blur_v_shader.program;
    const GLuint horizontal = vsm.blur_h_shader.program;
    glUseProgram(vertical);
    glUniform1i(glGetUniformLocation(vertical, "textureMap"), texture_unit::blur_map);
    const GLint vertical_origin = glGetUniformLocation(vertical, "band_origin");
    glUseProgram(horizontal);
    glUniform1i(glGetUniformLocation(horizontal, "textureMap"), texture_unit::blur_band);
    const GLint horizontal_origin = glGetUniformLocation(horizontal, "band_origin");
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_unit::blur_map));
    glBindTexture(GL_TEXTURE_2D, vsm.moments_texture);

    // Each band's horizontal blur into the moments texture, clipped to the band's rows.
    const auto blur_across = [&](int band, int texture) {
        const int origin = band * shadow_band_rows;
        glBindFramebuffer(GL_FRAMEBUFFER, vsm.filter_fbo);
        glViewport(0, 0, shadow_map_size, shadow_map_size);
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, origin, shadow_map_size, shadow_band_rows);
        glUseProgram(horizontal);
        glUniform1i(horizontal_origin, origin);
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_unit::blur_band));
        glBindTexture(GL_TEXTURE_2D, vsm.band_textures[texture].get());
        glDrawArrays(GL_TRIANGLES, 0, horizontal_vertices);
        glDisable(GL_SCISSOR_TEST);
    };
    std::vector<bool> covered(shadow_map_size / shadow_band_rows, false);
    for (const texel_rect& r : regions) {
        for (int band = r.y0 / shadow_band_rows; band * shadow_band_rows < r.y1; ++band) {
            covered[static_cast<std::size_t>(band)] = true;
        }
    }
    int pending = -1;
    int texture = 0;
    for (int band = 0; band < static_cast<int>(covered.size()); ++band) {
        if (!covered[static_cast<std::size_t>(band)]) {
            continue;
        }
        // The band texture's row 0 is the band's first map row; the framebuffer's bounds keep
        // the draw inside the band.
        const int origin = band * shadow_band_rows;
        glBindFramebuffer(GL_FRAMEBUFFER, vsm.band_fbos[texture].get());
        glViewport(0, -origin, shadow_map_size, shadow_map_size);
        glUseProgram(vertical);
        glUniform1i(vertical_origin, origin);
        glDrawArrays(GL_TRIANGLES, horizontal_vertices, vertical_vertices);
        if (pending >= 0) {
            blur_across(pending, 1 - texture);
        }
        pending = band;
        texture = 1 - texture;
    }
    blur_across(pending, 1 - texture);

    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_unit::blur_map));
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

// One shadow pass: clear, caster draw, vertical and horizontal blur. When `scissored`, the clears
// cover clear_regions and the casters are clipped to draw_box; the blur covers blur_regions.
void run_pass(const variance_shadow_map& vsm, const glm::mat4& light_mvp,
              const depth_draw& draw_casters, const texel_rect& draw_box,
              const std::vector<texel_rect>& clear_regions,
              const std::vector<texel_rect>& blur_regions, bool scissored) {
    glBindFramebuffer(GL_FRAMEBUFFER, vsm.shadow_fbo);
    // The projector pass leaves this clear colour; set here too, the cleared texels always read
    // as "no caster" whatever ran before.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    if (scissored) {
        glEnable(GL_SCISSOR_TEST);
        for (const texel_rect& region : clear_regions) {
            scissor(region);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        }
        scissor(draw_box);
    } else {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glViewport(0, 0, shadow_map_size, shadow_map_size);
    draw_into(GL_COLOR_ATTACHMENT0);
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
    glDisable(GL_SCISSOR_TEST);
    if (vsm.after_caster_draw) {
        vsm.after_caster_draw();
    }
    blur_in_bands(vsm, blur_regions);
    QLM_CHECK_GL();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    draw_into(GL_BACK);
    glViewport(0, 0, shadow_map_size, shadow_map_size);
    glBindVertexArray(vsm.quad_vao);
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
    // Rows of the matrix: clip x, y and w as affine functions of the world position.
    const glm::dmat4 m(light_mvp);
    const auto row = [&](int i) { return glm::dvec4(m[0][i], m[1][i], m[2][i], m[3][i]); };
    const glm::dvec4 x_row = row(0);
    const glm::dvec4 y_row = row(1);
    const glm::dvec4 w_row = row(3);
    // The sides of the light's view, pushed two texels out: w (1 + margin) +- x and +- y. A
    // sphere wholly beyond one of them, or wholly behind the light, gives no fragment in the map,
    // and a surface there that looks the map up reads the border colour alone, even filtered.
    const double margin = 4.0 / shadow_map_size;
    const glm::dvec4 wide_w = w_row * (1.0 + margin);
    const glm::dvec4 sides[4] = {wide_w + x_row, wide_w - x_row, wide_w + y_row, wide_w - y_row};
    const auto value = [](const glm::dvec4& r, const glm::dvec3& p) {
        return glm::dot(glm::dvec3(r), p) + r.w;
    };
    const auto wholly_beyond = [&](const glm::dvec4& plane, const glm::dvec3& c, double r) {
        return value(plane, c) + r * glm::length(glm::dvec3(plane)) < 0.0;
    };
    const double limit = shadow_map_size;
    for (const glm::vec4& sphere : spheres) {
        const glm::dvec3 c(sphere);
        const double r = std::fabs(static_cast<double>(sphere.w));
        if (wholly_beyond(w_row, c, r) ||
            std::any_of(std::begin(sides), std::end(sides),
                        [&](const glm::dvec4& side) { return wholly_beyond(side, c, r); })) {
            continue;
        }
        const double w = value(w_row, c);
        const glm::dvec3 b(w_row);
        const double lead = w * w - r * r * glm::dot(b, b);
        if (!(w > 0.0 && lead > 1e-8 * w * w)) {
            return false;
        }
        // The extremes of clip x / clip w over the ball are the t whose plane
        // (a - t b).p + (a.w - t b.w) = 0 touches the sphere: the roots of
        // (X - t w)^2 = r^2 |a - t b|^2, X being the centre's clip x.
        const auto extent = [&](const glm::dvec4& a_row, double& low, double& high) {
            const glm::dvec3 a(a_row);
            const double x = value(a_row, c);
            const double half = x * w - r * r * glm::dot(a, b);
            const double constant = x * x - r * r * glm::dot(a, a);
            const double root = std::sqrt(std::max(half * half - lead * constant, 0.0));
            low = ((half - root) / lead * 0.5 + 0.5) * limit;
            high = ((half + root) / lead * 0.5 + 0.5) * limit;
        };
        double min_x = 0.0, max_x = 0.0, min_y = 0.0, max_y = 0.0;
        extent(x_row, min_x, max_x);
        extent(y_row, min_y, max_y);
        if (!std::isfinite(min_x) || !std::isfinite(max_x) || !std::isfinite(min_y) ||
            !std::isfinite(max_y)) {
            return false;
        }
        // Far outside the map the bounds would overflow int: clamp before converting. One texel
        // more on each side absorbs the rounding of the GPU's float transform.
        texel_rect rect;
        rect.x0 = static_cast<int>(std::floor(std::clamp(min_x, -1.0, limit + 1.0))) - 1;
        rect.y0 = static_cast<int>(std::floor(std::clamp(min_y, -1.0, limit + 1.0))) - 1;
        rect.x1 = static_cast<int>(std::ceil(std::clamp(max_x, -1.0, limit + 1.0))) + 1;
        rect.y1 = static_cast<int>(std::ceil(std::clamp(max_y, -1.0, limit + 1.0))) + 1;
        rect = grown(rect, 0);
        if (!rect.empty()) {
            footprints.push_back(rect);
        }
    }
    return true;
}

bool box_footprint(const glm::mat4& light_mvp, const model_bounds& bounds,
                   const glm::mat4& model_matrix, texel_rect& footprint) {
    if (bounds.empty) {
        return false;
    }
    const glm::dmat4 m(light_mvp);
    const double limit = shadow_map_size;
    double min_x = INFINITY, max_x = -INFINITY, min_y = INFINITY, max_y = -INFINITY;
    for (int i = 0; i < 8; ++i) {
        const glm::vec3 local((i & 1) != 0 ? bounds.max.x : bounds.min.x,
                              (i & 2) != 0 ? bounds.max.y : bounds.min.y,
                              (i & 4) != 0 ? bounds.max.z : bounds.min.z);
        const glm::dvec4 clip =
            m * glm::dvec4(glm::dvec3(model_matrix * glm::vec4(local, 1.0f)), 1.0);
        // A corner at or behind the light: the box's image is not bounded by its corners'.
        if (!(clip.w > 1e-6)) {
            return false;
        }
        const double x = (clip.x / clip.w * 0.5 + 0.5) * limit;
        const double y = (clip.y / clip.w * 0.5 + 0.5) * limit;
        min_x = std::min(min_x, x);
        max_x = std::max(max_x, x);
        min_y = std::min(min_y, y);
        max_y = std::max(max_y, y);
    }
    // As for the spheres: clamp far outside the map, and one texel more on each side for the
    // rounding of the GPU's float transform.
    footprint.x0 = static_cast<int>(std::floor(std::clamp(min_x, -1.0, limit + 1.0))) - 1;
    footprint.y0 = static_cast<int>(std::floor(std::clamp(min_y, -1.0, limit + 1.0))) - 1;
    footprint.x1 = static_cast<int>(std::ceil(std::clamp(max_x, -1.0, limit + 1.0))) + 1;
    footprint.y1 = static_cast<int>(std::ceil(std::clamp(max_y, -1.0, limit + 1.0))) + 1;
    return true;
}

texel_rect seen_texels(const glm::mat4& light_mvp, const std::vector<glm::vec4>& receivers) {
    std::vector<texel_rect> footprints;
    if (!caster_footprints(light_mvp, receivers, footprints)) {
        return whole_shadow_map;
    }
    texel_rect seen;
    for (const texel_rect& f : footprints) {
        seen = bounding_box(seen, f);
    }
    return seen.empty() ? texel_rect{} : grown(seen, 1);
}

texel_rect caster_reach(const texel_rect& seen) {
    return seen.empty() ? texel_rect{} : grown(seen, shadow_blur_radius);
}

glm::mat4 crop_matrix(const texel_rect& r) {
    // Texel x lies at clip x / w = x / (size / 2) - 1.
    const float half = static_cast<float>(shadow_map_size) * 0.5f;
    const auto axis = [half](int low, int high, float& scale, float& offset) {
        const float a = static_cast<float>(low) / half - 1.0f;
        const float b = static_cast<float>(std::max(high, low + 1)) / half - 1.0f;
        scale = 2.0f / (b - a);
        offset = -(a + b) / (b - a);
    };
    glm::mat4 crop(1.0f);
    axis(r.x0, r.x1, crop[0][0], crop[3][0]);
    axis(r.y0, r.y1, crop[1][1], crop[3][1]);
    return crop;
}

std::vector<texel_rect> merge_regions(std::vector<texel_rect> regions) {
    // A sweep from bottom to top over the rows where some rectangle starts or ends: within one
    // such band the union is a set of x runs, and a run that continues one of the band below
    // with the same ends grows that band's rectangle instead of starting a new one.
    regions.erase(std::remove_if(regions.begin(), regions.end(),
                                 [](const texel_rect& r) { return r.empty(); }),
                  regions.end());
    std::sort(regions.begin(), regions.end(),
              [](const texel_rect& a, const texel_rect& b) { return a.y0 < b.y0; });
    std::vector<int> rows;
    rows.reserve(regions.size() * 2);
    for (const texel_rect& r : regions) {
        rows.push_back(r.y0);
        rows.push_back(r.y1);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

    std::vector<texel_rect> done;
    std::vector<texel_rect> open;  // the last band's rectangles, ordered by x
    std::vector<texel_rect> active;
    std::vector<texel_rect> runs;
    std::size_t next = 0;
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
        const int y0 = rows[k];
        const int y1 = rows[k + 1];
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [&](const texel_rect& r) { return r.y1 <= y0; }),
                     active.end());
        for (; next < regions.size() && regions[next].y0 <= y0; ++next) {
            active.push_back(regions[next]);
        }
        std::sort(active.begin(), active.end(),
                  [](const texel_rect& a, const texel_rect& b) { return a.x0 < b.x0; });
        runs.clear();
        for (const texel_rect& r : active) {
            if (!runs.empty() && r.x0 <= runs.back().x1) {
                runs.back().x1 = std::max(runs.back().x1, r.x1);
            } else {
                runs.push_back({r.x0, y0, r.x1, y1});
            }
        }
        // Both lists are ordered by x and hold disjoint runs: one pass pairs equal ones.
        std::size_t o = 0;
        for (texel_rect& run : runs) {
            while (o < open.size() && open[o].x0 < run.x0) {
                done.push_back(open[o++]);
            }
            if (o < open.size() && open[o].x0 == run.x0 && open[o].x1 == run.x1 &&
                open[o].y1 == y0) {
                run.y0 = open[o++].y0;
            }
        }
        done.insert(done.end(), open.begin() + static_cast<std::ptrdiff_t>(o), open.end());
        open.swap(runs);
    }
    done.insert(done.end(), open.begin(), open.end());
    return done;
}

void variance_shadow_map::create_programs() {
    if (shadow_shader.program != 0) {
        return;
    }
    shadow_shader = shader_program(assets::shadow_vertex_shader, assets::shadow_fragment_shader);
    blur_h_shader =
        shader_program(assets::passthrough_vertex_shader, assets::blur_h_fragment_shader);
    blur_v_shader =
        shader_program(assets::passthrough_vertex_shader, assets::blur_v_fragment_shader);
}

void variance_shadow_map::create_quad() {
    region_vao = make_vertex_array();
    region_vbo = make_buffer();
    glBindVertexArray(region_vao.get());
    glBindBuffer(GL_ARRAY_BUFFER, region_vbo.get());
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

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
    glRenderbufferStorage(GL_RENDERBUFFER, depth32_renderbuffer_format(), shadow_map_size, shadow_map_size);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glGenFramebuffers(1, &filter_fbo);
    glGenTextures(1, &moments_texture);

    // The blurs read single texels of level 0 and the main pass filters linearly: no mip levels.
    // (Three float channels would hold the statistics in a quarter less memory, but llvmpipe
    // blurs them about a fifth slower.)
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, moments_texture);
    set_texture_parameters(shadow_map_size);
    for (int i = 0; i < 2; ++i) {
        band_textures[i] = make_texture();
        glBindTexture(GL_TEXTURE_2D, band_textures[i].get());
        set_texture_parameters(shadow_band_rows);
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
    bool complete = true;
    for (int i = 0; i < 2; ++i) {
        band_fbos[i] = make_framebuffer();
        glBindFramebuffer(GL_FRAMEBUFFER, band_fbos[i].get());
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               band_textures[i].get(), 0);
        complete = complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, filter_fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, moments_texture, 0);
    if (complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
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
    caster_regions.assign(1, whole_shadow_map);
}

void variance_shadow_map::render(const glm::mat4& light_mvp, const depth_draw& draw_casters,
                                 const std::vector<glm::vec4>& caster_spheres,
                                 const texel_rect& seen) {
    std::vector<texel_rect> footprints;
    if (!caster_footprints(light_mvp, caster_spheres, footprints)) {
        render(light_mvp, draw_casters);
        return;
    }
    // Only texels within the blur radius of `seen` change what `seen` reads; a caster's texels
    // beyond them are clipped away, and those inside them are kept whole.
    const texel_rect reach = caster_reach(seen);
    caster_regions.clear();
    for (const texel_rect& f : footprints) {
        caster_regions.push_back(grown(f, shadow_blur_radius));
    }
    caster_regions = merge_regions(caster_regions);
    footprints = clipped(footprints, reach);
    // Outside a footprint grown by the blur radius the blur reads only cleared texels, so there
    // the blurred map already holds what a whole-map pass would write: the blur of the clear
    // colour, left by the frame that last covered the texel. The same holds for the vertical
    // blur's result, which the horizontal blur reads up to the radius beyond its regions.
    texel_rect draw_box;
    std::vector<texel_rect> reached;
    for (const texel_rect& f : footprints) {
        draw_box = bounding_box(draw_box, f);
        reached.push_back(grown(f, shadow_blur_radius));
    }
    reached = merge_regions(reached);
    std::vector<texel_rect> blur_regions = reached;
    blur_regions.insert(blur_regions.end(), last_blur_regions.begin(), last_blur_regions.end());
    // Outside `seen` the blur is left out: those texels keep their casters unblurred, or the
    // clear colour, and stay among the regions the next frame wipes.
    blur_regions = clipped(merge_regions(blur_regions), seen);

    // Before this frame's casters are drawn, the depth buffer is wiped where they can land and
    // the moments texture where the last frame left blurred casters; everywhere else the latter
    // already holds the clear colour, the blur of which is the clear colour itself.
    std::vector<texel_rect> clear_regions = footprints;
    clear_regions.insert(clear_regions.end(), last_blur_regions.begin(), last_blur_regions.end());
    clear_regions = merge_regions(clear_regions);

    run_pass(*this, light_mvp, draw_casters, draw_box, clear_regions, blur_regions, true);
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
    release_gl_names(gl_kind::texture, {&moments_texture});
    release_gl_names(gl_kind::buffer, {&quad_vbo, &quad_ebo});
    release_gl_names(gl_kind::vertex_array, {&quad_vao});
}

}  // namespace quillomar
