#include "render/item.h"

#include "render/object_uniforms.h"

namespace quillomar {

void item::init(const std::string& path) {
    model.load_model(path);
}

void item::draw(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& m,
                const glm::mat4& shadow, const glm::mat4& projected, const glm::mat4& projected2,
                const glm::vec3& light_pos, const glm::vec3& cam_pos, unsigned mipmap_mode,
                bool nearest_sampling) {
    set_object_uniforms(program,
                        {projection, view, &m, light_pos, cam_pos, shadow, projected, projected2});
    draw_with_first_mesh_sampling(model, program, mipmap_mode, nearest_sampling);
}

}  // namespace quillomar
