// The per-object uniforms of the object shader program, shared by the three level renderers.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>

namespace quillomar {

struct object_uniforms {
    glm::mat4 projection{1.0f};
    glm::mat4 view{1.0f};
    const glm::mat4* model = nullptr;  // null: "model" is left for the caller to set per mesh
    glm::vec3 light_pos{0.0f};
    glm::vec3 cam_pos{0.0f};
    glm::mat4 shadow{1.0f};
    glm::mat4 projected{1.0f};
    glm::mat4 projected2{1.0f};
};

// Sets the uniforms on `program`, which must be in use, looking every location up by name; the
// samplers read the units of render/shader_constants.h.
void set_object_uniforms(GLuint program, const object_uniforms& values);

void set_matrix_uniform(GLuint program, const char* name, const glm::mat4& value);

}  // namespace quillomar
