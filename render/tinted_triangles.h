// Translucent marks in world space drawn over the lit scene: the fall map's cells, the heading
// arrow. Depth is tested, not written, so what stands in front hides the marks behind it. The
// program and buffers are made on the first draw that shows anything.
#pragma once

#include <memory>
#include <vector>

#include <glm/glm.hpp>

#include "render/gl_handle.h"
#include "render/shader_program.h"

namespace quillomar {

struct tinted_vertex {
    glm::vec3 position;
    glm::vec4 tint;
};

class tinted_triangles {
public:
    // Three vertices a triangle.
    void draw(const std::vector<tinted_vertex>& vertices, const glm::mat4& view_projection);

private:
    std::unique_ptr<shader_program> shader_;
    GLint view_projection_location_ = -1;
    gl_vertex_array vao_;
    gl_buffer buffer_;
};

}  // namespace quillomar
