// The off-screen effects and the object shader on a real context: set-up messages, framebuffer
// completeness, and what each effect does to the picture in small synthetic scenes.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_precision.hpp>

#include "framework/asset_paths.h"
#include "framework/qlmFramework.h"
#include "particles/particle_system.h"
#include "render/particle_renderer.h"
#include "render/projectors.h"
#include "render/variance_shadow_map.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

constexpr int screen_width = 1024;
constexpr int screen_height = 768;

// The game's fixed matrices and light.
const glm::mat4 light_projection = glm::perspective(45.0f, 1.3333334f, 0.1f, 100.0f);
const glm::mat4 projector_projection = glm::perspective(20.0f, 1.7f, 0.1f, 50.0f);
const glm::mat4 bias =
    glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0.5f)), glm::vec3(0.5f));
const glm::vec3 light_pos(6.0f, 30.0f, 6.0f);

GLuint solid_texture(const glm::vec4& color) {
    std::vector<glm::u8vec4> texels(16, glm::u8vec4(color * 255.0f + 0.5f));
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

// A square from (-size, y, -size) to (size, y, size) around (x, z), facing up; untextured when
// `diffuse` is 0.
mesh ground_quad(float x, float z, float size, float y, GLuint diffuse) {
    mesh m;
    for (const glm::vec2 corner : {glm::vec2(-1, -1), {-1, 1}, {1, 1}, {1, -1}}) {
        m.vertices.push_back({glm::vec3(x + size * corner.x, y, z + size * corner.y),
                              glm::vec3(0, 1, 0), corner * 0.5f + 0.5f});
    }
    m.indices = {0, 1, 2, 0, 2, 3};
    if (diffuse != 0) {
        m.textures.push_back({diffuse, "texture_diffuse", "synthetic"});
    }
    m.materials.push_back(material{{}, {}, {}, 8.0f, 1.0f});
    m.setup_mesh();
    return m;
}

// Draws the model's depth moved to each place (xyz) and scaled by its w in turn.
depth_draw depth_of(const model& m, std::vector<glm::vec4> places) {
    return [&m, places](const glm::mat4& view_projection, GLint location) {
        for (const glm::vec4& p : places) {
            const glm::mat4 mvp =
                glm::scale(glm::translate(view_projection, glm::vec3(p)), glm::vec3(p.w));
            glUniformMatrix4fv(location, 1, GL_FALSE, &mvp[0][0]);
            m.draw_depth();
        }
    };
}

// What the object shader takes: the camera and light positions, the projection, view, model,
// shadow, projectedMat and projectedMat2 matrices, and the textures of the shadow map, projector
// colour and depth, and projector colour and depth 2.
struct frame_inputs {
    glm::vec3 cam_pos;
    glm::vec3 light_pos;
    glm::mat4 matrices[6];
    GLuint textures[5] = {};
};

frame_inputs camera(const glm::vec3& eye, const glm::vec3& target, const glm::vec3& light) {
    return {eye,
            light,
            {glm::perspective(glm::radians(45.0f), 4.0f / 3.0f, 0.1f, 100.0f),
             glm::lookAt(eye, target, glm::vec3(0, 1, 0)), glm::mat4(1), glm::mat4(1), glm::mat4(1),
             glm::mat4(1)}};
}

struct screen_pixels {
    std::vector<glm::u8vec4> rgba = std::vector<glm::u8vec4>(screen_width * screen_height);

    glm::ivec3 at(int x, int y) const { return glm::ivec3(rgba[y * screen_width + x]); }

    glm::ivec3 at(const glm::vec3& world, const frame_inputs& f) const {
        const glm::vec4 clip = f.matrices[0] * f.matrices[1] * glm::vec4(world, 1.0f);
        const glm::ivec2 pixel((glm::vec2(clip) / clip.w * 0.5f + 0.5f) *
                               glm::vec2(screen_width, screen_height));
        return at(std::clamp(pixel.x, 0, screen_width - 1),
                  std::clamp(pixel.y, 0, screen_height - 1));
    }

    int brightness(const glm::vec3& world, const frame_inputs& f) const {
        const glm::ivec3 c = at(world, f);
        return c.r + c.g + c.b;
    }
};

void clear_screen(const glm::vec4& clear) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glViewport(0, 0, screen_width, screen_height);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_BLEND);
    glClearColor(clear.r, clear.g, clear.b, clear.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

screen_pixels read_screen() {
    screen_pixels result;
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, screen_width, screen_height, GL_RGBA, GL_UNSIGNED_BYTE, result.rgba.data());
    return result;
}

