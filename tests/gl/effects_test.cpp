// The off-screen effects and the object shader on a real context: set-up messages, framebuffer
// completeness, and what each effect does to the picture in small synthetic scenes.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <string>
#include <vector>

#include "framework/asset_paths.h"
#include "framework/qlmFramework.h"
#include "render/model.h"
#include "particles/particle_system.h"
#include "render/particle_renderer.h"
#include "render/projectors.h"
#include "render/shader_program.h"
#include "render/variance_shadow_map.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

constexpr int screen_width = 1024;
constexpr int screen_height = 768;

// The game's fixed matrices.
const glm::mat4 light_projection = glm::perspective(45.0f, 1.3333334f, 0.1f, 100.0f);
const glm::mat4 projector_projection = glm::perspective(20.0f, 1.7f, 0.1f, 50.0f);
const glm::mat4 bias(0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.5f,
                     0.5f, 0.5f, 1.0f);

GLuint solid_texture(glm::vec4 color, int size = 4) {
    std::vector<unsigned char> texels(static_cast<std::size_t>(size * size * 4));
    for (std::size_t i = 0; i < texels.size(); ++i) {
        texels[i] =
            static_cast<unsigned char>(std::lround(color[static_cast<int>(i % 4)] * 255.0f));
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

mesh finish_mesh(mesh m, std::vector<GLuint> diffuse_textures) {
    for (GLuint id : diffuse_textures) {
        m.textures.push_back({id, "texture_diffuse", "synthetic"});
    }
    material surface;
    surface.shininess = 8.0f;
    surface.opacity = 1.0f;
    m.materials.push_back(surface);
    m.setup_mesh();
    return m;
}

// A horizontal square at height y, facing up.
mesh ground_quad(float x0, float z0, float x1, float z1, float y,
                 std::vector<GLuint> diffuse_textures) {
    mesh m;
    const glm::vec2 corners[] = {{x0, z0}, {x0, z1}, {x1, z1}, {x1, z0}};
    for (const glm::vec2& c : corners) {
        vertex v;
        v.position = glm::vec3(c.x, y, c.y);
        v.normal = glm::vec3(0.0f, 1.0f, 0.0f);
        v.tex_coords = glm::vec2((c.x - x0) / (x1 - x0), (c.y - z0) / (z1 - z0));
        v.tangent = glm::vec3(1.0f, 0.0f, 0.0f);
        v.bitangent = glm::vec3(0.0f, 0.0f, 1.0f);
        m.vertices.push_back(v);
    }
    m.indices = {0, 1, 2, 0, 2, 3};
    return finish_mesh(std::move(m), std::move(diffuse_textures));
}

// A unit sphere around the origin, outward faces counter-clockwise.
mesh unit_sphere() {
    mesh m;
    const int rings = 16;
    const int segments = 24;
    for (int r = 0; r <= rings; ++r) {
        const float theta = glm::pi<float>() * static_cast<float>(r) / rings;
        for (int s = 0; s <= segments; ++s) {
            const float phi = 2.0f * glm::pi<float>() * static_cast<float>(s) / segments;
            vertex v;
            v.position = glm::vec3(std::sin(theta) * std::cos(phi), std::cos(theta),
                                   std::sin(theta) * std::sin(phi));
            v.normal = v.position;
            m.vertices.push_back(v);
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const unsigned a = static_cast<unsigned>(r * (segments + 1) + s);
            const unsigned b = a + segments + 1;
            m.indices.insert(m.indices.end(), {a, a + 1, b, a + 1, b + 1, b});
        }
    }
    return finish_mesh(std::move(m), {});
}

void draw_depth(const mesh& m, const glm::mat4& view_projection, const glm::mat4& model,
                GLint location) {
    const glm::mat4 product = view_projection * model;
    glUniformMatrix4fv(location, 1, GL_FALSE, &product[0][0]);
    glBindVertexArray(m.vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(m.indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

struct frame_inputs {
    glm::mat4 projection{1.0f};
    glm::mat4 view{1.0f};
    glm::mat4 shadow_matrix{1.0f};
    glm::mat4 projected_matrix{1.0f};
    glm::mat4 projected_matrix2{1.0f};
    glm::vec3 light_pos{0.0f};
    glm::vec3 cam_pos{0.0f};
};

frame_inputs camera_at(const glm::vec3& eye, const glm::vec3& target) {
    frame_inputs f;
    f.cam_pos = eye;
    f.view = glm::lookAt(eye, target, glm::vec3(0.0f, 1.0f, 0.0f));
    f.projection = glm::perspective(glm::radians(45.0f),
                                    static_cast<float>(screen_width) / screen_height, 0.1f, 100.0f);
    return f;
}

// Sets the object shader's uniforms the way the level's renderers do and draws the mesh.
void draw_object(GLuint program, const mesh& m, const glm::mat4& model, const frame_inputs& f) {
    auto matrix = [&](const char* name, const glm::mat4& value) {
        glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, &value[0][0]);
    };
    matrix("projection", f.projection);
    matrix("view", f.view);
    matrix("model", model);
    glUniform3fv(glGetUniformLocation(program, "light_pos"), 1, &f.light_pos[0]);
    glUniform3fv(glGetUniformLocation(program, "cam_pos"), 1, &f.cam_pos[0]);
    matrix("shadow", f.shadow_matrix * model);
    glUniform1i(glGetUniformLocation(program, "shadow_tex"), 5);
    matrix("projectedMat", f.projected_matrix * model);
    glUniform1i(glGetUniformLocation(program, "projector_depth_tex"), 11);
    glUniform1i(glGetUniformLocation(program, "proj_tex"), 10);
    matrix("projectedMat2", f.projected_matrix2 * model);
    glUniform1i(glGetUniformLocation(program, "projector_depth_tex2"), 13);
    glUniform1i(glGetUniformLocation(program, "proj_tex2"), 12);
    m.draw(program);
}

void bind_effect_textures(GLuint shadow, GLuint color, GLuint depth, GLuint color2, GLuint depth2) {
    const std::pair<GLenum, GLuint> units[] = {{GL_TEXTURE5, shadow},
                                               {GL_TEXTURE10, color},
                                               {GL_TEXTURE11, depth},
                                               {GL_TEXTURE12, color2},
                                               {GL_TEXTURE13, depth2}};
    for (const auto& [unit, texture] : units) {
        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    glActiveTexture(GL_TEXTURE0);
}

// What every frame leaves behind for the next frame's off-screen passes.
void frame_state() {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_BLEND);
}

void begin_main_pass(glm::vec4 clear_color = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f)) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glViewport(0, 0, screen_width, screen_height);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_BLEND);
    glClearColor(clear_color.r, clear_color.g, clear_color.b, clear_color.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

struct screen_pixels {
    std::vector<unsigned char> rgba;

    static screen_pixels read() {
        screen_pixels result;
        result.rgba.resize(static_cast<std::size_t>(screen_width * screen_height * 4));
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, screen_width, screen_height, GL_RGBA, GL_UNSIGNED_BYTE,
                     result.rgba.data());
        return result;
    }

    glm::ivec3 at(int x, int y) const {
        const std::size_t i = static_cast<std::size_t>((y * screen_width + x) * 4);
        return {rgba[i], rgba[i + 1], rgba[i + 2]};
    }

    glm::ivec3 at(const glm::vec3& world, const frame_inputs& f) const {
        const glm::vec4 clip = f.projection * f.view * glm::vec4(world, 1.0f);
        const int x = static_cast<int>((clip.x / clip.w * 0.5f + 0.5f) * screen_width);
        const int y = static_cast<int>((clip.y / clip.w * 0.5f + 0.5f) * screen_height);
        EXPECT_TRUE(x >= 0 && x < screen_width && y >= 0 && y < screen_height);
        return at(std::clamp(x, 0, screen_width - 1), std::clamp(y, 0, screen_height - 1));
    }
};

int brightness(const glm::ivec3& c) {
    return c.r + c.g + c.b;
}

std::vector<float> read_texture_rgba32f(GLuint texture) {
    std::vector<float> texels(static_cast<std::size_t>(shadow_map_size * shadow_map_size * 4));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texels;
}

bool gl_errors_reported(const std::string& console) {
    return console.find("GL_") != std::string::npos;
}

// ---------------------------------------------------------------------------------------------
// Programs

class effect_programs : public test::gl_test {};

TEST_F(effect_programs, the_object_shader_builds_silently_and_uses_the_whole_vocabulary) {
    test::stream_capture console;
    const shader_program object(assets::object_vertex_shader, assets::object_fragment_shader);
    EXPECT_EQ(console.text(), "");
    GLint linked = 0;
    glGetProgramiv(object.program, GL_LINK_STATUS, &linked);
    ASSERT_EQ(linked, GL_TRUE);
    for (const char* name :
         {"projection", "view", "model", "light_pos", "cam_pos", "shadow", "shadow_tex",
          "projectedMat", "proj_tex", "projector_depth_tex", "projectedMat2", "proj_tex2",
          "projector_depth_tex2", "texture_diffuse1", "texture_specular1", "texture_normal1",
          "specular_power", "opacity"}) {
        EXPECT_NE(glGetUniformLocation(object.program, name), -1) << name;
    }
}

TEST_F(effect_programs, the_effect_programs_build_silently_with_their_uniforms) {
    test::stream_capture console;
    variance_shadow_map vsm;
    vsm.create_programs();
    const shader_program particle_shader(assets::particle_vertex_shader,
                                         assets::particle_fragment_shader);
    const shader_program projector_shader(assets::projector_vertex_shader,
                                          assets::projector_fragment_shader);
    EXPECT_EQ(console.text(), "");
    EXPECT_NE(glGetUniformLocation(vsm.shadow_shader.program, "MVP"), -1);
    EXPECT_NE(glGetUniformLocation(vsm.blur_v_shader.program, "textureMap"), -1);
    EXPECT_NE(glGetUniformLocation(vsm.blur_h_shader.program, "textureMap"), -1);
    EXPECT_NE(glGetUniformLocation(projector_shader.program, "mvp"), -1);
    EXPECT_NE(glGetUniformLocation(projector_shader.program, "tex"), -1);
    for (const char* name : {"VP", "CameraRight_worldspace", "CameraUp_worldspace"}) {
        EXPECT_NE(glGetUniformLocation(particle_shader.program, name), -1) << name;
    }
}

// ---------------------------------------------------------------------------------------------
// Shadow map set-up and pass state

class shadow_map : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        frame_state();
    }
};

