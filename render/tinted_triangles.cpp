#include "render/tinted_triangles.h"

#include <cstddef>

#include <glm/gtc/type_ptr.hpp>

namespace quillomar {
namespace {

const char* const vertex_shader = ".\\Quillomar\\shader\\fall_map\\fall_map_vertex.glsl";
const char* const fragment_shader = ".\\Quillomar\\shader\\fall_map\\fall_map_fragment.glsl";

}  // namespace

void tinted_triangles::draw(const std::vector<tinted_vertex>& vertices,
                            const glm::mat4& view_projection) {
    if (vertices.empty()) {
        return;
    }
    if (!shader_) {
        shader_ = std::make_unique<shader_program>(vertex_shader, fragment_shader);
        view_projection_location_ = glGetUniformLocation(shader_->program, "view_projection");
        vao_ = make_vertex_array();
        buffer_ = make_buffer();
        glBindVertexArray(vao_.get());
        glBindBuffer(GL_ARRAY_BUFFER, buffer_.get());
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(tinted_vertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, sizeof(tinted_vertex),
                              reinterpret_cast<const void*>(offsetof(tinted_vertex, tint)));
    }
    glBindVertexArray(vao_.get());
    glBindBuffer(GL_ARRAY_BUFFER, buffer_.get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(tinted_vertex)),
                 vertices.data(), GL_STREAM_DRAW);
    glUseProgram(shader_->program);
    glUniformMatrix4fv(view_projection_location_, 1, GL_FALSE, glm::value_ptr(view_projection));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size()));
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    glBindVertexArray(0);
    glUseProgram(0);
}

}  // namespace quillomar