// Draws the meshes on black with the object shader, its uniforms set as the level's renderers
// set them, and reads the picture back.
screen_pixels draw_scene(GLuint program, const std::vector<const mesh*>& meshes,
                         const frame_inputs& f) {
    clear_screen(glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    glUseProgram(program);
    const char* const matrices[] = {"projection", "view",         "model",
                                    "shadow",     "projectedMat", "projectedMat2"};
    for (int i = 0; i < 6; ++i) {
        glUniformMatrix4fv(glGetUniformLocation(program, matrices[i]), 1, GL_FALSE,
                           &f.matrices[i][0][0]);
    }
    glUniform3fv(glGetUniformLocation(program, "light_pos"), 1, &f.light_pos[0]);
    glUniform3fv(glGetUniformLocation(program, "cam_pos"), 1, &f.cam_pos[0]);
    const char* const samplers[] = {"shadow_tex", "proj_tex", "projector_depth_tex", "proj_tex2",
                                    "projector_depth_tex2"};
    const int units[] = {5, 10, 11, 12, 13};
    for (int i = 0; i < 5; ++i) {
        glUniform1i(glGetUniformLocation(program, samplers[i]), units[i]);
        glActiveTexture(GL_TEXTURE0 + units[i]);
        glBindTexture(GL_TEXTURE_2D, f.textures[i]);
    }
    for (const mesh* m : meshes) {
        m->draw(program);
    }
    glUseProgram(0);
    return read_screen();
}

std::vector<float> read_shadow_texture(GLuint texture) {
    std::vector<float> texels(shadow_map_size * shadow_map_size * 4);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texels;
}

// The box around the texels whose coverage (the third channel) is not zero.
texel_rect covered_texels(const std::vector<float>& texels) {
    texel_rect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int i = 0; i < shadow_map_size * shadow_map_size; ++i) {
        const int x = i % shadow_map_size;
        const int y = i / shadow_map_size;
        if (texels[i * 4 + 2] != 0.0f) {
            r = {std::min(r.x0, x), std::min(r.y0, y), std::max(r.x1, x + 1),
                 std::max(r.y1, y + 1)};
        }
    }
    return r;
}

void make_shadow_map(variance_shadow_map& map) {
    map.create_programs();
    map.create_quad();
    map.create_framebuffers();
}

// A shadow map with the game's light, the ball's model as caster, and a 16 x 16 ground 3 below it.
class shadow_scene : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        glEnable(GL_DEPTH_TEST);  // what every frame leaves behind for the next shadow pass
        glDepthFunc(GL_LESS);
        ball.load_model(assets::sphere_model);
        ground = ground_quad(0.0f, 0.0f, 8.0f, -3.0f, 0);
        tile = ground_quad(4.0f, 3.0f, 1.0f, -2.99f, solid_texture(glm::vec4(0.6, 0.5, 0.4, 1)));
        // The shadow map last, so that nothing after it tidies up what its set-up leaves bound.
        test::stream_capture console;
        object = shader_program(assets::object_vertex_shader, assets::object_fragment_shader);
        make_shadow_map(vsm);
        setup_lines = console.lines();
        light = compute_light_matrices(light_pos, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f),
                                       light_projection, bias);
    }

    void TearDown() override { vsm.destroy_framebuffers(); }

    light_matrices light;
    shader_program object;
    variance_shadow_map vsm;
    std::vector<std::string> setup_lines;
    model ball;
    mesh ground;  // untextured
    mesh tile;    // textured, on the ground
};