TEST_F(shadow_map, set_up_reports_both_framebuffers_complete_in_order) {
    variance_shadow_map vsm;
    test::stream_capture console;
    vsm.create_programs();
    vsm.create_quad();
    vsm.create_framebuffers();
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"FBO setup successful.",
                                                         "Filtering FBO setup successful."}));
    EXPECT_EQ(vsm.quad_indices, (std::vector<GLushort>{0, 1, 2, 0, 2, 3}));

    for (GLuint fbo : {vsm.shadow_fbo, vsm.filter_fbo}) {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    vsm.destroy_framebuffers();
    EXPECT_EQ(glIsFramebuffer(vsm.shadow_fbo), GL_FALSE);
}

TEST_F(shadow_map, the_pass_leaves_the_state_the_main_pass_expects) {
    variance_shadow_map vsm;
    {
        test::stream_capture quiet;
        vsm.create_programs();
        vsm.create_quad();
        vsm.create_framebuffers();
    }
    const mesh sphere = unit_sphere();
    const light_matrices light =
        compute_light_matrices(glm::vec3(6.0f, 30.0f, 6.0f), glm::vec3(0.0f),
                               glm::vec3(0.0f, 1.0f, 0.0f), light_projection, bias);
    auto casters = [&](const glm::mat4& vp, GLint location) {
        draw_depth(sphere, vp, glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 3.0f, 0.0f)),
                   location);
    };
    for (bool restricted : {false, true}) {
        test::stream_capture console;
        if (restricted) {
            vsm.render(light.light_mvp, casters, {glm::vec4(0.0f, 3.0f, 0.0f, 1.0f)});
        } else {
            vsm.render(light.light_mvp, casters);
        }
        EXPECT_FALSE(gl_errors_reported(console.text())) << console.text();
        GLint value = -1;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &value);
        EXPECT_EQ(value, 0);
        glGetIntegerv(GL_DRAW_BUFFER, &value);
        EXPECT_EQ(value, GL_BACK);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], shadow_map_size);
        EXPECT_EQ(viewport[3], shadow_map_size);
        EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
        EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_FILL));
        EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    }
    vsm.destroy_framebuffers();
}

