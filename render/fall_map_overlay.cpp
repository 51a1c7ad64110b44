#include "render/fall_map_overlay.h"

#include <algorithm>
#include <glm/gtc/type_ptr.hpp>
#include <vector>

#include "level/ground_index.h"
#include "level/level_cell.h"

namespace quillomar {
namespace {

const char* const vertex_shader = ".\\Quillomar\\shader\\fall_map\\fall_map_vertex.glsl";
const char* const fragment_shader = ".\\Quillomar\\shader\\fall_map\\fall_map_fragment.glsl";
// Where a fallen ball lies: the ground plane's top.
constexpr float ground_top = -19.0f;
// Just above the top, so the quad wins the depth test against its own cube's face.
constexpr float lift = 0.03f;
// A little inside the cell's square, so neighbouring cells stay apart.
constexpr float half_side = 0.92f;

struct vertex {
    glm::vec3 position;
    glm::vec4 tint;
};

}  // namespace

glm::vec4 fall_map_colour(float share) {
    const float s = std::clamp(share, 0.0f, 1.0f);
    return {1.0f, 0.9f * (1.0f - s), 0.3f * (1.0f - s), 0.55f + 0.25f * s};
}

void fall_map_overlay::draw(const glm::mat4& view_projection, const level& lvl) {
    if (!shown || deaths.empty()) {
        return;
    }
    long most = 1;
    for (const auto& [cell, count] : deaths) {
        most = std::max(most, count);
    }
    std::vector<vertex> vertices;
    vertices.reserve(deaths.size() * 6);
    for (const auto& [cell, count] : deaths) {
        const glm::vec2 middle = cell_centre(cell);
        const float x = middle.x;
        const float z = middle.y;
        const float top = lvl.height_at(x, z);
        // height_at is where a ball resting on the cube has its centre, one radius above the face.
        const float y = (top > no_ground ? top - 1.0f : ground_top) + lift;
        const glm::vec4 tint = fall_map_colour(static_cast<float>(count) / static_cast<float>(most));
        const glm::vec3 a(x - half_side, y, z - half_side);
        const glm::vec3 b(x + half_side, y, z - half_side);
        const glm::vec3 c(x + half_side, y, z + half_side);
        const glm::vec3 d(x - half_side, y, z + half_side);
        for (const glm::vec3& p : {a, b, c, a, c, d}) {
            vertices.push_back({p, tint});
        }
    }
    if (!shader_) {
        shader_ = std::make_unique<shader_program>(vertex_shader, fragment_shader);
        view_projection_location_ = glGetUniformLocation(shader_->program, "view_projection");
        vao_ = make_vertex_array();
        buffer_ = make_buffer();
        glBindVertexArray(vao_.get());
        glBindBuffer(GL_ARRAY_BUFFER, buffer_.get());
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(vertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, sizeof(vertex),
                              reinterpret_cast<const void*>(offsetof(vertex, tint)));
    }
    glBindVertexArray(vao_.get());
    glBindBuffer(GL_ARRAY_BUFFER, buffer_.get());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(vertex)),
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