// The scene drawn with the blurred map from a pass without and with the ball as caster: the
// ground under it darkens, open ground and the ball's lit side do not. The untextured ground,
// drawn first, is a light grey, the tile shows its texture's colour.
TEST_F(shadow_scene, a_caster_darkens_the_ground_under_it_but_not_its_own_lit_side) {
    frame_inputs f = camera(glm::vec3(0.0f, 9.0f, 10.0f), glm::vec3(0.0f, -3.0f, 0.0f), light_pos);
    f.matrices[3] = light.shadow_matrix;
    f.textures[0] = vsm.filter_textures[1];
    const glm::vec3 umbra = light_pos * (1.0f - (light_pos.y + 3.0f) / light_pos.y);
    const glm::vec3 open_ground(4.0f, -3.0f, 3.0f);
    const glm::vec3 lit_side = glm::normalize(light_pos);
    screen_pixels pictures[2];
    for (int casters = 0; casters < 2; ++casters) {
        vsm.render(light.light_mvp, depth_of(ball, std::vector(casters, glm::vec4(0, 0, 0, 1))));
        // A sampler a mesh does not set keeps the value the last mesh gave it: the textured tile
        // comes last, so that it meets the same samplers in both pictures.
        pictures[casters] = draw_scene(object.program, {&ground, &ball.meshes[0], &tile}, f);
    }
    const int lit_umbra = pictures[0].brightness(umbra, f);
    EXPECT_GT(lit_umbra, 300);
    EXPECT_LT(pictures[1].brightness(umbra, f), lit_umbra * 6 / 10);
    EXPECT_NEAR(pictures[1].brightness(open_ground, f), pictures[0].brightness(open_ground, f), 3);
    EXPECT_NEAR(pictures[1].brightness(lit_side, f), pictures[0].brightness(lit_side, f), 6);
    const glm::ivec3 grey = pictures[0].at(glm::vec3(-4.0f, -3.0f, 2.0f), f);
    EXPECT_TRUE(grey.g > 80 && std::abs(grey.r - grey.g) + std::abs(grey.b - grey.g) <= 6);
    const glm::ivec3 tinted = pictures[0].at(open_ground, f);
    EXPECT_TRUE(tinted.r > tinted.g && tinted.g > tinted.b);
}

// The caster's texels lie inside its footprint, which is not much larger. The blurred map is the
// caster map blurred by shadow_blur_radius texels along both axes: its covered texels reach
// exactly that far beyond the caster's in every direction, and deep inside the caster the
// coverage stays 1.
TEST_F(shadow_scene, the_caster_map_lies_in_its_footprint_and_the_blur_spreads_it_both_ways) {
    EXPECT_EQ(setup_lines, (std::vector<std::string>{"FBO setup successful.",
                                                     "Filtering FBO setup successful."}));
    for (GLuint fbo : {vsm.shadow_fbo, vsm.filter_fbo}) {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    }
    vsm.render(light.light_mvp, depth_of(ball, {{0, 0, 0, 1}}));
    const std::vector<float> raw = read_shadow_texture(vsm.moments_texture);
    const std::vector<float> blurred = read_shadow_texture(vsm.filter_textures[1]);
    const texel_rect caster = covered_texels(raw);
    ASSERT_GT(std::min(caster.x1 - caster.x0, caster.y1 - caster.y0), 20);
    std::vector<texel_rect> footprint;
    ASSERT_TRUE(caster_footprints(light.light_mvp, {glm::vec4(0, 0, 0, 1)}, footprint));
    ASSERT_EQ(footprint.size(), 1u);
    EXPECT_EQ(merge_regions({footprint[0], caster}), footprint) << "the footprint holds the caster";
    EXPECT_LT(footprint[0].area(), 3 * caster.area());

    const int r = shadow_blur_radius;
    EXPECT_EQ(covered_texels(blurred),
              (texel_rect{caster.x0 - r, caster.y0 - r, caster.x1 + r, caster.y1 + r}));
    const int centre =
        ((caster.y0 + caster.y1) / 2 * shadow_map_size + (caster.x0 + caster.x1) / 2) * 4;
    EXPECT_EQ(raw[centre + 2], 1.0f);
    EXPECT_NEAR(blurred[centre + 2], 1.0f, 1e-3f);
    EXPECT_NEAR(blurred[centre], raw[centre], 1e-3f) << "the mean depth inside the caster";
}

