// Renders the game's models, lit and textured, into PNG pictures for a look at the assets without
// the game: one picture per model and one small level with the start and finish images projected
// onto it. Run it from the repository root (the models are read from their game paths there),
// under xvfb-run where no display is open:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/model_preview [output directory]
// The output directory defaults to "preview". The shading is a plain Blinn-Phong with the models'
// normal and specular maps, close to what the game's object shader does, but it is the preview's
// own and is not the game's.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <FreeImage.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "framework/asset_paths.h"
#include "render/model.h"
#include "render/texture.h"

namespace {

using quillomar::model;

const int picture_width = 800;
const int picture_height = 600;

const char* const vertex_source = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 tex_coords;
layout(location = 3) in vec3 tangent;
layout(location = 4) in vec3 bitangent;
uniform mat4 projection;
uniform mat4 view;
uniform mat4 model;
out vec3 world_position;
out vec2 uv;
out mat3 tangent_frame;
void main() {
    vec4 world = model * vec4(position, 1.0);
    world_position = world.xyz;
    uv = tex_coords;
    mat3 normal_matrix = transpose(inverse(mat3(model)));
    vec3 n = normalize(normal_matrix * normal);
    vec3 t = mat3(model) * tangent;
    t = normalize(t - n * dot(n, t));
    vec3 b = normalize(mat3(model) * bitangent);
    tangent_frame = mat3(t, b, n);
    gl_Position = projection * view * world;
}
)";

const char* const fragment_source = R"(#version 330 core
in vec3 world_position;
in vec2 uv;
in mat3 tangent_frame;
uniform sampler2D texture_diffuse1;
uniform sampler2D texture_specular1;
uniform sampler2D texture_normal1;
uniform float specular_power;
uniform vec3 light_pos;
uniform vec3 cam_pos;
uniform int projecting;
uniform mat4 projected_start;
uniform mat4 projected_finish;
uniform sampler2D start_image;
uniform sampler2D finish_image;
out vec4 colour;

vec3 projected(mat4 matrix, sampler2D image, vec3 normal) {
    vec4 p = matrix * vec4(world_position, 1.0);
    if (p.w <= 0.0 || normal.y < 0.5) return vec3(0.0);
    vec2 st = p.xy / p.w;
    if (any(lessThan(st, vec2(0.0))) || any(greaterThan(st, vec2(1.0)))) return vec3(0.0);
    return texture(image, st).rgb;
}

void main() {
    vec3 albedo = texture(texture_diffuse1, uv).rgb;
    float gloss = texture(texture_specular1, uv).r;
    vec3 n = normalize(tangent_frame * (texture(texture_normal1, uv).rgb * 2.0 - 1.0));
    vec3 l = normalize(light_pos - world_position);
    vec3 v = normalize(cam_pos - world_position);
    vec3 h = normalize(l + v);
    float diffuse = max(dot(n, l), 0.0);
    float specular = pow(max(dot(n, h), 0.0), max(specular_power, 1.0)) * gloss;
    vec3 sky = vec3(0.55, 0.7, 0.9);
    vec3 lit = albedo * (0.28 + 0.12 * sky + 0.85 * diffuse) + vec3(specular) * 0.8;
    if (projecting != 0) {
        lit += projected(projected_start, start_image, tangent_frame[2]);
        lit += projected(projected_finish, finish_image, tangent_frame[2]);
    }
    colour = vec4(lit, 1.0);
}
)";

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == 0) {
        char log[1024];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::cout << "preview shader does not compile: " << log << std::endl;
    }
    return shader;
}

GLuint build_program() {
    const GLuint program = glCreateProgram();
    const GLuint vertex = compile(GL_VERTEX_SHADER, vertex_source);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragment_source);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    return program;
}

void set_matrix(GLuint program, const char* name, const glm::mat4& m) {
    glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, glm::value_ptr(m));
}

void draw(GLuint program, const model& m, const glm::mat4& matrix) {
    set_matrix(program, "model", matrix);
    for (const quillomar::mesh& part : m.meshes) {
        part.draw(program);
    }
}

// The spider as the level draws it: the body with the enemy's matrix, meshes 2 to 9 (the legs)
// each lifted by its own offset in the model's units.
void draw_spider(GLuint program, const model& spider, glm::vec3 position, float heading,
                 const float (&leg_lift)[8]) {
    const glm::mat4 body = glm::rotate(
        glm::scale(glm::translate(glm::mat4(1.0f), position), glm::vec3(0.015f, 0.01f, 0.015f)),
        heading, glm::vec3(0, 1, 0));
    for (std::size_t k = 0; k < spider.meshes.size(); ++k) {
        glm::mat4 matrix = body;
        if (k >= 2 && k <= 9) {
            matrix = glm::translate(body, glm::vec3(0.0f, leg_lift[k - 2], 0.0f));
        }
        set_matrix(program, "model", matrix);
        spider.meshes[k].draw(program);
    }
}

