// The off-screen effects and the object shader on a real context: what each effect does to the
// picture in small synthetic scenes.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_precision.hpp>

#include "camera/camera_math.h"
#include "framework/asset_paths.h"
#include "framework/qlmFramework.h"
#include "particles/particle_system.h"
#include "render/particle_renderer.h"
#include "render/projectors.h"
#include "render/variance_shadow_map.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

constexpr int width = 1024;
constexpr int height = 768;
// The game's fixed matrices and light.
const glm::mat4 bias = glm::scale(glm::translate(glm::mat4(1), glm::vec3(0.5f)), glm::vec3(0.5f));
const glm::vec3 light_pos(6.0f, 30.0f, 6.0f);

GLuint solid_texture(const glm::vec4& color) {
    std::vector<glm::u8vec4> texels(16, glm::u8vec4(color * 255.0f + 0.5f));
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);  // an untextured mesh reads unit 0
    return name;
}

// A square of half side `size` at height y around (x, z), facing up; untextured when diffuse is 0.
mesh ground_quad(float x, float z, float size, float y, GLuint diffuse = 0) {
    mesh m;
    for (const glm::vec2 c : {glm::vec2(-1, -1), {-1, 1}, {1, 1}, {1, -1}}) {
        m.vertices.push_back(
            {glm::vec3(x + size * c.x, y, z + size * c.y), {0, 1, 0}, c * 0.5f + 0.5f});
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

// The object shader's inputs: projection, view, model, shadow, projectedMat, projectedMat2, and
// the shadow map, projector colour and depth, projector colour and depth 2.
struct frame_inputs {
    glm::vec3 cam_pos, light_pos;
    glm::mat4 matrices[6];
    GLuint textures[5] = {};

    frame_inputs(const glm::vec3& eye, const glm::vec3& target, const glm::vec3& light)
        : cam_pos(eye), light_pos(light) {
        std::fill(matrices, matrices + 6, glm::mat4(1));
        matrices[0] = glm::perspective(glm::radians(45.0f), 4.0f / 3.0f, 0.1f, 100.0f);
        matrices[1] = glm::lookAt(eye, target, glm::vec3(0, 1, 0));
    }
};

struct screen_pixels {
    std::vector<glm::u8vec4> rgba = std::vector<glm::u8vec4>(width * height);

    screen_pixels() { glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data()); }
    glm::ivec3 at(int i) const { return glm::ivec3(rgba[i]); }
    glm::ivec3 at(const glm::vec3& world, const frame_inputs& f) const {
        const glm::vec4 clip = f.matrices[0] * f.matrices[1] * glm::vec4(world, 1.0f);
        const glm::ivec2 p((glm::vec2(clip) / clip.w * 0.5f + 0.5f) * glm::vec2(width, height));
        return at(std::clamp(p.y, 0, height - 1) * width + std::clamp(p.x, 0, width - 1));
    }
    int brightness(const glm::vec3& world, const frame_inputs& f) const {
        const glm::ivec3 c = at(world, f);
        return c.r + c.g + c.b;
    }
};

void clear_screen(const glm::vec4& clear) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDisable(GL_BLEND);
    glClearColor(clear.r, clear.g, clear.b, clear.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Draws the meshes on black with the object shader, set up as the level's renderers do.
screen_pixels draw_scene(GLuint program, const std::vector<const mesh*>& meshes,
                         const frame_inputs& f) {
    clear_screen(glm::vec4(0, 0, 0, 1));
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
    return {};
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
        const int x = i % shadow_map_size, y = i / shadow_map_size;
        if (texels[i * 4 + 2] != 0.0f) {
            r = {std::min(r.x0, x), std::min(r.y0, y), std::max(r.x1, x + 1),
                 std::max(r.y1, y + 1)};
        }
    }
    return r;
}

void make_shadow_map(variance_shadow_map& map) {
    test::stream_capture quiet;
    map.create_programs();
    map.create_quad();
    map.create_framebuffers();
}

// A shadow map with the game's light and the ball's model as caster.
class shadow_scene : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        glEnable(GL_DEPTH_TEST);  // what every frame leaves behind for the next shadow pass
        glDepthFunc(GL_LESS);
        ball.load_model(assets::sphere_model);
        object = shader_program(assets::object_vertex_shader, assets::object_fragment_shader);
        make_shadow_map(vsm);  // last, so that nothing tidies up what its set-up leaves bound
    }
    void TearDown() override { vsm.destroy_framebuffers(); }

    const light_matrices light =
        compute_light_matrices(light_pos, glm::vec3(0), glm::vec3(0, 1, 0),
                               glm::perspective(45.0f, 1.3333334f, 0.1f, 100.0f), bias);
    shader_program object;
    variance_shadow_map vsm;
    model ball;
};