// ---------------------------------------------------------------------------------------------
// Caster footprints (no context needed, but they decide what the GL pass touches)

TEST(shadow_footprints, a_sphere_in_view_of_the_light_gets_a_rectangle_around_its_image) {
    const light_matrices light =
        compute_light_matrices(glm::vec3(6.0f, 30.0f, 6.0f), glm::vec3(0.0f),
                               glm::vec3(0.0f, 1.0f, 0.0f), light_projection, bias);
    std::vector<texel_rect> footprints;
    ASSERT_TRUE(
        caster_footprints(light.light_mvp, {glm::vec4(0.0f, 3.0f, 0.0f, 1.0f)}, footprints));
    ASSERT_EQ(footprints.size(), 1u);
    const glm::vec4 centre = light.light_mvp * glm::vec4(0.0f, 3.0f, 0.0f, 1.0f);
    const float x = (centre.x / centre.w * 0.5f + 0.5f) * shadow_map_size;
    const float y = (centre.y / centre.w * 0.5f + 0.5f) * shadow_map_size;
    const texel_rect& r = footprints[0];
    EXPECT_LT(r.x0, x);
    EXPECT_GT(r.x1, x);
    EXPECT_LT(r.y0, y);
    EXPECT_GT(r.y1, y);
    EXPECT_LT(r.area(), shadow_map_size * shadow_map_size / 50);
}

