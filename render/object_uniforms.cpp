#include "render/object_uniforms.h"

#include <glm/gtc/type_ptr.hpp>

#include "render/shader_constants.h"

namespace quillomar {
namespace {

void set_vector(GLuint program, const char* name, const glm::vec3& value) {
    glUniform3fv(glGetUniformLocation(program, name), 1, glm::value_ptr(value));
}

void set_unit(GLuint program, const char* name, GLint unit) {
    glUniform1i(glGetUniformLocation(program, name), unit);
}

}  // namespace

void set_matrix_uniform(GLuint program, const char* name, const glm::mat4& value) {
    glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, glm::value_ptr(value));
}

void set_object_uniforms(GLuint program, const object_uniforms& values) {
    set_matrix_uniform(program, "projection", values.projection);
    set_matrix_uniform(program, "view", values.view);
    if (values.model != nullptr) {
        set_matrix_uniform(program, "model", *values.model);
    }
    set_vector(program, "light_pos", values.light_pos);
    set_vector(program, "cam_pos", values.cam_pos);
    set_matrix_uniform(program, "shadow", values.shadow);
    set_unit(program, "shadow_tex", texture_unit::shadow_map);
    set_matrix_uniform(program, "projectedMat", values.projected);
    set_unit(program, "projector_depth_tex", texture_unit::start_projector_depth);
    set_unit(program, "proj_tex", texture_unit::start_projector_image);
    set_matrix_uniform(program, "projectedMat2", values.projected2);
    set_unit(program, "projector_depth_tex2", texture_unit::finish_projector_depth);
    set_unit(program, "proj_tex2", texture_unit::finish_projector_image);
}

}  // namespace quillomar