// The restricted pass must leave the blurred map exactly as the whole-map pass does, frame after
// frame, also where a caster was in an earlier frame and has gone, while drawing only near the
// casters; a sphere around the light makes it a whole-map pass. Both passes end in the state the
// main pass expects.
TEST_F(shadow_scene, the_restricted_pass_gives_the_whole_map_result_bit_for_bit) {
    variance_shadow_map whole;
    {
        test::stream_capture quiet;
        make_shadow_map(whole);
    }
    // Balls of radius 1 and tiny ones, whose footprints leave no slack around their images.
    const glm::vec4 around_light(light_pos, 1.0f);
    const std::vector<std::vector<glm::vec4>> frames = {
        {glm::vec4(0, 3, 0, 1), glm::vec4(-5, 1, 4, 1)},
        {glm::vec4(1.5f, 3, 0.5f, 1), glm::vec4(2, 1, -2, 0.05f)},
        {},
        {glm::vec4(-3, 2, -3, 1), glm::vec4(-3, 2, -1.5f, 1), glm::vec4(4, 1, -4, 0.05f),
         glm::vec4(3, 0.5f, 3, 0.03f), glm::vec4(1, 0.5f, 3.3f, 0.02f),
         glm::vec4(-1.7f, 0.5f, 2, 0.02f), glm::vec4(-6.1f, 0.5f, 0.3f, 0.02f),
         glm::vec4(5.2f, 0.5f, -0.7f, 0.02f)},
        {around_light},
        {glm::vec4(-3, 2, -3, 1), glm::vec4(2.03f, 1, -2, 0.05f)},
    };
    auto expect_main_pass_state = [](std::size_t frame) {
        GLint state[6] = {};
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &state[0]);
        glGetIntegerv(GL_DRAW_BUFFER, &state[1]);
        glGetIntegerv(GL_VIEWPORT, &state[2]);
        EXPECT_EQ(std::vector(state, state + 6),
                  std::vector<GLint>({0, GL_BACK, 0, 0, shadow_map_size, shadow_map_size}))
            << frame;
        for (GLenum cap : {GL_CULL_FACE, GL_POLYGON_OFFSET_FILL, GL_SCISSOR_TEST}) {
            EXPECT_FALSE(glIsEnabled(cap)) << std::hex << cap << " frame " << frame;
        }
    };
    test::stream_capture console;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        whole.render(light.light_mvp, depth_of(ball, frames[i]));
        expect_main_pass_state(i);
        vsm.render(light.light_mvp, depth_of(ball, frames[i]), frames[i]);
        expect_main_pass_state(i);
        const std::vector<float> expected = read_shadow_texture(whole.filter_textures[1]);
        const std::vector<float> actual = read_shadow_texture(vsm.filter_textures[1]);
        EXPECT_EQ(std::memcmp(expected.data(), actual.data(), expected.size() * sizeof(float)), 0)
            << "frame " << i;
        if (frames[i] == std::vector{around_light}) {
            EXPECT_EQ(vsm.last_draw_box, whole_shadow_map);
        } else {
            EXPECT_LT(vsm.last_draw_box.area(), shadow_map_size * shadow_map_size / 4) << i;
        }
    }
    EXPECT_EQ(console.text(), "") << "no OpenGL error";
    const GLuint fbo = whole.shadow_fbo;
    whole.destroy_framebuffers();
    EXPECT_EQ(glIsFramebuffer(fbo), GL_FALSE);
}