// Without and with the ball as caster: the ground under it darkens, open ground and the ball's
// lit side do not. The untextured ground is a light grey, the tile shows its texture's colour.
TEST_F(shadow_scene, a_caster_darkens_the_ground_under_it_but_not_its_own_lit_side) {
    const mesh ground = ground_quad(0, 0, 8, -3);
    const mesh tile = ground_quad(4, 3, 1, -2.99f, solid_texture(glm::vec4(0.6, 0.5, 0.4, 1)));
    frame_inputs f(glm::vec3(0, 9, 10), glm::vec3(0, -3, 0), light_pos);
    f.matrices[3] = light.shadow_matrix;
    f.textures[0] = vsm.blurred_texture();
    const glm::vec3 umbra = light_pos * (1.0f - (light_pos.y + 3.0f) / light_pos.y);
    const glm::vec3 open_ground(4, -3, 3), lit_side = glm::normalize(light_pos);
    std::vector<screen_pixels> pictures;
    for (int casters = 0; casters < 2; ++casters) {
        vsm.render(light.light_mvp, depth_of(ball, std::vector(casters, glm::vec4(0, 0, 0, 1))));
        // The textured tile comes last, so that it meets the same samplers in both pictures.
        pictures.push_back(draw_scene(object.program, {&ground, &ball.meshes[0], &tile}, f));
    }
    const int lit_umbra = pictures[0].brightness(umbra, f);
    EXPECT_GT(lit_umbra, 300);
    EXPECT_LT(pictures[1].brightness(umbra, f), lit_umbra * 6 / 10);
    EXPECT_NEAR(pictures[1].brightness(open_ground, f), pictures[0].brightness(open_ground, f), 3);
    EXPECT_NEAR(pictures[1].brightness(lit_side, f), pictures[0].brightness(lit_side, f), 6);
    const glm::ivec3 grey = pictures[0].at(glm::vec3(-4, -3, 2), f);
    EXPECT_TRUE(grey.g > 80 && std::abs(grey.r - grey.g) + std::abs(grey.b - grey.g) <= 6);
    const glm::ivec3 tinted = pictures[0].at(open_ground, f);
    EXPECT_TRUE(tinted.r > tinted.g && tinted.g > tinted.b);
}

// The blurred map is the caster map blurred by shadow_blur_radius texels along both axes: its
// covered texels reach exactly that far beyond the caster's, and deep inside the caster the
// coverage stays 1.
TEST_F(shadow_scene, the_blur_spreads_the_caster_map_by_its_radius_both_ways) {
    std::vector<float> raw;
    vsm.after_caster_draw = [&] { raw = read_shadow_texture(vsm.moments_texture); };
    vsm.render(light.light_mvp, depth_of(ball, {{0, 0, 0, 1}}));
    const std::vector<float> blurred = read_shadow_texture(vsm.blurred_texture());
    const texel_rect caster = covered_texels(raw);
    ASSERT_GT(std::min(caster.x1 - caster.x0, caster.y1 - caster.y0), 20);
    const int r = shadow_blur_radius;
    EXPECT_EQ(covered_texels(blurred),
              (texel_rect{caster.x0 - r, caster.y0 - r, caster.x1 + r, caster.y1 + r}));
    const int centre =
        ((caster.y0 + caster.y1) / 2 * shadow_map_size + (caster.x0 + caster.x1) / 2) * 4;
    EXPECT_EQ(raw[centre + 2], 1.0f);
    EXPECT_NEAR(blurred[centre + 2], 1.0f, 1e-3f);
    EXPECT_NEAR(blurred[centre], raw[centre], 1e-3f) << "the mean depth inside the caster";
}

