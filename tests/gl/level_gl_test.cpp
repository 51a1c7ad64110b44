// The level with a real context: start-up lines and models, and what the drawing passes put on
// screen, using small box models and a one-colour shader.
#include <GL/glew.h>

#include <array>
#include <filesystem>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <sstream>

#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

using box = std::array<float, 6>;  // x0, y0, z0, x1, y1, z1

// One OBJ object per box, so that every box becomes one mesh, in order.
std::string boxes_obj(const std::vector<box>& boxes) {
    std::ostringstream out;
    int base = 1;
    for (std::size_t b = 0; b < boxes.size(); ++b) {
        const box& x = boxes[b];
        out << "o part" << b << "\n";
        for (int i = 0; i < 8; ++i) {
            out << "v " << x[(i & 1) ? 3 : 0] << " " << x[(i & 2) ? 4 : 1] << " "
                << x[(i & 4) ? 5 : 2] << "\n";
        }
        const int faces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4},
                                 {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
        for (const auto& f : faces) {
            out << "f " << base + f[0] << " " << base + f[1] << " " << base + f[2] << " "
                << base + f[3] << "\n";
        }
        base += 8;
    }
    return out.str();
}

// A bar along +x from the model's origin: every quarter turn shows.
const std::vector<box> bar = {{0.0f, 0.0f, 0.0f, 1.6f, 0.3f, 0.3f}};
const std::vector<box> three_bars = {bar[0], bar[0], bar[0]};
const std::vector<box> tile = {{0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.1f}};

// Eleven meshes: 0, 1 and 10 body, 2 to 9 legs; in model units (scaled by 0.015, 0.01).
std::vector<box> spider_boxes() {
    std::vector<box> parts(11, box{0.0f, 0.0f, 0.0f, 100.0f, 100.0f, 10.0f});
    parts[10] = {0.0f, -200.0f, 0.0f, 100.0f, -100.0f, 10.0f};
    return parts;
}

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    EXPECT_EQ(ok, GL_TRUE);
    return shader;
}

GLuint link(const char* vertex_source) {
    const char* fragment_source =
        "#version 330 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n";
    const GLuint program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, vertex_source));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, fragment_source));
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    EXPECT_EQ(ok, GL_TRUE);
    return program;
}

// Draws with the object program's matrix uniforms; every fragment is white.
GLuint object_program() {
    return link(
        "#version 330 core\nlayout(location = 0) in vec3 position;\n"
        "uniform mat4 projection;\nuniform mat4 view;\nuniform mat4 model;\n"
        "void main() { gl_Position = projection * view * model * vec4(position, 1.0); }\n");
}

GLuint depth_program() {
    return link(
        "#version 330 core\nlayout(location = 0) in vec3 position;\nuniform mat4 mvp;\n"
        "void main() { gl_Position = mvp * vec4(position, 1.0); }\n");
}