glm::mat4 cube_matrix(glm::vec3 position, int index) {
    const glm::vec3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    return glm::rotate(glm::translate(glm::mat4(1.0f), position), glm::half_pi<float>(),
                       axes[index % 3]);
}

struct camera {
    glm::vec3 eye;
    glm::vec3 target;
    float fov_degrees = 40.0f;
};

void begin_picture(GLuint program, const camera& cam, glm::vec3 light) {
    glViewport(0, 0, picture_width, picture_height);
    glClearColor(0.55f, 0.7f, 0.9f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glUseProgram(program);
    const float aspect = static_cast<float>(picture_width) / picture_height;
    set_matrix(program, "projection",
               glm::perspective(glm::radians(cam.fov_degrees), aspect, 0.05f, 200.0f));
    set_matrix(program, "view", glm::lookAt(cam.eye, cam.target, glm::vec3(0, 1, 0)));
    glUniform3fv(glGetUniformLocation(program, "light_pos"), 1, glm::value_ptr(light));
    glUniform3fv(glGetUniformLocation(program, "cam_pos"), 1, glm::value_ptr(cam.eye));
    glUniform1i(glGetUniformLocation(program, "projecting"), 0);
}

bool save_picture(const std::filesystem::path& file) {
    glFinish();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(picture_width) * picture_height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, picture_width, picture_height, GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
    // OpenGL's rows start at the bottom, like FreeImage's.
    FIBITMAP* bitmap = FreeImage_ConvertFromRawBits(pixels.data(), picture_width, picture_height,
                                                    picture_width * 3, 24, FI_RGBA_RED_MASK,
                                                    FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);
    const bool saved =
        bitmap != nullptr && FreeImage_Save(FIF_PNG, bitmap, file.string().c_str(), 0) != FALSE;
    if (bitmap != nullptr) {
        FreeImage_Unload(bitmap);
    }
    std::cout << (saved ? "wrote " : "could not write ") << file.string() << std::endl;
    return saved;
}

// The level's projector for a start or finish cell, as a texture-space matrix.
glm::mat4 projector_matrix(glm::vec2 cell, float top, float z_offset) {
    const glm::mat4 bias(0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f,
                         0.5f, 0.5f, 0.5f, 1.0f);
    const glm::mat4 projection = glm::perspective(20.0f, 1.7f, 0.1f, 50.0f);
    const glm::mat4 view = glm::lookAt(glm::vec3(cell.x, top + 2.0f, cell.y + z_offset),
                                       glm::vec3(cell.x, top, cell.y), glm::vec3(0, 1, 0));
    return bias * projection * view;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path out = argc > 1 ? argv[1] : "preview";
    std::filesystem::create_directories(out);
    if (glfwInit() == GLFW_FALSE) {
        std::cerr << "model_preview needs a display (run it under xvfb-run -a)" << std::endl;
        return 1;
    }
    glfwWindowHint(GLFW_SAMPLES, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(picture_width, picture_height, "Quillomar model preview",
                                          nullptr, nullptr);
    if (window == nullptr) {
        std::cerr << "model_preview could not open an OpenGL 3.3 window" << std::endl;
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::cerr << "model_preview could not initialise GLEW" << std::endl;
        glfwTerminate();
        return 1;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_MULTISAMPLE);

    const GLuint program = build_program();
    model cube;
    model sphere;
    model item;
    model spider;
    cube.load_model(quillomar::assets::cube_model);
    sphere.load_model(quillomar::assets::sphere_model);
    item.load_model(quillomar::assets::item_model);
    spider.load_model(quillomar::assets::spider_model);
    const glm::vec3 light(6.0f, 14.0f, 9.0f);
    const float walking[8] = {12, 0, 0, 10, 10, 0, 0, 12};
    const float resting[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    bool all_saved = true;

    // The three quarter turns the level gives its cubes, side by side.
    begin_picture(program, {{4.5f, 5.5f, 7.0f}, {0.0f, 0.0f, 0.0f}, 45.0f}, light);
    for (int i = 0; i < 3; ++i) {
        draw(program, cube, cube_matrix(glm::vec3(2.2f * (i - 1), 0.0f, 0.0f), i));
    }
    all_saved &= save_picture(out / "cube.png");

    begin_picture(program, {{0.0f, 1.6f, 4.2f}, {0.0f, 0.0f, 0.0f}}, light);
    draw(program, sphere,
         glm::rotate(glm::mat4(1.0f), 0.6f, glm::normalize(glm::vec3(1.0f, 0.4f, 0.2f))));
    all_saved &= save_picture(out / "sphere.png");

    // An item as the level places it: at the top of the cube's height lookup, half size.
    begin_picture(program, {{2.6f, 3.4f, 4.6f}, {0.0f, 1.4f, 0.0f}}, light);
    draw(program, cube, cube_matrix(glm::vec3(0.0f), 1));
    draw(program, item,
         glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 2.0f, 0.0f)), glm::vec3(0.5f)));
    all_saved &= save_picture(out / "item.png");

    begin_picture(program, {{0.0f, 2.6f, 3.0f}, {0.0f, 0.9f, 0.0f}}, light);
    draw(program, item, glm::rotate(glm::mat4(1.0f), 0.3f, glm::vec3(0, 1, 0)));
    all_saved &= save_picture(out / "item_close.png");

    // A spider walking on a cube (cube at y 0, top 1, the level's lookup says 2, the spider's
    // y is that minus 0.6), with four legs raised.
    begin_picture(program, {{-1.2f, 2.3f, 2.2f}, {0.0f, 1.1f, 0.0f}}, light);
    draw(program, cube, cube_matrix(glm::vec3(0.0f), 1));
    draw(program, cube, cube_matrix(glm::vec3(-2.0f, 0.0f, 0.0f), 2));
    draw_spider(program, spider, glm::vec3(0.0f, 1.4f, 0.0f), 0.0f, walking);
    all_saved &= save_picture(out / "spider.png");

    begin_picture(program, {{0.0f, 2.1f, -2.2f}, {0.0f, 1.1f, 0.0f}}, light);
    draw(program, cube, cube_matrix(glm::vec3(0.0f), 1));
    draw(program, cube, cube_matrix(glm::vec3(-2.0f, 0.0f, 0.0f), 2));
    draw_spider(program, spider, glm::vec3(0.0f, 1.4f, 0.0f), 0.0f, resting);
    all_saved &= save_picture(out / "spider_side.png");

    begin_picture(program, {{0.3f, 3.6f, 0.6f}, {0.0f, 1.2f, 0.0f}}, light);
    draw(program, cube, cube_matrix(glm::vec3(0.0f), 1));
    draw_spider(program, spider, glm::vec3(0.0f, 1.4f, 0.0f), 0.0f, walking);
    all_saved &= save_picture(out / "spider_top.png");

    // A small level seen like the follow camera sees it: digit rows, the ball on the start cell,
    // two items, two spiders, and the start and finish images cast by the level's projectors.
    const char* const rows[] = {"11111", "11211", "11211", "11111", "1 111", "11111"};
    std::vector<glm::vec3> cubes;
    for (int z = 0; z < 6; ++z) {
        for (int x = 0; x < 5; ++x) {
            if (rows[z][x] != ' ') {
                cubes.push_back(glm::vec3(2.0f * x, 2.0f * (rows[z][x] - '0'), 2.0f * z));
            }
        }
    }
    const GLuint start_image = quillomar::load_texture(quillomar::assets::start_texture);
    const GLuint finish_image = quillomar::load_texture(quillomar::assets::finish_texture);
    auto draw_level = [&](const camera& cam) {
        begin_picture(program, cam, glm::vec3(14.0f, 18.0f, 12.0f));
        glActiveTexture(GL_TEXTURE10);
        glBindTexture(GL_TEXTURE_2D, start_image);
        glActiveTexture(GL_TEXTURE11);
        glBindTexture(GL_TEXTURE_2D, finish_image);
        glUniform1i(glGetUniformLocation(program, "start_image"), 10);
        glUniform1i(glGetUniformLocation(program, "finish_image"), 11);
        glUniform1i(glGetUniformLocation(program, "projecting"), 1);
        set_matrix(program, "projected_start", projector_matrix({4.0f, 10.0f}, 4.0f, 1.0f));
        set_matrix(program, "projected_finish", projector_matrix({4.0f, 0.0f}, 4.0f, -1.0f));
        for (std::size_t i = 0; i < cubes.size(); ++i) {
            draw(program, cube, cube_matrix(cubes[i], static_cast<int>(i)));
        }
        draw(program, sphere,
             glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(4.0f, 4.0f, 10.0f)), 0.8f,
                         glm::vec3(1, 0, 0)));
        for (glm::vec3 p : {glm::vec3(4.0f, 6.0f, 4.0f), glm::vec3(0.0f, 4.0f, 6.0f)}) {
            draw(program, item, glm::scale(glm::translate(glm::mat4(1.0f), p), glm::vec3(0.5f)));
        }
        draw_spider(program, spider, glm::vec3(2.0f, 3.4f, 2.0f), 0.0f, walking);
        draw_spider(program, spider, glm::vec3(8.0f, 3.4f, 6.0f), glm::half_pi<float>(), resting);
        glUniform1i(glGetUniformLocation(program, "projecting"), 0);
    };
    // Seen from behind the start, as the follow camera first shows it, and from the far side,
    // where the finish mark reads the right way up.
    draw_level({{4.0f, 10.0f, 19.0f}, {4.0f, 2.0f, 4.0f}, 50.0f});
    all_saved &= save_picture(out / "scene.png");
    draw_level({{4.0f, 10.0f, -9.0f}, {4.0f, 2.0f, 6.0f}, 50.0f});
    all_saved &= save_picture(out / "scene_finish.png");

    glfwDestroyWindow(window);
    glfwTerminate();
    return all_saved ? 0 : 1;
}