TEST(shadow_footprints, spheres_outside_the_map_are_dropped_and_behind_the_light_refused) {
    const light_matrices light =
        compute_light_matrices(glm::vec3(6.0f, 30.0f, 6.0f), glm::vec3(0.0f),
                               glm::vec3(0.0f, 1.0f, 0.0f), light_projection, bias);
    std::vector<texel_rect> footprints;
    EXPECT_TRUE(
        caster_footprints(light.light_mvp, {glm::vec4(-200.0f, 0.0f, 200.0f, 1.0f)}, footprints));
    EXPECT_TRUE(footprints.empty());
    EXPECT_FALSE(
        caster_footprints(light.light_mvp, {glm::vec4(12.0f, 60.0f, 12.0f, 1.0f)}, footprints));
    EXPECT_FALSE(
        caster_footprints(light.light_mvp, {glm::vec4(6.0f, 30.0f, 6.0f, 2.0f)}, footprints));
}

TEST(shadow_footprints, a_bounding_sphere_holds_every_vertex_of_the_placed_model) {
    model spider;
    spider.meshes.resize(2);
    const glm::vec3 points[] = {
        {-40.0f, 0.0f, -30.0f}, {40.0f, 25.0f, 30.0f}, {0.0f, 60.0f, 5.0f}, {-10.0f, -5.0f, 35.0f}};
    for (int i = 0; i < 4; ++i) {
        vertex v;
        v.position = points[i];
        spider.meshes[static_cast<std::size_t>(i % 2)].vertices.push_back(v);
    }
    const model_bounds bounds = bounds_of(spider);
    ASSERT_FALSE(bounds.empty);
    EXPECT_EQ(bounds.min, glm::vec3(-40.0f, -5.0f, -30.0f));
    EXPECT_EQ(bounds.max, glm::vec3(40.0f, 60.0f, 35.0f));

    const glm::mat4 placed =
        glm::rotate(glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(6.0f, 4.0f, 10.0f)),
                               glm::vec3(0.015f, 0.01f, 0.015f)),
                    1.5707964f, glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::vec4 sphere = bounding_sphere(bounds, placed);
    for (const glm::vec3& p : points) {
        const glm::vec3 world(placed * glm::vec4(p, 1.0f));
        EXPECT_LE(glm::length(world - glm::vec3(sphere)), sphere.w + 1e-5f);
    }
    EXPECT_LT(sphere.w, 1.0f) << "no looser than the box around the placed model";

    const glm::vec4 nothing = bounding_sphere(bounds_of(model{}), placed);
    EXPECT_EQ(nothing, glm::vec4(6.0f, 4.0f, 10.0f, 0.0f));
}

