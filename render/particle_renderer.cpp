#include "render/particle_renderer.h"

#include "framework/asset_paths.h"

namespace quillomar {
namespace {

// The +z face of the unit cube around the origin, as two triangles: the square every particle is
// drawn as, laid out in the camera's plane by the particle shader.
constexpr GLfloat square_vertices[6 * 3] = {
    -0.5f, 0.5f, 0.5f, -0.5f, -0.5f, 0.5f, 0.5f, -0.5f, 0.5f,  //
    0.5f,  0.5f, 0.5f, -0.5f, 0.5f,  0.5f, 0.5f, -0.5f, 0.5f,  //
};

constexpr GLsizeiptr position_bytes = max_particles * 3 * sizeof(GLfloat);
constexpr GLsizeiptr size_bytes = max_particles * sizeof(GLfloat);
constexpr GLsizeiptr color_bytes = max_particles * 4 * sizeof(GLfloat);

}  // namespace

particle_renderer::particle_renderer()
    : shader_(assets::particle_vertex_shader, assets::particle_fragment_shader),
      vao_(make_vertex_array()),
      square_buffer_(make_buffer()),
      position_buffer_(make_buffer()),
      size_buffer_(make_buffer()),
      color_buffer_(make_buffer()) {
    camera_right_location_ = glGetUniformLocation(shader_.program, "CameraRight_worldspace");
    camera_up_location_ = glGetUniformLocation(shader_.program, "CameraUp_worldspace");
    vp_location_ = glGetUniformLocation(shader_.program, "VP");
    camera_position_location_ = glGetUniformLocation(shader_.program, "CameraPosition_worldspace");
    near_fade_location_ = glGetUniformLocation(shader_.program, "NearFade");
    glBindVertexArray(vao_.get());
    glBindBuffer(GL_ARRAY_BUFFER, square_buffer_.get());
    glBufferData(GL_ARRAY_BUFFER, sizeof(square_vertices), square_vertices, GL_STATIC_DRAW);
    for (const auto& [buffer, bytes] : {std::pair{position_buffer_.get(), position_bytes},
                                        std::pair{size_buffer_.get(), size_bytes},
                                        std::pair{color_buffer_.get(), color_bytes}}) {
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_STREAM_DRAW);
    }
}

void particle_renderer::draw(const particle_system& particles, const glm::mat4& view,
                             const glm::mat4& vp) {
    const int count = particles.count;
    glUseProgram(shader_.program);
    glUniform3f(camera_right_location_, view[0][0], view[1][0], view[2][0]);
    glUniform3f(camera_up_location_, view[0][1], view[1][1], view[2][1]);
    glUniformMatrix4fv(vp_location_, 1, GL_FALSE, &vp[0][0]);
    const glm::vec3 eye(glm::inverse(view)[3]);
    glUniform3f(camera_position_location_, eye.x, eye.y, eye.z);
    glUniform2f(near_fade_location_, near_fade.x, near_fade.y);
    glBindVertexArray(vao_.get());

    // Orphaning the stores lets the driver hand out fresh memory instead of waiting for the
    // previous frame's draw to finish reading.
    glBindBuffer(GL_ARRAY_BUFFER, position_buffer_.get());
    glBufferData(GL_ARRAY_BUFFER, position_bytes, nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, count * 3 * sizeof(GLfloat), particles.positions.data());
    glBindBuffer(GL_ARRAY_BUFFER, size_buffer_.get());
    glBufferData(GL_ARRAY_BUFFER, size_bytes, nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, count * sizeof(GLfloat), particles.sizes.data());
    glBindBuffer(GL_ARRAY_BUFFER, color_buffer_.get());
    glBufferData(GL_ARRAY_BUFFER, color_bytes, nullptr, GL_STREAM_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, count * 4 * sizeof(GLfloat), particles.colors.data());

    const struct {
        GLuint buffer;
        GLint components;
        GLuint divisor;
    } attributes[] = {{square_buffer_.get(), 3, 0},
                      {position_buffer_.get(), 3, 1},
                      {size_buffer_.get(), 1, 1},
                      {color_buffer_.get(), 4, 1}};
    for (GLuint i = 0; i < 4; ++i) {
        glEnableVertexAttribArray(i);
        glBindBuffer(GL_ARRAY_BUFFER, attributes[i].buffer);
        glVertexAttribPointer(i, attributes[i].components, GL_FLOAT, GL_FALSE, 0, nullptr);
        glVertexAttribDivisor(i, attributes[i].divisor);
    }
    glDrawArraysInstanced(GL_TRIANGLES, 0, 6, count);
    for (GLuint i = 0; i < 4; ++i) {
        glDisableVertexAttribArray(i);
    }
    glUseProgram(0);
}

}  // namespace quillomar
