#include "render/cube.h"

#include "framework/qlmFramework.h"
#include "render/object_uniforms.h"

namespace quillomar {

void cube::init(const std::string& path) {
    // The checks carry the line numbers the cube's start-up has always reported.
    check_gl_error("cube", 9);
    check_gl_error("cube", 11);
    model.load_model(path);
    check_gl_error("cube", 13);
}

void cube::draw(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& m,
                const glm::mat4& shadow, const glm::mat4& projected, const glm::mat4& projected2,
                const glm::vec3& light_pos, const glm::vec3& cam_pos, unsigned mipmap_mode,
                bool nearest_sampling) {
    set_object_uniforms(program,
                        {projection, view, &m, light_pos, cam_pos, shadow, projected, projected2});
    draw_with_first_mesh_sampling(model, program, mipmap_mode, nearest_sampling);
}

}  // namespace quillomar