TEST(shadow_footprints, overlapping_regions_merge_and_distant_ones_stay_apart) {
    const std::vector<texel_rect> merged =
        merge_regions({{10, 10, 50, 50}, {40, 40, 80, 80}, {500, 500, 520, 520}, {0, 0, 0, 0}});
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0], (texel_rect{10, 10, 80, 80}));
    EXPECT_EQ(merged[1], (texel_rect{500, 500, 520, 520}));

    // A level full of items: 1,024 overlapping pairs in a grid end as the one box around them
    // (how fast is the benchmark's business: tools/effects_bench).
    std::vector<texel_rect> pairs;
    for (int i = 0; i < 1024; ++i) {
        const int x = i % 32 * 32;
        const int y = i / 32 * 32;
        pairs.insert(pairs.end(), {{x, y, x + 4, y + 4}, {x + 2, y + 2, x + 6, y + 6}});
    }
    EXPECT_EQ(merge_regions(pairs), (std::vector<texel_rect>{{0, 0, 998, 998}}));
}

// ---------------------------------------------------------------------------------------------
// Shadows in a scene

class shadow_scene : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        frame_state();
        test::stream_capture quiet;
        object = shader_program(assets::object_vertex_shader, assets::object_fragment_shader);
        vsm.create_programs();
        vsm.create_quad();
        vsm.create_framebuffers();
        grey = solid_texture(glm::vec4(0.7f, 0.7f, 0.7f, 1.0f));
        ground = ground_quad(-8.0f, -8.0f, 8.0f, 8.0f, 0.0f, {grey});
        sphere = unit_sphere();
        light = compute_light_matrices(light_pos, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f),
                                       light_projection, bias);
    }

    void TearDown() override { vsm.destroy_framebuffers(); }

    depth_draw spheres_at(std::vector<glm::vec3> centres) {
        return [this, centres](const glm::mat4& vp, GLint location) {
            for (const glm::vec3& c : centres) {
                draw_depth(sphere, vp, glm::translate(glm::mat4(1.0f), c), location);
            }
        };
    }

    // The ground as the main pass draws it, lit and shadowed through the blurred map.
    screen_pixels draw_ground(const frame_inputs& camera) {
        frame_inputs f = camera;
        f.light_pos = light_pos;
        f.shadow_matrix = light.shadow_matrix;
        begin_main_pass();
        bind_effect_textures(vsm.filter_textures[1], 0, 0, 0, 0);
        glUseProgram(object.program);
        draw_object(object.program, ground, glm::mat4(1.0f), f);
        glUseProgram(0);
        bind_effect_textures(0, 0, 0, 0, 0);
        return screen_pixels::read();
    }

    const glm::vec3 light_pos{6.0f, 30.0f, 6.0f};
    light_matrices light;
    shader_program object;
    variance_shadow_map vsm;
    GLuint grey = 0;
    mesh ground;
    mesh sphere;
};

TEST_F(shadow_scene, the_ground_under_a_caster_is_darker_than_without_it) {
    const frame_inputs camera = camera_at(glm::vec3(0.0f, 12.0f, 10.0f), glm::vec3(0.0f));
    const glm::vec3 caster(0.0f, 3.0f, 0.0f);
    // Where the ray from the light through the caster's centre meets the ground.
    const float t = light_pos.y / (light_pos.y - caster.y);
    const glm::vec3 umbra = light_pos + t * (caster - light_pos);
    const glm::vec3 open_ground(4.0f, 0.0f, 3.0f);

    vsm.render(light.light_mvp, spheres_at({}));
    const screen_pixels unshadowed = draw_ground(camera);
    vsm.render(light.light_mvp, spheres_at({caster}));
    const screen_pixels shadowed = draw_ground(camera);

    const int lit_umbra = brightness(unshadowed.at(umbra, camera));
    const int dark_umbra = brightness(shadowed.at(umbra, camera));
    EXPECT_GT(lit_umbra, 300);
    EXPECT_LT(dark_umbra, lit_umbra * 6 / 10);
    EXPECT_NEAR(brightness(shadowed.at(open_ground, camera)),
                brightness(unshadowed.at(open_ground, camera)), 3);
}