TEST(shadow_footprints, spheres_off_the_map_get_none_and_behind_the_light_are_refused) {
    const light_matrices light = compute_light_matrices(
        light_pos, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f), light_projection, bias);
    const std::pair<glm::vec4, int> cases[] = {
        {{0.0f, 3.0f, 0.0f, 1.0f}, 1},      {{0.0f, 3.0f, 0.0f, -1.0f}, 1},
        {{-200.0f, 0.0f, 200.0f, 1.0f}, 0},  // off the map
        {{12.0f, 60.0f, 12.0f, 1.0f}, -1},   // behind the light: refused
        {{6.0f, 30.0f, 6.0f, 2.0f}, -1},     // around the light: refused
    };
    for (const auto& [sphere, rectangles] : cases) {
        std::vector<texel_rect> footprints;
        EXPECT_EQ(caster_footprints(light.light_mvp, {sphere}, footprints), rectangles >= 0);
        EXPECT_EQ(footprints.size(), std::max(rectangles, 0) + 0u) << sphere.x;
    }
}

TEST(shadow_footprints, a_bounding_sphere_holds_every_vertex_of_the_placed_model) {
    const glm::vec3 points[] = {{-40, 0, -30}, {40, 25, 30}, {0, 60, 5}, {-10, -5, 35}};
    model spider;
    spider.meshes.resize(2);
    for (int i = 0; i < 4; ++i) {
        spider.meshes[i % 2].vertices.push_back({points[i]});
    }
    const glm::mat4 placed = glm::rotate(
        glm::scale(glm::translate(glm::mat4(1), {6, 4, 10}), glm::vec3(0.015f, 0.01f, 0.015f)),
        1.5707964f, glm::vec3(0, 1, 0));
    const glm::vec4 sphere = bounding_sphere(bounds_of(spider), placed);
    for (const glm::vec3& p : points) {
        const glm::vec3 world(placed * glm::vec4(p, 1.0f));
        EXPECT_LE(glm::length(world - glm::vec3(sphere)), sphere.w + 1e-5f);
    }
    EXPECT_LT(sphere.w, 1.0f) << "no looser than the box around the placed model";
    EXPECT_EQ(bounding_sphere(bounds_of(model{}), placed), glm::vec4(6.0f, 4.0f, 10.0f, 0.0f));
}

TEST(shadow_footprints, regions_that_overlap_or_touch_merge_and_too_many_become_one) {
    std::vector<texel_rect> scattered;
    for (int i = 0; i < 40; ++i) {
        scattered.push_back({i * 20, i * 20, i * 20 + 2, i * 20 + 2});
    }
    const std::pair<std::vector<texel_rect>, std::vector<texel_rect>> cases[] = {
        {{{10, 10, 50, 50}, {40, 40, 80, 80}, {500, 500, 520, 520}, {0, 0, 0, 0}},
         {{10, 10, 80, 80}, {500, 500, 520, 520}}},
        {{{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 30, 10, 40}}, {{0, 0, 20, 10}, {0, 30, 10, 40}}},
        {{{0, 0, 10, 10}, {20, 0, 30, 10}, {10, 0, 20, 10}}, {{0, 0, 30, 10}}},  // in two rounds
        {scattered, {{0, 0, 782, 782}}},
    };
    for (const auto& [regions, merged] : cases) {
        EXPECT_EQ(merge_regions(regions), merged) << regions.size() << " regions";
    }
}