// A 256 × 256 off-screen target showing world x and y in [−8, 8], 16 pixels per unit.
class level_gl : public test::gl_test {
protected:
    void SetUp() override {
        gl_test::SetUp();
        glGenFramebuffers(1, &framebuffer);
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size, size);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        ASSERT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, size, size);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    void TearDown() override {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(1, &colour);
        glDeleteFramebuffers(1, &framebuffer);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    std::string model_file(const std::string& name, const std::vector<box>& boxes) {
        return files.write(name, boxes_obj(boxes));
    }

    bool lit(float x, float y) {
        unsigned char pixel[4] = {};
        glReadPixels(static_cast<GLint>((x + 8.0f) * 16.0f), static_cast<GLint>((y + 8.0f) * 16.0f),
                     1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        return pixel[0] > 128;
    }

    int lit_pixels() {
        std::vector<unsigned char> pixels(size * size * 4);
        glReadPixels(0, 0, size, size, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        int count = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            count += pixels[i] > 128 ? 1 : 0;
        }
        return count;
    }

    // The level with the test models and `program` in every renderer.
    void load(level& lvl, GLuint program) {
        lvl.program = program;
        lvl.cube_renderer.model.load_model(model_file("bar.obj", bar));
        lvl.item_renderer.model.load_model(model_file("tile.obj", tile));
        lvl.enemy_renderer.model.load_model(model_file("spider.obj", spider_boxes()));
        lvl.cube_renderer.program = lvl.item_renderer.program = lvl.enemy_renderer.program =
            program;
    }

    void draw(const level& lvl, const view_frustum& frustum, unsigned mipmap = 2,
              bool nearest = false) {
        const glm::mat4 identity(1.0f);
        lvl.draw(projection, identity, identity, identity, identity, glm::vec3(0.0f),
                 glm::vec3(0.0f), frustum, mipmap, nearest);
    }

    static constexpr int size = 256;
    const glm::mat4 projection = glm::ortho(-8.0f, 8.0f, -8.0f, 8.0f, -50.0f, 50.0f);
    GLuint framebuffer = 0;
    GLuint colour = 0;
    test::scratch_dir files;
};

// Every plane is x = 0 facing +x: a cube sphere centred left of x = −3.5 is outside.
view_frustum left_half_culled() {
    view_frustum f;
    for (view_frustum::plane& p : f.planes) {
        p.normal = glm::vec3(1.0f, 0.0f, 0.0f);
        p.d = 0.0f;
    }
    return f;
}

TEST_F(level_gl, cubes_turn_by_index_and_a_culled_cube_leaves_the_others_turns_alone) {
    const GLuint program = object_program();
    glUseProgram(program);
    level lvl;
    load(lvl, program);
    lvl.cubes = {{-6.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {3.0f, 0.0f, 0.0f}};

    lvl.culling = false;
    draw(lvl, left_half_culled());
    EXPECT_TRUE(lit(-5.2f, -0.15f));  // cube 0, about x: the bar stays along x, below y = 0

    glClear(GL_COLOR_BUFFER_BIT);
    lvl.culling = true;
    draw(lvl, left_half_culled());
    EXPECT_FALSE(lit(-5.2f, -0.15f));  // culled
    // Cube 1 still turns about y: the bar points away from the viewer, a small square remains.
    EXPECT_TRUE(lit(0.15f, 0.15f));
    EXPECT_FALSE(lit(1.0f, 0.15f));
    EXPECT_FALSE(lit(1.0f, -0.15f));
    // Cube 2 still turns about z: the bar stands upright left of its corner.
    EXPECT_TRUE(lit(2.85f, 1.0f));
    glUseProgram(0);
}

TEST_F(level_gl, items_and_spiders_are_drawn_with_their_matrices_and_legs) {
    const GLuint program = object_program();
    glUseProgram(program);
    level lvl;
    load(lvl, program);
    lvl.items = {{-3.0f, 3.0f, 0.0f}, {-100.0f, 0.0f, 0.0f}};
    lvl.enemies = {{4.0f, -6.0f, 0.0f}};
    lvl.headings = {{-1.0f, 0.0f, 0.0f}};
    lvl.leg_offsets.assign(8, glm::vec3(0.0f, 300.0f, 0.0f));
    lvl.culling = true;
    draw(lvl, view_frustum{});
    EXPECT_TRUE(lit(-2.75f, 3.25f));   // the item at half size
    EXPECT_FALSE(lit(-2.25f, 3.25f));  // ... and not larger
    EXPECT_TRUE(lit(4.75f, -5.5f));    // the spider's body
    EXPECT_TRUE(lit(4.75f, -2.5f));    // its legs, lifted by 300 model units
    EXPECT_TRUE(lit(4.75f, -7.5f));    // mesh 10 belongs to the body again
    EXPECT_FALSE(lit(4.75f, -4.0f));
    glUseProgram(0);
}

TEST_F(level_gl, drawing_stores_the_sampling_options_in_the_right_meshes) {
    const GLuint program = object_program();
    glUseProgram(program);
    level lvl;
    load(lvl, program);
    lvl.cube_renderer.model = {};
    lvl.cube_renderer.model.load_model(model_file("bars.obj", three_bars));
    lvl.item_renderer.model = lvl.cube_renderer.model;
    lvl.cubes = {{0.0f, 0.0f, 0.0f}};
    lvl.items = {{0.0f, 0.0f, 0.0f}};
    lvl.enemies = {{0.0f, 0.0f, 0.0f}};
    lvl.headings = {{-1.0f, 0.0f, 0.0f}};
    draw(lvl, view_frustum{}, 0, true);
    for (const model* m : {&lvl.cube_renderer.model, &lvl.item_renderer.model}) {
        ASSERT_EQ(m->meshes.size(), 3u);
        EXPECT_EQ(m->meshes[0].mipmap_mode, 0);
        EXPECT_TRUE(m->meshes[0].nearest_sampling);
        EXPECT_EQ(m->meshes[1].mipmap_mode, 2);
        EXPECT_FALSE(m->meshes[2].nearest_sampling);
    }
    ASSERT_EQ(lvl.enemy_renderer.model.meshes.size(), 11u);
    for (const mesh& m : lvl.enemy_renderer.model.meshes) {
        EXPECT_EQ(m.mipmap_mode, 0);
        EXPECT_TRUE(m.nearest_sampling);
    }
    glUseProgram(0);
}

TEST_F(level_gl, an_empty_level_draws_nothing_and_sets_no_uniforms) {
    const GLuint program = object_program();
    glUseProgram(program);
    level lvl;
    load(lvl, program);
    const glm::mat4 sentinel(3.0f);
    const GLint model_location = glGetUniformLocation(program, "model");
    glUniformMatrix4fv(model_location, 1, GL_FALSE, glm::value_ptr(sentinel));
    draw(lvl, view_frustum{});
    glm::mat4 after(0.0f);
    glGetUniformfv(program, model_location, glm::value_ptr(after));
    EXPECT_EQ(after, sentinel);
    EXPECT_EQ(lit_pixels(), 0);
    glUseProgram(0);
}

TEST_F(level_gl, depth_passes_draw_unturned_cubes_and_casters_leave_cubes_out) {
    const GLuint program = depth_program();
    glUseProgram(program);
    level lvl;
    load(lvl, object_program());
    lvl.cubes = {{0.0f, 0.0f, 0.0f}, {3.0f, 0.0f, 0.0f}};
    lvl.items = {{-3.0f, 3.0f, 0.0f}};
    lvl.enemies = {{4.0f, -6.0f, 0.0f}};
    lvl.headings = {{1.0f, 0.0f, 0.0f}};  // turned by −π: the body lies left of its corner
    const GLint mvp = glGetUniformLocation(program, "mvp");

    lvl.draw_depth(projection, mvp);
    EXPECT_TRUE(lit(1.0f, 0.15f));    // cube 0, not turned
    EXPECT_TRUE(lit(4.0f, 0.15f));    // cube 1, not turned
    EXPECT_TRUE(lit(-2.75f, 3.25f));  // the item
    EXPECT_TRUE(lit(3.25f, -5.5f));   // the spider, turned
    EXPECT_FALSE(lit(4.75f, -5.5f));

    glClear(GL_COLOR_BUFFER_BIT);
    lvl.draw_casters(projection, mvp);
    EXPECT_FALSE(lit(1.0f, 0.15f));
    EXPECT_FALSE(lit(4.0f, 0.15f));
    EXPECT_TRUE(lit(-2.75f, 3.25f));
    EXPECT_TRUE(lit(3.25f, -5.5f));
    glUseProgram(0);
}

// Runs `parse` in a scratch working directory holding level.txt and the three models.
class level_parse_gl : public test::gl_test {
protected:
    void SetUp() override {
        gl_test::SetUp();
        previous = std::filesystem::current_path();
        std::filesystem::current_path(files.path());
    }
    void TearDown() override { std::filesystem::current_path(previous); }

    void write_models() {
        files.write("Quillomar/objects/cube/cube.obj", boxes_obj(bar));
        files.write("Quillomar/objects/item/item.obj", boxes_obj(tile));
        files.write("Quillomar/objects/spider_old/spider.obj", boxes_obj(spider_boxes()));
    }

    test::scratch_dir files;
    std::filesystem::path previous;
};

TEST_F(level_parse_gl, prints_every_line_in_order_and_loads_the_renderers) {
    write_models();
    files.write("level.txt",
                "start 1 1\nfinish 4 2\nenemy 2 1\nitem 3 1\npath\n00000\n01111\n01121\n");
    level lvl;
    lvl.program = 42;
    test::stream_capture capture;
    lvl.parse();
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{
                                   "path is starting",
                                   "center point: 5, 3",
                                   "initialize cube in quillomar_game.startup() ...",
                                   "initialize cube in quillomar_game.startup() done.",
                                   "initialize item in quillomar_game.startup() ...",
                                   "initialize item in quillomar_game.startup() done.",
                                   "initialize enemy in quillomar_game.startup() ...",
                                   "initialize enemy in quillomar_game.startup() done.",
                               }));
    EXPECT_EQ(lvl.cube_renderer.model.meshes.size(), 1u);
    EXPECT_EQ(lvl.item_renderer.model.meshes.size(), 1u);
    EXPECT_EQ(lvl.enemy_renderer.model.meshes.size(), 11u);
    EXPECT_EQ(lvl.cube_renderer.program, 42u);
    EXPECT_EQ(lvl.item_renderer.program, 42u);
    EXPECT_EQ(lvl.enemy_renderer.program, 42u);
    EXPECT_EQ(lvl.items[0], glm::vec3(6.0f, 4.0f, 2.0f));
    EXPECT_EQ(lvl.enemies[0], glm::vec3(4.0f, 3.4f, 2.0f));
    EXPECT_EQ(lvl.leg_offsets.size(), 8u);
}