// The restricted pass leaves the blurred map exactly as the whole-map pass does, frame after
// frame, also where a caster was and has gone and with dozens of separate casters, while blurring
// only near the casters; a sphere beside the light, out of its view, is left out, and one around
// the light makes it a whole-map pass. Both end in the state the main pass expects.
TEST_F(shadow_scene, the_restricted_pass_gives_the_whole_map_result_bit_for_bit) {
    variance_shadow_map whole;
    make_shadow_map(whole);
    // Balls of radius 1 and tiny ones, whose footprints leave no slack around their images.
    const glm::vec4 around_light(light_pos, 1.0f);
    const glm::vec4 beside_light(light_pos + glm::vec3(21.2f, 0, -21.2f), 1.0f);
    // clang-format off
    std::vector<std::vector<glm::vec4>> frames = {
        {{0, 3, 0, 1}, {-5, 1, 4, 1}}, {{1.5f, 3, 0.5f, 1}, {2, 1, -2, 0.05f}}, {},
        {{-3, 2, -3, 1}, {-3, 2, -1.5f, 1}, {4, 1, -4, 0.05f}, {3, 0.5f, 3, 0.03f},
         {1, 0.5f, 3.3f, 0.02f}, {-1.7f, 0.5f, 2, 0.02f}, {-6.1f, 0.5f, 0.3f, 0.02f},
         {5.2f, 0.5f, -0.7f, 0.02f}},
        {around_light}, {{-3, 2, -3, 1}, {2.03f, 1, -2, 0.05f}, beside_light}, {}};
    // clang-format on
    for (int k = 0; k < 48; ++k) {
        frames.back().emplace_back(-7.0f + k % 8 * 2.0f, 0.5f + k % 3, -7.0f + k / 8 * 2.5f, 0.3f);
    }
    test::stream_capture console;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        whole.render(light.light_mvp, depth_of(ball, frames[i]));
        vsm.render(light.light_mvp, depth_of(ball, frames[i]), frames[i]);
        GLint fbo = -1;
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &fbo);
        EXPECT_TRUE(fbo == 0 && !glIsEnabled(GL_SCISSOR_TEST) && !glIsEnabled(GL_CULL_FACE) &&
                    !glIsEnabled(GL_POLYGON_OFFSET_FILL))
            << i;
        const std::vector<float> expected = read_shadow_texture(whole.blurred_texture());
        const std::vector<float> actual = read_shadow_texture(vsm.blurred_texture());
        EXPECT_EQ(std::memcmp(expected.data(), actual.data(), expected.size() * sizeof(float)), 0)
            << i;
        long long blurred_area = 0;
        for (const texel_rect& r : vsm.last_blur_regions) {
            blurred_area += r.area();
        }
        if (frames[i] == std::vector{around_light}) {
            EXPECT_EQ(vsm.last_draw_box, whole_shadow_map);
        } else {
            EXPECT_LT(blurred_area, shadow_map_size * shadow_map_size / 8) << i;
        }
    }
    EXPECT_EQ(console.text(), "") << "no OpenGL error";
    whole.destroy_framebuffers();
}