TEST_F(shadow_scene, a_caster_on_its_own_lit_side_does_not_shadow_itself) {
    frame_inputs f = camera_at(glm::vec3(6.0f, 30.0f, 6.0f) * 0.4f, glm::vec3(0.0f, 3.0f, 0.0f));
    f.light_pos = light_pos;
    f.shadow_matrix = light.shadow_matrix;
    const glm::mat4 model = glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 3.0f, 0.0f));
    const glm::vec3 lit_point =
        glm::vec3(0.0f, 3.0f, 0.0f) + glm::normalize(light_pos - glm::vec3(0.0f, 3.0f, 0.0f));

    auto draw_sphere = [&] {
        begin_main_pass();
        bind_effect_textures(vsm.filter_textures[1], 0, 0, 0, 0);
        glUseProgram(object.program);
        draw_object(object.program, sphere, model, f);
        glUseProgram(0);
        bind_effect_textures(0, 0, 0, 0, 0);
        return screen_pixels::read();
    };
    vsm.render(light.light_mvp, spheres_at({}));
    const screen_pixels alone = draw_sphere();
    vsm.render(light.light_mvp, spheres_at({glm::vec3(0.0f, 3.0f, 0.0f)}));
    const screen_pixels casting = draw_sphere();
    EXPECT_NEAR(brightness(casting.at(lit_point, f)), brightness(alone.at(lit_point, f)), 6);
}

// The restricted pass must leave the blurred map exactly as the whole-map pass does, frame after
// frame, also where a caster was in an earlier frame and has gone.
TEST_F(shadow_scene, the_restricted_pass_gives_the_whole_map_result_bit_for_bit) {
    variance_shadow_map whole;
    {
        test::stream_capture quiet;
        whole.create_programs();
        whole.create_quad();
        whole.create_framebuffers();
    }
    const std::vector<std::vector<glm::vec3>> frames = {
        {{0.0f, 3.0f, 0.0f}, {-5.0f, 1.0f, 4.0f}},
        {{1.5f, 3.0f, 0.5f}},
        {},
        {{-3.0f, 2.0f, -3.0f}, {-3.0f, 2.0f, -1.5f}, {4.0f, 1.0f, -4.0f}},
        {{-3.0f, 2.0f, -3.0f}},
    };
    for (std::size_t i = 0; i < frames.size(); ++i) {
        std::vector<glm::vec4> spheres;
        for (const glm::vec3& c : frames[i]) {
            spheres.emplace_back(c, 1.0f);
        }
        whole.render(light.light_mvp, spheres_at(frames[i]));
        vsm.render(light.light_mvp, spheres_at(frames[i]), spheres);
        const std::vector<float> expected = read_texture_rgba32f(whole.filter_textures[1]);
        const std::vector<float> actual = read_texture_rgba32f(vsm.filter_textures[1]);
        EXPECT_EQ(std::memcmp(expected.data(), actual.data(), expected.size() * sizeof(float)), 0)
            << "frame " << i;
    }
    whole.destroy_framebuffers();
}

// ---------------------------------------------------------------------------------------------
// Projectors

class projector_scene : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        frame_state();
        test::stream_capture console;
        object = shader_program(assets::object_vertex_shader, assets::object_fragment_shader);
        projection.setup();
        setup_output = console.lines();
        grey = solid_texture(glm::vec4(0.6f, 0.6f, 0.6f, 1.0f));
        // Magenta and cyan stand-ins for the start and finish images.
        projection.start_image = solid_texture(glm::vec4(1.0f, 0.0f, 1.0f, 1.0f), 64);
        projection.finish_image = solid_texture(glm::vec4(0.0f, 1.0f, 1.0f, 1.0f), 64);
        ground = ground_quad(-4.0f, -4.0f, 4.0f, 4.0f, 0.0f, {grey});
        occluder = ground_quad(-0.4f, -0.3f, 0.4f, 0.3f, 1.0f, {grey});
    }

    void TearDown() override { projection.destroy_framebuffers(); }

    shader_program object;
    projectors projection;
    std::vector<std::string> setup_output;
    GLuint grey = 0;
    mesh ground;
    mesh occluder;
};