TEST_F(level_parse_gl, missing_models_are_reported_by_the_loader_and_parse_goes_on) {
    files.write("level.txt", "item 0 0\npath\n1\n");
    level lvl;
    test::stream_capture capture;
    lvl.parse();
    const std::vector<std::string> lines = capture.lines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[2], "initialize cube in quillomar_game.startup() ...");
    EXPECT_EQ(lines[3].rfind("ERROR::ASSIMP::", 0), 0u);
    EXPECT_EQ(lines[4], "initialize cube in quillomar_game.startup() done.");
    EXPECT_EQ(lines[6].rfind("ERROR::ASSIMP::", 0), 0u);
    EXPECT_EQ(lines[9].rfind("ERROR::ASSIMP::", 0), 0u);
    EXPECT_EQ(lines[10], "initialize enemy in quillomar_game.startup() done.");
    EXPECT_EQ(lvl.items[0].y, 4.0f);
}

TEST_F(level_parse_gl, a_missing_level_file_stops_before_the_renderers) {
    write_models();
    level lvl;
    test::stream_capture capture;
    lvl.parse();
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"Unable to open levelfile: "});
    EXPECT_TRUE(lvl.cube_renderer.model.meshes.empty());
    EXPECT_TRUE(lvl.leg_offsets.empty());
}

}  // namespace
}  // namespace quillomar