// Narrowed to the texels a view reads, the pass gives the whole-map result there, frame after
// frame while the view and the casters move, though it draws only the casters that its crop
// planes keep (as the game culls them) and clips the draw to the view's reach.
TEST_F(shadow_scene, the_pass_narrowed_to_the_seen_texels_is_exact_there) {
    variance_shadow_map whole;
    make_shadow_map(whole);
    std::vector<texel_rect> f;
    ASSERT_TRUE(caster_footprints(light.light_mvp, {{0, 2, 0, 1}, {-5, 1, 4, 1}}, f));
    // Half of the first ball's shadow; the second's, the first's beside it; nothing; all.
    const texel_rect views[] = {{f[0].x0, f[0].y0, (f[0].x0 + f[0].x1) / 2, f[0].y1},
                                seen_texels(light.light_mvp, {{-5, 1, 4, 1}}), {}, {},
                                whole_shadow_map};
    test::stream_capture console;
    for (int i = 0; i < 5; ++i) {
        const float step = 0.3f * static_cast<float>(i);
        const std::vector<glm::vec4> casters = {{step, 2, 0, 1}, {-5, 1, 4 - step, 1}};
        const texel_rect& seen = views[i];
        const glm::mat4 crop = crop_matrix(caster_reach(seen)) * light.light_mvp;
        std::vector<glm::vec4> kept;
        std::copy_if(casters.begin(), casters.end(), std::back_inserter(kept),
                     [&](const glm::vec4& c) { return !clip_planes(crop).outside(c, c.w); });
        EXPECT_EQ(kept.size(), std::vector<std::size_t>({1, 1, 0, 0, 2})[i]) << i;
        whole.render(light.light_mvp, depth_of(ball, casters));
        vsm.render(light.light_mvp, depth_of(ball, kept), casters, seen);
        const std::vector<float> expected = read_shadow_texture(whole.blurred_texture());
        const std::vector<float> actual = read_shadow_texture(vsm.blurred_texture());
        for (int y = seen.y0; y < seen.y1; ++y) {
            const std::size_t row = (static_cast<std::size_t>(y) * shadow_map_size + seen.x0) * 4;
            ASSERT_EQ(std::memcmp(&expected[row], &actual[row],
                                  static_cast<std::size_t>(seen.x1 - seen.x0) * 4 * sizeof(float)),
                      0) << i << " row " << y;
        }
        const texel_rect reach = caster_reach(seen);
        const texel_rect& box = vsm.last_draw_box;
        EXPECT_TRUE(box.empty() || (box.x0 >= reach.x0 && box.x1 <= reach.x1 &&
                                    box.y0 >= reach.y0 && box.y1 <= reach.y1)) << i;
    }
    EXPECT_EQ(console.text(), "") << "no OpenGL error";
    whole.destroy_framebuffers();
}

// Each projector looks at its field from its own side (start from +z, finish from -z); an
// occluder above the field hides a patch behind it. The untextured ground is grey elsewhere.
// The main pass leaves the shadow look-up out for a box whose footprint misses every caster's:
// the footprint must hold the image of every corner, and a box is tighter than its sphere.
TEST(box_footprint, holds_every_corner_is_inside_the_spheres_and_refuses_the_light_plane) {
    const glm::mat4 light_mvp = glm::perspective(1.0f, 4.0f / 3.0f, 0.1f, 100.0f) *
                                glm::lookAt(light_pos, glm::vec3(6, 0, 6), glm::vec3(0, 0, 1));
    const model_bounds cube{glm::vec3(0), glm::vec3(2), false};
    const glm::mat4 placed[] = {glm::mat4(1.0f),
                                glm::translate(glm::mat4(1.0f), glm::vec3(10, -4, 3)),
                                glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(4, 2, 9)),
                                            1.5707964f, glm::vec3(1, 0, 0))};
    for (const glm::mat4& m : placed) {
        texel_rect box;
        std::vector<texel_rect> sphere;
        ASSERT_TRUE(box_footprint(light_mvp, cube, m, box));
        ASSERT_TRUE(caster_footprints(light_mvp, {bounding_sphere(cube, m)}, sphere));
        ASSERT_EQ(sphere.size(), 1u);
        EXPECT_TRUE(box.x0 >= sphere[0].x0 && box.y0 >= sphere[0].y0 && box.x1 <= sphere[0].x1 &&
                    box.y1 <= sphere[0].y1 && box.area() < sphere[0].area());
        for (int i = 0; i < 8; ++i) {
            const glm::vec4 clip =
                light_mvp * m *
                glm::vec4(float(i & 1) * 2, float(i >> 1 & 1) * 2, float(i >> 2) * 2, 1);
            const float x = (clip.x / clip.w * 0.5f + 0.5f) * shadow_map_size;
            const float y = (clip.y / clip.w * 0.5f + 0.5f) * shadow_map_size;
            EXPECT_TRUE(x >= box.x0 + 1 && x <= box.x1 - 1 && y >= box.y0 + 1 && y <= box.y1 - 1)
                << i;
        }
    }
    texel_rect ignored;
    EXPECT_FALSE(box_footprint(light_mvp, cube,
                               glm::translate(glm::mat4(1.0f), light_pos - glm::vec3(1)), ignored));
    EXPECT_FALSE(box_footprint(light_mvp, model_bounds{}, glm::mat4(1.0f), ignored));
}