// Each projector looks at its field from its own side (start from +z, finish from -z); an
// occluder above the field hides a patch behind it. The untextured ground is grey elsewhere.
TEST(projector_scene, each_image_lands_on_open_ground_but_not_behind_an_occluder) {
    ASSERT_NE(test::shared_gl_window(), nullptr);
    projectors projection;
    test::stream_capture console;
    projection.setup();
    const shader_program object(assets::object_vertex_shader, assets::object_fragment_shader);
    EXPECT_EQ(console.text(), "");
    EXPECT_NE(projection.projector_mvp_location, -1);
    for (GLuint fbo : {projection.projector_depth_fbo, projection.projector_depth_fbo2}) {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    }
    // Magenta and cyan stand-ins for the start and finish images.
    projection.start_image = solid_texture(glm::vec4(1.0f, 0.0f, 1.0f, 1.0f));
    projection.finish_image = solid_texture(glm::vec4(0.0f, 1.0f, 1.0f, 1.0f));
    model scene;
    scene.meshes.push_back(ground_quad(0.0f, 0.0f, 4.0f, 0.0f, 0));
    scene.meshes.push_back(ground_quad(0.0f, 0.0f, 0.35f, 1.0f, 0));
    const struct {
        glm::vec2 start, finish;
        glm::ivec3 mark;  // 1 for the channels the image fills, 0 for the others
        glm::vec3 hidden;
    } cases[] = {{{0, 0}, {20, 20}, {1, 0, 1}, {0, 0, -1}},
                 {{20, 20}, {0, 0}, {0, 1, 1}, {0, 0, 1}}};
    for (const auto& c : cases) {
        glEnable(GL_DEPTH_TEST);
        const projector_matrices m = projection.render(
            c.start, c.finish, [](float x, float) { return x == 20.0f ? -22.0f : 0.0f; },
            projector_projection, bias, depth_of(scene, {glm::vec4(0, 0, 0, 1)}));
        GLint program = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        EXPECT_EQ(program, 0);
        frame_inputs f = camera(glm::vec3(0, 8, 6), glm::vec3(0), glm::vec3(0, 30, 10));
        f.matrices[4] = m.projected_matrix;
        f.matrices[5] = m.projected_matrix2;
        f.textures[1] = projection.projector_color_texture;
        f.textures[2] = projection.projector_depth_texture;
        f.textures[3] = projection.projector_color_texture2;
        f.textures[4] = projection.projector_depth_texture2;
        const screen_pixels pixels = draw_scene(object.program, {&scene.meshes[0]}, f);
        const glm::ivec3 open = pixels.at(glm::vec3(1.5f, 0.0f, 0.0f), f);
        EXPECT_EQ(glm::ivec3(glm::greaterThan(open, glm::ivec3(128))), c.mark)
            << open.r << open.g << open.b;
        for (const glm::vec3& grey_point : {c.hidden, glm::vec3(3.5f, 0.0f, 3.5f)}) {
            const glm::ivec3 grey = pixels.at(grey_point, f);
            EXPECT_GT(grey.g, 60) << grey_point.z;
            EXPECT_LE(std::abs(grey.r - grey.g) + std::abs(grey.b - grey.g), 6) << grey_point.z;
        }
    }
    EXPECT_EQ(console.text(), "") << "no OpenGL error";
    projection.destroy_framebuffers();
}

TEST(particle_burst, drawn_particles_are_red_and_blended_over_the_scene) {
    ASSERT_NE(test::shared_gl_window(), nullptr);
    particle_system particles;
    test::stream_capture console;
    particle_renderer drawer;
    const frame_inputs f = camera(glm::vec3(0.0f, 1.0f, 6.0f), glm::vec3(0.0f), glm::vec3(0.0f));
    for (int frame = 0; frame < 20; ++frame) {
        particles.emit(0.016f, glm::vec3(0.0f));
        particles.simulate(0.016f, f.cam_pos);
    }
    // Over a dark blue background, with the game's blending.
    clear_screen(glm::vec4(0.0f, 0.0f, 0.6f, 1.0f));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    drawer.draw(particles, f.matrices[1], f.matrices[0] * f.matrices[1]);
    check_gl_error("particle test", 1);
    EXPECT_EQ(console.text(), "");
    const screen_pixels pixels = read_screen();
    int changed = 0;
    int blended = 0;
    for (int i = 0; i < screen_width * screen_height; ++i) {
        const glm::ivec3 c = pixels.at(i % screen_width, i / screen_width);
        if (c != glm::ivec3(0, 0, 153)) {
            ++changed;
            EXPECT_TRUE(c.g <= 1 && c.r > 0) << i;
            blended += c.b > 0 && c.b < 153 ? 1 : 0;
        }
    }
    EXPECT_GT(changed, 2000);
    EXPECT_GT(blended, changed * 9 / 10) << "semi-transparent particles let the scene through";
}

}  // namespace
}  // namespace quillomar
