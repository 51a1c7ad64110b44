// Times each GPU pass of a game-like frame at 1024 x 768 with 4x MSAA: a level of 300 textured
// cubes with normal and specular maps, 20 sphere casters, both projectors, the blurred shadow
// map, the lit main pass and a full particle burst. Every pass is fenced with glFinish, so the
// numbers are the pass's own cost. Prints "name: value" lines (milliseconds, medians).
//
//   effects_bench [--frames N] [--whole-map] [--no-msaa] [--near-first] [--screenshot file.ppm]
//
// --whole-map blurs the whole shadow map instead of the casters' footprints (the reference the
// restricted pass must match); --near-first draws the cubes nearest first instead of in level
// order (rows away from the camera first, the worst case for early depth rejection);
// --screenshot writes the last frame for a look.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <iostream>
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

namespace {

using namespace quillomar;
using clock_type = std::chrono::steady_clock;

constexpr int width = 1024;
constexpr int height = 768;
constexpr int columns = 20;
constexpr int rows = 15;

// A moment in wall-clock time and in CPU time consumed by the whole process.
struct stamp {
    clock_type::time_point wall{};
    double cpu_ms = 0.0;

    static stamp now() {
        timespec cpu{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        return {clock_type::now(), cpu.tv_sec * 1000.0 + cpu.tv_nsec / 1.0e6};
    }

    // Wall and CPU milliseconds from this stamp to `later`.
    std::pair<double, double> until(const stamp& later) const {
        return {std::chrono::duration<double, std::milli>(later.wall - wall).count(),
                later.cpu_ms - cpu_ms};
    }
};

double minimum(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A mip-mapped, repeating RGBA8 texture filled by `texel(x, y)`.
template <typename Texel>
GLuint make_texture(int size, Texel texel) {
    std::vector<unsigned char> data(static_cast<std::size_t>(size * size * 4));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const glm::vec4 c = glm::clamp(texel(x, y), glm::vec4(0.0f), glm::vec4(1.0f));
            for (int k = 0; k < 4; ++k) {
                data[static_cast<std::size_t>((y * size + x) * 4 + k)] =
                    static_cast<unsigned char>(std::lround(c[k] * 255.0f));
            }
        }
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

mesh make_cube(const std::vector<mesh_texture>& textures) {
    mesh m;
    const glm::vec3 normals[6] = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                  {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
    for (const glm::vec3& n : normals) {
        const glm::vec3 u = std::fabs(n.y) > 0.5f ? glm::vec3(1, 0, 0) : glm::vec3(0, 1, 0);
        const glm::vec3 v = glm::cross(n, u);
        const glm::vec2 corners[4] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        const unsigned base = static_cast<unsigned>(m.vertices.size());
        for (const glm::vec2& c : corners) {
            vertex vx;
            vx.position = n + u * c.x + v * c.y;
            vx.normal = n;
            vx.tex_coords = c * 0.5f + 0.5f;
            m.vertices.push_back(vx);
        }
        m.indices.insert(m.indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
    }
    // Tangents follow the texture axes, as the model loader computes them.
    for (std::size_t f = 0; f < 6; ++f) {
        vertex* face = &m.vertices[f * 4];
        const glm::vec3 e1 = face[1].position - face[0].position;
        const glm::vec3 e2 = face[3].position - face[0].position;
        for (int k = 0; k < 4; ++k) {
            face[k].tangent = glm::normalize(e1);
            face[k].bitangent = glm::normalize(e2);
        }
    }
    m.textures = textures;
    material surface;
    surface.shininess = 8.0f;
    surface.opacity = 1.0f;
    m.materials.push_back(surface);
    m.setup_mesh();
    return m;
}

mesh make_sphere(const std::vector<mesh_texture>& textures) {
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
            v.tex_coords =
                glm::vec2(static_cast<float>(s) / segments, static_cast<float>(r) / rings);
            v.tangent = glm::vec3(-std::sin(phi), 0.0f, std::cos(phi));
            v.bitangent = glm::cross(v.normal, v.tangent);
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
    m.textures = textures;
    material surface;
    surface.shininess = 16.0f;
    surface.opacity = 1.0f;
    m.materials.push_back(surface);
    m.setup_mesh();
    return m;
}

struct scene {
    std::vector<glm::vec3> cubes;    // cube centres
    std::vector<glm::vec3> casters;  // sphere centres, radius 1 (ball, items, enemies)
    glm::vec3 ball{0.0f};

    float top_at(float x, float z) const {
        for (const glm::vec3& c : cubes) {
            if (c.x - 1.0f <= x && x <= c.x + 1.0f && c.z - 1.0f <= z && z <= c.z + 1.0f) {
                return c.y + 1.0f;
            }
        }
        return -22.0f;
    }
};

scene make_scene() {
    scene s;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const int level = (column / 4 + row / 3) % 3;
            s.cubes.emplace_back(column * 2.0f + 1.0f, level * 2.0f + 1.0f, row * 2.0f + 1.0f);
        }
    }
    std::srand(7);
    for (int i = 0; i < 20; ++i) {
        const glm::vec3& cube = s.cubes[static_cast<std::size_t>(std::rand()) % s.cubes.size()];
        s.casters.push_back(cube + glm::vec3(0.0f, 2.0f, 0.0f));
    }
    s.ball = s.cubes[7 * columns + 10] + glm::vec3(0.0f, 2.0f, 0.0f);
    s.casters[0] = s.ball;
    return s;
}

void set_object_uniforms(GLuint program, const glm::mat4& model, const glm::mat4& projection,
                         const glm::mat4& view, const glm::mat4& shadow_matrix,
                         const projector_matrices& projected, const glm::vec3& light_pos,
                         const glm::vec3& cam_pos) {
    auto matrix = [&](const char* name, const glm::mat4& value) {
        glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, &value[0][0]);
    };
    matrix("projection", projection);
    matrix("view", view);
    matrix("model", model);
    glUniform3fv(glGetUniformLocation(program, "light_pos"), 1, &light_pos[0]);
    glUniform3fv(glGetUniformLocation(program, "cam_pos"), 1, &cam_pos[0]);
    matrix("shadow", shadow_matrix * model);
    glUniform1i(glGetUniformLocation(program, "shadow_tex"), 5);
    matrix("projectedMat", projected.projected_matrix * model);
    glUniform1i(glGetUniformLocation(program, "projector_depth_tex"), 11);
    glUniform1i(glGetUniformLocation(program, "proj_tex"), 10);
    matrix("projectedMat2", projected.projected_matrix2 * model);
    glUniform1i(glGetUniformLocation(program, "projector_depth_tex2"), 13);
    glUniform1i(glGetUniformLocation(program, "proj_tex2"), 12);
}

void draw_depth(const mesh& m, const glm::mat4& vp, const glm::mat4& model, GLint location) {
    const glm::mat4 product = vp * model;
    glUniformMatrix4fv(location, 1, GL_FALSE, &product[0][0]);
    glBindVertexArray(m.vao);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(m.indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

void write_screenshot(const std::string& path) {
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width * height * 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    for (int y = height - 1; y >= 0; --y) {
        out.write(reinterpret_cast<const char*>(&rgb[static_cast<std::size_t>(y * width * 3)]),
                  width * 3);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int frames = 30;
    bool whole_map = false;
    bool msaa = true;
    bool near_first = false;
    std::string screenshot;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--frames" && i + 1 < argc) {
            frames = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--whole-map") {
            whole_map = true;
        } else if (arg == "--near-first") {
            near_first = true;
        } else if (arg == "--no-msaa") {
            msaa = false;
        } else if (arg == "--screenshot" && i + 1 < argc) {
            screenshot = argv[++i];
        } else {
            std::cerr
                << "usage: effects_bench [--frames N] [--whole-map] [--no-msaa] [--near-first] "
                   "[--screenshot file.ppm]\n";
            return 2;
        }
    }

    if (glfwInit() == GLFW_FALSE) {
        std::cerr << "no display (run under xvfb-run -a)\n";
        return 1;
    }
    glfwWindowHint(GLFW_SAMPLES, msaa ? 4 : 0);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    GLFWwindow* window = glfwCreateWindow(width, height, "effects bench", nullptr, nullptr);
    if (window == nullptr) {
        std::cerr << "no OpenGL 3.3 core context\n";
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::cerr << "GLEW failed\n";
        return 1;
    }
    while (glGetError() != GL_NO_ERROR) {
    }

    const GLuint diffuse = make_texture(256, [](int x, int y) {
        const float checker = ((x / 32 + y / 32) % 2 == 0) ? 0.85f : 0.6f;
        return glm::vec4(checker * 0.8f, checker * 0.75f, checker * 0.6f, 1.0f);
    });
    const GLuint specular = make_texture(256, [](int x, int y) {
        return glm::vec4(glm::vec3(((x ^ y) & 16) != 0 ? 0.6f : 0.2f), 1.0f);
    });
    const GLuint normal_map = make_texture(256, [](int x, int y) {
        const glm::vec3 n =
            glm::normalize(glm::vec3(0.3f * std::sin(x * 0.2f), 0.3f * std::cos(y * 0.2f), 1.0f));
        return glm::vec4(n * 0.5f + 0.5f, 1.0f);
    });
    const GLuint ball_texture = make_texture(128, [](int x, int y) {
        return glm::vec4(0.2f + 0.6f * ((x / 16 + y / 16) % 2), 0.3f, 0.8f, 1.0f);
    });
    const mesh cube = make_cube({{diffuse, "texture_diffuse", "d"},
                                 {specular, "texture_specular", "s"},
                                 {normal_map, "texture_normal", "n"}});
    const mesh sphere = make_sphere({{ball_texture, "texture_diffuse", "b"}});
    scene level = make_scene();

    const shader_program object(assets::object_vertex_shader, assets::object_fragment_shader);
    particle_system particles;
    random_stream random;
    particle_renderer particle_drawer;
    variance_shadow_map vsm;
    vsm.create_programs();
    vsm.create_quad();
    vsm.create_framebuffers();
    projectors projection;
    projection.setup();
    projection.start_image = make_texture(256, [](int x, int y) {
        return glm::vec4(0.2f, 0.9f * ((x / 32 + y / 32) % 2), 0.2f, 1.0f);
    });
    projection.finish_image = make_texture(256, [](int x, int y) {
        return glm::vec4(0.9f * ((x / 32 + y / 32) % 2), 0.1f, 0.1f, 1.0f);
    });

    const glm::mat4 light_projection = glm::perspective(45.0f, 1.3333334f, 0.1f, 100.0f);
    const glm::mat4 projector_projection = glm::perspective(20.0f, 1.7f, 0.1f, 50.0f);
    const glm::mat4 bias(0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0.5f, 0.5f, 0.5f, 1.0f);
    const glm::vec3 centre(columns, 30.0f, rows);
    const glm::vec3 light_pos(30.0f, 60.0f, 0.0f);
    const glm::vec3 cam_pos = level.ball + glm::vec3(0.0f, 7.0f, 10.0f);
    const glm::mat4 view = glm::lookAt(cam_pos, level.ball, glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::mat4 projection_matrix = glm::perspective(45.0f, 1.3333334f, 0.1f, 100.0f);
    const glm::vec2 start(level.cubes[2 * columns + 3].x, level.cubes[2 * columns + 3].z);
    const glm::vec2 finish(level.ball.x + 2.0f, level.ball.z - 2.0f);
    if (near_first) {
        std::sort(level.cubes.begin(), level.cubes.end(),
                  [&](const glm::vec3& a, const glm::vec3& b) {
                      return glm::length(a - cam_pos) < glm::length(b - cam_pos);
                  });
    }

    std::vector<glm::vec4> caster_spheres;
    for (const glm::vec3& c : level.casters) {
        caster_spheres.emplace_back(c, 1.0f);
    }
    auto draw_casters = [&](const glm::mat4& vp, GLint location) {
        for (const glm::vec3& c : level.casters) {
            draw_depth(sphere, vp, glm::translate(glm::mat4(1.0f), c), location);
        }
    };
    auto draw_everything_depth = [&](const glm::mat4& vp, GLint location) {
        draw_casters(vp, location);
        for (const glm::vec3& c : level.cubes) {
            draw_depth(cube, vp, glm::translate(glm::mat4(1.0f), c), location);
        }
    };

    for (int i = 0; i < 70; ++i) {
        particles.emit(1.0f / 60.0f, level.ball + glm::vec3(0.0f, 1.0f, 0.0f), random);
        particles.simulate(1.0f / 60.0f, cam_pos);
    }

    // Per pass: wall-clock milliseconds, and the CPU milliseconds that all of this process's
    // threads (llvmpipe's rasteriser threads included) spent on it. On a shared machine the CPU
    // time is the steadier figure; on an idle two-core machine a fully parallel pass takes about
    // half of it in wall time.
    struct pass_samples {
        const char* name;
        std::vector<double> wall;
        std::vector<double> cpu;
    };
    std::vector<pass_samples> samples = {{"pass_projectors", {}, {}},
                                         {"pass_shadow", {}, {}},
                                         {"pass_blur", {}, {}},
                                         {"pass_main", {}, {}},
                                         {"pass_particles", {}, {}},
                                         {"particles_simulate", {}, {}},
                                         {"frame", {}, {}}};
    enum {
        projectors_pass,
        shadow_pass,
        blur_pass,
        main_pass,
        particle_pass,
        simulate_step,
        whole_frame
    };

    const int warm_up = 3;
    for (int frame = 0; frame < frames + warm_up; ++frame) {
        std::vector<std::pair<double, double>> costs(samples.size());
        glFinish();
        const stamp frame_start = stamp::now();

        stamp t = stamp::now();
        const projector_matrices projected = projection.render(
            start, finish, [&](float x, float z) { return level.top_at(x, z); },
            projector_projection, bias, draw_everything_depth);
        glFinish();
        costs[projectors_pass] = t.until(stamp::now());

        const light_matrices light = compute_light_matrices(
            light_pos, centre, glm::vec3(0.0f, 1.0f, 0.0f), light_projection, bias);
        // The caster draw is fenced inside the pass, splitting it into depth pass and blur.
        stamp casters_done;
        auto timed_casters = [&](const glm::mat4& vp, GLint location) {
            draw_casters(vp, location);
            glFinish();
            casters_done = stamp::now();
        };
        t = stamp::now();
        if (whole_map) {
            vsm.render(light.light_mvp, timed_casters);
        } else {
            vsm.render(light.light_mvp, timed_casters, caster_spheres);
        }
        glFinish();
        costs[shadow_pass] = t.until(casters_done);
        costs[blur_pass] = casters_done.until(stamp::now());

        t = stamp::now();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glViewport(0, 0, width, height);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        const std::pair<GLenum, GLuint> units[] = {
            {GL_TEXTURE5, vsm.blurred_texture()},
            {GL_TEXTURE10, projection.projector_color_texture},
            {GL_TEXTURE11, projection.projector_depth_texture},
            {GL_TEXTURE12, projection.projector_color_texture2},
            {GL_TEXTURE13, projection.projector_depth_texture2}};
        for (const auto& [unit, texture] : units) {
            glActiveTexture(unit);
            glBindTexture(GL_TEXTURE_2D, texture);
        }
        glUseProgram(object.program);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        for (const glm::vec3& c : level.casters) {
            const glm::mat4 model = glm::translate(glm::mat4(1.0f), c);
            set_object_uniforms(object.program, model, projection_matrix, view, light.shadow_matrix,
                                projected, light_pos, cam_pos);
            sphere.draw(object.program);
        }
        for (const glm::vec3& c : level.cubes) {
            const glm::mat4 model = glm::translate(glm::mat4(1.0f), c);
            set_object_uniforms(object.program, model, projection_matrix, view, light.shadow_matrix,
                                projected, light_pos, cam_pos);
            cube.draw(object.program);
        }
        for (const auto& unit : units) {
            glActiveTexture(unit.first);
            glBindTexture(GL_TEXTURE_2D, 0);
        }
        glUseProgram(0);
        glFinish();
        costs[main_pass] = t.until(stamp::now());

        t = stamp::now();
        particles.emit(1.0f / 60.0f, level.ball + glm::vec3(0.0f, 1.0f, 0.0f), random);
        particles.simulate(1.0f / 60.0f, cam_pos);
        costs[simulate_step] = t.until(stamp::now());
        t = stamp::now();
        particle_drawer.draw(particles, view, projection_matrix * view);
        glFinish();
        costs[particle_pass] = t.until(stamp::now());
        glDisable(GL_BLEND);

        if (frame + 1 == frames + warm_up && !screenshot.empty()) {
            write_screenshot(screenshot);
        }
        glfwSwapBuffers(window);
        glfwPollEvents();
        glFinish();
        costs[whole_frame] = frame_start.until(stamp::now());
        if (frame >= warm_up) {
            for (std::size_t i = 0; i < samples.size(); ++i) {
                samples[i].wall.push_back(costs[i].first);
                samples[i].cpu.push_back(costs[i].second);
            }
        }
    }
    check_gl_error("effects_bench", 0);

    for (const pass_samples& pass : samples) {
        std::printf("%s_ms_median: %.2f\n", pass.name, median(pass.wall));
    }
    for (const pass_samples& pass : samples) {
        std::printf("%s_ms_min: %.2f\n", pass.name, minimum(pass.wall));
    }
    for (const pass_samples& pass : samples) {
        std::printf("%s_cpu_ms_median: %.2f\n", pass.name, median(pass.cpu));
    }
    for (const pass_samples& pass : samples) {
        std::printf("%s_cpu_ms_min: %.2f\n", pass.name, minimum(pass.cpu));
    }
    std::printf("frame_fps_median: %.1f\n",
                1000.0 / std::max(median(samples[whole_frame].wall), 1e-3));
    vsm.destroy_framebuffers();
    projection.destroy_framebuffers();
    glfwTerminate();
    return 0;
}