TEST(projector_scene, each_image_lands_on_open_ground_but_not_behind_an_occluder) {
    ASSERT_NE(test::shared_gl_window(), nullptr);
    projectors projection;
    test::stream_capture console;
    projection.setup();
    const shader_program object(assets::object_vertex_shader, assets::object_fragment_shader);
    // Magenta and cyan stand-ins for the start and finish images.
    projection.start_image = solid_texture(glm::vec4(1, 0, 1, 1));
    projection.finish_image = solid_texture(glm::vec4(0, 1, 1, 1));
    model scene;
    scene.meshes.push_back(ground_quad(0, 0, 4, 0));
    scene.meshes.push_back(ground_quad(0, 0, 0.35f, 1));
    const struct {
        glm::vec2 start, finish;
        glm::ivec3 mark;  // 1 for the channels the image fills, 0 for the others
        glm::vec3 hidden;
        bool draws;  // false: the same view again keeps its targets without drawing
    } cases[] = {{{0, 0}, {20, 20}, {1, 0, 1}, {0, 0, -1}, true},
                 {{0, 0}, {20, 20}, {1, 0, 1}, {0, 0, -1}, false},
                 {{20, 20}, {0, 0}, {0, 1, 1}, {0, 0, 1}, true}};
    const auto where = [](const glm::mat4& vp) {
        return std::uint64_t(std::llround(vp[3][0] * 1e3)) ^ std::uint64_t(vp[3][2] * 1e3) << 32;
    };
    for (const auto& c : cases) {
        glEnable(GL_DEPTH_TEST);
        const projector_matrices m = projection.render(
            c.start, c.finish, [](float x, float) { return x == 20.0f ? -22.0f : 0.0f; },
            glm::perspective(20.0f, 1.7f, 0.1f, 50.0f), bias,
            c.draws ? depth_of(scene, {glm::vec4(0, 0, 0, 1)}) : depth_draw(), where);
        frame_inputs f(glm::vec3(0, 8, 6), glm::vec3(0), glm::vec3(0, 30, 10));
        f.matrices[4] = m.projected_matrix;
        f.matrices[5] = m.projected_matrix2;
        const GLuint maps[] = {
            projection.projector_color_texture, projection.projector_depth_texture,
            projection.projector_color_texture2, projection.projector_depth_texture2};
        std::copy(maps, maps + 4, f.textures + 1);
        const screen_pixels pixels = draw_scene(object.program, {&scene.meshes[0]}, f);
        const glm::ivec3 open = pixels.at(glm::vec3(1.5f, 0, 0), f);
        EXPECT_EQ(glm::ivec3(glm::greaterThan(open, glm::ivec3(128))), c.mark)
            << open.r << open.g << open.b;
        for (const glm::vec3& grey_point : {c.hidden, glm::vec3(3.5f, 0, 3.5f)}) {
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
    random_stream random;
    test::stream_capture console;
    particle_renderer drawer;
    const frame_inputs f(glm::vec3(0, 1, 6), glm::vec3(0), glm::vec3(0));
    for (int frame = 0; frame < 20; ++frame) {
        particles.emit(0.016f, glm::vec3(0), random);
        particles.simulate(0.016f, f.cam_pos);
    }
    // Over a dark blue background, with the game's blending.
    clear_screen(glm::vec4(0, 0, 0.6f, 1));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    drawer.draw(particles, f.matrices[1], f.matrices[0] * f.matrices[1]);
    check_gl_error("particle test", 1);
    EXPECT_EQ(console.text(), "");
    const screen_pixels pixels;
    int changed = 0, blended = 0;
    for (int i = 0; i < width * height; ++i) {
        const glm::ivec3 c = pixels.at(i);
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