TEST_F(projector_scene, set_up_prints_nothing_and_both_framebuffers_are_complete) {
    const bool images_present = std::filesystem::exists(platform_path(assets::start_texture)) &&
                                std::filesystem::exists(platform_path(assets::finish_texture));
    for (const std::string& line : setup_output) {
        // Without the image files only the texture loader speaks, naming them.
        EXPECT_FALSE(images_present) << line;
        EXPECT_EQ(line.rfind("Unable to load texture: ", 0), 0u) << line;
    }
    EXPECT_NE(projection.projector_mvp_location, -1);
    for (GLuint fbo : {projection.projector_depth_fbo, projection.projector_depth_fbo2}) {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(projector_scene, the_matrices_follow_the_cells_and_the_cube_tops) {
    auto tops = [](float x, float z) { return x == 4.0f && z == 6.0f ? 3.0f : -22.0f; };
    const projector_matrices m = projection.render(glm::vec2(4.0f, 6.0f), glm::vec2(10.0f, 2.0f),
                                                   tops, projector_projection, bias, nullptr);
    const glm::mat4 start_view = glm::lookAt(
        glm::vec3(4.0f, 5.0f, 7.0f), glm::vec3(4.0f, 3.0f, 6.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::mat4 finish_view =
        glm::lookAt(glm::vec3(10.0f, -20.0f, 1.0f), glm::vec3(10.0f, -22.0f, 2.0f),
                    glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(m.projected_matrix, bias * projector_projection * start_view);
    EXPECT_EQ(m.projected_matrix2, bias * projector_projection * finish_view);
    EXPECT_EQ(m.projector_view, finish_view);
    EXPECT_EQ(m.projector_mvp, projector_projection * finish_view);
}

TEST_F(projector_scene, the_start_image_lands_on_open_ground_but_not_behind_an_occluder) {
    auto scene = [&](const glm::mat4& vp, GLint location) {
        draw_depth(ground, vp, glm::mat4(1.0f), location);
        draw_depth(occluder, vp, glm::mat4(1.0f), location);
    };
    test::stream_capture console;
    const projector_matrices m = projection.render(
        glm::vec2(0.0f, 0.0f), glm::vec2(20.0f, 20.0f), [](float, float) { return 0.0f; },
        projector_projection, bias, scene);
    EXPECT_FALSE(gl_errors_reported(console.text())) << console.text();
    GLint value = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &value);
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(glIsEnabled(GL_POLYGON_OFFSET_FILL));

    frame_inputs f = camera_at(glm::vec3(0.0f, 8.0f, 6.0f), glm::vec3(0.0f));
    f.light_pos = glm::vec3(0.0f, 30.0f, 10.0f);
    f.projected_matrix = m.projected_matrix;
    f.projected_matrix2 = m.projected_matrix2;
    begin_main_pass();
    bind_effect_textures(0, projection.projector_color_texture, projection.projector_depth_texture,
                         projection.projector_color_texture2, projection.projector_depth_texture2);
    glUseProgram(object.program);
    draw_object(object.program, ground, glm::mat4(1.0f), f);
    glUseProgram(0);
    bind_effect_textures(0, 0, 0, 0, 0);
    const screen_pixels pixels = screen_pixels::read();

    const glm::ivec3 open = pixels.at(glm::vec3(1.5f, 0.0f, 0.0f), f);
    const glm::ivec3 hidden = pixels.at(glm::vec3(0.0f, 0.0f, -1.0f), f);
    const glm::ivec3 outside = pixels.at(glm::vec3(3.5f, 0.0f, 3.5f), f);
    EXPECT_GT(open.r, 100);
    EXPECT_GT(open.b, 100);
    EXPECT_LT(open.g, open.r / 4) << "magenta expected";
    EXPECT_NEAR(hidden.r, hidden.g, 4) << "grey expected";
    EXPECT_NEAR(hidden.b, hidden.g, 4) << "grey expected";
    EXPECT_GT(hidden.g, 60);
    EXPECT_NEAR(outside.r, outside.g, 4);
}

// ---------------------------------------------------------------------------------------------
// Object shader without effects

class object_shader_scene : public test::gl_test {};

TEST_F(object_shader_scene, untextured_and_textured_meshes_are_lit_and_coloured) {
    shader_program object;
    {
        test::stream_capture quiet;
        object = shader_program(assets::object_vertex_shader, assets::object_fragment_shader);
    }
    const GLuint red = solid_texture(glm::vec4(0.9f, 0.1f, 0.1f, 1.0f));
    const mesh bare = ground_quad(-4.0f, -2.0f, -0.5f, 2.0f, 0.0f, {});
    const mesh textured = ground_quad(0.5f, -2.0f, 4.0f, 2.0f, 0.0f, {red});
    frame_inputs f = camera_at(glm::vec3(0.0f, 8.0f, 4.0f), glm::vec3(0.0f));
    f.light_pos = glm::vec3(0.0f, 30.0f, 10.0f);

    begin_main_pass();
    glUseProgram(object.program);
    draw_object(object.program, bare, glm::mat4(1.0f), f);
    draw_object(object.program, textured, glm::mat4(1.0f), f);
    glUseProgram(0);
    const screen_pixels pixels = screen_pixels::read();

    const glm::ivec3 grey = pixels.at(glm::vec3(-2.0f, 0.0f, 0.0f), f);
    EXPECT_GT(grey.g, 80) << "a mesh without textures must not come out black";
    EXPECT_NEAR(grey.r, grey.g, 3);
    const glm::ivec3 reddish = pixels.at(glm::vec3(2.0f, 0.0f, 0.0f), f);
    EXPECT_GT(reddish.r, 3 * reddish.g);
}

// ---------------------------------------------------------------------------------------------
// Particles

class particle_burst : public test::gl_test {};

TEST_F(particle_burst, drawn_particles_are_red_and_blended_over_the_scene) {
    particle_system particles;
    std::unique_ptr<particle_renderer> drawer;
    {
        test::stream_capture console;
        drawer = std::make_unique<particle_renderer>();
        EXPECT_EQ(console.text(), "");
    }
    const frame_inputs f = camera_at(glm::vec3(0.0f, 1.0f, 6.0f), glm::vec3(0.0f));
    for (int frame = 0; frame < 20; ++frame) {
        particles.emit(0.016f, glm::vec3(0.0f));
        particles.simulate(0.016f, f.cam_pos);
    }
    ASSERT_EQ(particles.count, 20 * max_emitted_per_frame);

    const glm::vec4 background(0.0f, 0.0f, 0.6f, 1.0f);
    begin_main_pass(background);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    test::stream_capture console;
    drawer->draw(particles, f.view, f.projection * f.view);
    ::check_gl_error("particle test", 1);
    EXPECT_FALSE(gl_errors_reported(console.text())) << console.text();
    glDisable(GL_BLEND);
    const screen_pixels pixels = screen_pixels::read();

    const int background_blue = static_cast<int>(std::lround(background.b * 255.0f));
    int changed = 0;
    int blended = 0;
    for (int y = 0; y < screen_height; ++y) {
        for (int x = 0; x < screen_width; ++x) {
            const glm::ivec3 c = pixels.at(x, y);
            if (c == glm::ivec3(0, 0, background_blue)) {
                continue;
            }
            ++changed;
            EXPECT_LE(c.g, 1) << x << "," << y;
            EXPECT_GT(c.r, 0) << x << "," << y;
            if (c.b > 0 && c.b < background_blue) {
                ++blended;
            }
        }
    }
    EXPECT_GT(changed, 2000);
    EXPECT_GT(blended, changed * 9 / 10) << "semi-transparent particles let the scene through";
}

}  // namespace
}  // namespace quillomar
